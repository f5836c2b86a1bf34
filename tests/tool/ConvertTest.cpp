#include "TestSupport.h"
#include "ToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <tuple>
#include <unistd.h>

using namespace vc::test;

namespace {

class ConvertTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    QString clip(const QString& name, double seconds = 1.0) {
        return makeClip(dir.path(), name, {"-c:v", "mpeg4", "-c:a", "libmp3lame"}, seconds);
    }

    ProbeReading probe(const QString& file) {
        const ToolRun run = runTool({"-i", file});
        EXPECT_EQ(run.exitCode, 0) << file.toStdString() << ": " << run.out.toStdString();
        return readProbe(run.out.toStdString());
    }

    // A clip of one flat colour from a lavfi source, so that bars can be told from picture.
    QString solid(const QString& name, const QString& source) {
        return makeClip(dir.path(), name, {"-f", "lavfi", "-i", source, "-t", "0.4"}, 0.4, {},
                        false, false);
    }

    // "320,240,4:3" for the first video stream.
    static std::string frameShape(const QString& file) {
        const ProcessResult r =
            runProcess("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                   "stream=width,height,display_aspect_ratio", "-of",
                                   "default=nw=1:nk=1", file});
        return r.output.trimmed().replace('\n', ',').toStdString();
    }

    // The first frame's brightness, one byte a pixel, rows of `width`.
    static QByteArray grayFrame(const QString& file) {
        return runProcess("ffmpeg", {"-v", "error", "-i", file, "-frames:v", "1", "-f", "rawvideo",
                                     "-pix_fmt", "gray", "-"})
            .output;
    }

    // The length ffprobe reads, of the file or of one stream ("a:0").
    static double seconds(const QString& file, const QString& stream = {}) {
        const QStringList which =
            stream.isEmpty()
                ? QStringList{"-show_entries", "format=duration"}
                : QStringList{"-select_streams", stream, "-show_entries", "stream=duration"};
        return runProcess("ffprobe", QStringList{"-v", "error", "-of", "csv=p=0", file} + which)
            .output.trimmed()
            .toDouble();
    }

    static std::string lastLine(const QByteArray& out) {
        const QList<QByteArray> lines = out.trimmed().split('\n');
        return lines.isEmpty() ? std::string() : lines.back().trimmed().toStdString();
    }

    static void expectStatusLines(const ToolRun& run, double length) {
        const std::string out = run.out.toStdString();
        const std::vector<double> times = reportedTimes(out);
        ASSERT_FALSE(times.empty()) << out;
        for (std::size_t i = 0; i < times.size(); ++i) {
            EXPECT_GE(times[i], 0.0) << "unreadable time report in: " << out;
            if (i > 0) {
                EXPECT_GE(times[i], times[i - 1]) << out;
            }
        }
        EXPECT_NEAR(times.back(), length, 0.15) << out;
        // Status lines are redrawn in place: CR only, with a final line feed before the line
        // that names the output.
        const std::size_t named = out.rfind("\r\nOutput file: ");
        ASSERT_NE(named, std::string::npos) << out;
        EXPECT_EQ(out.find("\r\n"), named) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    }
};

TEST_F(ConvertTest, ClassicCallConvertsAndReportsProgress) {
    // Real-time reading stretches the run so that several reports arrive.
    const QString in = clip("in.avi", 2.0);
    const QString out = path("out.avi");
    const ToolRun run =
        runTool({"-y",  "-re",      "-i",  in,        "-r",      "25",     "-b",  "300000",
                 "-ab", "64000",    "-ac", "2",       "-aspect", "1.3333", "-ss", "00:00:00",
                 "-t",  "00:00:02", "-s",  "176x144", "-ar",     "22050",  "-sn", out});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    expectStatusLines(run, 2.0); // a finished run has done all it was asked for
    EXPECT_GE(reportedTimes(run.out.toStdString()).size(), 3u) << run.out.toStdString();
    EXPECT_EQ(run.out.toStdString().find("time=00:"), std::string::npos);

    const ProbeReading r = probe(out);
    EXPECT_EQ(r.duration, "00:00:02");
    EXPECT_EQ(r.resolution, "176x144");
    EXPECT_EQ(r.sample, " 22050 Hz");
    EXPECT_EQ(r.channels, " stereo");
}

TEST_F(ConvertTest, CutStartAndLengthAreHonoured) {
    const QString in = clip("in.avi", 2.0);
    const QString out = path("cut.mp4");
    const ToolRun run = runTool({"-y", "-i", in, "-ss", "00:00:01", "-t", "0.5", "-vcodec",
                                 "libx264", "-acodec", "aac", out});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    expectStatusLines(run, 0.5);
    const std::string duration = probe(out).duration;
    EXPECT_EQ(duration, "00:00:00");
}

TEST_F(ConvertTest, AFinishedRunReportsTheWholeLengthAskedFor) {
    // The last packet starts short of the end; the progress must still reach the full length.
    const QString in = clip("in.avi", 6.0);
    const ToolRun cut = runTool({"-y", "-i", in, "-ss", "00:00:01", "-t", "00:00:04", "-ab",
                                 "128000", "-ar", "44100", path("cut.asf")});
    EXPECT_EQ(cut.exitCode, 0) << cut.err.toStdString();
    EXPECT_DOUBLE_EQ(reportedTimes(cut.out.toStdString()).back(), 4.0) << cut.out.toStdString();

    // A whole item is read to its end: the progress ends at the length converted, here the
    // sound's, which ends a second before the picture does.
    const QString uneven = makeClip(
        dir.path(), "uneven.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame", "-af", "atrim=0:1"}, 2.0);
    const ToolRun item = runTool({"-y", "-i", uneven, "-vn", path("item.mp3")});
    EXPECT_EQ(item.exitCode, 0) << item.err.toStdString();
    EXPECT_NEAR(reportedTimes(item.out.toStdString()).back(), 1.0, 0.1) << item.out.toStdString();

    // Without a frame rate ffmpeg's own last time stands.
    const ToolRun whole = runTool({"-y", "-i", in, "-an", path("whole.avi")});
    EXPECT_EQ(whole.exitCode, 0) << whole.err.toStdString();
    const double last = reportedTimes(whole.out.toStdString()).back();
    EXPECT_GT(last, 5.8) << whole.out.toStdString();
    EXPECT_LE(last, 6.1) << whole.out.toStdString();

    // A run that fails claims nothing it did not do.
    const ToolRun failed =
        runTool({"-y", "-i", in, "-t", "00:00:04", "-vcodec", "nothing", path("failed.avi")});
    EXPECT_NE(failed.exitCode, 0);
    const std::vector<double> times = reportedTimes(failed.out.toStdString());
    EXPECT_TRUE(times.empty() || times.back() < 4.0) << failed.out.toStdString();
}

TEST_F(ConvertTest, RawStreamsWithoutLengthOrSeekingConvertWholeAndCut) {
    const QString h264 = makeClip(dir.path(), "camera.h264", {"-c:v", "libx264", "-f", "h264"}, 2.0,
                                  "160x120", true, false);
    const QString mjpg = makeClip(dir.path(), "webcam.mjpg", {"-c:v", "mjpeg", "-f", "mjpeg"}, 2.0,
                                  "160x120", true, false);
    for (const QString& in : {h264, mjpg}) {
        const std::string name = QFileInfo(in).fileName().toStdString();
        const ProbeReading r = probe(in);
        EXPECT_EQ(r.duration, "00:00:02") << name;
        EXPECT_FALSE(r.bitrate.empty()) << name;
        const ToolRun whole =
            runTool({"-y", "-i", in, "-vcodec", "mpeg4", path(QFileInfo(in).baseName() + ".avi")});
        EXPECT_EQ(whole.exitCode, 0) << name << whole.err.toStdString();
        EXPECT_NEAR(seconds(path(QFileInfo(in).baseName() + ".avi")), 2.0, 0.1) << name;
    }
    const ToolRun cut = runTool(
        {"-y", "-i", h264, "-ss", "00:00:01", "-t", "0.5", "-vcodec", "mpeg4", path("cut.avi")});
    EXPECT_EQ(cut.exitCode, 0) << cut.err.toStdString();
    EXPECT_NEAR(seconds(path("cut.avi")), 0.5, 0.1);

    // ffmpeg ends well having written no frame: that is no conversion.
    const ToolRun past = runTool({"-y", "-i", clip("short.avi"), "-ss", "00:00:05", "-t", "1",
                                  "-vcodec", "mpeg4", path("past.avi")});
    EXPECT_NE(past.exitCode, 0);
    EXPECT_EQ(lastLine(past.out), "Nothing in short.avi could be converted.")
        << past.out.toStdString();
}

// FLV and MPEG transport streams seek by their timestamps: ffmpeg may land past the start, or
// lose the sound after it.
TEST_F(ConvertTest, CutsStartExactlyWhereTheContainerSeeksPoorly) {
    // The picture's brightness tells its time, modulo 6 s.
    const QString picture =
        "color=s=160x120:d=16,format=yuv420p,geq=lum='16+mod(T,6)*35':cb=128:cr=128";
    const QStringList source{"-f", "lavfi", "-i", picture, "-f", "lavfi", "-i", "sine=d=16"};
    const auto made = [&](const QString& name, const QStringList& codecs) {
        return makeClip(dir.path(), name, source + codecs, 16, {}, false, false);
    };
    const QString recording = made("recording.ts", {"-c:v", "libx264", "-g", "250", "-c:a", "aac"});
    const QString screen = made("screen.flv", {"-c:v", "flv", "-c:a", "libmp3lame"});
    for (const auto& [in, start, time] : {std::tuple{recording, "12.3", 0.3},
                                          {screen, "00:00:00", 0.0},
                                          {screen, "00:00:13", 1.0}}) {
        const QString out = path(QFileInfo(in).baseName() + start + ".mp4");
        const ToolRun run = runTool(
            {"-y", "-i", in, "-ss", start, "-t", "3", "-vcodec", "libx264", "-acodec", "aac", out});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QByteArray gray = grayFrame(out);
        const double shown = gray.isEmpty() ? -1 : static_cast<unsigned char>(gray[0]) / 40.76;
        EXPECT_NEAR(shown, time, 0.12) << out.toStdString();
        EXPECT_NEAR(seconds(out, "a:0"), 3, 0.1) << out.toStdString();
    }
}

// ffmpeg ending well is not enough: the output must hold what was asked, or the run fails
// with a sentence as the tool's last line; a failed run ends on ffmpeg's words.
TEST_F(ConvertTest, ARunIsJudgedByWhatItWrote) {
    const QString silent =
        makeClip(dir.path(), "silent film.avi", {"-c:v", "mpeg4"}, 1.0, "160x120", true, false);
    ToolRun run = runTool({"-y", "-i", silent, "-vn", "-acodec", "libmp3lame", path("a.mp3")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(lastLine(run.out), "silent film.avi has no sound to convert to an audio format.");

    const QString in = clip("in.avi", 2.0);
    run = runTool({"-y", "-i", in, "-ss", "1", "-t", "5", path("short.avi")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(lastLine(run.out), "Only 1.0 of the 5.0 seconds asked of in.avi could be converted.");
}

// An output carries its name only once the run keeps it: a stopped run keeps a file that
// plays, a killed or failed one leaves nothing, and a name taken meanwhile (by another run,
// or by a link someone put there) gives the next free one, never written through.
TEST_F(ConvertTest, AnOutputIsNamedOnlyWhenKept) {
    const QString in =
        makeClip(dir.path(), "long.mkv", {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"},
                 20.0, "320x240");
    ASSERT_TRUE(QDir().mkdir(path("out")));
    const auto started = [&](QProcess& tool, const QString& name, const QStringList& more = {}) {
        tool.start(toolPath(),
                   QStringList{"-y", "-i", in} + more +
                       QStringList{"-vcodec", "libx264", "-acodec", "aac", path("out/" + name)});
        QByteArray out;
        while (!out.contains("time=") && tool.waitForReadyRead(20000))
            out += tool.readAllStandardOutput();
        return out.contains("time=");
    };
    const auto plays = [](const QString& file) {
        return QFileInfo(file).size() > 0 &&
               runProcess("ffmpeg", {"-v", "error", "-i", file, "-f", "null", "-"})
                   .output.isEmpty();
    };

    QProcess stopped;
    ASSERT_TRUE(started(stopped, "stopped.mp4"));
    ::kill(static_cast<pid_t>(stopped.processId()), SIGTERM);
    ASSERT_TRUE(stopped.waitForFinished(20000));
    EXPECT_TRUE(stopped.readAllStandardOutput().contains("Output file: " +
                                                         path("out/stopped.mp4").toUtf8()));
    EXPECT_TRUE(plays(path("out/stopped.mp4")));

    QProcess killed;
    ASSERT_TRUE(started(killed, "killed.mp4"));
    ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(20000));

    QFile mine(path("mine"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();
    QProcess first, second;
    ASSERT_TRUE(started(first, "same.mp4", {"-t", "2"}));
    ASSERT_TRUE(started(second, "same.mp4", {"-t", "2"}));
    ASSERT_EQ(symlink(path("mine").toLocal8Bit().constData(),
                      path("out/linked.mp4").toLocal8Bit().constData()),
              0);
    const ToolRun linked = runTool({"-y", "-i", in, "-t", "1", path("out/linked.mp4")});
    ASSERT_TRUE(first.waitForFinished(30000) && second.waitForFinished(30000));
    EXPECT_EQ(QDir(path("out"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              (QStringList{"linked.mp4", "linked_1.mp4", "same.mp4", "same_1.mp4", "stopped.mp4"}));
    EXPECT_TRUE(linked.out.contains("Output file: " + path("out/linked_1.mp4").toUtf8()));
    EXPECT_TRUE(plays(path("out/same.mp4")) && plays(path("out/same_1.mp4")));
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), "mine");

    // ffmpeg may end well on a full disk; the run fails and leaves nothing.
    if (geteuid() != 0)
        GTEST_SKIP() << "a small file system needs root";
    ASSERT_TRUE(QDir().mkdir(path("small")));
    ASSERT_EQ(
        runProcess("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", path("small")}).exitCode, 0);
    const ToolRun full = runTool({"-y", "-i", in, "-t", "3", "-vn", path("small/full.mp3")});
    const QStringList left =
        QDir(path("small"))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    runProcess("umount", {path("small")});
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
    EXPECT_NE(full.exitCode, 0);
    EXPECT_EQ(lastLine(full.out), "The disk is full: " + path("small/full.mp3").toStdString() +
                                      " could not be written.");
}

// RealMedia takes no packet over 64 kB, and a busy picture's first frame alone is more.
TEST_F(ConvertTest, RealVideoTakesAPhoneClipsKeptRate) {
    const QString phone =
        makeClip(dir.path(), "phone.mp4",
                 {"-vf", "noise=alls=25:allf=t", "-c:v", "libx264", "-qp", "10", "-c:a", "aac"},
                 0.6, "640x480");
    const QString out = path("phone.rm");
    const ToolRun run = runTool({"-y", "-i", phone, "-r", "25", "-b", "21900000", "-s", "640x480",
                                 "-vcodec", "rv20", "-acodec", "ac3", out});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_NEAR(seconds(out, "v:0"), 0.6, 0.05);
    EXPECT_TRUE(
        runProcess("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"}).output.isEmpty());
}

TEST_F(ConvertTest, FailuresGiveNonZeroStatus) {
    const QString out = path("out.avi");
    ToolRun run = runTool({"-y", "-i", path("missing.avi"), out});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_FALSE(run.err.isEmpty()); // ffmpeg's own message passes through

    // An existing output is left alone, -y or not: the next free name is written.
    const QString in = clip("in.avi");
    QFile existing(out);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    run = runTool({"-y", "-i", in, out});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(QFileInfo(out).size(), 4);
    EXPECT_GT(QFileInfo(path("out_1.avi")).size(), 0);
}

TEST_F(ConvertTest, MissingFfmpegIsReportedClearly) {
    const QString in = clip("in.avi");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VIDEOCONVERTER_FFMPEG", path("no-such-ffmpeg"));
    const ToolRun run = runTool({"-y", "-i", in, path("out.avi")}, {}, env);
    EXPECT_EQ(run.exitCode, 127);
    EXPECT_NE(run.err.indexOf("ffmpeg"), -1) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
}

TEST_F(ConvertTest, SnapshotWritesExactlyOnePicture) {
    const QString in = clip("in.avi", 2.0);
    // A "%" in the name must not turn it into a numbered sequence.
    const QString shot = path("shot %03d.bmp");
    const ToolRun run = runTool(
        {"-y", "-i", in, "-ss", "00:00:01", "-t", "0.01", "-f", "image2", "-s", "160x120", shot});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList files = QDir(dir.path()).entryList({"*.bmp"}, QDir::Files);
    EXPECT_EQ(files, QStringList{"shot %03d.bmp"});
    const ProbeReading r = probe(shot);
    EXPECT_EQ(r.videoFormat, "bmp");
    EXPECT_EQ(r.resolution, "160x120");
}

TEST_F(ConvertTest, AwkwardNamesOnBothSides) {
    const QStringList names{"in 'q' \"dq\" $HOME.avi", QString::fromUtf8("\xc3\xa9t\xc3\xa9.avi"),
                            "-dash.avi", "file:colon.avi"};
    for (const QString& name : names) {
        clip(name);
        const QString out = "-out " + QString(name).replace(".avi", ".mpg");
        const ToolRun run = runTool({"-y", "-i", name, "-s", "160x120", out}, dir.path());
        EXPECT_EQ(run.exitCode, 0) << name.toStdString() << run.err.toStdString();
        EXPECT_TRUE(QFileInfo::exists(path(out))) << out.toStdString();
        EXPECT_EQ(probe(path(out)).resolution, "160x120") << out.toStdString();
    }
}

TEST_F(ConvertTest, ThreeGppGetsEncodersThatExistAndFitTheSize) {
    const QString in = clip("in.avi");
    struct Case {
        const char* name;
        const char* size;
        const char* video;
    };
    for (const Case c : {Case{"out.3gp", "176x144", "h263"}, Case{"out.3g2", "176x144", "h263"},
                         Case{"small.3gp", "160x120", "mpeg4"}}) {
        const ToolRun run = runTool({"-y", "-i", in, "-s", c.size, "-ab", "12200", "-ar", "8000",
                                     "-ac", "1", path(c.name)});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const ProbeReading r = probe(path(c.name));
        EXPECT_EQ(r.videoFormat, c.video);
        EXPECT_EQ(r.resolution, c.size);
        EXPECT_EQ(r.audioFormat, "aac");
        EXPECT_EQ(r.sample, " 8000 Hz");
        EXPECT_EQ(r.channels, " mono");
    }
    // A codec the caller chose is kept.
    const ToolRun chosen = runTool({"-y", "-i", in, "-s", "176x144", "-ar", "8000", "-ac", "1",
                                    "-acodec", "libopencore_amrnb", path("chosen.3gp")});
    EXPECT_NE(chosen.exitCode, 0);
}

TEST_F(ConvertTest, AviSoundAndPictureStartTogether) {
    // A phone's clip: H.264 with AAC at 30 frames a second.
    const QString in =
        makeClip(dir.path(), "phone.mp4", {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"},
                 1.0, "640x480");
    for (const QStringList& codecs :
         {QStringList{"-vcodec", "mpeg4", "-vtag", "DIVX", "-acodec", "libmp3lame"},
          QStringList{"-vcodec", "libxvid", "-acodec", "libmp3lame"}}) {
        const QString out = path("out.avi");
        const ToolRun run = runTool(QStringList{"-y", "-i", in, "-s", "320x240", "-r", "25", "-b",
                                                "800000", "-ab", "128000", "-ar", "44100"} +
                                    codecs + QStringList{out});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QList<QByteArray> pts =
            runProcess("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries",
                                   "packet=pts_time", "-of", "csv=p=0", out})
                .output.trimmed()
                .split('\n');
        ASSERT_GE(pts.size(), 3) << codecs.join(' ').toStdString();
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(pts[i].toDouble(), 0.04 * i, 0.001) << codecs.join(' ').toStdString();
        EXPECT_TRUE(
            runProcess("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"}).output.isEmpty());
    }
}

TEST_F(ConvertTest, SpeechGetsTheSoundRateAsked) {
    // Voiced syllables with pauses, as a phone records a voice.
    const QString in = path("speech.m4a");
    ASSERT_EQ(runProcess("ffmpeg",
                         {"-v", "error", "-f", "lavfi", "-i",
                          "aevalsrc='0.3*sin(2*PI*(130+25*sin(2*PI*2.7*t))*t)*pow(max(0,sin(2*PI*"
                          "3.5*t)),2)*gt(sin(2*PI*0.35*t),-0.4)':s=48000",
                          "-t", "8", "-ac", "2", "-c:a", "aac", in})
                  .exitCode,
              0);
    for (const char* codec : {"libvorbis", "libopus"}) {
        const QString out = path(QString("out-%1.ogg").arg(codec));
        const ToolRun run = runTool(
            {"-y", "-i", in, "-vn", "-acodec", codec, "-ab", "128000", "-ar", "48000", out});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const double kbps = QFileInfo(out).size() * 8 / seconds(out) / 1000;
        EXPECT_NEAR(kbps, 128, 12.8) << codec;
        EXPECT_TRUE(
            runProcess("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"}).output.isEmpty());
    }
}

// A slow pan over a still under faint grain: the older encoders ran far over a low rate, and
// VP9 in real time a third over.
TEST_F(ConvertTest, PictureGetsTheVideoRateAsked) {
    const QString still = path("still.png");
    const QString in = path("pan.mp4");
    ASSERT_EQ(runProcess("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                                    "mandelbrot=size=800x600:rate=1", "-frames:v", "1", still})
                  .exitCode,
              0);
    ASSERT_EQ(
        runProcess("ffmpeg",
                   {"-v",       "error",      "-loop",
                    "1",        "-framerate", "25",
                    "-i",       still,        "-t",
                    "6",        "-vf",        "crop=320:240:x='t*20':y='t*10',noise=alls=6:allf=t",
                    "-pix_fmt", "yuv420p",    "-c:v",
                    "libx264",  "-preset",    "ultrafast",
                    "-crf",     "10",         in})
            .exitCode,
        0);
    for (const auto& [codec, rate, name, speed] :
         {std::tuple{"flv", 120, "low.flv", QStringList{}},
          std::tuple{"libvpx-vp9", 300, "vp9.webm",
                     QStringList{"-deadline", "realtime", "-cpu-used", "8"}}}) {
        const QString out = path(name);
        const ToolRun run = runTool(QStringList{"-y", "-i", in, "-an", "-vcodec", codec} + speed +
                                    QStringList{"-b", QString::number(rate * 1000), out});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const double kbps = QFileInfo(out).size() * 8 / seconds(out) / 1000;
        EXPECT_NEAR(kbps / rate, 1.0, 0.12) << codec << ": " << kbps << " kbit/s";
        EXPECT_TRUE(
            runProcess("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"}).output.isEmpty());
    }
}

TEST_F(ConvertTest, PictureKeepsItsProportionsInTheFrame) {
    struct Point {
        int x, y;
        bool bar;
    };
    const auto expectPicture = [](const QString& file, int width, const std::vector<Point>& at) {
        const QByteArray gray = grayFrame(file);
        for (const Point& p : at) {
            const qsizetype i = static_cast<qsizetype>(p.y) * width + p.x;
            ASSERT_LT(i, gray.size()) << file.toStdString();
            const int value = static_cast<unsigned char>(gray[i]);
            if (p.bar) {
                EXPECT_LT(value, 40) << file.toStdString() << " at " << p.x << "," << p.y;
            } else {
                EXPECT_GT(value, 200) << file.toStdString() << " at " << p.x << "," << p.y;
            }
        }
    };

    // Portrait into a 4:3 frame: a 136-pixel-wide picture between bars on either side.
    const QString portrait = solid("portrait.avi", "color=white:size=90x160");
    ToolRun run = runTool(
        {"-y", "-i", portrait, "-s", "320x240", "-aspect", "1.3333", path("portrait-out.avi")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(frameShape(path("portrait-out.avi")), "320,240,4:3");
    expectPicture(path("portrait-out.avi"), 320,
                  {{5, 120, true},
                   {85, 120, true},
                   {100, 120, false},
                   {160, 5, false},
                   {220, 120, false},
                   {235, 120, true},
                   {315, 120, true}});

    // 16:9 into 4:3: 180 rows of picture between bars above and below. The caller's own
    // filters come first: a crop to the left half makes the picture tall instead.
    const QString wide = solid("wide.mkv", "color=white:size=160x90");
    run = runTool({"-y", "-i", wide, "-s", "320x240", path("wide-out.avi")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(frameShape(path("wide-out.avi")), "320,240,4:3");
    expectPicture(path("wide-out.avi"), 320,
                  {{160, 5, true},
                   {160, 25, true},
                   {160, 35, false},
                   {5, 120, false},
                   {160, 205, false},
                   {160, 215, true},
                   {160, 235, true}});
    run = runTool(
        {"-y", "-i", wide, "-vf", "crop=iw/2:ih:0:0", "-s", "320x240", path("cropped.avi")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    expectPicture(path("cropped.avi"), 320, {{20, 120, true}, {160, 5, false}, {300, 120, true}});

    // Non-square pixels are judged by what is shown: 90x90 at 4:3 pixels fills a 4:3 frame.
    // An odd frame is made even for the encoder.
    const QString anamorphic = solid("anamorphic.mkv", "color=white:size=90x90,setsar=4/3");
    run = runTool({"-y", "-i", anamorphic, "-s", "321x241", path("anamorphic-out.avi")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(frameShape(path("anamorphic-out.avi")), "320,240,4:3");
    expectPicture(path("anamorphic-out.avi"), 320,
                  {{2, 2, false}, {317, 2, false}, {2, 237, false}, {317, 237, false}});

    // A disc frame is shown 4:3 whatever its pixel count: 16:9 gets 72 rows of bar each side.
    run = runTool({"-y", "-i", wide, "-target", "pal-dvd", path("disc.mpg")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(frameShape(path("disc.mpg")), "720,576,4:3");
    expectPicture(path("disc.mpg"), 720,
                  {{360, 10, true},
                   {360, 66, true},
                   {360, 80, false},
                   {5, 288, false},
                   {715, 288, false},
                   {360, 496, false},
                   {360, 510, true},
                   {360, 570, true}});
}

TEST_F(ConvertTest, AudioSettingsTheFormatRefusesAreBroughtToTheNearestItTakes) {
    const QString phone =
        makeClip(dir.path(), "phone.avi",
                 {"-c:v", "mpeg4", "-c:a", "libmp3lame", "-ar", "8000", "-ac", "1", "-b:a", "12k"});
    struct Case {
        QStringList options;
        const char* sample;
    };
    // Too low a rate for wmav2, a sample rate AC-3 lacks, one the FLV muxer takes not for MP3.
    for (const Case& c :
         {Case{{"-vcodec", "msmpeg4", "-acodec", "wmav2", "-ab", "12000", "-ar", "22050", "-ac",
                "2", "-s", "320x240", path("out.asf")},
               " 22050 Hz"},
          Case{{"-vcodec", "mpeg4", "-acodec", "ac3", "-ab", "64000", "-ar", "22050",
                path("out.avi")},
               " 32000 Hz"},
          Case{{"-vcodec", "flv", "-acodec", "libmp3lame", "-ar", "8000", "-ac", "2",
                path("out.flv")},
               " 11025 Hz"},
          // A phone's AMR rate kept as it is, far below what WMA takes.
          Case{{"-acodec", "wmav2", "-ab", "4000", "-ar", "22050", path("thin.wma")},
               " 22050 Hz"}}) {
        const ToolRun run = runTool(QStringList{"-i", phone} + c.options);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const ProbeReading r = probe(c.options.back());
        EXPECT_EQ(r.sample, c.sample) << c.options.back().toStdString();
        EXPECT_TRUE(r.hasVideo);
    }
    EXPECT_GE(std::stoi(probe(path("out.asf")).audioBitrate), 24);
    EXPECT_GE(std::stoi(probe(path("thin.wma")).audioBitrate), 24);

    // What no setting of the tool's can mend is left to the user, naming the box to change.
    struct Refusal {
        QStringList options;
        const char* sentence;
    };
    for (const Refusal& c :
         {Refusal{{"-acodec", "g722", "-ac", "2", path("stereo.wav")},
                  "The number of channels does not suit this format: choose other Channels."},
          Refusal{{"-vcodec", "h263", "-s", "160x120", path("h263.avi")},
                  "The frame size or video quality does not suit this format: choose another "
                  "Frame Size or Video Quality."}}) {
        const ToolRun run = runTool(QStringList{"-y", "-i", phone} + c.options);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_EQ(lastLine(run.out), c.sentence) << run.out.toStdString();
        EXPECT_NE(run.err.indexOf("Error"), -1) << run.err.toStdString(); // ffmpeg's own words
    }
}

// The job's 44.1 kHz goes to Opus as the 48 kHz it codes at, without a failed first run.
TEST_F(ConvertTest, OpusGetsItsOwnSampleRateAtOnce) {
    const QString clip = makeClip(dir.path(), "tone.mp4");
    const QString out = path("tone.opus");
    const ToolRun run = runTool({"-y", "-i", clip, "-ab", "128000", "-ar", "44100", "-ac", "2",
                                 "-vn", "-acodec", "libopus", out});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.err.indexOf("not supported"), -1) << run.err.toStdString();
    EXPECT_EQ(probe(out).sample, " 48000 Hz");
}

// Storage-format size of one 20 ms frame per mode, header byte included.
std::int64_t amrSize(double seconds, int frameBytes) {
    return 6 + static_cast<std::int64_t>(std::lround(seconds * 50)) * frameBytes;
}

TEST_F(ConvertTest, AmrIsEncodedByTheToolAtTheRequestedMode) {
    // Uncompressed sound, so the length is exact and so is the expected frame count.
    const QString in = makeClip(dir.path(), "in.wav", {}, 1.0, "160x120", false);
    struct Case {
        const char* rate;
        int frameBytes;
    };
    for (const Case c : {Case{"12200", 32}, Case{"7950", 21}, Case{"4750", 13},
                         Case{"9000", 21} /* next mode down */, Case{"1000", 13}}) {
        const QString out = path(QStringLiteral("out %1.amr").arg(c.rate));
        const ToolRun run =
            runTool({"-y", "-i", in, "-ab", c.rate, "-ar", "8000", "-ac", "1", out});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        expectStatusLines(run, 1.0);
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.rate;
        const QByteArray data = file.readAll();
        EXPECT_TRUE(data.startsWith("#!AMR\n"));
        EXPECT_EQ(data.size(), amrSize(1.0, c.frameBytes)) << c.rate;

        const ProbeReading r = probe(out);
        EXPECT_EQ(r.audioFormat, "amr_nb");
        EXPECT_EQ(r.sample, " 8000 Hz");
        EXPECT_EQ(r.channels, " mono");
    }
    // Every frame decodes.
    const ProcessResult decoded =
        runProcess("ffmpeg", {"-v", "error", "-i", path("out 12200.amr"), "-f", "null", "-"});
    EXPECT_EQ(decoded.exitCode, 0);
    EXPECT_TRUE(decoded.output.isEmpty()) << decoded.output.toStdString();
}

TEST_F(ConvertTest, AmrHonoursCutAndOverwriteRules) {
    const QString in = makeClip(dir.path(), "in.wav", {}, 2.0, "160x120", false);
    const QString out = path("cut.amr");
    ToolRun run = runTool({"-y", "-i", in, "-ss", "00:00:01", "-t", "0.5", out});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QFileInfo(out).size(), amrSize(0.5, 32));

    run = runTool({"-i", in, "-t", "1", out});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(QFileInfo(out).size(), amrSize(0.5, 32));
    EXPECT_EQ(QFileInfo(path("cut_1.amr")).size(), amrSize(1, 32));

    run = runTool({"-y", "-i", path("missing.avi"), path("none.amr")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(path("none.amr")));
}

TEST_F(ConvertTest, AmrWriteErrorFails) {
    const QString in = clip("in.avi", 3.0);
    const QString big = path("big.amr");
    // A file size limit fails the writes past one block, as a full disk would.
    const ProcessResult run =
        runProcess("/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"", toolPath(),
                               "-y", "-i", in, big});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.output.trimmed().endsWith("Cannot write " + big.toUtf8() + ": File too large."))
        << run.output.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"in.avi"});
}

} // namespace
