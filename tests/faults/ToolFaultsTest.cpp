// The converter tool missing, killed mid-run, hanging in a probe or a conversion, and a disk
// that fills up under it.
#include "FaultFixture.h"

#include "common/SkinFacets.h"

#include <QLocalServer>
#include <QSignalSpy>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <sys/stat.h>

using namespace vc;
using namespace std::chrono_literals;

namespace {

QList<pid_t> pidsIn(const QString& path) {
    QList<pid_t> pids;
    for (const QByteArray& line : test::readBytes(path).split('\n'))
        if (!line.trimmed().isEmpty())
            pids << line.trimmed().toInt();
    return pids;
}

bool allEnded(const QList<pid_t>& pids) {
    return test::waitUntil([&] { return std::none_of(pids.begin(), pids.end(), test::alive); });
}

} // namespace

TEST_F(FaultTest, AMissingToolRefusesNewFilesAndFailsTheRunWithTheReason) {
    Tfm_main& main = open();
    add(main, {clip("a.mpg")});
    ASSERT_EQ(main.sources()->rows(), 1);
    keepInOutput("a.asf");
    const auto before = test::digests(config.path());

    ASSERT_TRUE(QFile::remove(toolFile()));
    // Enough files for the add to keep one tool: it is named once, at once.
    const QStringList files{clip("b.mpg"), clip("c.mpg"), clip("d.mpg"), clip("e.mpg"),
                            clip("f.mpg")};
    dialogs.shown.clear();
    add(main, files);
    EXPECT_EQ(main.sources()->rows(), 1);
    EXPECT_EQ(messages(), QStringList{"The converter tool is missing: " + toolFile()});

    dialogs.shown.clear();
    ASSERT_TRUE(convert(main, 10000)) << "a run that never started left the batch converting";
    EXPECT_EQ(status(main, 0), "Failed");
    ASSERT_EQ(dialogs.shown.size(), 1); // the batch's end box, with the row's reason
    EXPECT_TRUE(dialogs.shown[0].text.contains("\na: " + toolFile() + ": "))
        << dialogs.shown[0].text.toStdString();
    EXPECT_TRUE(main.button("bt_start")->isEnabled());
    auto after = test::digests(config.path());
    for (const QString& file : files)
        after.remove("media/" + QFileInfo(file).fileName());
    EXPECT_EQ(after, before);

    main.close();
    expectSettingsKept();
}

TEST_F(FaultTest, AToolKilledMidRunFailsItsRowAndLeavesNothingOfItsOwnRunning) {
    Tfm_main& main = open();
    add(main, {clip("a.mpg"), clip("b.mpg")});
    ASSERT_EQ(main.sources()->rows(), 2);
    keepInOutput("a.asf");
    keepInOutput("b.asf");
    const auto before = test::digests(out);

    // Each run starts a helper of its own, as the real tool starts ffmpeg, reports some
    // progress and dies: by SIGKILL the first time, by SIGSEGV the second.
    replaceTool(
        "sleep 600 &\n"
        "echo $! >> helpers.pid\n"
        "printf 'Too many packets buffered for output stream 0:1.\\n'\n"
        "printf 'frame=   10 fps=0.0 q=2.0 size=      16kB time=0.40 bitrate= 327.7kbits/s\\r'\n"
        "sleep 0.2\n"
        "if [ -e killed ]; then kill -SEGV $$; else touch killed; kill -KILL $$; fi\n");
    ASSERT_TRUE(convert(main));
    EXPECT_EQ(statuses(main), (QStringList{"Failed", "Failed"}));
    // What the tool said last, its progress aside, stays in view to tell what went wrong.
    EXPECT_EQ(main.elements().hint->text(), "Too many packets buffered for output stream 0:1.");
    const QList<pid_t> helpers = pidsIn(QDir(folder.path()).filePath("helpers.pid"));
    EXPECT_EQ(helpers.size(), 2);
    EXPECT_TRUE(allEnded(helpers)) << "a dead tool's helper went on running";
    auto after = test::digests(out);
    // The partial outputs of the failed runs may stay; the user's own files are untouched.
    for (auto it = after.begin(); it != after.end();)
        it = before.contains(it.key()) ? std::next(it) : after.erase(it);
    EXPECT_EQ(after, before);

    main.close();
    expectSettingsKept();
}

TEST_F(FaultTest, AProbeThatHangsIsEndedWithItsGroupAndTheFileRefused) {
    Tfm_main& main = open();
    auto* probe = main.findChild<MediaProbe*>();
    ASSERT_NE(probe, nullptr);
    probe->setTimeLimit(400ms);
    const QString file = clip("stuck.mpg");

    // A probe that dies says nothing and leaves nothing behind.
    replaceTool("sleep 600 &\n"
                "echo $! >> left.pid\n"
                "kill -KILL $$\n");
    add(main, {file});
    EXPECT_EQ(main.sources()->rows(), 0);
    EXPECT_EQ(dialogs.texts().last(), "stuck.mpg is not support!");
    const QList<pid_t> left = pidsIn(QDir(folder.path()).filePath("left.pid"));
    EXPECT_EQ(left.size(), 2);
    EXPECT_TRUE(allEnded(left)) << "a dead probe's helper went on running";

    replaceTool("echo $$ >> probes.pid\n"
                "sleep 600 &\n"
                "echo $! >> probes.pid\n"
                "wait\n");
    // The window keeps handling events while it waits.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    QElapsedTimer t;
    t.start();
    add(main, {file});
    if (!test::sanitizedBuild()) {
        EXPECT_LT(t.elapsed(), 10000); // far below the minute a probe is given by default
    }
    EXPECT_GT(ticks, 5);
    EXPECT_EQ(main.sources()->rows(), 0);
    EXPECT_EQ(dialogs.texts().last(), "stuck.mpg could not be read in time.");
    const QList<pid_t> pids = pidsIn(QDir(folder.path()).filePath("probes.pid"));
    EXPECT_EQ(pids.size(), 4); // two attempts, each a tool and its helper
    EXPECT_TRUE(allEnded(pids));
    main.close();
    expectSettingsKept();
}

// A refused file says why, in the same sentence in the window and in batch mode.
TEST_F(FaultTest, ARefusedFileSaysWhyAlikeInTheWindowAndInBatchMode) {
    Tfm_main& main = open();
    const QString good = clip("good.mpg");
    const QByteArray whole = test::readBytes(clip("whole.mp4"));
    ASSERT_TRUE(test::writeBytes(media + "/cut.mp4", whole.left(whole.size() / 3))); // no index
    for (const QString name : {"/notes.mp4", "/notes.txt"})
        ASSERT_TRUE(test::writeBytes(media + name, "Just notes.\n"));
    const auto expectSaid = [&](const QStringList& files, const QStringList& sentences) {
        dialogs.shown.clear();
        add(main, files);
        EXPECT_EQ(messages().join('\n').section('\n', -int(sentences.size())),
                  sentences.join('\n'));
        QProcess batch;
        batch.start(QDir(folder.path()).filePath("VideoConverter"),
                    QStringList{"--convert", "--output", out} + files);
        ASSERT_TRUE(batch.waitForFinished(60000));
        EXPECT_EQ(batch.exitCode(), 1);
        const QString err = QString::fromUtf8(batch.readAllStandardError());
        for (const QString& sentence : sentences)
            EXPECT_TRUE(err.contains(sentence + "\n")) << err.toStdString();
    };
    expectSaid({media + "/cut.mp4", media + "/notes.mp4", media + "/notes.txt"},
               {"cut.mp4 is damaged: nothing in it can be read.",
                "notes.mp4 is damaged: nothing in it can be read.", "notes.txt is not support!"});
    const QString probeTool = QDir(folder.path()).filePath("probe.dat");
    ASSERT_TRUE(QFile::remove(probeTool));
    expectSaid({good}, {"The converter tool is missing: " + probeTool});
    main.findChild<MediaProbe*>()->setTimeLimit(300ms);
    qputenv("VIDEOCONVERTER_PROBE_LIMIT_MS", "300");
    replaceTool("sleep 600\n");
    expectSaid({good}, {"good.mpg could not be read in time."});
    qunsetenv("VIDEOCONVERTER_PROBE_LIMIT_MS");
}

// Named like videos, a FIFO, a device and a socket are refused before a probe could wait on them.
TEST_F(FaultTest, WhatIsNoRegularFileIsRefusedAtOnceInTheWindowAndInBatchMode) {
    Tfm_main& main = open();
    // The probe a FIFO held until its time ran out.
    main.findChild<MediaProbe*>()->setTimeLimit(2000ms);
    qputenv("VIDEOCONVERTER_PROBE_LIMIT_MS", "2000");
    ASSERT_EQ(::mkfifo(QFile::encodeName(media + "/stuck.avi").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", media + "/zero.mp4"));
    QLocalServer socket;
    ASSERT_TRUE(socket.listen(media + "/socket.mkv"));
    const QStringList files{media + "/stuck.avi", media + "/zero.mp4", media + "/socket.mkv"};
    const QString said = "stuck.avi is not a regular file.\nzero.mp4 is not a regular file.\n"
                         "socket.mkv is not a regular file.\n";
    add(main, files);
    EXPECT_EQ(messages(), QStringList{"3 files are not supported:\n" + said.chopped(1)});
    const test::ProcessResult batch =
        test::runProcess(QDir(folder.path()).filePath("VideoConverter"),
                         QStringList{"--convert", "--output", out} + files);
    qunsetenv("VIDEOCONVERTER_PROBE_LIMIT_MS");
    EXPECT_EQ(batch.exitCode, 1);
    EXPECT_TRUE(batch.output.contains(said.toUtf8())) << batch.output.toStdString();
}

TEST_F(FaultTest, StopEndsAHangingConversionAndEverythingItStarted) {
    Tfm_main& main = open();
    add(main, {clip("a.mpg", 2.0), clip("b.mpg")});
    ASSERT_EQ(main.sources()->rows(), 2);
    replaceTool(
        "echo $$ > tool.pid\n"
        "sleep 600 &\n"
        "printf 'frame=   25 fps=0.0 q=2.0 size=      16kB time=1.00 bitrate= 131.1kbits/s\\r'\n"
        "wait\n");
    main.button("bt_start")->click();
    const QString pidFile = QDir(folder.path()).filePath("tool.pid");
    // One second of a whole 2-second clip.
    ASSERT_TRUE(test::waitUntil([&] { return status(main, 0) == "50.00%"; }))
        << status(main, 0).toStdString();
    const QList<pid_t> tool = pidsIn(pidFile);
    ASSERT_EQ(tool.size(), 1);
    EXPECT_GE(test::liveMembers(tool[0]).size(), 2);

    // Paused first: a stopped group must still die.
    main.button("bt_pause")->click();
    QSignalSpy ended(main.queue(), &ConversionQueue::settled);
    main.button("Bt_Convertstop")->click();
    EXPECT_FALSE(main.converting());
    EXPECT_EQ(statuses(main), (QStringList{"Stop", "Status"}));
    ASSERT_TRUE(ended.wait(5000)) << "the stopped tool never ended";
    EXPECT_TRUE(test::waitUntil([&] { return test::liveMembers(tool[0]).isEmpty(); }))
        << "left running: " << test::liveMembers(tool[0]).size();
    QTest::qWait(100); // nothing is awaited: the late end must change nothing meanwhile
    EXPECT_EQ(statuses(main), (QStringList{"Stop", "Status"}));
    EXPECT_TRUE(main.button("bt_start")->isEnabled());
    main.close();
    expectSettingsKept();
}

TEST_F(FaultTest, AFullDiskFailsTheRunAndDamagesNothingElse) {
    Tfm_main& main = open();
    add(main, {clip("a.mpg", 3.0), clip("b.mpg", 3.0)});
    ASSERT_EQ(main.sources()->rows(), 2);
    keepInOutput("a.asf");
    const QByteArray mine = test::readBytes(QDir(out).filePath("a.asf"));
    const auto sources = test::digests(media);

    // The real tool, allowed files of at most 16 blocks of 512 bytes, as on a full disk.
    ASSERT_TRUE(QFile::rename(toolFile(), QDir(folder.path()).filePath("register.real")));
    replaceTool("ulimit -f 16\nexec \"$(dirname \"$0\")/register.real\" \"$@\"\n");
    ASSERT_TRUE(convert(main));
    EXPECT_EQ(statuses(main), (QStringList{"Failed", "Failed"}));
    EXPECT_EQ(test::readBytes(QDir(out).filePath("a.asf")), mine);
    for (const char* name : {"a_1.asf", "b.asf"})
        EXPECT_LE(QFileInfo(QDir(out).filePath(name)).size(), 16 * 512) << name;
    EXPECT_EQ(test::digests(media), sources);

    // With room again, the same rows convert.
    ASSERT_TRUE(QFile::remove(toolFile()));
    ASSERT_TRUE(QFile::rename(QDir(folder.path()).filePath("register.real"), toolFile()));
    ASSERT_TRUE(convert(main));
    EXPECT_EQ(statuses(main), (QStringList{"Finish", "Finish"}));
    EXPECT_EQ(test::readBytes(QDir(out).filePath("a.asf")), mine);
    main.close();
    expectSettingsKept();
}

TEST_F(FaultTest, AddsDuringAFolderScanWaitSoEveryRowDescribesItsOwnFile) {
    Tfm_main& main = open();
    const QString scan = QDir(media).filePath("scan");
    ASSERT_TRUE(QDir().mkpath(scan));
    test::makeClip(scan, "a.mpg", {}, 1.0, "160x120");
    test::makeClip(scan, "b.mpg", {}, 1.0, "320x240");
    test::makeClip(scan, "c.mpg", {}, 1.0, "176x144");
    const QString dropped = test::makeClip(media, "d.mpg", {}, 1.0, "352x288");
    const QString picked = test::makeClip(media, "e.mpg", {}, 1.0, "640x480");
    // A slow tool, so the scan is surely under way when the other adds come.
    ASSERT_TRUE(QFile::rename(toolFile(), QDir(folder.path()).filePath("real.dat")));
    replaceTool("sleep 0.3\nexec \"$(dirname \"$0\")/real.dat\" \"$@\"\n");

    bool addOffered = true;
    QTimer::singleShot(450, [&] {
        addOffered = main.button("bt_dvdopen")->isEnabled() || main.button("bt_ifo")->isEnabled();
        dialogs.files = {{picked}};
        main.sources()->addFiles();            // as a skin element or a key would ask
        main.sources()->addDropped({dropped}); // waits for the scan
    });
    QTimer::singleShot(0, [&] {
        program->dir().setCurrentFolder(scan);
        program->dir().bt_okClick();
    });
    main.button("bt_ifo")->click();
    EXPECT_FALSE(addOffered);
    EXPECT_TRUE(main.button("bt_dvdopen")->isEnabled());

    QStringList rows;
    for (int row = 0; row < main.sources()->rows(); ++row)
        rows << main.sources()->title(row) + ' ' + main.sources()->records().info(row).resolution +
                    ' ' + QFileInfo(main.sources()->records().info(row).path).fileName();
    EXPECT_EQ(rows, (QStringList{"a 160x120 a.mpg", "b 320x240 b.mpg", "c 176x144 c.mpg",
                                 "d 352x288 d.mpg"}));
    main.close();
}

TEST_F(FaultTest, ASignalDuringAHangingAddEndsTheProbeSavesAndCloses) {
    Tfm_main& main = open();
    replaceTool("echo $$ >> probes.pid\n"
                "sleep 600 &\n"
                "echo $! >> probes.pid\n"
                "wait\n");
    main.selectProfile(8); // a change the close must save
    QTimer::singleShot(400, [&] { main.closeOnSignal(); });
    QElapsedTimer t;
    t.start();
    add(main, {clip("a.mpg"), clip("b.mpg")});
    if (!test::sanitizedBuild()) {
        EXPECT_LT(t.elapsed(), 10000); // far below the minute a probe is given by default
    }
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(main.sources()->rows(), 0);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
    const QList<pid_t> pids = pidsIn(QDir(folder.path()).filePath("probes.pid"));
    EXPECT_EQ(pids.size(), 2); // the second file was never tried
    EXPECT_TRUE(test::waitUntil([&] { return allEnded(pids); }));
    EXPECT_TRUE(test::readBytes(settingsPath()).contains("selcetsubindex=8"));
}
