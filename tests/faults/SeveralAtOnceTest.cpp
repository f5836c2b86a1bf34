// The window converting several files at once.
#include "FaultFixture.h"
#include "common/Processors.h"
#include "shell/SettingsWindows.h"
#include "shell/SkinObject.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QMenu>
#include <QSpinBox>
#include <QTimer>

using namespace vc;

namespace {

// 'T' while stopped by a pause.
char processState(const QString& pid) {
    const QByteArray stat = test::readBytes("/proc/" + pid + "/stat");
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 ? '?' : stat.at(close + 2);
}

} // namespace

TEST_F(FaultTest, SeveralFilesConvertAtOnceAndPauseStopAndTheActionReachThemAll) {
    Tfm_main& main = open();
    add(main, {clip("a.mpg", 2.0), clip("b.mpg", 2.0), clip("c.mpg", 2.0)});
    ASSERT_EQ(main.sources()->rows(), 3);

    // Nothing ticked: the hint says what chooses the files.
    main.sources()->tickAll(false);
    main.button("bt_start")->click();
    EXPECT_EQ(messages(), QStringList{"Please select one file."});
    EXPECT_EQ(main.elements().hint->text(), "Tick the files to convert in the first column.");
    main.sources()->tickAll(true);

    QTimer::singleShot(0, [&] {
        Tfm_set& set = program->settings();
        EXPECT_EQ(set.sb_files()->value(), 1); // one at a time until chosen
        // Up to the processors there are; two on the smallest machine this runs on.
        EXPECT_EQ(set.sb_files()->maximum(), usableProcessors());
        set.sb_files()->setValue(2);
        set.rg_finish()->button(1)->setChecked(true);
        set.accept();
    });
    main.bt_setClick();

    // Each run reports half of its file, then waits for the gate.
    const QString gate = QDir(config.path()).filePath("gate");
    const QString pids = QDir(config.path()).filePath("pids");
    replaceTool(QStringLiteral("echo $$ >> '%1'\nfor a; do out=$a; done\n"
                               "printf 'frame=  1 time=1.00 bitrate= 1.0kbits/s\\r'\n"
                               "while [ ! -e '%2' ]; do sleep 0.05; done\n"
                               "echo data > \"$out\"\n")
                    .arg(pids, gate)
                    .toUtf8());
    main.button("bt_start")->click();
    ASSERT_TRUE(test::waitUntil([&] {
        return statuses(main) == QStringList{"50.00%", "50.00%", "Status"};
    })) << statuses(main).join(' ').toStdString();
    // The bar and its text: the whole batch, two halves of three files.
    const auto* info =
        static_cast<SkinElement*>(main.skin()->skinObject(&main)->findChild("convertinfo"));
    ASSERT_TRUE(test::waitUntil([&] { return info->text().startsWith("33.3%"); }))
        << info->text().toStdString();

    main.button("bt_pause")->click();
    QAction* pause = main.menu("zm_pop_actions")->findChild<QAction*>("Pause1");
    EXPECT_EQ(pause->text(), "Continue");
    const QStringList running =
        QString::fromLatin1(test::readBytes(pids)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(running.size(), 2);
    for (const QString& pid : running)
        EXPECT_TRUE(test::waitUntil([&] { return processState(pid) == 'T'; })) << pid.toStdString();
    main.button("bt_pause")->click();
    EXPECT_EQ(pause->text(), "Pause");
    for (const QString& pid : running)
        EXPECT_NE(processState(pid), 'T');

    ASSERT_TRUE(test::writeBytes(gate, {}));
    ASSERT_TRUE(test::waitUntil([&] { return !main.converting(); }));
    EXPECT_EQ(statuses(main), QStringList(3, "Finish"));
    // The action follows the last file, once.
    EXPECT_EQ(shell.folders, QStringList{out + "/"});

    // Stop reaches every running file; the one waiting stays as it was.
    QFile::remove(gate);
    main.button("bt_start")->click();
    ASSERT_TRUE(test::waitUntil([&] {
        return statuses(main) == QStringList{"50.00%", "50.00%", "Finish"};
    }));
    main.button("Bt_Convertstop")->click();
    EXPECT_EQ(statuses(main), (QStringList{"Stop", "Stop", "Finish"}));
    EXPECT_FALSE(main.converting());
    EXPECT_EQ(shell.folders.size(), 1);

    main.close();
    EXPECT_TRUE(settingsText().contains("FilesAtOnce=2"));
}
