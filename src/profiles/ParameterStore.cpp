#include "profiles/ParameterStore.h"

#include "profiles/Catalogue.h"

namespace vc {

namespace {

struct DefaultRange {
    int first;
    int last;
    int size;
    int video;
    int audio;
};

// Size, video and audio indices of the video profiles; every profile starts on "Stereo".
constexpr DefaultRange DefaultRanges[] = {
    {1, 1, 0, 5, 5},     {2, 3, 4, 5, 5},     {4, 4, 5, 5, 5},     {5, 6, 4, 5, 5},
    {7, 7, 1, 5, 5},     {8, 9, 2, 5, 5},     {10, 13, 4, 5, 5},   {14, 14, 1, 5, 5},
    {27, 32, 0, 2, 2},   {34, 39, 0, 2, 2},   {41, 44, 0, 2, 2},   {46, 51, 0, 2, 2},
    {53, 54, 0, 2, 2},   {55, 55, 2, 2, 2},   {56, 57, 0, 2, 2},   {58, 58, 2, 2, 2},
    {60, 60, 0, 2, 2},   {61, 66, 2, 2, 2},   {68, 68, 2, 2, 2},   {69, 69, 1, 2, 2},
    {70, 70, 0, 2, 2},   {72, 73, 0, 2, 2},   {75, 76, 0, 2, 2},   {77, 77, 1, 2, 2},
    {78, 79, 0, 2, 2},   {81, 81, 0, 2, 2},   {83, 85, 1, 2, 2},   {86, 88, 0, 2, 2},
    {89, 89, 1, 2, 2},   {91, 97, 2, 2, 2},   {99, 100, 4, 2, 2},  {102, 108, 4, 5, 5},
    {110, 110, 5, 5, 5}, {111, 111, 2, 5, 5}, {112, 114, 0, 5, 5}, {115, 116, 0, 2, 2},
    {118, 123, 5, 2, 2}, {125, 130, 4, 5, 5}, {131, 131, 4, 2, 2}, {133, 137, 3, 2, 2},
};

constexpr int DefaultChannel = 1;
constexpr int AudioOnlyAudio = 2;

} // namespace

StoredParameters defaultParameters(int profile) {
    if (!hasProfile(profile))
        return {};
    if (isLossless(profile))
        return {std::nullopt, std::nullopt, std::nullopt, DefaultChannel};
    if (isAudioOnly(profile))
        return {std::nullopt, std::nullopt, AudioOnlyAudio, DefaultChannel};
    for (const DefaultRange& r : DefaultRanges)
        if (profile >= r.first && profile <= r.last)
            return {r.size, r.video, r.audio, DefaultChannel};
    return {};
}

StoredParameters readParameters(const IniFile& store, int profile) {
    return readParameters(store, profile, defaultParameters(profile));
}

StoredParameters readParameters(const IniFile& store, int profile,
                                const StoredParameters& defaults) {
    const QString section = QString::number(profile);
    const auto read = [&](const char* key, const std::optional<int>& def) -> std::optional<int> {
        if (!def)
            return std::nullopt;
        return store.readInt(section, QLatin1String(key), *def);
    };
    return {read(SizeKey, defaults.size), read(VideoBitrateKey, defaults.videoBitrate),
            read(AudioBitrateKey, defaults.audioBitrate), read(ChannelKey, defaults.channel)};
}

bool writeParameters(IniFile& store, int profile, const StoredParameters& values) {
    const StoredParameters keys = defaultParameters(profile);
    const QString section = QString::number(profile);
    bool ok = true;
    // A box without a selection holds no choice: the stored one may name an entry that a
    // damaged or changed data file lacks, and is kept for when the entry is back.
    const auto write = [&](const char* key, const std::optional<int>& has,
                           const std::optional<int>& value) {
        if (has && value && *value >= 0)
            ok = store.writeInt(section, QLatin1String(key), *value) && ok;
    };
    write(SizeKey, keys.size, values.size);
    write(VideoBitrateKey, keys.videoBitrate, values.videoBitrate);
    write(AudioBitrateKey, keys.audioBitrate, values.audioBitrate);
    write(ChannelKey, keys.channel, values.channel);
    return ok;
}

} // namespace vc
