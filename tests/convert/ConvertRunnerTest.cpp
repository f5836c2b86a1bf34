#include "convert/ConvertRunner.h"

#include "TestSupport.h"
#include "common/FileNames.h"
#include "convert/Progress.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <sched.h>

using namespace vc;

namespace {

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("VC_FAKE_TOOL_SCRIPT", scriptPath().toLocal8Bit());
        // At idle priority a busy test machine could starve the stand-in tool.
        runner.setIdlePriority(false);
        QObject::connect(&runner, &ConvertRunner::progressed,
                         [this](std::int64_t value, const QString& line) {
                             if (value >= 0)
                                 statuses << progressStatusText(value);
                             if (!line.isEmpty())
                                 reports << line;
                         });
        QObject::connect(&runner, &ConvertRunner::lineDelivered,
                         [this](const QByteArray& l) { lines << l; });
    }
    void TearDown() override {
        qunsetenv("VC_FAKE_TOOL_SCRIPT");
        qunsetenv("VC_FAKE_TOOL_ARGS");
    }
    QString scriptPath() const { return dir.filePath("script.txt"); }
    void script(const QString& text) {
        QFile f(scriptPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }
    intputrec job(int seconds = 100) const {
        intputrec j;
        j.toolpath = QStringLiteral(VC_TEST_FAKE_TOOL);
        j.workdir = dir.path();
        j.infile = "in.avi";
        j.outfile = "out.avi";
        j.seconds = seconds;
        return j;
    }
    RunEnd runToEnd(const intputrec& j, int timeoutMs = 20000) {
        QSignalSpy spy(&runner, &ConvertRunner::ended);
        runner.Launch(j);
        EXPECT_TRUE(spy.wait(timeoutMs));
        EXPECT_EQ(spy.count(), 1);
        return spy.isEmpty() ? RunEnd{} : spy.first().first().value<RunEnd>();
    }

    QTemporaryDir dir;
    ConvertRunner runner;
    QStringList statuses;
    QStringList reports;
    QList<QByteArray> lines;
};

} // namespace

TEST_F(RunnerTest, StatusLinesBecomeProgressWithTheirReports) {
    script("out Input: x\\r\\n\n"
           "out frame=  1 time=12.34 bitrate= 900.0kbits/s\\r\n"
           "sleep 50\n"
           "out frame=  2 time=50.3\n"
           "sleep 50\n"
           "out 4 bitrate= 901.0kbits/s\\r\n"
           "sleep 50\n"
           "out frame=  3 time=101.00 bitrate= 1.0kbits/s\\r\\n\n"
           "exit 0\n");
    const RunEnd end = runToEnd(job(100));
    EXPECT_TRUE(end.started);
    EXPECT_FALSE(end.crashed);
    EXPECT_EQ(end.exitCode, 0);
    // The half-written second report already reads as one, thanks to the old line's tail.
    // Held short of the end while it ran, the run that ended well ends at 100%.
    EXPECT_EQ(statuses, (QStringList{"12.00%", "50.00%", "50.00%", "99.99%", "100.00%"}));
    // Each percentage comes with the report it was read from, as its writer left it on screen.
    EXPECT_EQ(reports, (QStringList{"frame=  1 time=12.34 bitrate= 900.0kbits/s",
                                    "frame=  2 time=50.34 bitrate= 900.0kbits/s",
                                    "frame=  2 time=50.34 bitrate= 901.0kbits/s",
                                    "frame=  3 time=101.00 bitrate= 1.0kbits/ss"}));
    EXPECT_FALSE(runner.running());
    EXPECT_FALSE(runner.active());
}

TEST_F(RunnerTest, ARunPastTheProbedLengthHoldsJustBelowTheEndAndNeverMovesBack) {
    // The header said 10 s; the tool reads on to 14 s, and a second attempt starts over.
    script("out time=9.50 bitrate=1\\r\nsleep 50\n"
           "out time=12.00 bitrate=1\\r\nsleep 50\n"
           "out time=3.00 bitrate=1\\r\nsleep 50\n"
           "out time=14.00 bitrate=1\\r\\n\n");
    runToEnd(job(10));
    EXPECT_EQ(statuses, (QStringList{"90.00%", "99.99%", "99.99%", "99.99%", "100.00%"}));
    runToEnd(job(100)); // the next run starts from nothing
    EXPECT_EQ(statuses.mid(5), (QStringList{"09.00%", "12.00%", "12.00%", "14.00%", "100.00%"}));
}

TEST_F(RunnerTest, EveryLineIsDeliveredBeforeTheEndReport) {
    script("bulk 3000 line of output that is fairly long\\r\\n\nout last words without end");
    QList<QByteArray> seenAtEnd;
    QObject::connect(&runner, &ConvertRunner::ended, [&] { seenAtEnd = lines; });
    runToEnd(job());
    ASSERT_FALSE(seenAtEnd.isEmpty());
    EXPECT_EQ(seenAtEnd.last(), "last words without end");
    EXPECT_EQ(seenAtEnd.count("line of output that is fairly long"), 3000);
}

TEST_F(RunnerTest, ZeroLengthJobShowsNoPercentage) {
    script("out time=5.00 bitrate=1\\r\n");
    runToEnd(job(0));
    EXPECT_TRUE(statuses.isEmpty());
    ASSERT_FALSE(reports.isEmpty());
    EXPECT_EQ(reports.first(), "time=5.00 bitrate=1"); // the report still reaches the hint
}

TEST_F(RunnerTest, ExitStatusAndCrashAreReported) {
    script("exit 7\n");
    RunEnd end = runToEnd(job());
    EXPECT_TRUE(end.started);
    EXPECT_EQ(end.exitCode, 7);
    script("crash\n");
    end = runToEnd(job());
    EXPECT_TRUE(end.started);
    EXPECT_TRUE(end.crashed);
}

TEST_F(RunnerTest, MissingToolEndsAsNotStarted) {
    intputrec j = job();
    j.toolpath = dir.filePath("no such tool");
    const RunEnd end = runToEnd(j);
    EXPECT_FALSE(end.started);
    EXPECT_FALSE(end.error.isEmpty());
    EXPECT_FALSE(runner.running());
}

TEST_F(RunnerTest, OddNamesReachTheToolWhole) {
    const QString argsFile = dir.filePath("args.txt");
    qputenv("VC_FAKE_TOOL_ARGS", argsFile.toLocal8Bit());
    script("exit 0\n");
    intputrec j = job();
    j.infile = "-in put \"q\" $HOME ünï.avi";
    j.outfile = dir.filePath("out 'x'.avi");
    j.abitrate = " -ab 128000";
    runToEnd(j);
    QFile f(argsFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList got = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(got, toolArguments(j));
}

TEST_F(RunnerTest, SuspendResumeAndKillReachTheWholeGroup) {
    const QString childPid = dir.filePath("child.pid");
    script("child " + childPid + "\n" +
           QString("out time=1.00 bitrate=1\\r\nsleep 100\n").repeated(100));
    QSignalSpy ended(&runner, &ConvertRunner::ended);
    runner.Launch(job(100));
    ASSERT_TRUE(QSignalSpy(&runner, &ConvertRunner::lineDelivered).wait(5000));

    runner.Suspend();
    EXPECT_FALSE(runner.running());
    QTest::qWait(300); // let output already in the pipe arrive
    const auto countWhilePaused = lines.size();
    QTest::qWait(500); // nothing is awaited: a paused tool must print nothing meanwhile
    EXPECT_EQ(lines.size(), countWhilePaused);

    runner.Resume();
    EXPECT_TRUE(runner.running());
    EXPECT_TRUE(test::waitUntil([&] { return lines.size() > countWhilePaused; }));

    QFile f(childPid);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t grandchild = f.readAll().trimmed().toInt();
    ASSERT_GT(grandchild, 0);

    runner.Suspend();
    runner.Kill(); // a paused run must still stop
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_TRUE(ended.first().first().value<RunEnd>().crashed);
    // The tool's own child died with it (it may linger briefly as a zombie of init).
    EXPECT_TRUE(test::waitUntil([&] {
        QFile stat(QString("/proc/%1/stat").arg(grandchild));
        return ::kill(grandchild, 0) != 0 || !stat.open(QIODevice::ReadOnly) ||
               stat.readAll().contains(") Z ");
    }));
}

TEST(RunnerGroup, ChildrenRunAloneAtIdlePriorityWithTheirArgumentsExact) {
    QProcess probe;
    // A Latin-1 name: as UTF-8 its byte would reach the child as something else.
    const QByteArray name("caf\xe9 \"x\".mp4");
    startChild(probe, "/bin/sh",
               {"-c", "printf '%s|' \"$1\"; cat /proc/$$/stat", "sh", nameFromBytes(name)},
               ChildPriority::Idle);
    ASSERT_TRUE(probe.waitForStarted(5000));
    const qint64 pid = probe.processId();
    ASSERT_TRUE(probe.waitForFinished(5000));
    QByteArray stat = probe.readAll();
    ASSERT_TRUE(stat.startsWith(name + '|')) << stat.toStdString();
    stat = stat.mid(name.size() + 1);
    // Fields after the command name: state is field 3, pgrp 5, nice 19, policy 41.
    const QList<QByteArray> f = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    ASSERT_GT(f.size(), 38);
    EXPECT_EQ(f[5 - 3].toLongLong(), pid);
    EXPECT_EQ(f[19 - 3].toInt(), 19);
    EXPECT_EQ(f[41 - 3].toInt(), SCHED_OTHER);
}
