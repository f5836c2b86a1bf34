#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <ftw.h>
#include <gtest/gtest.h>
#include <stdio.h>

namespace vc::test {

QString programDir() {
    return QStringLiteral(VC_TEST_PROGRAM_DIR);
}

QString toolPath() {
    return QDir(programDir()).filePath(QStringLiteral("register.dat"));
}

ProcessResult runProcess(const QString& program, const QStringList& args, int timeoutMs) {
    ProcessResult result;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForStarted(timeoutMs))
        return result;
    result.started = true;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    result.output = process.readAll();
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    return result;
}

QString makeClip(const QString& dir, const QString& fileName, const QStringList& options,
                 double seconds, const QString& size, bool withVideo, bool withAudio) {
    const QString path = QDir(dir).filePath(fileName);
    const QString length = QString::number(seconds);
    QStringList args{"-hide_banner", "-loglevel", "error", "-y"};
    if (withVideo)
        args << "-f"
             << "lavfi"
             << "-i" << QStringLiteral("testsrc=size=%1:rate=25:duration=%2").arg(size, length);
    if (withAudio)
        args << "-f"
             << "lavfi"
             << "-i"
             << QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(length);
    args << options << path;
    const ProcessResult r = runProcess(QStringLiteral("ffmpeg"), args);
    EXPECT_TRUE(r.started && !r.crashed && r.exitCode == 0)
        << "ffmpeg could not make " << fileName.toStdString() << ": " << r.output.toStdString();
    return path;
}

void removeTree(const QByteArray& path) {
    nftw(
        path.constData(),
        [](const char* name, const struct stat*, int, FTW*) {
            ::remove(name); // what is left, QTemporaryDir reports
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

} // namespace vc::test
