#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vc {

// Quality level index 0..4; the quality boxes may add a keep-source entry at index 5.
inline constexpr int QualityLevelCount = 5;
inline constexpr std::array<const char*, QualityLevelCount> QualityLevelNames = {
    "Higher Quality", "High Quality", "Normal", "Low Quality", "Lower Quality"};
inline constexpr std::array<const char*, 2> ChannelNames = {"Mono", "Stereo"};

// Box entries that stand for "use the source's own value", and the entry of outputs
// without video.
inline constexpr char OriginalSizeEntry[] = "The original width and height";
inline constexpr char OriginalVideoEntry[] = "The Original Video Quliay";
inline constexpr char OriginalAudioEntry[] = "The Original Audio Quliay";
inline constexpr char NoVideoEntry[] = "No Video";

// kbit/s by level.
inline constexpr std::array<int, QualityLevelCount> AudioRates = {320, 192, 128, 64, 32};
// Narrow-band rates of ".3gp" and ".amr" outputs, bit/s, and as the estimate counts them.
inline constexpr std::array<int, QualityLevelCount> AmrBitsPerSecond = {12200, 10200, 7400, 5900,
                                                                        4750};
inline constexpr std::array<int, QualityLevelCount> AmrEstimateRates = {12, 10, 7, 6, 5};

// kbit/s per line of frame height.
std::array<double, QualityLevelCount> videoFactors(int profile);

// Bits a pixel a frame that a kept source rate at another frame size is held to.
inline constexpr int KeptRateBitsPerPixel = 1;

// Whole totals of the disc targets, kbit/s, for the estimate only; none for other profiles.
std::optional<int> discTargetRate(int profile);
// What lossless audio of 16-bit stereo at 44.1 kHz typically packs into, kbit/s.
inline constexpr int LosslessAudioRate = 900;

// What the rules need of the selected profile (filled by the selection procedure).
struct ProfileState {
    int number = 0;
    QString extension;
    // Video-rate slots by level; slot 0 "*" marks an output without video.
    std::array<QString, QualityLevelCount> rateSlots;
    QString options;
};

// The four boxes as chosen: index -1 is no selection, text the selected entry.
struct ParameterChoice {
    int sizeIndex = -1;
    QString sizeText;
    int videoIndex = -1;
    QString videoText;
    int audioIndex = -1;
    QString audioText;
    int channelIndex = -1;
};

// The part of a source list row the rates and the estimate read. The row record itself
// belongs to the source list; it hands these texts over as the probe found them.
struct SourceInfo {
    QString duration;   // "hh:mm:ss"
    QString resolution; // width "x" height
    QString videobit;   // kbit/s, decimal text
    QString audiobit;   // kbit/s, decimal text
    // kbit/s of the sound in FLAC, one and two channels, decimal text; "" when not measured.
    QString losslessMono = {};
    QString losslessStereo = {};
    bool audiobitGuessed = false; // audiobit is a stand-in, not the source's
};

// A rate, none when the profile has none or no level is selected, or an error: a text that
// had to be a decimal integer was not, or lay outside the 32-bit range (then value is empty).
struct RateResult {
    std::optional<std::int64_t> value;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// The error text of a text that should have been a decimal integer.
QString notAnIntegerError(const QString& text);

// Video rate in kbit/s. None for the disc targets and without a selected level. A size
// entry with no "x" or a height that is not a 32-bit decimal integer counts 0. The source's
// rate kept is scaled by the share of pixels a smaller frame keeps and held to
// KeptRateBitsPerPixel; the job asks for the same.
RateResult videoRate(const ProfileState& profile, const ParameterChoice& choice,
                     const SourceInfo& source);

// Audio rate in kbit/s as the estimate counts it (narrow-band rates rounded). ".3gp" and
// ".amr" outputs take the best narrow-band rate for the keep-source entry, since they cannot
// carry the source's rate. None for the disc targets and without a selected level; lossless
// outputs count the source's sound in FLAC at the channels chosen, LosslessAudioRate when that
// was not measured.
RateResult audioRate(const ProfileState& profile, const ParameterChoice& choice,
                     const SourceInfo& source);
// The same in bit/s for the converter's -ab option (12.2 kbit/s is 12200); none for lossless
// outputs, which take no rate.
RateResult audioBitsPerSecond(const ProfileState& profile, const ParameterChoice& choice,
                              const SourceInfo& source);

// The sample rate a job asks for along with an audio rate in bit/s: high rates get 48 kHz,
// speech-like rates 22.05 kHz, narrow-band outputs 8 kHz.
int jobSampleRate(std::int64_t audioBitsPerSecond, const QString& extension);

// Bits per sample of an output whose option string asks for uncompressed (PCM) sound; 0 for
// compressed sound.
int pcmSampleBits(const ProfileState& profile);

// "116.44MB": (kbps * seconds) / 8 / 1024 * 1000 / 1024 with two decimals in the user's
// number format, without group separators.
QString estimateText(std::int64_t totalKbps, std::int64_t seconds);

struct EstimateResult {
    QString text;
    QString error; // set instead of text when a rate could not be read
};
// Missing rates count 0, so a row always gets a text unless a number is unreadable.
EstimateResult estimate(const ProfileState& profile, const ParameterChoice& choice,
                        const SourceInfo& source);

struct RefreshResult {
    QStringList texts; // one per row, in row order, up to the first failure
    QString error;     // why the refresh stopped early; later rows keep their old text
};
RefreshResult refreshEstimates(const ProfileState& profile, const ParameterChoice& choice,
                               const std::vector<SourceInfo>& rows);

} // namespace vc
