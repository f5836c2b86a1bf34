#include "profiles/QualityRates.h"

#include "common/Clock.h"
#include "common/Rounding.h"
#include "profiles/Catalogue.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace vc {

namespace {

bool isNarrowBand(const QString& extension) {
    return extension == QLatin1String(".3gp") || extension == QLatin1String(".amr");
}

bool levelSelected(int index) {
    return index >= 0 && index < QualityLevelCount;
}

// Rates and heights are 32-bit integers: a longer number reads as no number at all, which also
// keeps the products and sums made of them far from overflowing.
bool parseRateNumber(QStringView text, std::int64_t& value) {
    return parseInteger(text, value) && value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

RateResult integerRate(const QString& text) {
    std::int64_t value = 0;
    if (!parseRateNumber(text, value))
        return {std::nullopt, notAnIntegerError(text)};
    return {value, {}};
}

// The frame height a computed rate scales with.
RateResult frameHeight(const ParameterChoice& choice, const SourceInfo& source) {
    if (choice.sizeText == QLatin1String(OriginalSizeEntry)) {
        const qsizetype x = source.resolution.indexOf(QLatin1Char('x'));
        return integerRate(x < 0 ? source.resolution : source.resolution.mid(x + 1));
    }
    const qsizetype x = choice.sizeText.indexOf(QLatin1Char('x'));
    if (x < 0)
        return {0, {}};
    QString height = choice.sizeText.mid(x + 1);
    const qsizetype bracket = height.indexOf(QLatin1Char('('));
    if (bracket >= 0)
        height.truncate(bracket);
    std::int64_t value = 0;
    return {parseRateNumber(height, value) ? value : 0, {}};
}

// Width times height of a "WxH" text, with anything after the height ignored; none when
// either is not a positive number.
std::optional<std::int64_t> framePixels(const QString& size) {
    const qsizetype x = size.indexOf(QLatin1Char('x'));
    if (x < 0)
        return std::nullopt;
    static const QRegularExpression digits(QStringLiteral("^\\d+"));
    const QString height = digits.match(size.mid(x + 1)).captured();
    std::int64_t w = 0, h = 0;
    if (!parseRateNumber(QStringView(size).left(x), w) || !parseRateNumber(height, h) || w <= 0 ||
        h <= 0)
        return std::nullopt;
    return w * h;
}

// The source's rate kept carries the source's quality, not its bytes: it shrinks with the
// share of pixels a smaller frame keeps (a larger one gains no detail to spend more on), and
// stops where the older encoders reach their finest quantiser, about a bit a pixel at 25
// frames a second.
RateResult keptRate(const ParameterChoice& choice, const SourceInfo& source) {
    RateResult rate = integerRate(source.videobit);
    const std::optional<std::int64_t> from = framePixels(source.resolution);
    const std::optional<std::int64_t> to =
        choice.sizeText == QLatin1String(OriginalSizeEntry) ? from : framePixels(choice.sizeText);
    if (!rate.value || !from || !to)
        return rate;
    const std::int64_t pixels = std::min(*from, *to);
    const std::int64_t reach = pixels * KeptRateBitsPerPixel * 25 / 1000;
    rate.value = std::min(roundHalfEven(static_cast<double>(*rate.value) *
                                        static_cast<double>(pixels) / static_cast<double>(*from)),
                          reach);
    return rate;
}

bool writesAac(const ProfileState& profile) {
    static const QRegularExpression aac(QStringLiteral("-(?:acodec|c:a|codec:a) aac\\b"));
    return aac.match(profile.options).hasMatch();
}

// The job keeps the source's sample rate and takes the channel count chosen, so the source's
// own sound in FLAC at that count is what it writes.
RateResult losslessRate(const ParameterChoice& choice, const SourceInfo& source) {
    const int channels = std::max(choice.channelIndex, 0) + 1;
    std::int64_t measured = 0;
    if (!parseRateNumber(channels == 1 ? source.losslessMono : source.losslessStereo, measured) ||
        measured <= 0)
        return {LosslessAudioRate, {}};
    return {channels > 2 ? measured * channels / 2 : measured, {}};
}

} // namespace

std::array<double, QualityLevelCount> videoFactors(int profile) {
    switch (factorRow(profile)) {
    case FactorRow::Mini:
        return {3.33, 2.13, 1.51, 1.06, 0.8};
    case FactorRow::Excellent:
        return {10.41, 8.33, 6.25, 4.16, 3.33};
    // Against H.264's row, the newer codecs need more of its rate at the higher levels to keep
    // as much of a grainy picture.
    case FactorRow::Hevc:
        return {4.69, 3.0, 2.33, 1.32, 0.85};
    case FactorRow::Vp9:
        return {3.75, 2.5, 2.0, 1.28, 0.91};
    case FactorRow::Av1:
        return {4.69, 2.75, 2.0, 1.24, 0.83};
    case FactorRow::Normal:
    case FactorRow::Generic:
        break;
    }
    return {6.25, 4.16, 3.33, 2.13, 1.51};
}

std::optional<int> discTargetRate(int profile) {
    // The targets' own video and sound rates, and the program stream's packing on top.
    const auto total = [](int video, int audio) {
        return (video + audio) * 103 / 100;
    };
    switch (profile) {
    case 112:
        return total(1150, 224);
    case 113:
        return total(2040, 224);
    case 114:
        return total(6000, 448);
    default:
        return std::nullopt;
    }
}

QString notAnIntegerError(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

RateResult videoRate(const ProfileState& profile, const ParameterChoice& choice,
                     const SourceInfo& source) {
    if (isDiscTarget(profile.number))
        return {};
    if (isDataFileRate(profile.number)) {
        if (profile.rateSlots[0] == QLatin1String("*"))
            return {0, {}};
        if (!levelSelected(choice.videoIndex))
            return {};
        return integerRate(profile.rateSlots[static_cast<std::size_t>(choice.videoIndex)]);
    }
    if (choice.videoText == QLatin1String(OriginalVideoEntry))
        return keptRate(choice, source);
    if (!levelSelected(choice.videoIndex))
        return {};
    const RateResult height = frameHeight(choice, source);
    if (!height.ok())
        return height;
    const double factor = videoFactors(profile.number)[static_cast<std::size_t>(choice.videoIndex)];
    return {roundHalfEven(static_cast<double>(*height.value) * factor), {}};
}

RateResult audioRate(const ProfileState& profile, const ParameterChoice& choice,
                     const SourceInfo& source) {
    if (isDiscTarget(profile.number))
        return {};
    if (isLossless(profile.number))
        return losslessRate(choice, source);
    const bool narrow = isNarrowBand(profile.extension);
    if (choice.audioText == QLatin1String(OriginalAudioEntry))
        return narrow ? RateResult{AmrEstimateRates[0], {}} : integerRate(source.audiobit);
    if (!levelSelected(choice.audioIndex))
        return {};
    const auto level = static_cast<std::size_t>(choice.audioIndex);
    return {narrow ? AmrEstimateRates[level] : AudioRates[level], {}};
}

RateResult audioBitsPerSecond(const ProfileState& profile, const ParameterChoice& choice,
                              const SourceInfo& source) {
    if (isNarrowBand(profile.extension) && !isDiscTarget(profile.number)) {
        if (choice.audioText == QLatin1String(OriginalAudioEntry))
            return {AmrBitsPerSecond[0], {}};
        if (!levelSelected(choice.audioIndex))
            return {};
        return {AmrBitsPerSecond[static_cast<std::size_t>(choice.audioIndex)], {}};
    }
    if (isLossless(profile.number))
        return {};
    RateResult kbps = audioRate(profile, choice, source);
    if (kbps.value)
        *kbps.value *= 1000;
    return kbps;
}

int jobSampleRate(std::int64_t audioBitsPerSecond, const QString& extension) {
    if (isNarrowBand(extension))
        return 8000;
    if (audioBitsPerSecond > 192000)
        return 48000;
    return audioBitsPerSecond > 64000 ? 44100 : 22050;
}

int pcmSampleBits(const ProfileState& profile) {
    static const QRegularExpression pcm(QStringLiteral("\\bpcm_(?:[su](\\d+)|(alaw|mulaw))"));
    const QRegularExpressionMatch match = pcm.match(profile.options);
    if (!match.hasMatch())
        return 0;
    return match.captured(2).isEmpty() ? match.captured(1).toInt() : 8;
}

QString estimateText(std::int64_t totalKbps, std::int64_t seconds) {
    const double megabytes =
        static_cast<double>(totalKbps * seconds) / 8.0 / 1024.0 * 1000.0 / 1024.0;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(megabytes, 'f', 2) + QStringLiteral("MB");
}

EstimateResult estimate(const ProfileState& profile, const ParameterChoice& choice,
                        const SourceInfo& source) {
    std::int64_t total = 0;
    if (const std::optional<int> disc = discTargetRate(profile.number)) {
        total = *disc;
    } else {
        const RateResult video = videoRate(profile, choice, source);
        if (!video.ok())
            return {{}, video.error};
        total = video.value.value_or(0);
        if (const int bits = pcmSampleBits(profile)) {
            // PCM ignores the rate asked for: its size is the sample rate the job sets.
            const RateResult asked = audioBitsPerSecond(profile, choice, source);
            if (!asked.ok())
                return {{}, asked.error};
            const int channels = std::max(choice.channelIndex, 0) + 1;
            if (asked.value)
                total += std::int64_t{jobSampleRate(*asked.value, profile.extension)} * channels *
                         bits / 1000;
        } else {
            const RateResult audio = audioRate(profile, choice, source);
            if (!audio.ok())
                return {{}, audio.error};
            std::int64_t kbps = audio.value.value_or(0);
            // ffmpeg's AAC encoder spends only what the sound needs, and a source whose sound
            // needed less than the rate asked (speech, quiet) tells how little that is.
            std::int64_t sourceKbps = 0;
            if (writesAac(profile) && !source.audiobitGuessed &&
                parseRateNumber(source.audiobit, sourceKbps) && sourceKbps > 0)
                kbps = std::min(kbps, sourceKbps);
            total += kbps;
        }
    }
    return {estimateText(total, clockToSeconds(source.duration)), {}};
}

RefreshResult refreshEstimates(const ProfileState& profile, const ParameterChoice& choice,
                               const std::vector<SourceInfo>& rows) {
    RefreshResult result;
    for (const SourceInfo& row : rows) {
        const EstimateResult e = estimate(profile, choice, row);
        if (!e.error.isEmpty()) {
            result.error = e.error;
            break;
        }
        result.texts.append(e.text);
    }
    return result;
}

} // namespace vc
