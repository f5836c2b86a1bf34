#pragma once

#include "common/IniFile.h"

#include <QString>
#include <optional>

namespace vc {

// Indices of the selected entries of the four parameter boxes (-1: nothing selected). An
// absent value is a key the profile does not have.
struct StoredParameters {
    std::optional<int> size;
    std::optional<int> videoBitrate;
    std::optional<int> audioBitrate;
    std::optional<int> channel;

    friend bool operator==(const StoredParameters&, const StoredParameters&) = default;
};

inline constexpr char SizeKey[] = "size";
inline constexpr char VideoBitrateKey[] = "video bitrate";
inline constexpr char AudioBitrateKey[] = "audio bitrate";
inline constexpr char ChannelKey[] = "Channel";

// The indices a profile starts with; only the keys the profile has are set, none for
// numbers without a profile.
StoredParameters defaultParameters(int profile);

// The parameter store ("pro " + program name + ".ini"): one section per named profile,
// named by its number.
StoredParameters readParameters(const IniFile& store, int profile);
// The same with the indices a missing key takes; keys the defaults lack are not read.
StoredParameters readParameters(const IniFile& store, int profile,
                                const StoredParameters& defaults);
// Writes the keys the profile has; false when the file could not be written. Numbers without
// a profile write nothing.
bool writeParameters(IniFile& store, int profile, const StoredParameters& values);

} // namespace vc
