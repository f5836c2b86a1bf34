#include "profiles/QualityRates.h"
#include "profiles/Catalogue.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace vc;

namespace {

ProfileState profile(int number, std::array<QString, 5> rateSlots = {}) {
    ProfileState state;
    state.number = number;
    state.extension = profileExtension(number);
    state.rateSlots = std::move(rateSlots);
    return state;
}

ParameterChoice levels(const QString& size, int video, int audio) {
    ParameterChoice c;
    c.sizeIndex = 0;
    c.sizeText = size;
    c.videoIndex = video;
    c.videoText =
        video >= 0 && video < 5 ? QString::fromLatin1(QualityLevelNames[video]) : QString();
    c.audioIndex = audio;
    c.audioText =
        audio >= 0 && audio < 5 ? QString::fromLatin1(QualityLevelNames[audio]) : QString();
    c.channelIndex = 1;
    return c;
}

const SourceInfo Source{QStringLiteral("00:10:00"), QStringLiteral("640x360"),
                        QStringLiteral("900"), QStringLiteral("96")};

std::int64_t video(const ProfileState& p, const ParameterChoice& c, const SourceInfo& s = Source) {
    const RateResult r = videoRate(p, c, s);
    EXPECT_TRUE(r.ok()) << r.error.toStdString();
    return r.value.value_or(-1);
}

std::int64_t audio(const ProfileState& p, const ParameterChoice& c, const SourceInfo& s = Source) {
    const RateResult r = audioRate(p, c, s);
    EXPECT_TRUE(r.ok()) << r.error.toStdString();
    return r.value.value_or(-1);
}

class DefaultLocale : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

using QualityRates = DefaultLocale;

} // namespace

TEST_F(QualityRates, ComputedRateRoundsTiesToEven) {
    // Generic row, "Higher Quality": 6.25 per line.
    EXPECT_EQ(video(profile(1), levels("480x270", 0, 2)), 1688);   // 1687.5
    EXPECT_EQ(video(profile(1), levels("160x90", 0, 2)), 562);     // 562.5
    EXPECT_EQ(video(profile(102), levels("640x480", 2, 2)), 1598); // 1598.4
    // The height stops at a bracketed comment.
    EXPECT_EQ(video(profile(7), levels("854x480(16:9)", 0, 2)), 3000);
}

TEST_F(QualityRates, MiniNormalAndExcellentRows) {
    EXPECT_EQ(video(profile(120), levels("640x480", 2, 2)), 3000);
    EXPECT_EQ(video(profile(120), levels("640x480", 0, 2)), 4997); // 4996.8
    EXPECT_EQ(video(profile(123), levels("640x480", 4, 2)), 1598); // 3.33
    EXPECT_EQ(video(profile(118), levels("640x480", 4, 2)), 384);  // 0.8
    EXPECT_EQ(video(profile(121), levels("640x480", 3, 2)), 509);  // 1.06: 508.8
    EXPECT_EQ(video(profile(119), levels("640x480", 1, 2)), 1997); // 4.16: 1996.8
    EXPECT_EQ(video(profile(122), levels("640x480", 1, 2)), 1997);
}

// The newer codecs ask less than the H.264 profiles: VP9 60 %, HEVC and AV1 55-75 % by level.
TEST_F(QualityRates, NewerCodecRowsAndLosslessAudio) {
    EXPECT_EQ(video(profile(133), levels("1920x1080", 2, 2)), 2516); // 2.33: 2516.4
    EXPECT_EQ(video(profile(135), levels("1280x720", 0, 2)), 2700);  // 3.75
    EXPECT_EQ(video(profile(134), levels("1280x720", 4, 2)), 612);   // 0.85
    EXPECT_EQ(video(profile(136), levels("1920x1080", 2, 2)), 2160); // 2.0
    EXPECT_EQ(video(profile(137), levels("1280x720", 4, 2)), 598);   // 0.83: 597.6

    // FLAC has no levels: one rate for the estimate whatever the box holds, none for the line.
    for (int level : {-1, 0, 4}) {
        const ParameterChoice c = levels(QString(), -1, level);
        EXPECT_EQ(audio(profile(139), c), LosslessAudioRate);
        EXPECT_FALSE(audioBitsPerSecond(profile(139), c, Source).value);
        EXPECT_EQ(estimate(profile(139), c, Source).text, QStringLiteral("64.37MB"));
    }
    EXPECT_EQ(*audioBitsPerSecond(profile(138), levels(QString(), -1, 2), Source).value, 128000);
}

TEST_F(QualityRates, KeepSourceEntriesUseTheSource) {
    ParameterChoice c = levels(QString::fromLatin1(OriginalSizeEntry), 0, 0);
    EXPECT_EQ(video(profile(1), c), 2250); // the source's 360 lines
    c.videoIndex = 5;
    c.videoText = QString::fromLatin1(OriginalVideoEntry);
    c.audioIndex = 5;
    c.audioText = QString::fromLatin1(OriginalAudioEntry);
    EXPECT_EQ(video(profile(1), c), 900);
    EXPECT_EQ(audio(profile(1), c), 96);
    // Narrow-band outputs cannot carry the source's rate and take their best one.
    EXPECT_EQ(audio(profile(8), c), 12);
    EXPECT_EQ(audioBitsPerSecond(profile(8), c, Source).value, 12200);
    EXPECT_EQ(audioBitsPerSecond(profile(1), c, Source).value, 96000);
}

TEST_F(QualityRates, DataFileSlots) {
    const ProfileState ipod = profile(27, {"768", "600", "500", "400", "300"});
    EXPECT_EQ(video(ipod, levels("320x240", 0, 2)), 768);
    EXPECT_EQ(video(ipod, levels("320x240", 4, 2)), 300);
    const ProfileState mp3 = profile(17, {"*", "600", "500", "400", "300"});
    EXPECT_EQ(video(mp3, levels("320x240", 3, 2)), 0);
    // A slot that is not a number is an error, not a rate.
    const ProfileState broken = profile(27, {"768", "fast", "500", "400", "300"});
    const RateResult r = videoRate(broken, levels("320x240", 1, 2), Source);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.value.has_value());
    EXPECT_TRUE(r.error.contains(QStringLiteral("'fast'")));
}

TEST_F(QualityRates, AudioLevelsAndNarrowBand) {
    const int expected[] = {320, 192, 128, 64, 32};
    for (int level = 0; level < 5; ++level)
        EXPECT_EQ(audio(profile(17), levels("320x240", 2, level)), expected[level]);
    const int amr[] = {12, 10, 7, 6, 5};
    const int amrBits[] = {12200, 10200, 7400, 5900, 4750};
    for (int level = 0; level < 5; ++level) {
        EXPECT_EQ(audio(profile(71), levels("320x240", 2, level)), amr[level]);
        EXPECT_EQ(audio(profile(68), levels("320x240", 2, level)), amr[level]);
        EXPECT_EQ(audioBitsPerSecond(profile(71), levels("320x240", 2, level), Source).value,
                  amrBits[level]);
    }
    // ".3g2" is not narrow-band.
    EXPECT_EQ(audio(profile(69), levels("320x240", 2, 0)), 320);
    EXPECT_EQ(audioBitsPerSecond(profile(69), levels("320x240", 2, 0), Source).value, 320000);
}

TEST_F(QualityRates, UpperCaseMp4IsNotMp4) {
    // ".MP4" compares unequal to ".mp4" and ".3gp": a normal audio table, not narrow-band.
    EXPECT_EQ(audio(profile(123), levels("640x480", 2, 0)), 320);
    EXPECT_EQ(profile(123).extension, QStringLiteral(".MP4"));
}

TEST_F(QualityRates, DiscTargetsAndNoSelection) {
    EXPECT_FALSE(videoRate(profile(114), levels("PAL", 2, 2), Source).value);
    EXPECT_FALSE(audioRate(profile(114), levels("PAL", 2, 2), Source).value);
    EXPECT_FALSE(videoRate(profile(1), levels("640x480", -1, -1), Source).value);
    EXPECT_FALSE(audioRate(profile(1), levels("640x480", -1, -1), Source).value);
}

TEST_F(QualityRates, EstimateText) {
    EXPECT_EQ(estimateText(1628, 600), QStringLiteral("116.44MB"));
    EXPECT_EQ(estimateText(0, 600), QStringLiteral("0.00MB"));
    EXPECT_EQ(estimateText(10000, 59 * 3600), QStringLiteral("253200.53MB"));
    // The user's decimal separator, and no group separator.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(estimateText(1628, 600), QStringLiteral("116,44MB"));
    EXPECT_EQ(estimateText(10000, 59 * 3600), QStringLiteral("253200,53MB"));
}

TEST_F(QualityRates, EstimateRules) {
    // 640x480 "Normal" on a generic row: 1598 + 128 kbit/s for ten minutes.
    EXPECT_EQ(estimate(profile(1), levels("640x480", 2, 2), Source).text,
              estimateText(1598 + 128, 600));
    // PCM outputs count the sample rate the job sets, the channels and the sample size, not
    // the audio box's compressed rate: 16-bit stereo at 44.1 kHz is 1411 kbit/s.
    for (const auto& [number, codec] :
         {std::pair{20, "pcm_s16le"}, std::pair{22, "pcm_s16be"}, std::pair{25, "pcm_s16be"}}) {
        ProfileState pcm = profile(number, {"*", "", "", "", ""});
        pcm.options = QStringLiteral("-vn -acodec ") + codec;
        EXPECT_EQ(estimate(pcm, levels("320x240", 2, 2), Source).text, estimateText(1411, 600));
        EXPECT_EQ(estimate(pcm, levels("320x240", 2, 0), Source).text, estimateText(1536, 600));
        ParameterChoice mono = levels("320x240", 2, 4);
        mono.channelIndex = 0;
        EXPECT_EQ(estimate(pcm, mono, Source).text, estimateText(352, 600));
    }
    const ProfileState amr = profile(71, {"*", "", "", "", ""});
    EXPECT_EQ(estimate(amr, levels("320x240", 2, 4), Source).text, estimateText(5, 600));
    // Disc targets count the rates their target sets, and the packing: DVD's 6000 + 448 AC-3.
    EXPECT_EQ(estimate(profile(112), levels("PAL", -1, -1), Source).text, estimateText(1415, 600));
    EXPECT_EQ(estimate(profile(113), levels("NTSC", 0, 0), Source).text, estimateText(2331, 600));
    EXPECT_EQ(estimate(profile(114), levels("PAL", 0, 0), Source).text, estimateText(6641, 600));
    // The source's rate kept at a quarter of its pixels is a quarter, and never more than the
    // older encoders reach at the size written.
    ParameterChoice keep = levels("320x240", 5, 2);
    keep.videoText = QString::fromLatin1(OriginalVideoEntry);
    const SourceInfo phone{QStringLiteral("00:10:00"), QStringLiteral("640x480"),
                           QStringLiteral("4000"), QStringLiteral("128")};
    EXPECT_EQ(estimate(profile(1), keep, phone).text, estimateText(1000 + 128, 600));
    SourceInfo sharp = phone;
    sharp.videobit = QStringLiteral("21900");
    EXPECT_EQ(video(profile(1), keep, sharp), 1920);
    keep.sizeText = QString::fromLatin1(OriginalSizeEntry);
    EXPECT_EQ(video(profile(1), keep, sharp), 7680);
    EXPECT_EQ(video(profile(1), keep, phone), 4000);
    // ffmpeg's AAC spends no more than the source's sound needed; other encoders fill the rate.
    ProfileState m4a = profile(23, {"*", "", "", "", ""});
    m4a.options = QStringLiteral("-vn -acodec aac");
    SourceInfo quiet = Source;
    quiet.audiobit = QStringLiteral("57");
    EXPECT_EQ(estimate(m4a, levels("320x240", 2, 2), quiet).text, estimateText(57, 600));
    EXPECT_EQ(estimate(m4a, levels("320x240", 2, 2), Source).text, estimateText(96, 600));
    quiet.audiobitGuessed = true; // a stand-in says nothing of the sound
    EXPECT_EQ(estimate(m4a, levels("320x240", 2, 2), quiet).text, estimateText(128, 600));
    ProfileState mp3 = m4a;
    mp3.options = QStringLiteral("-vn -acodec libmp3lame");
    EXPECT_EQ(estimate(mp3, levels("320x240", 2, 2), quiet).text, estimateText(128, 600));
    // FLAC writes what the source's sound takes at the channel count chosen.
    SourceInfo speech = Source;
    speech.losslessMono = QStringLiteral("205");
    speech.losslessStereo = QStringLiteral("212");
    ParameterChoice flac = levels("320x240", -1, -1);
    EXPECT_EQ(estimate(profile(139), flac, speech).text, estimateText(212, 600));
    flac.channelIndex = 0;
    EXPECT_EQ(estimate(profile(139), flac, speech).text, estimateText(205, 600));
    SourceInfo noDuration = Source;
    noDuration.duration.clear();
    EXPECT_EQ(estimate(profile(1), levels("640x480", 2, 2), noDuration).text,
              QStringLiteral("0.00MB"));
    // A height that is not a number, or no "x" at all, leaves only the audio part.
    EXPECT_EQ(estimate(profile(1), levels("640xabc", 2, 2), Source).text, estimateText(128, 600));
    EXPECT_EQ(estimate(profile(1), levels(QString::fromLatin1(NoVideoEntry), 2, 2), Source).text,
              estimateText(128, 600));
    // Without a selected level that part counts nothing.
    EXPECT_EQ(estimate(profile(1), levels("640x480", -1, 2), Source).text, estimateText(128, 600));
}

TEST_F(QualityRates, RefreshStopsAtTheFirstUnreadableRow) {
    ParameterChoice keep = levels("640x480", 5, 2);
    keep.videoText = QString::fromLatin1(OriginalVideoEntry);
    SourceInfo unknown = Source;
    unknown.videobit.clear(); // the probe found no video rate
    const RefreshResult r = refreshEstimates(profile(1), keep, {Source, unknown, Source});
    EXPECT_EQ(r.texts, QStringList({estimateText(900 + 128, 600)}));
    EXPECT_FALSE(r.error.isEmpty());

    const RefreshResult all =
        refreshEstimates(profile(1), levels("640x480", 2, 2), {Source, unknown});
    EXPECT_EQ(all.texts.size(), 2);
    EXPECT_TRUE(all.error.isEmpty());

    // The source's height is needed for the size keep-source entry.
    SourceInfo noSize = Source;
    noSize.resolution = QStringLiteral("N/A");
    EXPECT_FALSE(estimate(profile(1), levels(QString::fromLatin1(OriginalSizeEntry), 2, 2), noSize)
                     .error.isEmpty());
}

TEST_F(QualityRates, NumbersBeyondThirtyTwoBitsAreNoRates) {
    // A data-file slot: the largest 32-bit value still counts, one more is unreadable.
    const ProfileState largest = profile(27, {"2147483647", "", "", "", ""});
    EXPECT_EQ(video(largest, levels("320x240", 0, 2)), 2147483647);
    const ProfileState huge = profile(27, {"9223372036854775807", "", "", "", ""});
    EXPECT_FALSE(videoRate(huge, levels("320x240", 0, 2), Source).ok());
    EXPECT_TRUE(estimate(huge, levels("320x240", 0, 2), Source)
                    .error.contains(QStringLiteral("'9223372036854775807'")));

    // A size entry's height: like any other unreadable height it counts 0.
    EXPECT_EQ(video(profile(1), levels("1x2147483648", 0, 2)), 0);
    EXPECT_EQ(video(profile(1), levels("1x9223372036854775807", 0, 2)), 0);
    EXPECT_EQ(estimate(profile(1), levels("1x9223372036854775807", 0, 2), Source).text,
              estimateText(128, 600));

    // The source's own height and rates.
    SourceInfo big = Source;
    big.resolution = QStringLiteral("1x99999999999");
    big.videobit = QStringLiteral("9223372036854775807");
    big.audiobit = QStringLiteral("-9223372036854775808");
    ParameterChoice keep = levels(QString::fromLatin1(OriginalSizeEntry), 0, 5);
    keep.audioText = QString::fromLatin1(OriginalAudioEntry);
    EXPECT_FALSE(videoRate(profile(1), keep, big).ok());
    keep.videoIndex = 5;
    keep.videoText = QString::fromLatin1(OriginalVideoEntry);
    EXPECT_FALSE(videoRate(profile(1), keep, big).ok());
    EXPECT_FALSE(audioRate(profile(1), keep, big).ok());
    EXPECT_FALSE(estimate(profile(1), keep, big).error.isEmpty());
}
