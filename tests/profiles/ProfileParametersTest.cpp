#include "profiles/ProfileParameters.h"
#include "TestSupport.h"
#include "convert/ConversionLine.h"
#include "profiles/Catalogue.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vc;

namespace {

const QString Original = QString::fromLatin1(OriginalSizeEntry);
const QString OriginalVideo = QString::fromLatin1(OriginalVideoEntry);
const QString OriginalAudio = QString::fromLatin1(OriginalAudioEntry);
const QString NoVideo = QString::fromLatin1(NoVideoEntry);

// Selections against the shipped profiles.pop with a parameter store of its own.
class Selection : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("VIDEOCONVERTER_CONFIG_DIR", dir.path().toLocal8Bit());
        store = std::make_unique<IniFile>(dir.filePath(QStringLiteral("pro Test.ini")));
    }

    bool select(int profile) {
        return selectProfile(profile, boxes, state, *store, dataFile).selected;
    }

    QTemporaryDir dir;
    std::unique_ptr<IniFile> store;
    QString dataFile = profileDataPath(test::programDir());
    ParameterBoxStates boxes = initialBoxStates();
    ProfileState state;
};

} // namespace

TEST_F(Selection, EverySelectableProfileStartsWithValidChoices) {
    for (int n = 1; n <= ProfileCount; ++n) {
        if (profileEntry(n)->role != ButtonRole::Selects)
            continue;
        ASSERT_TRUE(select(n)) << n;
        EXPECT_EQ(state.number, n);
        const ParameterChoice c = choiceOf(boxes);
        if (isDiscTarget(n)) {
            EXPECT_EQ(c.sizeText, QStringLiteral("PAL")) << n;
            EXPECT_TRUE(boxes.size.enabled) << n;
            continue;
        }
        EXPECT_EQ(c.channelIndex, 1) << n;
        // Lossless audio has no levels to choose from.
        EXPECT_EQ(c.audioIndex == -1, isLossless(n)) << n;
        EXPECT_EQ(boxes.audio.enabled, !isLossless(n)) << n;
        if (!isAudioOnly(n)) {
            EXPECT_NE(c.sizeIndex, -1) << n;
            EXPECT_NE(c.videoIndex, -1) << n;
            EXPECT_NE(c.videoText, NoVideo) << n;
            EXPECT_TRUE(boxes.size.enabled && boxes.video.enabled) << n;
        } else {
            EXPECT_EQ(c.videoText, NoVideo) << n;
            EXPECT_FALSE(boxes.size.enabled || boxes.video.enabled) << n;
        }
        // A keep-source quality entry only where the profile offers it.
        const bool keep = isComputedRate(n) && state.extension != QLatin1String(".mp4");
        EXPECT_EQ(boxes.audio.items.contains(OriginalAudio), keep) << n;
        EXPECT_EQ(boxes.video.items.contains(OriginalVideo), keep) << n;
        EXPECT_EQ(boxes.video.items.count(NoVideo), isAudioOnly(n) ? 1 : 0) << n;
    }
}

TEST_F(Selection, EveryProfileChosenFirstHasItsRatesAndAnEstimate) {
    const SourceInfo source{"00:01:00", "640x480", "900", "96"};
    for (int n = 1; n <= ProfileCount; ++n) {
        if (!hasProfile(n)) // openers too: batch mode and stored settings can name them
            continue;
        QTemporaryDir fresh;
        IniFile freshStore(fresh.filePath(QStringLiteral("pro Fresh.ini")));
        boxes = initialBoxStates();
        state = ProfileState{};
        ASSERT_TRUE(selectProfile(n, boxes, state, freshStore, dataFile).selected) << n;
        for (const BoxState* box : {&boxes.size, &boxes.video, &boxes.audio, &boxes.channel})
            EXPECT_TRUE(!box->enabled || box->current >= 0) << n;

        ConversionInputs in;
        in.outputFolder = QStringLiteral("/o");
        in.title = QStringLiteral("t");
        in.source = source;
        in.profile = state;
        in.choice = choiceOf(boxes);
        in.sizeEnabled = boxes.size.enabled;
        intputrec job;
        fillJob(job, in, [](const QString&) { return NameClaim::Free; });
        if (!isDiscTarget(n)) {
            EXPECT_EQ(job.abitrate.isEmpty() || job.arate.isEmpty(), isLossless(n)) << n;
            EXPECT_EQ(job.vbitrate.isEmpty(), isAudioOnly(n)) << n;
        }
        const EstimateResult size = estimate(state, in.choice, source);
        EXPECT_TRUE(size.error.isEmpty()) << n;
        EXPECT_NE(size.text, QStringLiteral("0.00MB")) << n;
    }
}

// The options a box puts on the line; set again by the option string, which comes later,
// they would quietly undo the user's choice.
TEST_F(Selection, NoOptionStringSetsAgainWhatABoxSets) {
    const QStringList sizeOptions{"-s", "-s:v", "-aspect", "-vf", "-filter:v", "-video_size"};
    const QStringList videoOptions{"-b", "-b:v", "-vb", "-r", "-r:v"};
    const QStringList audioOptions{"-ab", "-b:a", "-ar", "-ar:a"};
    const QStringList channelOptions{"-ac", "-ac:a", "-channel_layout", "-ch_layout"};
    for (int n = 1; n <= ProfileCount; ++n) {
        if (!hasProfile(n)) // openers too: batch mode and stored settings can name them
            continue;
        ASSERT_TRUE(select(n)) << n;
        const QStringList words = splitOptions(state.options);
        const auto setsAgain = [&](const BoxState& box, const QStringList& options) {
            if (!box.enabled)
                return QString();
            for (const QString& word : words)
                if (options.contains(word))
                    return word;
            return QString();
        };
        EXPECT_EQ(setsAgain(boxes.size, sizeOptions), QString()) << n;
        EXPECT_EQ(setsAgain(boxes.video, videoOptions), QString()) << n;
        EXPECT_EQ(setsAgain(boxes.audio, audioOptions), QString()) << n;
        EXPECT_EQ(setsAgain(boxes.channel, channelOptions), QString()) << n;
    }
}

TEST_F(Selection, SizeListAdditions) {
    ASSERT_TRUE(select(110)); // MPEG-1: the size keep-source entry, selected by default
    EXPECT_EQ(boxes.size.items.last(), Original);
    EXPECT_EQ(boxes.size.currentText(), Original);
    EXPECT_EQ(boxes.video.currentText(), OriginalVideo);
    EXPECT_EQ(boxes.audio.currentText(), OriginalAudio);

    ASSERT_TRUE(select(118)); // ".mp4": no keep-source entries at all
    EXPECT_FALSE(boxes.size.items.contains(Original));
    EXPECT_FALSE(boxes.video.items.contains(OriginalVideo));
    EXPECT_EQ(boxes.video.items.size(), 5);

    ASSERT_TRUE(select(123)); // ".MP4" is not ".mp4": quality keep-source entries, no size one
    EXPECT_FALSE(boxes.size.items.contains(Original));
    EXPECT_EQ(boxes.video.items.last(), OriginalVideo);
    EXPECT_EQ(boxes.audio.items.last(), OriginalAudio);

    ASSERT_TRUE(select(27)); // data-file profile: none
    EXPECT_EQ(boxes.video.items.size(), 5);
    EXPECT_EQ(boxes.audio.items.size(), 5);
    EXPECT_EQ(state.rateSlots[0], QStringLiteral("768")); // highest quality is the last value
    EXPECT_EQ(state.rateSlots[4], QStringLiteral("300"));
}

TEST_F(Selection, DiscTargetsOfferPalAndNtscOnly) {
    ASSERT_TRUE(select(103));
    const auto rateSlots = state.rateSlots;
    ASSERT_TRUE(select(114));
    EXPECT_EQ(boxes.size.items, QStringList({"PAL", "NTSC"}));
    EXPECT_EQ(boxes.size.current, 0);
    EXPECT_TRUE(boxes.size.enabled);
    EXPECT_FALSE(boxes.video.enabled || boxes.audio.enabled || boxes.channel.enabled);
    EXPECT_EQ(state.rateSlots, rateSlots);
    ASSERT_TRUE(select(17));
    ASSERT_TRUE(select(1));
    EXPECT_TRUE(boxes.video.enabled && boxes.audio.enabled && boxes.channel.enabled);
}

TEST_F(Selection, SwitchingFromAudioOnlyToVideo) {
    ASSERT_TRUE(select(17));
    ASSERT_TRUE(select(18)); // a second audio profile adds no second "No Video"
    EXPECT_EQ(boxes.video.items.count(NoVideo), 1);
    EXPECT_EQ(boxes.video.currentText(), NoVideo);
    EXPECT_EQ(state.rateSlots[0], QStringLiteral("*"));

    ASSERT_TRUE(select(27));
    EXPECT_FALSE(boxes.video.items.contains(NoVideo));
    EXPECT_TRUE(boxes.size.enabled && boxes.video.enabled);
    EXPECT_EQ(boxes.video.currentText(), QStringLiteral("Normal"));
    EXPECT_EQ(state.rateSlots[0], QStringLiteral("768"));

    // Through a disc target, which leaves the quality lists alone, to a computed profile.
    ASSERT_TRUE(select(17));
    store->writeInt(QStringLiteral("112"), QStringLiteral("video bitrate"), 2);
    ASSERT_TRUE(select(112));
    EXPECT_EQ(boxes.video.currentText(), QStringLiteral("Normal"));
    ASSERT_TRUE(select(1));
    EXPECT_FALSE(boxes.video.items.contains(NoVideo));
    EXPECT_EQ(boxes.video.items.size(), 6);
    EXPECT_EQ(boxes.video.currentText(), OriginalVideo);
}

TEST_F(Selection, PreviousProfileIsWrittenWithItsKeys) {
    ASSERT_TRUE(select(27));
    boxes.size.current = 2;
    boxes.video.current = 4;
    boxes.audio.current = 1;
    boxes.channel.current = 0;
    ASSERT_TRUE(select(17));
    EXPECT_EQ(store->keys(QStringLiteral("27")),
              QStringList({"size", "video bitrate", "audio bitrate", "Channel"}));
    EXPECT_EQ(store->readInt(QStringLiteral("27"), QStringLiteral("size"), -9), 2);
    EXPECT_EQ(store->readInt(QStringLiteral("27"), QStringLiteral("video bitrate"), -9), 4);
    EXPECT_TRUE(store->keys(QStringLiteral("17")).isEmpty()); // the profile in force: not yet

    boxes.audio.current = 4;
    ASSERT_TRUE(select(27));
    EXPECT_EQ(store->keys(QStringLiteral("17")), QStringList({"audio bitrate", "Channel"}));
    EXPECT_EQ(store->readInt(QStringLiteral("17"), QStringLiteral("audio bitrate"), -9), 4);
    // Back on 27, its remembered choices return.
    EXPECT_EQ(boxes.size.current, 2);
    EXPECT_EQ(boxes.video.current, 4);
    EXPECT_EQ(boxes.audio.current, 1);
    EXPECT_EQ(boxes.channel.current, 0);
}

TEST_F(Selection, StoredIndicesOutOfRangeSelectNothing) {
    store->writeInt(QStringLiteral("27"), QStringLiteral("size"), 3); // the list holds three
    store->writeInt(QStringLiteral("27"), QStringLiteral("video bitrate"), -1);
    store->writeInt(QStringLiteral("27"), QStringLiteral("audio bitrate"), 5);
    store->writeInt(QStringLiteral("27"), QStringLiteral("Channel"), 2);
    ASSERT_TRUE(select(27));
    EXPECT_EQ(boxes.size.current, -1);
    EXPECT_EQ(boxes.video.current, -1);
    EXPECT_EQ(boxes.audio.current, -1);
    EXPECT_EQ(boxes.channel.current, -1);
    // Nothing selected overwrites no stored choice, which again selects nothing.
    ASSERT_TRUE(select(28));
    EXPECT_EQ(store->readInt(QStringLiteral("27"), QStringLiteral("size"), 0), 3);
    EXPECT_EQ(store->readInt(QStringLiteral("27"), QStringLiteral("video bitrate"), 0), -1);
    ASSERT_TRUE(select(27));
    EXPECT_EQ(boxes.size.current, -1);
    // A text that is not a number reads as the default.
    store->writeString(QStringLiteral("28"), QStringLiteral("size"), QStringLiteral("big"));
    ASSERT_TRUE(select(28));
    EXPECT_EQ(boxes.size.current, 0);
}

TEST_F(Selection, UnreadableDataFileKeepsThePreviousProfile) {
    ASSERT_TRUE(select(27));
    boxes.size.current = 1;
    const ParameterBoxStates before = boxes;
    const ProfileState stateBefore = state;
    dataFile = dir.filePath(QStringLiteral("missing.pop"));
    const SelectionOutcome outcome = selectProfile(1, boxes, state, *store, dataFile);
    EXPECT_FALSE(outcome.selected);
    EXPECT_FALSE(outcome.error.isEmpty());
    EXPECT_EQ(state.number, 27);
    EXPECT_EQ(state.rateSlots, stateBefore.rateSlots);
    EXPECT_EQ(boxes.size, before.size);
    EXPECT_EQ(boxes.video, before.video);
    // The previous profile's choices are written all the same.
    EXPECT_EQ(store->readInt(QStringLiteral("27"), QStringLiteral("size"), -9), 1);
}

// A group that is missing, or lacks what a conversion needs, is refused by name; the profile in
// force and every stored choice stay.
TEST_F(Selection, MissingGroupKeepsTheListsButAppliesTheStore) {
    QFile file(dir.filePath(QStringLiteral("short.pop")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1\n320x240 640x480 720x480\n100 200 300 400 500\n-vcodec mpeg4 -acodec aac\n");
    file.close();
    dataFile = file.fileName();
    ASSERT_TRUE(select(1));
    const ParameterBoxStates before = boxes;
    store->writeInt(QStringLiteral("7"), QStringLiteral("size"), 2);
    const SelectionOutcome missing = selectProfile(7, boxes, state, *store, dataFile);
    EXPECT_TRUE(!missing.selected && missing.unusable);
    EXPECT_EQ(missing.error, "The profile \"WMV-Windows Media Video(*.wmv)\" cannot be used: its "
                             "settings in " +
                                 dataFile + " are missing or damaged.");
    EXPECT_EQ(state.number, 1);
    EXPECT_EQ(boxes.size, before.size);
    EXPECT_EQ(store->readInt(QStringLiteral("7"), QStringLiteral("size"), -9), 2);

    const auto lack = [](int profile, const char* sizes, const char* rates, const char* options) {
        return groupLack(profile, {splitEntries(sizes), rates, options});
    };
    const char* encoders = "-vcodec mpeg4 -acodec aac";
    // A height of 0 would make a computed rate "-b 0".
    EXPECT_EQ(lack(2, "0x0 320x240", "1 2 3 4 5", encoders), "frame sizes");
    EXPECT_EQ(lack(2, "320x240", "1", "-acodec aac -vcodec"), "encoder options");
    EXPECT_EQ(lack(27, "320x240", "300 400 500 600", encoders), "video rates");
    EXPECT_EQ(lack(15, "320x240", "*", "-acodec aac"), "encoder options");
    EXPECT_EQ(lack(2, "320x240 480x272(PSP)", "1", encoders), "");
}

TEST_F(Selection, EmptySizeListGetsNoVideo) {
    // The selection refuses such a group for a video profile; the boxes' rule stands.
    ProfileGroup group;
    group.rates = QStringLiteral("100 200 300 400 500");
    applyProfileGroup(1, group, boxes, state);
    EXPECT_EQ(boxes.size.items, QStringList({NoVideo}));
    // One entry and video rates: the video box stays in use.
    EXPECT_TRUE(boxes.video.enabled);
    EXPECT_EQ(state.rateSlots[0], QStringLiteral("500"));
}
