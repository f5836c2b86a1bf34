#include "media/MediaProbe.h"

#include "TestSupport.h"
#include "common/Quote.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vc;
using namespace std::chrono_literals;

namespace {

std::string text(const QByteArray& bytes) {
    return bytes.toStdString();
}

// What the tool prints for path, parsed in one burst.
ProbeResult oneBurst(const QString& path) {
    const test::ProcessResult run = test::runProcess(test::toolPath(), {"-i", path});
    EXPECT_TRUE(run.started);
    TtimeProcessor reader;
    reader.feed(text(run.output));
    return reader.result();
}

bool processGone(pid_t pid) {
    // It may linger briefly as a zombie of init.
    return test::waitUntil([pid] {
        QFile stat(QString("/proc/%1/stat").arg(pid));
        return ::kill(pid, 0) != 0 ||
               (stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z "));
    });
}

class RealToolProbe : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QTemporaryDir dir;
    MediaProbe probe{test::toolPath(), test::programDir()};
};

class FakeToolProbe : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // Relative: the stand-in finds its script only when run in the given working folder.
        qputenv("VC_FAKE_TOOL_SCRIPT", "script.txt");
        qputenv("VC_FAKE_TOOL_ARGS", dir.filePath("args.txt").toLocal8Bit());
    }
    void TearDown() override {
        qunsetenv("VC_FAKE_TOOL_SCRIPT");
        qunsetenv("VC_FAKE_TOOL_ARGS");
    }
    void script(const QString& lines) {
        QFile f(dir.filePath("script.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(lines.toUtf8());
    }
    QStringList arguments() {
        QFile f(dir.filePath("args.txt"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;
    MediaProbe probe{QStringLiteral(VC_TEST_FAKE_TOOL), dir.path()};
};

const QString classicScript =
    "out Input #0, avi:\\r\\n\n"
    "out   Duration: 00:00:07.00, start: 0.000000, bitrate: 321 kb/s\\r\\n\n"
    "out     Stream #0.0: Video: mpeg4, yuv420p, 64x48, 200 kb/s, 25.00 tb(r)\\r\\n\n"
    "out     Stream #0.1: Audio: mp3, 22050 Hz, mono, 64 kb/s\\r\\n\n";

} // namespace

TEST_F(RealToolProbe, DescribesAClip) {
    const QString clip =
        test::makeClip(dir.path(), "clip.avi",
                       {"-c:v", "mpeg4", "-b:v", "300k", "-c:a", "libmp3lame"}, 2.0, "160x120");
    EXPECT_TRUE(probeAndWait(probe, clip));
    EXPECT_FALSE(probe.busy());
    EXPECT_EQ(probe.end(), ProbeEnd::Ended);
    const ProbeResult& r = probe.result();
    EXPECT_EQ(r.duration, "00:00:02");
    EXPECT_FALSE(r.bitrate.empty());
    EXPECT_EQ(r.bitrate.find_first_not_of("0123456789"), std::string::npos) << r.bitrate;
    EXPECT_EQ(r.resolution, "160x120");
    EXPECT_EQ(r.videoformat, "mpeg4");
    EXPECT_EQ(r.frame, " 25.00 tb(r)");
    EXPECT_EQ(r.audioformat, "mp3");
    EXPECT_EQ(r.sample, " 44100 Hz");
    EXPECT_EQ(r.channels, " mono");
    // Read as it arrived, the output gives what it gives in one piece.
    EXPECT_EQ(r, oneBurst(clip));
}

TEST_F(RealToolProbe, NamesAreWholeArgumentsWhateverTheyHold) {
    const QString clip = test::makeClip(dir.path(), "a clip 'q' \"d\" é ü.mkv",
                                        {"-c:v", "mpeg4", "-c:a", "aac"}, 1.0, "96x64");
    EXPECT_TRUE(probeAndWait(probe, clip));
    EXPECT_EQ(probe.result().resolution, "96x64");
    EXPECT_EQ(probe.result().audioformat, "aac");
    EXPECT_EQ(probe.result().duration, "00:00:01");
    EXPECT_EQ(probe.commandLine(), Q(test::toolPath()) + " -i \"" + clip + '"');
}

TEST_F(RealToolProbe, ATextFileIsNotMedia) {
    QFile f(dir.filePath("notes.avi"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("just some words\n");
    f.close();
    EXPECT_TRUE(probeAndWait(probe, f.fileName()));
    EXPECT_EQ(probe.result().bitrate, "");

    // The next probe starts from empty values.
    const QString clip = test::makeClip(dir.path(), "audio.wav", {}, 1.0, {}, false, true);
    EXPECT_TRUE(probeAndWait(probe, clip));
    EXPECT_EQ(probe.result().resolution, "");
    EXPECT_EQ(probe.result().audioformat, "pcm_s16le");
    EXPECT_FALSE(probe.result().bitrate.empty());
}

TEST_F(RealToolProbe, OneToolForManyFilesAnswersAsOnePerFile) {
    const QString clip = test::makeClip(dir.path(), "a clip 'q' \"d\" é.mkv",
                                        {"-c:v", "mpeg4", "-c:a", "aac"}, 1.0, "96x64");
    const QString sound = test::makeClip(dir.path(), "sound.wav", {}, 1.0, {}, false, true);
    QFile notes(dir.filePath("notes.avi"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("just some words\n");
    notes.close();
    const QString stuck = dir.filePath("stuck.avi");
    const auto stalled = qScopeGuard([fd = test::stalledFile(stuck)] { ::close(fd); });

    MediaProbe kept(test::toolPath(), test::programDir());
    kept.setPersistent(true);
    kept.setTimeLimit(1500ms);
    for (const QString& path : {clip, notes.fileName(), dir.filePath("missing.avi"), sound}) {
        EXPECT_TRUE(probeAndWait(kept, path)) << path.toStdString();
        EXPECT_TRUE(probeAndWait(probe, path));
        EXPECT_EQ(kept.result(), probe.result()) << path.toStdString();
    }
    EXPECT_EQ(kept.result().audioformat, "pcm_s16le");

    // A file that never answers costs its own probe; the next one gets a fresh tool.
    EXPECT_FALSE(probeAndWait(kept, stuck));
    EXPECT_EQ(kept.end(), ProbeEnd::TimedOut);
    EXPECT_TRUE(probeAndWait(kept, clip));
    EXPECT_EQ(kept.result().resolution, "96x64");

    // A tool that serves no probes is run per file.
    MediaProbe plain(QStringLiteral(VC_TEST_FAKE_TOOL), dir.path());
    plain.setPersistent(true);
    EXPECT_TRUE(probeAndWait(plain, clip));
    EXPECT_EQ(plain.end(), ProbeEnd::Ended);
}

TEST(MissingTool, EndsTheProbeAtOnceWithNoValues) {
    QTemporaryDir dir;
    MediaProbe probe(dir.filePath("register.dat"), dir.path());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(probeAndWait(probe, dir.filePath("any.avi")));
    if (!test::sanitizedBuild()) {
        EXPECT_LT(clock.elapsed(), 5000); // far below the minute a probe is given
    }
    EXPECT_FALSE(probe.busy());
    EXPECT_EQ(probe.end(), ProbeEnd::NotStarted);
    EXPECT_EQ(probe.result(), ProbeResult());
}

TEST_F(FakeToolProbe, RunsInTheProgramFolderWithTheInputAsOneArgument) {
    script(classicScript);
    const QString path = dir.filePath("in \"x\" 'y'.avi");
    EXPECT_TRUE(probeAndWait(probe, path));
    EXPECT_EQ(arguments(), QStringList({"-i", path}));
    EXPECT_EQ(probe.result().bitrate, "321");
    EXPECT_EQ(probe.result().resolution, "64x48");
}

TEST_F(FakeToolProbe, OutputInPiecesWhileTheEventLoopRuns) {
    script("out Input #0, avi:\\r\\n  Durat\nsleep 150\n"
           "out ion: 00:00:07.00, start: 0.000000, bitrate: 321 kb/s\\r\nsleep 150\n"
           "out \\n    Stream #0.0: Video: mpeg4, yuv420p, 64x48, 200 kb/s, 25.00 tb(r)\\r\\n\n"
           "sleep 150\nout     Stream #0.1: Audio: mp3, 22050 Hz, mono, 64 kb/s\\r\\n\n");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(20);
    EXPECT_TRUE(probeAndWait(probe, "in.avi"));
    EXPECT_GT(ticks, 5); // the caller's window kept handling events

    TtimeProcessor burst;
    burst.feed("Input #0, avi:\r\n"
               "  Duration: 00:00:07.00, start: 0.000000, bitrate: 321 kb/s\r\n"
               "    Stream #0.0: Video: mpeg4, yuv420p, 64x48, 200 kb/s, 25.00 tb(r)\r\n"
               "    Stream #0.1: Audio: mp3, 22050 Hz, mono, 64 kb/s\r\n");
    EXPECT_EQ(probe.result(), burst.result());
    EXPECT_EQ(probe.result().channels, " mono");
}

TEST_F(FakeToolProbe, BusyDropsOnlyAfterTheLastOutputWasParsed) {
    // Far more than one read, then the interesting lines, then an immediate exit.
    script("bulk 4000 noise noise noise\\r\\n\n" + classicScript + "exit 0\n");
    EXPECT_TRUE(probeAndWait(probe, "in.avi"));
    EXPECT_EQ(probe.result().audiobit, "64");
    EXPECT_EQ(probe.result().channels, " mono");
}

TEST_F(FakeToolProbe, OneProbeAtATime) {
    script(classicScript + "sleep 300\n");
    ASSERT_TRUE(probe.start("first.avi"));
    EXPECT_TRUE(probe.busy());
    EXPECT_FALSE(probe.start("second.avi"));
    EXPECT_FALSE(probeAndWait(probe, "second.avi"));
    QEventLoop loop;
    QObject::connect(&probe, &MediaProbe::finished, &loop, &QEventLoop::quit);
    if (probe.busy())
        loop.exec();
    EXPECT_EQ(probe.end(), ProbeEnd::Ended);
    EXPECT_EQ(arguments(), QStringList({"-i", "first.avi"}));
}

TEST_F(FakeToolProbe, AToolThatNeverEndsIsEndedWithItsGroup) {
    const QString childPid = dir.filePath("child.pid");
    script(classicScript + "child " + childPid + "\nsleep 600000\n");
    probe.setTimeLimit(400ms);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(probeAndWait(probe, "in.avi"));
    if (!test::sanitizedBuild()) {
        EXPECT_LT(clock.elapsed(), 10000); // far below the minute a probe is given by default
    }
    EXPECT_FALSE(probe.busy());
    EXPECT_EQ(probe.end(), ProbeEnd::TimedOut);
    EXPECT_EQ(probe.result().bitrate, "321"); // what was found stays

    QFile f(childPid);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t grandchild = f.readAll().trimmed().toInt();
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(processGone(grandchild));
}

TEST_F(FakeToolProbe, TheEnvironmentCanShortenTheLimitButNotRemoveIt) {
    script(classicScript + "sleep 600000\n");
    const auto restore = qScopeGuard([] { qunsetenv("VIDEOCONVERTER_PROBE_LIMIT_MS"); });
    qputenv("VIDEOCONVERTER_PROBE_LIMIT_MS", "300");
    MediaProbe shortened(QStringLiteral(VC_TEST_FAKE_TOOL), dir.path());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(probeAndWait(shortened, "in.avi"));
    if (!test::sanitizedBuild()) {
        EXPECT_LT(clock.elapsed(), 10000); // far below the minute a probe is given by default
    }
    EXPECT_EQ(shortened.end(), ProbeEnd::TimedOut);

    // Values that are no positive number of milliseconds leave the minute in force.
    for (const char* value : {"0", "-5", "soon", ""}) {
        qputenv("VIDEOCONVERTER_PROBE_LIMIT_MS", value);
        MediaProbe kept(QStringLiteral(VC_TEST_FAKE_TOOL), dir.path());
        script("sleep 500\n" + classicScript);
        EXPECT_TRUE(probeAndWait(kept, "in.avi")) << value;
        EXPECT_EQ(kept.end(), ProbeEnd::Ended) << value;
    }
}

TEST_F(FakeToolProbe, DestroyingABusyProbeEndsTheTool) {
    const QString childPid = dir.filePath("child.pid");
    script("child " + childPid + "\nsleep 600000\n");
    auto busy = std::make_unique<MediaProbe>(QStringLiteral(VC_TEST_FAKE_TOOL), dir.path());
    ASSERT_TRUE(busy->start("in.avi"));
    ASSERT_TRUE(test::waitUntil([&] {
        QFile f(childPid);
        return f.open(QIODevice::ReadOnly) && f.readAll().endsWith('\n'); // the whole pid
    }));
    busy.reset();
    QFile f(childPid);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t grandchild = f.readAll().trimmed().toInt();
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(processGone(grandchild));
}
