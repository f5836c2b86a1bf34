#include "cli/BatchOptions.h"
#include "cli/BatchChoices.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfileData.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vc::cli {

namespace {

QString sourceText(const QString& relative) {
    QFile f(QStringLiteral(VC_TEST_SOURCE_DIR "/../") + relative);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QSet<QString> matches(const QString& pattern, const QString& text, int group = 0) {
    QSet<QString> found;
    for (const QRegularExpressionMatch& m : QRegularExpression(pattern).globalMatch(text))
        found << m.captured(group);
    return found;
}

} // namespace

TEST(BatchOptions, TheFirstArgumentAloneChoosesBatchMode) {
    EXPECT_EQ(modeOf({}), Mode::Window);
    EXPECT_EQ(modeOf({"--convert", "a.avi"}), Mode::Convert);
    EXPECT_EQ(modeOf({"--list-profiles"}), Mode::ListProfiles);
    EXPECT_EQ(modeOf({"--help"}), Mode::Help);
    // Anything else is the window's: a file, or a batch word that is not first.
    EXPECT_EQ(modeOf({"a.avi", "--convert"}), Mode::Window);
    EXPECT_EQ(modeOf({"-convert"}), Mode::Window);
}

TEST(BatchOptions, HelpAndVersionAreAnsweredInEveryModeAndTheWindowTakesFiles) {
    EXPECT_EQ(modeOf({"-h"}), Mode::Help);
    EXPECT_EQ(modeOf({"--version", "a.avi"}), Mode::Version);
    EXPECT_EQ(parseArguments({"--convert", "a.avi", "-h"}).options.mode, Mode::Help);
    EXPECT_EQ(parseArguments({"--convert", "--version", "a.avi"}).options.mode, Mode::Version);
    EXPECT_EQ(parseArguments({"a.avi", "-h"}).options.mode, Mode::Help);
    EXPECT_EQ(parseArguments({"a.avi", "--version"}).options.mode, Mode::Version);

    const ParseResult window = parseArguments({"a.avi", "-", "films", "--", "-h", "--x"});
    ASSERT_TRUE(window.ok()) << window.error.toStdString();
    EXPECT_EQ(window.options.mode, Mode::Window);
    EXPECT_EQ(window.options.inputs, (QStringList{"a.avi", "-", "films", "-h", "--x"}));
    EXPECT_TRUE(parseArguments({}).ok());
    // Any other option is refused rather than taken for a file.
    EXPECT_EQ(parseArguments({"a.avi", "-style"}).error, "unknown option -style");
    EXPECT_EQ(parseArguments({"--convert=a.avi"}).error, "unknown option --convert=a.avi");
}

TEST(BatchOptions, TheManPageAndTheReadmeKeepUpWithTheHelp) {
    const QString help = usageLines("VideoConverter").join('\n');
    QString man = sourceText("packaging/videoconverter.1.in");
    man.replace("\\-", "-").remove(QRegularExpression("\\\\f[BIRP]"));
    ASSERT_FALSE(man.isEmpty());

    const QSet<QString> options = matches("(?<![\\w-])--?[a-z][a-z-]*", help);
    EXPECT_GE(options.size(), 13);
    for (const QString& option : options)
        EXPECT_TRUE(man.contains(
            QRegularExpression("(?<![\\w-])" + QRegularExpression::escape(option) + "(?![\\w-])")))
            << option.toStdString();

    const QSet<QString> statuses = matches("\\b\\d+\\b", help.mid(help.indexOf("Exit status")));
    EXPECT_GE(statuses.size(), 4);
    const qsizetype manSection = man.indexOf(".SH EXIT STATUS");
    ASSERT_GE(manSection, 0);
    EXPECT_EQ(
        matches("\\b\\d+\\b", man.mid(manSection, man.indexOf(".SH", manSection + 1) - manSection)),
        statuses);
    const QString readme = sourceText("README.md");
    const qsizetype table = readme.indexOf("| Exit status |");
    ASSERT_GE(table, 0);
    EXPECT_EQ(matches("`(\\d+)`", readme.mid(table, readme.indexOf("\n\n", table) - table), 1),
              statuses);
}

TEST(BatchOptions, ReadsEveryOptionInBothForms) {
    const ParseResult r = parseArguments(
        {"--convert", "--profile", "MP4 - MPEG4 Video Excellent(*.mp4)", "--size=640x480",
         "--video-quality", "Normal", "--audio-quality=0", "--channels", "MONO", "--cut",
         "00:00:10-00:01:00", "--output=out dir", "--verbose", "a.avi", "--", "--odd name.avi"});
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    const Options& o = r.options;
    EXPECT_EQ(o.mode, Mode::Convert);
    EXPECT_EQ(o.profile, "MP4 - MPEG4 Video Excellent(*.mp4)");
    EXPECT_EQ(o.size, "640x480");
    EXPECT_EQ(o.videoQuality, "Normal");
    EXPECT_EQ(o.audioQuality, "0");
    EXPECT_EQ(o.channel, 0);
    ASSERT_TRUE(o.cut);
    EXPECT_EQ(o.cut->begin, 10);
    EXPECT_EQ(o.cut->end, 60);
    EXPECT_EQ(o.output, "out dir");
    EXPECT_TRUE(o.verbose);
    EXPECT_EQ(o.inputs, (QStringList{"a.avi", "--odd name.avi"}));

    // A later value replaces an earlier one; --help anywhere asks for help.
    EXPECT_EQ(parseArguments({"--convert", "--channels", "mono", "--channels=Stereo", "a"})
                  .options.channel,
              1);
    EXPECT_EQ(parseArguments({"--convert", "a", "--help"}).options.mode, Mode::Help);
}

TEST(BatchOptions, RefusesWhatCannotBeMeant) {
    const auto error = [](const QStringList& args) {
        return parseArguments(args).error.toStdString();
    };
    EXPECT_NE(error({"--convert"}).find("no files"), std::string::npos);
    EXPECT_NE(error({"--convert", "--verbose"}).find("no files"), std::string::npos);
    EXPECT_NE(error({"--convert", "--bogus", "a"}).find("unknown option --bogus"),
              std::string::npos);
    EXPECT_NE(error({"--convert", "a", "--profile"}).find("--profile needs a value"),
              std::string::npos);
    EXPECT_NE(error({"--convert", "--output=", "a"}).find("--output needs a value"),
              std::string::npos);
    EXPECT_NE(error({"--convert", "--channels", "5.1", "a"}).find("mono or stereo"),
              std::string::npos);
    EXPECT_NE(error({"--list-profiles", "extra"}).find("no further"), std::string::npos);
    for (const char* cut : {"10-60", "00:00:60-00:01:00", "00:01:00-00:00:10", "00:00:10-00:00:10",
                            "00:00:10", "0:00:10-00:00:20", "00:00:10-00:00:20-00:00:30",
                            "999999:00:00-999999:00:01", "100:00:00-100:00:01"})
        EXPECT_NE(error({"--convert", "--cut", cut, "a"}).find("--cut"), std::string::npos) << cut;
}

TEST(BatchChoices, FindsProfilesByNumberOrExactName) {
    EXPECT_EQ(findProfile("120").number, 120);
    EXPECT_EQ(findProfile("MP4 - MPEG4 Video Excellent(*.mp4)").number, 120);
    EXPECT_EQ(findProfile("iPod(320×240)MPEG-4 Codec(*.mp4)").number, 27);
    EXPECT_EQ(findProfile("137").number, 137);
    EXPECT_EQ(findProfile("WebM - AV1 Video(*.webm)").number, 137);
    // Names are exact: case and blanks count.
    EXPECT_FALSE(findProfile("mp4 - mpeg4 video excellent(*.mp4)").error.isEmpty());
    // Numbers without a profile: fillers, 0, out of range.
    for (const char* n : {"26", "0", "140", "132"})
        EXPECT_FALSE(findProfile(n).error.isEmpty()) << n;
    // Shared names go to the profile the picker selects; 13 only shows the name.
    EXPECT_EQ(findProfile("RM-Real Video(*.rm)").number, 6);
    // Two selectable profiles of one name need their number.
    const ProfileLookup wmv = findProfile("WMV-Windows Media Video(*.wmv)");
    EXPECT_EQ(wmv.number, 0);
    EXPECT_NE(wmv.error.indexOf("7, 81"), -1) << wmv.error.toStdString();
}

// The boxes of a profile as the window fills them from the shipped data file.
ParameterBoxStates boxesOf(int profile) {
    const ProfileGroupRead read = readProfileGroup(profileDataPath(test::programDir()), profile);
    EXPECT_EQ(read.status, ProfileGroupRead::Status::Ok);
    ParameterBoxStates boxes = initialBoxStates();
    ProfileState state;
    applyProfileGroup(profile, read.group, boxes, state);
    return boxes;
}

TEST(BatchChoices, ChoosesBoxEntriesByIndexTextOrKeepSource) {
    ParameterBoxStates boxes = boxesOf(102); // AVI: sizes, and keep-source entries
    const QStringList sizes = boxes.size.items;
    ASSERT_GT(sizes.size(), 3);
    EXPECT_EQ(chooseEntry(boxes.size, sizes[1], "frame size"), "");
    EXPECT_EQ(boxes.size.current, 1);
    EXPECT_EQ(chooseEntry(boxes.size, "Original", "frame size"), "");
    EXPECT_EQ(boxes.size.currentText(), OriginalSizeEntry);
    EXPECT_EQ(chooseEntry(boxes.video, "lower quality", "video quality"), "");
    EXPECT_EQ(boxes.video.current, 4);
    EXPECT_EQ(chooseEntry(boxes.video, "original", "video quality"), "");
    EXPECT_EQ(boxes.video.currentText(), OriginalVideoEntry);
    EXPECT_EQ(chooseEntry(boxes.audio, "5", "audio quality"), "");
    EXPECT_EQ(boxes.audio.currentText(), OriginalAudioEntry);

    // A refusal names what is offered and leaves the choice as it was.
    const QString refused = chooseEntry(boxes.size, "99", "frame size");
    EXPECT_NE(refused.indexOf("0 \"" + sizes[0] + "\""), -1) << refused.toStdString();
    EXPECT_EQ(boxes.size.currentText(), OriginalSizeEntry);

    // An entry with a bracketed comment answers to its size alone.
    BoxState commented{{"320x240(QVGA)", "640x480(VGA)"}, 0, true};
    EXPECT_EQ(chooseEntry(commented, "640x480", "frame size"), "");
    EXPECT_EQ(commented.current, 1);

    // ".mp4" profiles keep no source values.
    ParameterBoxStates mp4 = boxesOf(120);
    EXPECT_FALSE(chooseEntry(mp4.video, "original", "video quality").isEmpty());
    EXPECT_FALSE(chooseEntry(mp4.video, "5", "video quality").isEmpty());
}

TEST(BatchChoices, BoxesTheProfileDisablesRefuseEveryChoice) {
    Options audioOnly;
    audioOnly.size = "0";
    ParameterBoxStates mp3 = boxesOf(17);
    EXPECT_NE(applyBoxOptions(audioOnly, mp3).indexOf("no frame size"), -1);
    audioOnly.size.reset();
    audioOnly.videoQuality = "Normal";
    EXPECT_NE(applyBoxOptions(audioOnly, mp3).indexOf("no video quality"), -1);
    audioOnly.videoQuality.reset();
    audioOnly.audioQuality = "Lower Quality";
    audioOnly.channel = 0;
    EXPECT_EQ(applyBoxOptions(audioOnly, mp3), "");
    EXPECT_EQ(mp3.audio.current, 4);
    EXPECT_EQ(mp3.channel.current, 0);

    Options dvd;
    dvd.size = "NTSC";
    ParameterBoxStates disc = boxesOf(114);
    EXPECT_EQ(applyBoxOptions(dvd, disc), "");
    EXPECT_EQ(disc.size.currentText(), "NTSC");
    dvd.channel = 0;
    EXPECT_NE(applyBoxOptions(dvd, disc).indexOf("no channels"), -1);

    Options lossless;
    lossless.audioQuality = "Normal";
    ParameterBoxStates flac = boxesOf(139);
    EXPECT_NE(applyBoxOptions(lossless, flac).indexOf("no audio quality"), -1);
}

TEST(BatchChoices, ListsEveryProfileWithItsSizes) {
    const ProfileListing listing = listProfiles(profileDataPath(test::programDir()));
    ASSERT_TRUE(listing.error.isEmpty());
    ASSERT_EQ(listing.rows.size(), 127);
    EXPECT_EQ(listing.rows.first().value(0), "1");
    EXPECT_TRUE(listing.rows.contains(
        QStringList{"114", "Video", "DVD - MPEG2 PS Format(*.vob)", ".vob", "PAL, NTSC"}));
    EXPECT_TRUE(listing.rows.contains(
        QStringList{"17", "Audio", "MP3-MPEG Layer-3Audio(*.mp3)", ".mp3", "-"}));
    EXPECT_TRUE(listing.rows.contains(
        QStringList{"139", "Modern", "FLAC - Lossless Audio(*.flac)", ".flac", "-"}));
    EXPECT_EQ(listing.rows.value(listing.rows.size() - 3).value(4),
              "426x240, 640x360, 854x480, 1280x720, 1920x1080, 2560x1440, 3840x2160, The original "
              "width and height");
    for (const QStringList& fields : listing.rows) {
        ASSERT_EQ(fields.size(), 5) << fields.join(' ').toStdString();
        EXPECT_FALSE(fields[1].isEmpty()) << fields.join(' ').toStdString();
        EXPECT_EQ(fields[3], profileExtension(fields[0].toInt()));
    }

    QTemporaryDir empty;
    EXPECT_FALSE(listProfiles(QDir(empty.path()).filePath("profiles.pop")).error.isEmpty());
}

} // namespace vc::cli

namespace vc::cli {

// A Slurm task without processor binding, or a container with a CPU quota, must not run a
// conversion per processor of the whole machine.
TEST(BatchOptions, TheDefaultJobsAreTheSchedulersShare) {
    EXPECT_EQ(processorShare(16, {}, {}), 16);
    EXPECT_EQ(processorShare(16, "1", {}), 1);
    EXPECT_EQ(processorShare(4, "8", {}), 4);
    EXPECT_EQ(processorShare(16, "junk", {"max 100000\n"}), 16);
    EXPECT_EQ(processorShare(16, {}, {"max 100000\n", "150000 100000\n"}), 2);
    EXPECT_EQ(processorShare(16, "3", {"50000 100000"}), 1);
    EXPECT_EQ(processorShare(0, {}, {}), 1);
}

} // namespace vc::cli
