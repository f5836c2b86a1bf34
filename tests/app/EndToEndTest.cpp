// The product as a user meets it: the real window offscreen, the real converter tool, the
// dialogs and the shell faked, the preview on the scripted library.
#include "MainWindowFixture.h"

#include "FakePreviewLibrary.h"
#include "convert/BatchControl.h"
#include "media/SourceList.h"
#include "preview/PreviewPlayer.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfilePicker.h"
#include "shell/ImageButton.h"
#include "shell/TSkin.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace vc;

namespace {

class EndToEndTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        library = &fake;
        out = QDir(config.path()).filePath("converted");
        clips = QDir(config.path()).filePath("my clips");
        QDir().mkpath(clips);
        test::makeClip(clips, "a.mpg", {}, 1.0);
        test::makeClip(clips, "b clip.mpg", {}, 40.0);
        test::makeClip(clips, "c.mpg", {}, 1.0);
        QFile f(settingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[output]\npath=" + out.toUtf8() + "\n[profiles]\nFinishSelcet=1\n");
    }
    Tfm_main& open() {
        Tfm_main& main = start();
        main.player()->setTiming({50, 10, 10});
        main.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&main));
        return main;
    }
    void click(Tfm_main& main, const char* element) {
        emit main.skin()->OnClick(main.skin()->skinObject(&main)->findChild(element));
    }
    static bool waitFor(const std::function<bool()>& done, int ms = 120000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms)
            QTest::qWait(20);
        return done();
    }
    static QString status(Tfm_main& main, int row) {
        return main.lv()->topLevelItem(row)->text(SourceList::StatusColumn);
    }

    test::FakePreviewLibrary fake;
    QString out;
    QString clips;
};

} // namespace

TEST_F(EndToEndTest, AddChooseConvertPauseStopConvertAgainAndRestart) {
    Tfm_main& main = open();
    EXPECT_EQ(main.ed_output()->text(), out);

    // Add a folder through the "File Directory" window.
    QTimer::singleShot(0, [&] {
        program->dir().setCurrentFolder(clips);
        program->dir().bt_okClick();
    });
    click(main, "openfolder");
    ASSERT_EQ(main.sources()->rows(), 3);
    EXPECT_EQ(main.lv()->topLevelItem(1)->text(0), "b clip");
    EXPECT_EQ(main.lv()->topLevelItem(1)->text(SourceList::TimeColumn), "00:00:40");

    // Choose a profile the way a user does: open the picker, hover, click.
    click(main, "profiles");
    ProfilePicker* picker = main.picker();
    ASSERT_TRUE(main.control("pl_main")->isVisible());
    emit picker->button(8)->entered();
    QTest::mouseClick(picker->button(8), Qt::LeftButton);
    ASSERT_EQ(main.selectedProfile(), 8);
    EXPECT_FALSE(main.control("pl_main")->isVisible());
    auto* size = static_cast<QComboBox*>(main.control("cb_size"));
    auto* quality = static_cast<QComboBox*>(main.control("cb_videobitrate"));
    ASSERT_GT(size->count(), 1);
    ASSERT_GT(quality->count(), 1);
    size->setCurrentIndex(1);
    quality->setCurrentIndex(quality->count() - 1);
    const QString sizeText = size->currentText();
    const QString estimate = main.lv()->topLevelItem(0)->text(SourceList::OutputColumn);
    EXPECT_FALSE(estimate.isEmpty());

    // Two of three rows: pause and continue the second, then stop it.
    main.lv()->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    main.button("bt_start")->click();
    ASSERT_TRUE(waitFor([&] { return main.batch()->currentItem() == 1; }));
    EXPECT_EQ(status(main, 0), "Finish");
    QAction* pause = main.menu("zm_pop_actions")->findChild<QAction*>("Pause1");
    main.button("bt_pause")->click();
    EXPECT_EQ(pause->text(), "Continue");
    main.button("bt_pause")->click();
    EXPECT_EQ(pause->text(), "Pause");
    click(main, "stopconverter");
    EXPECT_EQ(status(main, 1), "Stop");
    EXPECT_EQ(status(main, 2), "Status"); // as it was added
    EXPECT_TRUE(shell.folders.isEmpty()); // a stopped batch performs no action

    // Again, to the end: the folder opens once the batch is over.
    click(main, "converter");
    ASSERT_TRUE(waitFor([&] { return !main.converting(); }));
    EXPECT_EQ(status(main, 0), "Finish");
    EXPECT_EQ(status(main, 1), "Finish");
    EXPECT_EQ(status(main, 2), "Status");
    EXPECT_EQ(shell.folders, QStringList{out + "/"});
    const QString ext = profileExtension(8);
    for (const QString& name : {"a" + ext, "a_1" + ext, "b clip" + ext})
        EXPECT_GT(QFileInfo(QDir(out).filePath(name)).size(), 0)
            << name.toStdString() << " among " << QDir(out).entryList().join(", ").toStdString();
    EXPECT_FALSE(QFileInfo::exists(QDir(out).filePath("c" + ext)));

    // A restart finds the choices as they were left.
    main.close();
    program.reset();
    Tfm_main& again = open();
    EXPECT_EQ(again.selectedProfile(), 8);
    EXPECT_EQ(again.ed_output()->text(), out);
    EXPECT_EQ(static_cast<QComboBox*>(again.control("cb_size"))->currentText(), sizeText);
}

TEST_F(EndToEndTest, KeysReachTheListAndThePreview) {
    Tfm_main& main = open();
    dialogs.files = {{QDir(clips).filePath("a.mpg"), QDir(clips).filePath("c.mpg")}};
    QTest::keyClick(&main, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(main.sources()->rows(), 2);

    main.lv()->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    main.lv()->setFocus();
    QTest::keyClick(&main, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(main.lv()->topLevelItem(0)->checkState(0), Qt::Checked);

    // Space plays the selected row, and pauses and resumes it.
    main.lv()->clearSelection();
    main.lv()->topLevelItem(1)->setSelected(true);
    main.refreshCommandState();
    QTest::keyClick(&main, Qt::Key_Space);
    ASSERT_TRUE(fake.waitForPlay());
    EXPECT_EQ(status(main, 1), "Play");
    QTest::keyClick(&main, Qt::Key_Space);
    EXPECT_EQ(status(main, 1), "Pause");
    QTest::keyClick(&main, Qt::Key_Space);
    EXPECT_EQ(status(main, 1), "Play");
    // Nothing is removed while the preview plays; afterwards Delete removes the selection.
    QTest::keyClick(&main, Qt::Key_Delete);
    EXPECT_EQ(main.sources()->rows(), 2);
    main.button("bt_playstop")->click();
    main.lv()->topLevelItem(1)->setSelected(true);
    main.refreshCommandState();
    QTest::keyClick(&main, Qt::Key_Delete);
    EXPECT_EQ(main.sources()->rows(), 1);

    // Escape closes the picker; typing in the output field keeps its keys.
    main.openPicker();
    ASSERT_TRUE(main.control("pl_main")->isVisible());
    QTest::keyClick(&main, Qt::Key_Escape);
    EXPECT_FALSE(main.control("pl_main")->isVisible());
    main.ed_output()->setFocus();
    main.ed_output()->setText("abc");
    main.ed_output()->setCursorPosition(0);
    QTest::keyClick(main.ed_output(), Qt::Key_Delete);
    EXPECT_EQ(main.ed_output()->text(), "bc");
    EXPECT_EQ(main.sources()->rows(), 1);
}

TEST_F(EndToEndTest, SkinElementsThatCouldSilentlyMisroute) {
    Tfm_main& main = open();
    dialogs.files = {{QDir(clips).filePath("a.mpg")}};
    click(main, "openfiles");
    ASSERT_EQ(main.sources()->rows(), 1);

    // "cutter" only warns: nothing at rest, 27 while the preview plays, 26 while converting.
    const qsizetype boxes = dialogs.shown.size();
    click(main, "cutter");
    EXPECT_EQ(dialogs.shown.size(), boxes);
    EXPECT_FALSE(program->cutter().isVisible());
    main.lv()->topLevelItem(0)->setSelected(true);
    main.button("bt_play")->click();
    ASSERT_TRUE(fake.waitForPlay());
    click(main, "cutter");
    EXPECT_EQ(dialogs.texts().last(), textLine(27));
    click(main, "stop"); // the main window's stop element ends the preview
    EXPECT_FALSE(main.playing());
    main.setConverting(true);
    click(main, "cutter");
    EXPECT_EQ(dialogs.texts().last(), textLine(26));
    EXPECT_FALSE(program->cutter().isVisible());

    // A press on any element closes the picker, even while converting.
    main.setConverting(false);
    main.openPicker();
    ASSERT_TRUE(main.control("pl_main")->isVisible());
    main.setConverting(true);
    emit main.skin()->OnMouseDown(main.skin()->skinObject(&main)->findChild("hint"), Qt::LeftButton,
                                  1, 1);
    EXPECT_FALSE(main.control("pl_main")->isVisible());
    main.setConverting(false);

    // Names are compared exactly: an element named "Converter" is not "converter".
    click(main, "Converter");
    EXPECT_FALSE(main.converting());
}
