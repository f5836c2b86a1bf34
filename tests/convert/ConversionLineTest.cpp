#include "convert/ConversionLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vc;

namespace {

ConversionInputs aviInputs() {
    ConversionInputs in;
    in.outputFolder = "/home/u/out";
    in.title = "clip one";
    in.path = "/home/u/My Videos/clip one.mpg";
    in.source = {"00:01:30", "320x240", "1150", "224"};
    in.profile.number = 102;
    in.profile.extension = ".avi";
    in.choice = {0, "640x480", 5, "The Original Video Quliay", 2, "Normal", 1};
    in.source.videobit = "872";
    return in;
}

const auto none = [](const QString&) {
    return NameClaim::Free;
};

} // namespace

TEST(ConversionLine, TheWorkedExampleGivesTheExactLine) {
    intputrec job;
    job.toolpath = "/opt/vc/register.dat";
    fillJob(job, aviInputs(), none);
    EXPECT_EQ(commandLine(job),
              "/opt/vc/register.dat -y  -i \"/home/u/My Videos/clip one.mpg\""
              " -r 25 -b 872000 -ab 128000 -ac 2 -aspect 1.3333 -ss 00:00:00"
              " -t 00:01:30 -s 640x480  -ar 44100  -sn \"/home/u/out/clip one.avi\"");
    EXPECT_EQ(job.seconds, 90);
}

TEST(ConversionLine, OutputNamesAvoidExistingFiles) {
    QSet<QString> taken{"/o/holiday.part1.mp4"};
    const auto exists = [&](const QString& f) {
        return taken.contains(f) ? NameClaim::Taken : NameClaim::Free;
    };
    // Dotted titles keep every part: episodes and dates must not share one short name.
    EXPECT_EQ(outputFileName("/o/", "Show.S01E01", ".mp3", exists), "/o/Show.S01E01.mp3");
    EXPECT_EQ(outputFileName("/o/", "2023.06.01 Beach", ".mp4", exists), "/o/2023.06.01 Beach.mp4");
    EXPECT_EQ(outputFileName("/o/", "Mr. Jones", ".mp3", exists), "/o/Mr. Jones.mp3");
    EXPECT_EQ(outputFileName("/o/", "holiday.part1", ".mp4", exists), "/o/holiday.part1_1.mp4");
    taken << "/o/holiday.part1_1.mp4";
    EXPECT_EQ(outputFileName("/o/", "holiday.part1", ".mp4", exists), "/o/holiday.part1_2.mp4");
    EXPECT_EQ(outputFileName("/o/", "noext", ".MP4", exists), "/o/noext.MP4");
    // A renamed title cannot lead the output elsewhere.
    for (const char* title : {"../../etc/x", "..", "a\\b", "/abs/path"}) {
        const QString name = outputFileName("/o/", title, ".avi", exists);
        EXPECT_TRUE(name.startsWith("/o/")) << title;
        EXPECT_FALSE(name.mid(3).contains('/') || name.mid(3).contains('\\')) << title;
        EXPECT_NE(name, "/o/..avi");
    }
    EXPECT_EQ(jobFolder("/o/"), "/o/");
    EXPECT_EQ(jobFolder("/o"), "/o/");
}

TEST(ConversionLine, AspectTextKeepsFiveSignificantDigits) {
    EXPECT_EQ(aspectText("640x480"), "1.3333");
    EXPECT_EQ(aspectText("1920x1080"), "1.7778");
    EXPECT_EQ(aspectText("1280x10"), "128.00");
    EXPECT_EQ(aspectText("PAL"), "");
    EXPECT_EQ(aspectText("640x0"), "");
}

TEST(ConversionLine, AudioRatesPickTheirSampleRate) {
    ConversionInputs in = aviInputs();
    const std::pair<int, const char*> cases[] = {{0, " -ar 48000 "},
                                                 {1, " -ar 44100 "},
                                                 {2, " -ar 44100 "},
                                                 {3, " -ar 22050 "},
                                                 {4, " -ar 22050 "}};
    for (const auto& [level, rate] : cases) {
        in.choice.audioIndex = level;
        in.choice.audioText = QualityLevelNames[static_cast<std::size_t>(level)];
        intputrec job;
        fillJob(job, in, none);
        EXPECT_EQ(job.arate, rate) << level;
    }
}

TEST(ConversionLine, NarrowBandDiscTargetsAndCuts) {
    ConversionInputs in = aviInputs();
    in.profile.number = 69;
    in.profile.extension = ".3gp";
    in.profile.rateSlots = {"100", "90", "80", "70", "60"};
    in.choice.videoIndex = 1;
    in.choice.channelIndex = 1;
    intputrec job;
    fillJob(job, in, none);
    EXPECT_EQ(job.abitrate, " -ab 7400");
    EXPECT_EQ(job.arate, " -ar 8000 ");
    EXPECT_EQ(job.achannels, " -ac 1 ");
    EXPECT_EQ(job.vbitrate, " -r 25 -b 90000");

    in = aviInputs();
    in.choice.channelIndex = 0;
    fillJob(job, in, none);
    EXPECT_EQ(job.achannels, " -ac 1"); // no trailing blank outside narrow-band outputs

    in.profile.number = 114;
    in.profile.extension = ".vob";
    in.choice.sizeText = "PAL";
    in.cutbegin = 10;
    in.source.duration = "00:00:50";
    fillJob(job, in, none);
    EXPECT_TRUE(job.size.isEmpty());
    EXPECT_TRUE(job.aspect.isEmpty());
    EXPECT_TRUE(job.vbitrate.isEmpty());
    EXPECT_TRUE(job.abitrate.isEmpty());
    EXPECT_TRUE(job.arate.isEmpty());
    EXPECT_EQ(job.extra, " -target pal-dvd ");
    EXPECT_EQ(job.start, " -ss 00:00:10");
    EXPECT_EQ(job.length, " -t 00:00:50");
}

TEST(ConversionLine, SizeBoxRules) {
    ConversionInputs in = aviInputs();
    in.choice.sizeText = "320x240(QVGA)";
    intputrec job;
    fillJob(job, in, none);
    EXPECT_EQ(job.size, " -s 320x240");
    EXPECT_EQ(job.aspect, " -aspect 1.3333");
    in.choice.sizeText = "The original width and height";
    fillJob(job, in, none);
    EXPECT_EQ(job.size, " -s 320x240"); // the source's own size
    in.sizeEnabled = false;
    fillJob(job, in, none);
    EXPECT_TRUE(job.size.isEmpty());
    EXPECT_TRUE(job.aspect.isEmpty());
}

TEST(ConversionLine, APartRunningToTheEndKeepsItsLastFraction) {
    // A whole item asks for neither start nor length: the tool reads to the real end.
    ConversionInputs in = aviInputs();
    in.toEnd = true;
    intputrec job;
    fillJob(job, in, none);
    EXPECT_EQ(job.start, "");
    EXPECT_EQ(job.length, "");
    EXPECT_EQ(job.seconds, 90);
    EXPECT_FALSE(commandLine(job).contains(" -t ")) << commandLine(job).toStdString();
    in.source.duration = "N/A, sta"; // no known length
    fillJob(job, in, none);
    EXPECT_EQ(job.length, "");
    EXPECT_EQ(job.seconds, 0);
    // A cut to the end starts where it begins and has no length either.
    in.cutbegin = 40;
    in.source.duration = "00:00:50";
    fillJob(job, in, none);
    EXPECT_EQ(job.start, " -ss 00:00:40");
    EXPECT_EQ(job.length, "");
    EXPECT_EQ(job.seconds, 50);
    // A cut that ends before the end keeps its whole seconds.
    in.toEnd = false;
    fillJob(job, in, none);
    EXPECT_EQ(job.start, " -ss 00:00:40");
    EXPECT_EQ(job.length, " -t 00:00:50");
    EXPECT_EQ(job.seconds, 50);
}

TEST(ConversionLine, OutputNamesPassOverEveryEntryAndMakeNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = jobFolder(dir.path());
    const QString elsewhere = dir.filePath("elsewhere");
    ASSERT_TRUE(QDir().mkdir(elsewhere));
    // Entries of every kind take their names, a dangling link most of all.
    ASSERT_TRUE(QFile::link(elsewhere + "/target.avi", folder + "clip.avi"));
    ASSERT_TRUE(QDir().mkdir(folder + "clip_1.avi"));
    EXPECT_EQ(outputFileName(folder, "clip", ".avi", lookOnDisk), folder + "clip_2.avi");
    // Only the tool makes the file, once the run keeps it: a dead run leaves no name taken.
    EXPECT_FALSE(QFileInfo::exists(folder + "clip_2.avi"));
    EXPECT_FALSE(QFileInfo::exists(elsewhere + "/target.avi"));
    EXPECT_EQ(outputFileName(folder + "gone/", "clip", ".avi", lookOnDisk),
              folder + "gone/clip.avi");
    EXPECT_FALSE(QFileInfo::exists(folder + "gone"));
}

// The newer formats keep the source's frame rate (the tool caps it), the others their 25 fps.
TEST(ConversionLine, NewerFormatsKeepTheSourcesFrameRate) {
    ConversionInputs in = aviInputs();
    intputrec job;
    for (const int number : {102, 133, 137, 14}) {
        in.profile.number = number;
        fillJob(job, in, none);
        EXPECT_EQ(job.vbitrate, number < 133 ? " -r 25 -b 872000" : " -b 872000") << number;
    }
}
