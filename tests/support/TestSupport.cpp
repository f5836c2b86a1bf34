#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <fcntl.h>
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

namespace {

void runOrFail(const QString& program, const QStringList& args, const QString& workDir = {}) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!workDir.isEmpty())
        process.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VIDEO_FORMAT"), QStringLiteral("PAL"));
    process.setProcessEnvironment(env);
    process.start(program, args);
    const bool ended = process.waitForFinished(120000);
    EXPECT_TRUE(ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        << program.toStdString() << " failed: " << process.readAll().toStdString();
}

// A title's program stream as the DVD profile writes it, with a tone of its own.
QString profileClip(const QString& dir, const QString& name, double seconds, int tone) {
    const QString source = QDir(dir).filePath(name + QStringLiteral("-source.mkv"));
    runOrFail(
        QStringLiteral("ffmpeg"),
        {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
         QStringLiteral("testsrc=size=160x120:rate=25:duration=%1").arg(seconds), "-f", "lavfi",
         "-i",
         QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=%2").arg(tone).arg(seconds),
         "-c:v", "ffv1", "-c:a", "flac", source});
    const QString vob = QDir(dir).filePath(name + QStringLiteral(".vob"));
    runOrFail(toolPath(), {"-y", "-i", source, "-ac", "2", "-target", "pal-dvd", "-s", "352x288",
                           "-b:v", "600k", "-sn", vob});
    return vob;
}

} // namespace

QString makeTwoLanguageClip(const QString& dir, const QString& fileName, double seconds) {
    const QString srt = QDir(dir).filePath(fileName + QStringLiteral(".srt"));
    QFile text(srt);
    EXPECT_TRUE(text.open(QIODevice::WriteOnly) &&
                text.write("1\n00:00:00,200 --> 00:00:01,800\nHello\n") > 0 && text.flush());
    const QString codecs = fileName.endsWith(QLatin1String(".mkv")) ? "srt -c:s:1 ass" : "mov_text";
    const QString options = QStringLiteral(
        "-map 0:v -map 1:a -map 2:a -map 3 -map 3 -c:v libx264 -c:a aac -c:s %1 -metadata:s:a:0 "
        "language=jpn -metadata:s:a:1 language=eng -metadata:s:s:0 language=eng -metadata:s:s:1 "
        "language=fre -disposition:a:0 default -disposition:a:1 0");
    const QStringList tone{"-f", "lavfi", "-i", QStringLiteral("sine=f=880:d=%1").arg(seconds)};
    return makeClip(dir, fileName, tone + QStringList{"-i", srt} + options.arg(codecs).split(' '),
                    seconds, QStringLiteral("320x240"));
}

QString makePortraitClip(const QString& dir, const QString& fileName) {
    const QString coded =
        makeClip(dir, QStringLiteral("coded-") + fileName,
                 {"-vf", "drawbox=w=iw/2:h=ih:c=white:t=fill,drawbox=x=iw/2:w=iw/2:h=ih:t=fill",
                  "-c:v", "libx264", "-pix_fmt", "yuv420p"},
                 1.0, QStringLiteral("640x360"));
    const QString path = QDir(dir).filePath(fileName);
    runOrFail(QStringLiteral("ffmpeg"),
              {"-v", "error", "-y", "-i", coded, "-c", "copy", "-metadata:s:v", "rotate=90", path});
    return path;
}

QString authorDvd(const QString& dir, const QString& name, const DiscLayout& layout) {
    const QDir work(dir);
    work.mkpath(name + QStringLiteral("-work"));
    const QString parts = work.filePath(name + QStringLiteral("-work"));
    const QDir at(parts);
    const QString first = profileClip(parts, QStringLiteral("first"), layout.firstSeconds, 440);
    const QString second = profileClip(parts, QStringLiteral("second"), layout.secondSeconds, 440);
    const QString third =
        layout.thirdSeconds > 0
            ? QStringLiteral("<pgc><vob file=\"%1\"/></pgc>")
                  .arg(profileClip(parts, QStringLiteral("third"), layout.thirdSeconds, 440))
            : QString();
    const QString other = profileClip(parts, QStringLiteral("other"), layout.firstSeconds, 880);
    const QString both = at.filePath(QStringLiteral("both.mpg"));
    runOrFail(QStringLiteral("ffmpeg"),
              {"-hide_banner", "-loglevel", "error", "-y", "-i", first, "-i", other, "-map", "0:v",
               "-map", "0:a", "-map", "1:a", "-c", "copy", "-f", "dvd", both});

    QFile srt(at.filePath(QStringLiteral("subtitle.srt")));
    EXPECT_TRUE(srt.open(QIODevice::WriteOnly));
    srt.write("1\n00:00:01,000 --> 00:00:03,000\nHELLO WORLD\n");
    srt.close();
    QFile spu(at.filePath(QStringLiteral("subtitle.xml")));
    EXPECT_TRUE(spu.open(QIODevice::WriteOnly));
    spu.write("<subpictures format=\"PAL\"><stream><textsub filename=\"subtitle.srt\" "
              "font=\"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\" fontsize=\"40\" "
              "movie-width=\"352\" movie-height=\"288\" horizontal-alignment=\"center\" "
              "vertical-alignment=\"center\"/></stream></subpictures>");
    spu.close();
    QProcess spumux;
    spumux.setWorkingDirectory(parts);
    spumux.setStandardInputFile(both);
    spumux.setStandardOutputFile(at.filePath(QStringLiteral("subtitled.mpg")));
    spumux.start(QStringLiteral("spumux"), {"-s", "0", "subtitle.xml"});
    EXPECT_TRUE(spumux.waitForFinished(120000) && spumux.exitCode() == 0)
        << spumux.readAllStandardError().toStdString();

    const QString disc = work.filePath(name);
    QFile xml(at.filePath(QStringLiteral("dvd.xml")));
    EXPECT_TRUE(xml.open(QIODevice::WriteOnly));
    const QString lang0 = layout.languages.value(0), lang1 = layout.languages.value(1);
    xml.write(QStringLiteral("<dvdauthor dest=\"%1\"><vmgm/><titleset><titles>"
                             "<video format=\"pal\"/><audio lang=\"%2\"/><audio lang=\"%3\"/>"
                             "<subpicture lang=\"%2\"/>"
                             "<pgc><vob file=\"subtitled.mpg\"/></pgc>"
                             "<pgc><vob file=\"%4\"/></pgc>%5"
                             "</titles></titleset></dvdauthor>")
                  .arg(disc, lang0, lang1, second, third)
                  .toUtf8());
    xml.close();
    runOrFail(QStringLiteral("dvdauthor"), {"-x", "dvd.xml"}, parts);
    return disc;
}

QString makeDvdImage(const QString& discFolder, const QString& isoPath, const QString& volume) {
    runOrFail(QStringLiteral("genisoimage"),
              {"-quiet", "-dvd-video", "-V", volume, "-o", isoPath, discFolder});
    return isoPath;
}

int stalledFile(const QString& path) {
    std::signal(SIGIO, SIG_IGN); // how the lease holder hears of an opener
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    EXPECT_EQ(::fcntl(fd, F_SETLEASE, F_WRLCK), 0) << path.toStdString();
    return fd;
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

bool waitUntil(const std::function<bool()>& done, int limitMs) {
    const QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace vc::test
