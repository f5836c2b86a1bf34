#pragma once

#include "Arguments.h"
#include "SourceFacts.h"

#include <optional>
#include <string>

namespace vc::tool {

// The tool's own stream choices for plain files: the Nth (from 1) audio or subtitle stream.
inline constexpr char AudioTrackOption[] = "-audio-track";
inline constexpr char SubtitleTrackOption[] = "-subtitle-track";

// The ffmpeg argument list for a conversion (see ffmpegConvertArgs) fitted to what the source
// holds. Filters that decide by the frame serve every source alike: interlaced frames are
// deinterlaced, late sound gets silence before it. What must be decided before the run (HDR
// tone mapping, a picture for sound only, a cover kept, a high frame rate halved, the chosen
// audio stream, a subtitle burned in) follows `facts`; unknown facts stand for an ordinary
// source, so a run started before they are known needs starting again only when the two
// lists differ.
Args fittedConvertArgs(const ConvertCall& call, const SourceFacts& facts, int progressFd);

// The call with the filters that decide by the frame put first: for sources whose facts are
// not looked at, such as disc titles.
ConvertCall withFrameFilters(const ConvertCall& call);

// The sentence for a stream choice the source cannot honour, if any.
std::optional<std::string> unmetChoice(const ConvertCall& call, const SourceFacts& facts);

// The call with the chosen audio stream mapped and the tool's own options taken out, for
// outputs the tool encodes itself.
ConvertCall withSoundChoice(const ConvertCall& call);

} // namespace vc::tool
