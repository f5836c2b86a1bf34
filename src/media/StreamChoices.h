#pragma once

#include "media/ProbeOutput.h"

#include <QString>
#include <optional>

namespace vc {

struct Toriginalinfo;

// A file's audio stream as the audio box lists it after its number, in a disc title's form:
// "Japanese, AAC, Stereo".
QString audioTrackText(const ProbeStream& stream);
// A file's subtitle stream as the subtitle box lists it: "English, SRT".
QString subtitleTrackText(const ProbeStream& stream);

// A file's audio and subtitle streams, listed for the boxes, its default audio stream
// chosen and no subtitle.
void takeStreams(Toriginalinfo& info, const ProbeResult& probe);

// Batch mode's track options applied to a file's row; the refusal when the file lacks the
// track asked for, empty when none.
QString chooseFileStreams(Toriginalinfo& info, const QString& shownName,
                          std::optional<int> audioTrack, std::optional<int> subtitle);

} // namespace vc
