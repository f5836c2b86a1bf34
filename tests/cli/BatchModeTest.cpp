// Batch mode through the built program, as a user runs it: no display, a private settings
// folder, real clips and the real converter tool.

#include "TestSupport.h"
#include "common/FileNames.h"
#include "common/Version.h"
#include "convert/ConvertRunner.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vc {

namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

QString programPath() {
    return QDir(test::programDir()).filePath("VideoConverter");
}

QStringList commandLines(const QString& output) {
    QStringList lines;
    for (const QString& line : output.split('\n'))
        if (line.startsWith("Command: "))
            lines << line;
    return lines;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "codec_type=video", "width=320", "duration=2.000000"... of a converted file.
QStringList probeFields(const QString& file) {
    const test::ProcessResult r = test::runProcess(
        "ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,width,height,channels",
                    "-show_entries", "format=duration", "-of", "default=nw=1", file});
    return QString::fromUtf8(r.output).split('\n', Qt::SkipEmptyParts);
}

double durationOf(const QStringList& fields) {
    for (const QString& f : fields)
        if (f.startsWith("duration="))
            return f.mid(9).toDouble();
    return -1;
}

} // namespace

class BatchModeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid() && config.isValid()); }

    QString path(const QString& relative) const { return QDir(dir.path()).filePath(relative); }
    QString configFile(const QString& name) const { return QDir(config.path()).filePath(name); }

    // The program as batch mode runs it: no display at all.
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        env.insert("VIDEOCONVERTER_CONFIG_DIR", configDir);
        for (auto it = extraEnvironment.begin(); it != extraEnvironment.end(); ++it)
            env.insert(it.key(), it.value());
        return env;
    }

    Outcome run(const QStringList& args, const QString& program = programPath()) const {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.setWorkingDirectory(dir.path());
        p.start(program, args);
        Outcome r;
        if (!p.waitForStarted(10000) || !p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    QTemporaryDir dir;
    QTemporaryDir config;
    QString configDir = config.path();
    QHash<QString, QString> extraEnvironment;
};

TEST_F(BatchModeTest, UsageErrorsExitTwoWithAMessageAndTouchNothing) {
    const QString clip = test::makeClip(dir.path(), "clip.avi");
    const QString out = path("out");
    // Parsing is tested on its own; these are refused only once the profile is known.
    const QList<QStringList> wrong = {
        {"--convert", "--bogus", clip},
        {"--convert", "--output", out, "--profile", "26", clip},
        {"--convert", "--output", out, "--profile", "17", "--size", "0", clip},
        {"--convert", "--output", out, "--profile", "102", "--size", "99", clip},
        {"--convert", "--output", out, "--profile", "114", "--channels", "mono", clip},
    };
    for (const QStringList& args : wrong) {
        const Outcome r = run(args);
        const std::string shown = args.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, 2) << shown;
        EXPECT_FALSE(r.err.trimmed().isEmpty()) << shown;
        EXPECT_TRUE(r.out.isEmpty()) << shown << ": " << r.out.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_TRUE(QDir(config.path()).isEmpty());

    const Outcome help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--convert [options] FILE-OR-FOLDER"));
}

// Without a display the window could not open: an answer proves it was never tried.
TEST_F(BatchModeTest, HelpAndVersionNeedNoWindowInEitherMode) {
    const Outcome version = run({"clip.avi", "--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "VideoConverter " + programVersion() + "\n");
    EXPECT_FALSE(programVersion().isEmpty());
    const Outcome help = run({"clip.avi", "-h"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--convert [options] FILE-OR-FOLDER")) << help.out.toStdString();
    const Outcome wrong = run({"clip.avi", "--bogus"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.err.contains("unknown option --bogus")) << wrong.err.toStdString();

    // The preview's library, with the hundreds it needs, loads only when a preview plays.
    extraEnvironment.insert("LD_DEBUG", "libs");
    const Outcome loaded = run({"--version"});
    EXPECT_TRUE(loaded.err.contains("libQt6Core")) << loaded.err.toStdString();
    EXPECT_FALSE(loaded.err.contains("libmpv"));
}

TEST_F(BatchModeTest, WithoutADisplayTheWindowSaysSoInOneLineAndExitsOne) {
    for (const QString display : {"", ":97"}) {
        if (!display.isEmpty())
            extraEnvironment.insert("DISPLAY", display);
        const Outcome r = run({"clip.avi"});
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("no display") && r.err.contains("--convert"))
            << r.err.toStdString();
    }
}

TEST_F(BatchModeTest, ConvertsAFolderWithTheOptionsGiven) {
    QDir().mkpath(path("in/sub.avi")); // a folder named like a video is tried, and refused
    test::makeClip(path("in"), "one clip.mpg", {}, 2.0, "320x240");
    test::makeClip(path("in"), "Two.MP4", {"-c:v", "mpeg4"}, 2.0, "160x120");
    writeFile(path("in/notes.txt"), "not a video");
    writeFile(path("in/sub.avi/inside.avi"), "");

    // By name, with a size, mono; output folder relative to the current one, made on demand.
    const Outcome avi = run({"--convert", "--profile", "AVI - H264 Movie(*.avi)", "--size", "1",
                             "--channels", "mono", "--output", "out/avi", path("in")});
    EXPECT_EQ(avi.exitCode, 1) << avi.out.toStdString() << avi.err.toStdString();
    EXPECT_TRUE(avi.err.contains("sub.avi is not support!"));
    EXPECT_TRUE(avi.out.contains("Added one clip: 320x240, 00:00:02, about "));
    EXPECT_TRUE(avi.out.contains("[1/2] one clip  Finish"));
    EXPECT_TRUE(avi.out.contains("[2/2] Two  Finish"));
    EXPECT_TRUE(avi.out.contains("Finished 2, failed 0, stopped 0, refused 1. Output folder: " +
                                 path("out/avi")));
    EXPECT_FALSE(avi.out.contains('\r')); // no terminal: plain lines only
    for (const QString name : {"one clip.avi", "Two.avi"}) {
        const QStringList fields = probeFields(path("out/avi/" + name));
        EXPECT_TRUE(fields.contains("width=480") && fields.contains("height=360") &&
                    fields.contains("channels=1"))
            << name.toStdString() << ": " << fields.join(' ').toStdString();
        EXPECT_NEAR(durationOf(fields), 2.0, 0.3) << name.toStdString();
    }

    // Audio only, a cut, every file finished: exit 0.
    const Outcome mp3 =
        run({"--convert", "--profile=17", "--audio-quality", "Lower Quality", "--cut",
             "00:00:01-00:00:02", "--output", path("out/mp3"), path("in/one clip.mpg")});
    EXPECT_EQ(mp3.exitCode, 0) << mp3.out.toStdString() << mp3.err.toStdString();
    EXPECT_TRUE(mp3.out.contains("Added one clip: 320x240, 00:00:01, about "));
    EXPECT_TRUE(mp3.out.contains("cut 00:00:01-00:00:02"));
    const QStringList fields = probeFields(path("out/mp3/one clip.mp3"));
    EXPECT_EQ(fields.filter("codec_type=").join(' '), "codec_type=audio");
    EXPECT_NEAR(durationOf(fields), 1.0, 0.3);
}

TEST_F(BatchModeTest, WholeFilesKeepTheirEndAndRunsAtOnceNeverShareAName) {
    QDir().mkpath(path("in"));
    const QString longer = test::makeClip(path("in"), "long.mp4", {}, 3.92);
    const QString shorter = test::makeClip(path("in"), "short.mp4", {}, 0.5);
    QDir().mkpath(path("out"));
    QDir().mkpath(path("elsewhere"));
    // A dangling link named like an output must neither be written through nor replaced.
    ASSERT_TRUE(QFile::link(path("elsewhere/planted.avi"), path("out/long.avi")));

    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 2; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment());
        p->setWorkingDirectory(dir.path());
        p->start(programPath(),
                 {"--convert", "--profile", "102", "--output", path("out"), longer, shorter});
        runs.push_back(std::move(p));
    }
    for (auto& p : runs) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAll().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path("elsewhere/planted.avi")));
    EXPECT_TRUE(QFileInfo(path("out/long.avi")).isSymLink());
    QStringList written = QDir(path("out")).entryList(QDir::Files | QDir::NoSymLinks);
    written.sort();
    EXPECT_EQ(written, (QStringList{"long_1.avi", "long_2.avi", "short.avi", "short_1.avi"}));
    for (const QString& name : written) {
        const double source = durationOf(probeFields(name.startsWith("long") ? longer : shorter));
        EXPECT_NEAR(durationOf(probeFields(path("out/" + name))), source, 0.1)
            << name.toStdString();
    }
}

TEST_F(BatchModeTest, RefusedMissingAndFailedFilesExitOne) {
    QDir().mkpath(path("in"));
    test::makeClip(path("in"), "good.avi");
    writeFile(path("in/broken.avi"), QByteArray(4096, 'x'));
    const Outcome refused =
        run({"--convert", "--profile", "17", "--output", path("out"), path("in"), "gone.avi"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("broken.avi is damaged: nothing in it can be read."));
    EXPECT_TRUE(refused.err.contains("gone.avi: no such file or folder"));
    EXPECT_TRUE(refused.out.contains("[1/1] good  Finish")) << refused.out.toStdString();
    EXPECT_TRUE(refused.out.contains("refused 2"));

    // The tool runs but its converter fails: the file ends "Failed", the batch goes on.
    extraEnvironment.insert("VIDEOCONVERTER_FFMPEG", "/bin/false");
    const Outcome failed = run({"--convert", "--profile", "17", "--output", path("failed"),
                                path("in/good.avi"), path("in/good.avi")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.contains("[1/2] good  Failed"));
    EXPECT_TRUE(failed.out.contains("[2/2] good  Failed"));
    EXPECT_TRUE(failed.out.contains("Finished 0, failed 2, stopped 0"));
    extraEnvironment.clear();

    // Nothing to convert is no success either.
    QDir().mkpath(path("empty"));
    writeFile(path("empty/readme.txt"), "x");
    const Outcome none = run({"--convert", "--output", path("out"), path("empty")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("No files to convert."));
}

// A library rerun after an interruption converts only what has no output yet.
TEST_F(BatchModeTest, SkipExistingLeavesAnOutputThereAndConvertsTheRest) {
    QDir().mkpath(path("in"));
    test::makeClip(path("in"), "done.avi");
    test::makeClip(path("in"), "todo.avi", {}, 2.0);
    QDir().mkpath(path("out"));
    writeFile(path("out/done.mp3"), "an earlier run's output");
    const QDateTime written = QFileInfo(path("out/done.mp3")).lastModified();

    const Outcome r = run(
        {"--convert", "--skip-existing", "--profile", "17", "--output", path("out"), path("in")});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("[1/2] done  Skipped\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("[2/2] todo  Finish"));
    EXPECT_TRUE(r.out.contains("Finished 1, failed 0, stopped 0, skipped 1. Output folder: "));
    EXPECT_EQ(readFile(path("out/done.mp3")), "an earlier run's output");
    EXPECT_EQ(QFileInfo(path("out/done.mp3")).lastModified(), written);
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files), (QStringList{"done.mp3", "todo.mp3"}));
    EXPECT_NEAR(durationOf(probeFields(path("out/todo.mp3"))), 2.0, 0.3);
    const test::ProcessResult decoded =
        test::runProcess("ffmpeg", {"-v", "error", "-i", path("out/todo.mp3"), "-f", "null", "-"});
    EXPECT_TRUE(decoded.exitCode == 0 && decoded.output.isEmpty()) << decoded.output.toStdString();
}

TEST_F(BatchModeTest, AMissingToolIsNamedInsteadOfRefusingEveryFile) {
    const QString clip = test::makeClip(dir.path(), "clip.avi");
    const QString copy = path("program");
    ASSERT_TRUE(QDir().mkpath(copy));
    for (const QFileInfo& entry : QDir(test::programDir()).entryInfoList(QDir::Files))
        if (entry.fileName() != "register.dat") {
            ASSERT_TRUE(QFile::copy(entry.filePath(), QDir(copy).filePath(entry.fileName())));
        }
    const QString tool = QDir(copy).filePath("register.dat");
    const Outcome missing =
        run({"--convert", "--output", path("out"), clip}, QDir(copy).filePath("VideoConverter"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("The converter tool is missing: " + tool + "\n"))
        << missing.err.toStdString();
    EXPECT_FALSE(missing.err.contains("not support"));
    EXPECT_FALSE(QFileInfo::exists(path("out/clip.asf")));
}

TEST_F(BatchModeTest, ReadsButNeverWritesTheSettings) {
    test::makeClip(dir.path(), "clip.avi");
    const QString remembered = path("remembered");
    const QByteArray settings = "; kept as it is\n[output]\npath=" + remembered.toUtf8() +
                                "\n[profiles]\nselcetsubindex=102\nFinishSelcet=1\n";
    const QByteArray store = "[102]\nsize = 1\nvideo bitrate=2\naudio bitrate=1\nChannel=0\n"
                             "[17]\naudio bitrate=3\n";
    writeFile(configFile("VideoConverter.ini"), settings);
    writeFile(configFile("pro VideoConverter.ini"), store);
    const QDateTime past = QDateTime::currentDateTime().addYears(-3);
    for (const char* name : {"VideoConverter.ini", "pro VideoConverter.ini"}) {
        QFile f(configFile(name));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(past, QFileDevice::FileModificationTime));
    }
    const auto unchanged = [&] {
        EXPECT_EQ(
            QDir(config.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{"pro VideoConverter.ini", "VideoConverter.ini"}));
        EXPECT_EQ(readFile(configFile("VideoConverter.ini")), settings);
        EXPECT_EQ(readFile(configFile("pro VideoConverter.ini")), store);
        for (const char* name : {"VideoConverter.ini", "pro VideoConverter.ini"})
            EXPECT_EQ(QFileInfo(configFile(name)).lastModified().toSecsSinceEpoch(),
                      past.toSecsSinceEpoch())
                << name;
    };

    // The remembered profile, its remembered boxes and the remembered output folder.
    const Outcome defaults = run({"--convert", path("clip.avi")});
    EXPECT_EQ(defaults.exitCode, 0) << defaults.err.toStdString();
    EXPECT_TRUE(defaults.out.startsWith("Profile 102: AVI - H264 Movie(*.avi)\n"));
    EXPECT_TRUE(defaults.out.contains("video Normal, audio High Quality, Mono"))
        << defaults.out.toStdString();
    EXPECT_TRUE(QFileInfo(remembered + "/clip.avi").size() > 0);
    unchanged();

    // Another profile and other choices: the window would write the choices back.
    const Outcome other = run({"--convert", "--profile", "17", "--audio-quality", "0", "--channels",
                               "stereo", "--output", path("other"), path("clip.avi")});
    EXPECT_EQ(other.exitCode, 0) << other.err.toStdString();
    unchanged();

    // No settings at all: defaults, and still nothing written, not even the folder.
    configDir = path("no config");
    const Outcome fresh = run({"--convert", "--output", path("fresh"), path("clip.avi")});
    EXPECT_EQ(fresh.exitCode, 0) << fresh.err.toStdString();
    EXPECT_TRUE(fresh.out.startsWith("Profile 1: "));
    EXPECT_FALSE(QFileInfo::exists(configDir));
}

TEST_F(BatchModeTest, AnotherProgramNameReadsItsOwnSettings) {
    const QString clip = test::makeClip(dir.path(), "clip.avi");
    const QString link = path("mp3 Converter");
    ASSERT_TRUE(QFile::link(programPath(), link));
    const Outcome byName = run({"--convert", "--output", path("a"), clip}, link);
    EXPECT_EQ(byName.exitCode, 0) << byName.err.toStdString();
    EXPECT_TRUE(byName.out.startsWith("Profile 17: ")) << byName.out.toStdString();

    writeFile(configFile("mp3 Converter.ini"), "[profiles]\nselcetsubindex=20\n");
    const Outcome remembered = run({"--convert", "--output", path("b"), clip}, link);
    EXPECT_TRUE(remembered.out.startsWith("Profile 20: ")) << remembered.out.toStdString();
    EXPECT_TRUE(QFileInfo(path("b/clip.wav")).size() > 0);
}

TEST_F(BatchModeTest, CtrlCStopsTheRunningFileAsStopDoes) {
    test::makeClip(dir.path(), "long.mpg", {}, 120.0, "320x240");
    test::makeClip(dir.path(), "next.avi");
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(programPath(), {"--convert", "--jobs", "1", "--profile", "5", "--size", "2", "--output",
                            path("out"), path("long.mpg"), path("next.avi")});
    ASSERT_TRUE(p.waitForStarted(10000));
    QByteArray out;
    QElapsedTimer t;
    t.start();
    // Stop once the run is under way, however busy the machine is.
    static const QRegularExpression underWay(R"(\[1/2\] long  \d+\.\d+%)");
    while (!underWay.match(QString::fromUtf8(out)).hasMatch() && t.elapsed() < 60000) {
        p.waitForReadyRead(50);
        out += p.readAllStandardOutput();
    }
    ASSERT_TRUE(underWay.match(QString::fromUtf8(out)).hasMatch()) << out.toStdString();
    ASSERT_EQ(::kill(static_cast<pid_t>(p.processId()), SIGINT), 0);
    ASSERT_TRUE(p.waitForFinished(20000));
    out += p.readAllStandardOutput();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130);
    EXPECT_TRUE(out.contains("[1/2] long  Stop")) << out.toStdString();
    EXPECT_TRUE(out.contains("Finished 0, failed 0, stopped 1, not converted 1"));
    // The part converted stays, and plays to where it stopped: ffmpeg was let close it.
    EXPECT_GT(durationOf(probeFields(path("out/long.mp4"))), 1.0);
    EXPECT_TRUE(
        test::runProcess("ffmpeg", {"-v", "error", "-i", path("out/long.mp4"), "-f", "null", "-"})
            .output.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("out/next.mp4")));

    // The tool and its ffmpeg went with the stop.
    const auto running = [&] {
        QStringList found;
        QDirIterator procs("/proc", {}, QDir::Dirs | QDir::NoDotAndDotDot);
        while (procs.hasNext())
            if (readFile(procs.next() + "/cmdline").contains(path("out/long.mp4").toUtf8()))
                found << procs.filePath();
        return found;
    };
    EXPECT_TRUE(test::waitUntil([&] { return running().isEmpty(); }))
        << "still running: " << running().join(", ").toStdString();
}

// Names come from outside: a terminal must not act on what they hold, nor a reader take a
// line of theirs for one of ours.
TEST_F(BatchModeTest, NamesAreShownEscapedNeverRaw) {
    const QString title = QString::fromUtf8("a\x1b]0;pwned\x07\x1b[2J\nFinished 9, failed 0, "
                                            "stopped 0\xc2\x9b\\b");
    const QString shown = QStringLiteral("a\\x1b]0;pwned\\x07\\x1b[2J\\nFinished 9, failed 0, "
                                         "stopped 0\\u009b\\\\b");
    QDir().mkpath(path("in"));
    ASSERT_TRUE(
        QFile::rename(test::makeClip(path("in"), "clip.avi"), path("in/" + title + ".avi")));

    const Outcome r = run({"--convert", "--verbose", "--profile", "17", "--output", path("out"),
                           path("in/" + title + ".avi"), path("gone\x1b[31m.avi")});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    for (const QString& text : {r.out, r.err}) {
        EXPECT_FALSE(text.contains(u'\x1b')) << text.toStdString();
        EXPECT_FALSE(text.contains(QChar(0x9b))) << text.toStdString();
    }
    EXPECT_EQ(r.out.split('\n').filter(QRegularExpression("^Finished ")).size(), 1)
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Added " + shown + ": 160x120")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("[1/1] " + shown + "  Finish")) << r.out.toStdString();
    EXPECT_EQ(commandLines(r.out).size(), 1);
    EXPECT_TRUE(commandLines(r.out).value(0).contains("/in/" + shown + ".avi"))
        << r.out.toStdString();
    EXPECT_TRUE(r.err.contains("gone\\x1b[31m.avi: no such file or folder")) << r.err.toStdString();
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files).size(), 1);
}

TEST_F(BatchModeTest, NamesInAnotherEncodingKeepTheirBytes) {
    // Latin-1: "é" is the lone byte 0xe9, which as UTF-8 text would name another file.
    const QByteArray in = QFile::encodeName(dir.path()) + "/in caf\xe9";
    const QByteArray out = QFile::encodeName(dir.path()) + "/out caf\xe9";
    const auto cleanUp = qScopeGuard([&] {
        test::removeTree(in);
        test::removeTree(out);
    });
    ASSERT_EQ(::mkdir(in.constData(), 0777), 0);
    ASSERT_EQ(::rename(QFile::encodeName(test::makeClip(dir.path(), "clip.avi")).constData(),
                       (in + "/clip \xfc.avi").constData()),
              0);
    writeFile(configFile("VideoConverter.ini"), "[output]\npath=" + out + "\n");

    QProcess p;
    p.setProcessEnvironment(environment());
    startChild(p, programPath(), {"--convert", "--verbose", "--profile", "17", nameFromBytes(in)},
               ChildPriority::Normal);
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString shown = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 0) << shown.toStdString();
    EXPECT_TRUE(commandLines(shown).value(0).contains("/in caf\\xe9/clip \\xfc.avi"))
        << shown.toStdString();
    const QStringList made = folderEntryNames(nameFromBytes(out));
    ASSERT_EQ(made.size(), 1) << shown.toStdString();
    EXPECT_TRUE(nameBytes(made[0]).startsWith("clip \xfc."));
    EXPECT_GT(pathFileSize(nameFromBytes(out) + '/' + made[0]), 0);
}

TEST_F(BatchModeTest, SettingsThatAreNoFilesGiveDefaultsAndSigtermStillEndsTheRun) {
    test::makeClip(dir.path(), "long.mpg", {}, 60.0, "320x240");
    const QByteArray settings = QFile::encodeName(configFile("VideoConverter.ini"));
    ASSERT_EQ(::mkfifo(settings.constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", configFile("pro VideoConverter.ini")));
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(programPath(), {"--convert", "--output", path("out"), path("long.mpg")});
    ASSERT_TRUE(p.waitForStarted(10000));
    const auto cleanup = qScopeGuard([&] {
        p.kill();
        p.waitForFinished();
    });
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (!out.contains("Output folder: ") && t.elapsed() < 20000) {
        p.waitForReadyRead(100);
        out += p.readAllStandardOutput();
    }
    ASSERT_TRUE(out.startsWith("Profile 1: ")) << out.toStdString();
    // Whether it is still setting up, adding or converting, the run ends as documented.
    ASSERT_EQ(::kill(static_cast<pid_t>(p.processId()), SIGTERM), 0);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 143);
    struct stat st {};
    ASSERT_EQ(::lstat(settings.constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(QFileInfo(configFile("pro VideoConverter.ini")).symLinkTarget(), "/dev/zero");
}

// Service managers and cron may start us with no console at all, and nohup with hang-ups
// ignored: neither may cost the conversion.
TEST_F(BatchModeTest, NoConsoleAndIgnoredHangupsStillConvert) {
    test::makeClip(dir.path(), "long.mpg", {}, 20.0, "320x240");
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start("/bin/sh", {"-c", "trap '' HUP; exec \"$0\" \"$@\" <&- >&- 2>&-", programPath(),
                        "--convert", "--jobs", "1", "--profile", "102", "--size", "3", "--output",
                        path("out"), path("long.mpg")});
    ASSERT_TRUE(p.waitForStarted(10000));
    // The hang-up comes while the tool converts.
    const auto converting = [&] {
        QDirIterator procs("/proc", {}, QDir::Dirs | QDir::NoDotAndDotDot);
        while (procs.hasNext()) {
            if (readFile(procs.next() + "/cmdline").contains(path("out/long.avi").toUtf8()))
                return true;
        }
        return false;
    };
    ASSERT_TRUE(test::waitUntil(converting, 60000));
    ::kill(static_cast<pid_t>(p.processId()), SIGHUP);
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_NEAR(durationOf(probeFields(path("out/long.avi"))), 20.0, 0.5);
}

// The window, driven offscreen by a helper, and batch mode get the same remembered settings,
// files and choices; every job they launch must be the same command line.
TEST_F(BatchModeTest, BatchModeBuildsTheWindowsCommandLines) {
    const QString one = test::makeClip(dir.path(), "one clip.mpg", {}, 3.0, "320x240");
    const QString two = test::makeClip(dir.path(), "two.avi", {}, 3.0, "160x120");
    const QString out = path("out");
    struct Case {
        QStringList batch;
        QStringList window;
    };
    const QList<Case> cases = {
        {{}, {}}, // what the settings remember
        {{"--profile", "70", "--size", "1", "--video-quality", "Low Quality", "--audio-quality",
          "Higher Quality", "--cut", "00:00:01-00:00:02"},
         {"profile=70", "size=1", "video=3", "audio=0", "cut=1-2"}},
        {{"--profile", "DVD - MPEG2 PS Format(*.vob)", "--size", "NTSC"},
         {"profile=114", "size=1"}},
        {{"--profile", "120", "--size", "2", "--video-quality", "0", "--channels", "mono"},
         {"profile=120", "size=2", "video=0", "channel=0"}},
    };
    for (const Case& c : cases) {
        const std::string shown = c.batch.join(' ').toStdString();
        writeFile(configFile("VideoConverter.ini"), "[profiles]\nselcetsubindex=102\n");
        writeFile(configFile("pro VideoConverter.ini"),
                  "[102]\nsize=1\nvideo bitrate=2\naudio bitrate=1\nChannel=0\n");

        const Outcome batch = run(QStringList{"--convert", "--verbose", "--output", out} + c.batch +
                                  QStringList{one, two});
        EXPECT_EQ(batch.exitCode, 0) << shown << batch.err.toStdString();
        ASSERT_TRUE(QDir(out).removeRecursively());

        const Outcome window = run(QStringList{"program=" + test::programDir(), "output=" + out} +
                                       c.window + QStringList{one, two},
                                   VC_TEST_WINDOW_JOB);
        EXPECT_EQ(window.exitCode, 0) << shown << window.out.toStdString();
        ASSERT_TRUE(QDir(out).removeRecursively());

        EXPECT_EQ(commandLines(batch.out).size(), 2) << shown << batch.out.toStdString();
        EXPECT_EQ(commandLines(batch.out), commandLines(window.out)) << shown;
    }
}

// A film file's tracks are chosen by number as a title's are; a number it lacks refuses it,
// and a title is for discs only.
TEST_F(BatchModeTest, FilesTakeTheTrackOptionsAndPortraitClipsStayUpright) {
    const QString film = test::makeTwoLanguageClip(dir.path(), "film.mkv");
    const auto convert = [&](const QStringList& options, const QStringList& files) {
        return run(
            QStringList{"--convert", "--verbose", "--profile", "1", "--output", path("out")} +
            options + files);
    };
    const Outcome chosen = convert({"--audio-track", "2", "--subtitle", "1"},
                                   {film, test::makeClip(dir.path(), "plain.avi")});
    EXPECT_EQ(chosen.exitCode, 1);
    EXPECT_TRUE(chosen.err.contains("plain.avi has no audio track 2.\n"));
    EXPECT_TRUE(chosen.out.simplified().contains(" -audio-track 2 -subtitle-track 1 "));
    EXPECT_TRUE(convert({"--subtitle", "3"}, {film}).err.contains("film.mkv has no subtitle 3."));
    EXPECT_EQ(convert({"--title", "1"}, {film}).exitCode, 2);

    // At its own size a portrait clip is a portrait video, upright as the phone shows it.
    const Outcome own =
        convert({"--size", "original"}, {test::makePortraitClip(dir.path(), "phone.mp4")});
    ASSERT_EQ(own.exitCode, 0) << own.out.toStdString() << own.err.toStdString();
    EXPECT_TRUE(own.out.contains("Added phone: 360x640, ")) << own.out.toStdString();
    const QString made = path("out/phone.asf");
    EXPECT_TRUE(probeFields(made).contains("width=360") &&
                probeFields(made).contains("height=640"));
    EXPECT_TRUE(test::runProcess("ffmpeg", {"-v", "error", "-i", made, "-f", "null", "-"})
                    .output.isEmpty());
    // The mean brightness of a half of the first frame: white above black or below it.
    const auto mean = [&](const QString& half) {
        const QByteArray pixel =
            test::runProcess("ffmpeg",
                             {"-v", "error", "-i", made, "-vf", half + ",scale=1:1", "-frames:v",
                              "1", "-f", "rawvideo", "-pix_fmt", "gray", "-"})
                .output;
        return pixel.size() == 1 ? static_cast<unsigned char>(pixel[0]) : 999;
    };
    EXPECT_GT(std::abs(mean("crop=iw:ih/2:0:0") - mean("crop=iw:ih/2:0:ih/2")), 200);
}

// The installed layout: the launcher in bin/ finds the program folder in lib/videoconverter/,
// also when it is reached through a link.
TEST_F(BatchModeTest, TheLauncherStartsTheProgramFolderBesideIt) {
    QDir().mkpath(path("prefix/bin"));
    QDir().mkpath(path("prefix/lib"));
    ASSERT_TRUE(QFile::copy(VC_TEST_SOURCE_DIR "/../packaging/videoconverter",
                            path("prefix/bin/videoconverter")));
    ASSERT_TRUE(QFile::link(test::programDir(), path("prefix/lib/videoconverter")));
    ASSERT_TRUE(QFile::link(path("prefix/bin/videoconverter"), path("on path")));

    const Outcome list = run({"--list-profiles"}, path("on path"));
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_EQ(list.out.count('\n'), 127);
    const Outcome wrong = run({"--convert", "--bogus", "x"}, path("on path"));
    EXPECT_EQ(wrong.exitCode, 2); // the status comes through the launcher
}

} // namespace vc

namespace vc {

TEST_F(BatchModeTest, AProbeHangingOnAStalledFileDiesWithTheProgram) {
    const auto stalled = qScopeGuard([fd = test::stalledFile(path("stuck.avi"))] { ::close(fd); });
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(programPath(), {"--convert", "--output", path("out"), path("stuck.avi")});
    ASSERT_TRUE(p.waitForStarted(10000));
    // The probe is the tool serving this program's probes and the child that waits to open the
    // file.
    const auto parentOf = [](qint64 pid) {
        const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        return fields.size() > 1 ? fields[1].toLongLong() : 0;
    };
    QSet<QString> probes;
    const auto findProbes = [&] {
        QDirIterator procs("/proc", {}, QDir::Dirs | QDir::NoDotAndDotDot);
        while (procs.hasNext()) {
            const QString proc = procs.next();
            if (!readFile(proc + "/cmdline").contains("probe.dat"))
                continue;
            qint64 up = parentOf(QFileInfo(proc).fileName().toLongLong());
            for (int depth = 0; depth < 2 && up > 1 && up != p.processId(); ++depth)
                up = parentOf(up);
            if (up == p.processId())
                probes.insert(proc);
        }
        return probes.size();
    };
    const auto probing = [&] {
        return std::any_of(probes.begin(), probes.end(), [](const QString& proc) {
            return readFile(proc + "/cmdline").contains("probe.dat");
        });
    };
    test::waitUntil([&] { return findProbes() >= 2; });
    ASSERT_TRUE(probing()) << "the probe never started";
    ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_TRUE(test::waitUntil([&] { return !probing(); })) << "the probe outlived the program";
}

TEST_F(BatchModeTest, ConvertsAndListsTheTitlesOfADisc) {
    const QString disc = test::authorDvd(dir.path(), "HOLIDAY", {3, 5, {"de", "en"}});
    const QString image = test::makeDvdImage(disc, path("holiday.iso"), "HOLIDAY");

    const Outcome listed = run({"--list-titles", image});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.startsWith("Disc: HOLIDAY\nTitle 1: 00:00:03.00, 352x288\n"
                                      "    Audio 1: German, AC-3, Stereo\n"
                                      "    Audio 2: English, AC-3, Stereo\n"
                                      "    Subtitle 1: German\nTitle 2: 00:00:05.00"))
        << listed.out.toStdString();
    const Outcome refused = run({"--list-titles", path("")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("No DVD-Video disc was found here."))
        << refused.err.toStdString();

    // The longest title by default, cut; then another title with its second audio track.
    const QString out = path("out");
    Outcome r = run(
        {"--convert", "--output", out, "--profile", "119", "--cut", "00:00:01-00:00:03", image});
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_NEAR(durationOf(probeFields(out + "/HOLIDAY Title 2.mp4")), 2, 0.3);
    r = run({"--convert", "--output", out, "--profile", "119", "--title", "1", "--audio-track", "2",
             "--subtitle", "1", disc});
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    const test::ProcessResult language = test::runProcess(
        "ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                    "stream_tags=language", "-of", "csv=p=0", out + "/HOLIDAY Title 1.mp4"});
    EXPECT_EQ(language.output.trimmed(), "eng");
    r = run({"--convert", "--output", out, "--title", "1", "--audio-track", "3", disc});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("title 1 has no audio track 3")) << r.err.toStdString();
}

} // namespace vc

namespace vc {

namespace {

// An ffmpeg for the tool that notes each run's pid and output name, then holds the run until
// the file "go" appears beside its notes, so a test sees which conversions run at once.
QString writeGate(const QString& folder) {
    const QString gate = QDir(folder).filePath("gated-ffmpeg");
    QFile f(gate);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\n"
                           "for last; do :; done\n"
                           "echo \"$$ ${last##*/}\" >> '%1/started'\n"
                           "while [ ! -e '%1/go' ]; do sleep 0.1; done\n"
                           "exec ffmpeg \"$@\"\n")
                .arg(folder)
                .toUtf8());
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    return gate;
}

// "pid name" per held run, in the order they reached the gate.
QStringList gateArrivals(const QString& folder) {
    return QString::fromUtf8(readFile(QDir(folder).filePath("started")))
        .split('\n', Qt::SkipEmptyParts);
}

// Fields of /proc/PID/stat from the third (the state) on; empty once the process is gone.
QStringList statFields(const QString& pid) {
    const QByteArray stat = readFile("/proc/" + pid + "/stat");
    const qsizetype end = stat.lastIndexOf(')');
    return end < 0 ? QStringList() : QString::fromLatin1(stat.mid(end + 2)).split(' ');
}

} // namespace

TEST_F(BatchModeTest, SeveralFilesConvertAtOnceEachInAnIdleGroupOfItsOwn) {
    QStringList clips;
    for (const char* name : {"a.avi", "b.avi", "c.avi"})
        clips << test::makeClip(dir.path(), name);
    const Outcome badJobs = run({"--convert", "--jobs", "0", clips[0]});
    EXPECT_EQ(badJobs.exitCode, 2);
    EXPECT_TRUE(badJobs.err.contains("--jobs takes a number")) << badJobs.err.toStdString();

    for (const int jobs : {2, 1}) {
        const QString gate = path(QStringLiteral("gate%1").arg(jobs));
        QDir().mkpath(gate);
        extraEnvironment.insert("VIDEOCONVERTER_FFMPEG", writeGate(gate));
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(programPath(), QStringList{"--convert", "--jobs", QString::number(jobs),
                                           "--profile", "17", "--output", gate + "/out"} +
                                   clips);
        ASSERT_TRUE(p.waitForStarted(10000));
        const auto cleanup = qScopeGuard([&] {
            p.kill();
            p.waitForFinished();
        });
        ASSERT_TRUE(test::waitUntil([&] { return gateArrivals(gate).size() >= jobs; }, 60000));
        QThread::msleep(1000); // time enough for a run too many to show up
        const QStringList held = gateArrivals(gate);
        ASSERT_EQ(held.size(), jobs) << held.join(", ").toStdString();
        QStringList groups;
        for (const QString& arrival : held) {
            const QStringList stat = statFields(arrival.section(' ', 0, 0));
            ASSERT_GT(stat.size(), 38) << arrival.toStdString();
            groups << stat[2];
            // Several yield to everything else; one goes at the caller's own priority.
            EXPECT_EQ(stat[16].toInt(), jobs > 1 ? 19 : ::getpriority(PRIO_PROCESS, 0)) << jobs;
        }
        groups.removeDuplicates();
        EXPECT_EQ(groups.size(), jobs);
        EXPECT_FALSE(groups.contains(QString::number(::getpgid(0))));

        QFile(gate + "/go").open(QIODevice::WriteOnly);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QStringList lines =
            QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        // Added in argument order and started in list order; one at a time, each ends before
        // the next starts.
        const QStringList added = lines.filter(QRegularExpression("^Added "));
        const QStringList events = lines.filter(QRegularExpression(" -> |  Finish$"));
        const QStringList starts = events.filter(" -> ");
        ASSERT_EQ(added.size(), 3);
        ASSERT_EQ(starts.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const QString title = QString(QChar(u'a' + i));
            EXPECT_TRUE(added[i].startsWith("Added " + title + ": ")) << added[i].toStdString();
            EXPECT_TRUE(starts[i].startsWith(QStringLiteral("[%1/3] %2 -> ").arg(i + 1).arg(title)))
                << starts[i].toStdString();
        }
        if (jobs == 1) {
            EXPECT_EQ(events,
                      (QStringList{"[1/3] a -> " + gate + "/out/a.mp3", "[1/3] a  Finish",
                                   "[2/3] b -> " + gate + "/out/b.mp3", "[2/3] b  Finish",
                                   "[3/3] c -> " + gate + "/out/c.mp3", "[3/3] c  Finish"}));
        }
        EXPECT_EQ(lines.last(), "Finished 3, failed 0, stopped 0. Output folder: " + gate + "/out");
    }
}

// Both stop signals, with two files converting and one waiting: each running group goes,
// nothing else starts, and the run ends with the signal's status.
TEST_F(BatchModeTest, StopSignalsEndEveryRunningConversionAndStartNoMore) {
    QStringList clips;
    for (const char* name : {"a.avi", "b.avi", "c.avi"})
        clips << test::makeClip(dir.path(), name);
    for (const int signal : {SIGINT, SIGTERM}) {
        const QString gate = path(QStringLiteral("gate%1").arg(signal));
        QDir().mkpath(gate);
        extraEnvironment.insert("VIDEOCONVERTER_FFMPEG", writeGate(gate));
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(programPath(),
                QStringList{"--convert", "--jobs", "2", "--output", gate + "/out"} + clips);
        ASSERT_TRUE(p.waitForStarted(10000));
        const auto cleanup = qScopeGuard([&] {
            p.kill();
            p.waitForFinished();
        });
        ASSERT_TRUE(test::waitUntil([&] { return gateArrivals(gate).size() == 2; }, 60000));
        ASSERT_EQ(::kill(static_cast<pid_t>(p.processId()), signal), 0);
        ASSERT_TRUE(p.waitForFinished(20000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 128 + signal);
        EXPECT_TRUE(out.contains("[1/3] a  Stop") && out.contains("[2/3] b  Stop"))
            << out.toStdString();
        EXPECT_FALSE(out.contains("[3/3] c ->")) << out.toStdString();
        EXPECT_TRUE(out.contains("Finished 0, failed 0, stopped 2, not converted 1"));
        const auto gone = [](const QString& pid) {
            const QStringList stat = statFields(pid);
            return stat.isEmpty() || stat[0] == "Z"; // a dead child its new parent has not reaped
        };
        for (const QString& arrival : gateArrivals(gate))
            EXPECT_TRUE(test::waitUntil([&] { return gone(arrival.section(' ', 0, 0)); }))
                << "still running: " << arrival.toStdString();
        EXPECT_EQ(gateArrivals(gate).size(), 2);
        // Nothing was written: nothing is left to push a rerun aside.
        EXPECT_TRUE(QDir(gate + "/out").isEmpty());
    }
}

// On a terminal, a line of the whole batch stays below the files' own lines.
TEST_F(BatchModeTest, ATerminalShowsTheBatchsProgressBelowWholeLines) {
    QStringList clips;
    for (const char* name : {"a.avi", "b.avi", "c.avi", "d.avi"})
        clips << test::makeClip(dir.path(), name, {}, 4.0);
    // The first two runs take a while, so the batch has a rate once they finish.
    const QString slow = path("slow-ffmpeg");
    writeFile(slow, "#!/bin/sh\nsleep 1.5\nexec ffmpeg \"$@\"\n");
    QFile(slow).setPermissions(QFile(slow).permissions() | QFileDevice::ExeOwner);
    extraEnvironment.insert("VIDEOCONVERTER_FFMPEG", slow);

    // Under script(1) the program's output is a terminal; stderr is left out of it.
    QStringList command{programPath(), "--convert", "--jobs",   "2",
                        "--profile",   "17",        "--output", path("out")};
    for (QString& word : command += clips)
        word = "'" + word + "'";
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start("script", {"-qefc", command.join(' ') + " 2>/dev/null", "/dev/null"});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0);
    // The terminal turns each line end into CR LF; the program itself never writes one.
    const QByteArray shown = p.readAllStandardOutput().replace("\r\n", "\n");

    // What each line of the terminal holds once it is done with: never the batch's line, and
    // never a file's line written into it.
    const QStringList lines = QString::fromUtf8(shown).split('\n');
    for (const QString& line : lines.mid(0, lines.size() - 1)) {
        const QString kept = line.section('\r', -1);
        EXPECT_TRUE(
            QRegularExpression("^(Profile |audio |Output folder: |Added |\\[\\d/4\\] |Finished )")
                .match(kept)
                .hasMatch())
            << line.toStdString();
    }
    EXPECT_EQ(lines.last(), QString()); // the batch's line is gone at the end
    EXPECT_TRUE(shown.contains("\rDone 0 of 4, 0.0%, time left not known yet"))
        << shown.toStdString();
    EXPECT_TRUE(QRegularExpression("\rDone 2 of 4, 50\\.0%, about \\d\\d:\\d\\d:\\d\\d left")
                    .match(QString::fromUtf8(shown))
                    .hasMatch())
        << shown.toStdString();
    EXPECT_TRUE(shown.contains("  Finish\nFinished 4, failed 0, stopped 0."));
}

// The README's recipe for spreading a library over machines, with this machine as the only
// one: invocations into one folder at once each get a name of their own, write their file
// whole, report their own status and leave the settings alone.
TEST_F(BatchModeTest, InvocationsUnderGnuParallelShareAnOutputFolder) {
    const QString parallel = QStandardPaths::findExecutable("parallel");
    if (parallel.isEmpty())
        GTEST_SKIP() << "GNU Parallel is not installed (scripts/setup-debian installs it)";
    QStringList files;
    for (const char* folder : {"a", "b", "c"}) {
        QDir().mkpath(path(folder));
        files << test::makeClip(path(folder), "clip.avi", {}, 2.0);
    }
    files << test::makeClip(dir.path(), "other.mpg", {}, 3.0);
    files << path("broken.avi");
    writeFile(files.last(), QByteArray(4096, 'x'));
    QByteArray list;
    for (const QString& file : files)
        list += file.toUtf8() + '\0';
    writeFile(path("files"), list);
    writeFile(path("nodes"), "8/:\n");

    // Every conversion is held until all four run, so the names are claimed side by side.
    const QString gate = path("gate");
    QDir().mkpath(gate);
    extraEnvironment.insert("VIDEOCONVERTER_FFMPEG", writeGate(gate));
    QDir().mkpath(path("home"));
    extraEnvironment.insert("HOME", path("home")); // parallel keeps its own files there
    extraEnvironment.insert("TMPDIR", path("home"));
    QProcess p;
    p.setProcessEnvironment(environment());
    p.setStandardInputFile(path("files"));
    p.start(parallel,
            {"-0", "--sshloginfile", path("nodes"), "--joblog", path("convert.log"), "--tag",
             programPath(), "--convert", "--profile", "17", "--output", path("shared"), "{}"});
    ASSERT_TRUE(p.waitForStarted(10000));
    const auto cleanup = qScopeGuard([&] {
        p.kill();
        p.waitForFinished();
    });
    ASSERT_TRUE(test::waitUntil([&] { return gateArrivals(gate).size() == 4; }, 60000))
        << gateArrivals(gate).join(", ").toStdString();
    QFile(gate + "/go").open(QIODevice::WriteOnly);
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 1) << p.readAll().toStdString(); // parallel counts the failed jobs

    QHash<QString, int> status; // file -> its invocation's exit status, from the job log
    for (const QString& line : QString::fromUtf8(readFile(path("convert.log"))).split('\n')) {
        const QStringList fields = line.split('\t');
        if (fields.size() >= 9 && fields[0] != "Seq")
            status.insert(fields[8].section(' ', -1), fields[6].toInt());
    }
    EXPECT_EQ(status.size(), 5);
    for (const QString& file : files)
        EXPECT_EQ(status.value(file, -1), file.endsWith("broken.avi") ? 1 : 0)
            << file.toStdString();

    QStringList written = QDir(path("shared")).entryList(QDir::Files);
    written.sort();
    EXPECT_EQ(written, (QStringList{"clip.mp3", "clip_1.mp3", "clip_2.mp3", "other.mp3"}));
    for (const QString& name : written)
        EXPECT_NEAR(durationOf(probeFields(path("shared/" + name))),
                    name.startsWith("other") ? 3.0 : 2.0, 0.2)
            << name.toStdString();
    EXPECT_TRUE(QDir(config.path()).isEmpty());
}

} // namespace vc
