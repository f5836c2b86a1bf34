// The runner driving the real converter tool on real media.
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
    QObject::connect(&runner, &ConvertRunner::statusText,
                     [&](const QString&) { values << runner.progress(); });
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
