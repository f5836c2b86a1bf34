#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace vc::test;

namespace {

// Process state letter from /proc ('R', 'S', 'T', 'Z', ...); 0 once the process is gone.
char stateOf(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() ? text[close + 2] : 0;
}

pid_t childOf(pid_t parent) {
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == parent)
            return pid;
    }
    return 0;
}

bool gone(pid_t pid) {
    const char state = stateOf(pid);
    return state == 0 || state == 'Z' || state == 'X';
}

// An endless real-time conversion started the way the main program starts the tool: in a
// process group of its own.
class ProcessGroupTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QProcess tool;
    pid_t toolPid = 0;
    pid_t ffmpegPid = 0;

    void SetUp() override {
        const QString in = makeClip(dir.path(), "in.avi", {"-c:v", "mpeg4"});
        tool.setChildProcessModifier([] { setpgid(0, 0); });
        tool.start(toolPath(), {"-y", "-re", "-stream_loop", "-1", "-i", in,
                                QDir(dir.path()).filePath("out.avi")});
        ASSERT_TRUE(tool.waitForStarted());
        toolPid = static_cast<pid_t>(tool.processId());
        ASSERT_TRUE(waitUntil([&] { return (ffmpegPid = childOf(toolPid)) != 0; }));
        // Running for real: a status line has arrived.
        ASSERT_TRUE(waitUntil([&] {
            tool.waitForReadyRead(50);
            return tool.peek(1024).contains("time=");
        }));
    }

    void TearDown() override {
        if (toolPid > 0)
            ::kill(-toolPid, SIGKILL);
        tool.waitForFinished();
        if (ffmpegPid > 0 && !gone(ffmpegPid))
            ::kill(ffmpegPid, SIGKILL);
    }
};

TEST_F(ProcessGroupTest, GroupStopContinueAndKillReachFfmpeg) {
    ASSERT_EQ(getpgid(ffmpegPid), toolPid);

    ASSERT_EQ(::kill(-toolPid, SIGSTOP), 0);
    EXPECT_TRUE(waitUntil([&] { return stateOf(toolPid) == 'T' && stateOf(ffmpegPid) == 'T'; }));
    ASSERT_EQ(::kill(-toolPid, SIGCONT), 0);
    EXPECT_TRUE(waitUntil([&] { return stateOf(toolPid) != 'T' && stateOf(ffmpegPid) != 'T'; }));

    ASSERT_EQ(::kill(-toolPid, SIGKILL), 0);
    EXPECT_TRUE(tool.waitForFinished(5000));
    EXPECT_TRUE(waitUntil([&] { return gone(ffmpegPid); }));
}

TEST_F(ProcessGroupTest, FfmpegDiesWithTheTool) {
    ASSERT_EQ(::kill(toolPid, SIGKILL), 0);
    EXPECT_TRUE(tool.waitForFinished(5000));
    EXPECT_TRUE(waitUntil([&] { return gone(ffmpegPid); }));
}

TEST_F(ProcessGroupTest, TerminationLetsFfmpegCloseItsOutput) {
    ASSERT_EQ(::kill(toolPid, SIGTERM), 0);
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(tool.exitCode(), 0);
    EXPECT_TRUE(waitUntil([&] { return gone(ffmpegPid); }));
    const ProcessResult probe =
        runProcess(toolPath(), {"-i", QDir(dir.path()).filePath("out.avi")});
    EXPECT_EQ(probe.exitCode, 0) << probe.output.toStdString();
}

} // namespace
