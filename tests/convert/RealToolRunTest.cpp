// The runner driving the real converter tool on real media.
#include "convert/ConversionLine.h"
#include "convert/ConvertRunner.h"

#include "TestSupport.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace vc;

TEST(RealToolRun, ConvertsAndReportsProgressUpToTheEnd) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = test::makeClip(dir.path(), "my clip ü.mpg", {}, 3.0);
    intputrec job;
    job.toolpath = test::toolPath();
    job.workdir = test::programDir();
    job.infile = source;
    job.outfile = dir.filePath("out \"clip\".avi");
    job.vbitrate = " -r 25 -b 400000";
    job.abitrate = " -ab 128000";
    job.achannels = " -ac 2";
    job.aspect = " -aspect 1.3333";
    job.start = " -ss 00:00:00";
    job.length = " -t 00:00:03";
    job.size = " -s 160x120";
    job.arate = " -ar 44100 ";
    job.seconds = 3;

    ConvertRunner runner;
    runner.setIdlePriority(false); // other tests may keep every core busy
    QList<qint64> values;
    QObject::connect(&runner, &ConvertRunner::progressed,
                     [&](std::int64_t value) { values << value; });
    QSignalSpy ended(&runner, &ConvertRunner::ended);
    runner.Launch(job);
    ASSERT_TRUE(ended.wait(60000));
    const RunEnd end = ended.first().first().value<RunEnd>();
    EXPECT_TRUE(end.started);
    EXPECT_EQ(end.exitCode, 0);
    ASSERT_FALSE(values.isEmpty());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_GE(values.last(), 9000); // whole seconds only, so the last report may trail a little
    EXPECT_GT(QFileInfo(job.outfile).size(), 0);
}

TEST(RealToolRun, AFailedConversionStillEndsWithItsStatus) {
    QTemporaryDir dir;
    intputrec job;
    job.toolpath = test::toolPath();
    job.workdir = test::programDir();
    job.infile = dir.filePath("missing.avi");
    job.outfile = dir.filePath("out.avi");
    job.seconds = 10;
    ConvertRunner runner;
    runner.setIdlePriority(false);
    QSignalSpy ended(&runner, &ConvertRunner::ended);
    runner.Launch(job);
    ASSERT_TRUE(ended.wait(60000));
    const RunEnd end = ended.first().first().value<RunEnd>();
    EXPECT_TRUE(end.started);
    EXPECT_NE(end.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(job.outfile));
}

// The job builder and the tool together, with the lengths the probe gives.
TEST(RealToolRun, WholeItemsConvertToTheirRealEnd) {
    QTemporaryDir dir;
    const auto convert = [&](const QString& in, const ProfileState& profile) {
        const QByteArray probe = test::runProcess(test::toolPath(), {"-i", in}).output;
        const QString probed = QString::fromLatin1(probe.mid(probe.indexOf("Duration: ") + 10, 8));
        const ConversionInputs inputs{.outputFolder = dir.path(),
                                      .title = QFileInfo(in).completeBaseName(),
                                      .path = in,
                                      .source = {probed, "160x120", "", "128"},
                                      .profile = profile,
                                      .choice = {0, "160x120", 2, "Normal", 2, "Normal", 1},
                                      .toEnd = true};
        intputrec job;
        fillJob(job, inputs, lookOnDisk);
        EXPECT_EQ(test::runProcess(test::toolPath(), toolArguments(job)).exitCode, 0);
        // The sound's length, as the source's picture may be longer or shorter.
        return test::runProcess("ffprobe",
                                {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                 "stream=duration", "-of", "csv=p=0", job.outfile})
            .output.trimmed()
            .toDouble();
    };
    const ProfileState mp3{17, ".mp3", {"*", "*", "*", "*", "*"}, "-vn -acodec libmp3lame"};
    const ProfileState mp4{
        4, ".mp4", {"400", "600", "800", "1000", "1200"}, "-vcodec mpeg4 -acodec aac"};

    // Without an index header, loud and then silent: the length guessed is a third of it.
    const QString song = test::makeClip(dir.path(), "song.mp3",
                                        {"-f", "lavfi", "-i",
                                         "anoisesrc=a=0.5:d=20,volume='if(lt(t,2),1,0)':eval=frame",
                                         "-c:a", "libmp3lame", "-q:a", "0", "-write_xing", "0"},
                                        20, {}, false, false);
    EXPECT_NEAR(convert(song, mp3), 20, 0.2);
    // A screen recorder's FLV keeps its first seconds of sound.
    const QString screen =
        test::makeClip(dir.path(), "screen.flv", {"-c:v", "flv", "-c:a", "libmp3lame"}, 4.0);
    EXPECT_NEAR(convert(screen, mp4), 4, 0.2);
}
