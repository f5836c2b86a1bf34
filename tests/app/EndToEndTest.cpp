// The product as a user meets it: the real window offscreen, the real converter tool, the
// dialogs and the shell faked, the preview on the scripted library.
#include "MainWindowFixture.h"

#include "FakePreviewLibrary.h"
#include "convert/ConversionQueue.h"
#include "media/PropertiesWindow.h"
#include "media/SourceList.h"
#include "preview/CutterWindow.h"
#include "preview/PreviewPlayer.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfilePicker.h"
#include "shell/ImageButton.h"
#include "shell/SkinObject.h"
#include "shell/TSkin.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
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
    // Conversions of the real tool: a generous limit on a busy machine.
    static bool waitFor(const std::function<bool()>& done, int ms = 120000) {
        return test::waitUntil(done, ms);
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
    ASSERT_TRUE(waitFor([&] { return main.queue()->status(1).state == JobState::Converting; }));
    EXPECT_EQ(status(main, 0), "Finish");
    // The bar shows the share the text above it gives: the whole batch's, a done.
    const QString batchText =
        static_cast<SkinElement*>(main.skin()->skinObject(&main)->findChild("convertinfo"))->text();
    const double batchShare = batchText.section('%', 0, 0).toDouble();
    EXPECT_GE(batchShare, 2.4) << batchText.toStdString();
    EXPECT_EQ(main.elements().convertpos->rect().width(),
              markerRect({}, ConvertposWidth, qRound64(batchShare * 100)).width());
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
    EXPECT_EQ(status(main, 1), "Finish") << main.sources()->records().info(1).failure.toStdString();
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

TEST_F(EndToEndTest, AFailureIsExplainedAndAnUnusableFolderStartsNothing) {
    Tfm_main& main = open();
    dialogs.files = {{QDir(clips).filePath("a.mpg"), QDir(clips).filePath("c.mpg")}};
    main.button("bt_dvdopen")->click();
    ASSERT_EQ(main.sources()->rows(), 2);

    // A file where the output folder should be: nothing starts, one message says why.
    QFile(out).open(QIODevice::WriteOnly);
    const qsizetype boxes = dialogs.shown.size();
    main.button("bt_start")->click();
    ASSERT_EQ(dialogs.shown.size(), boxes + 1);
    EXPECT_EQ(dialogs.texts().last(),
              "The output folder " + out + " cannot be used: Not a directory.");
    EXPECT_EQ(status(main, 0) + status(main, 1), "StatusStatus");

    // c goes before its turn: its row fails, and keeps saying why.
    QFile::remove(out);
    QFile::remove(QDir(clips).filePath("c.mpg"));
    main.button("bt_start")->click();
    ASSERT_TRUE(waitFor([&] { return !main.converting(); }));
    EXPECT_EQ(status(main, 0), "Finish");
    ASSERT_EQ(status(main, 1), "Failed");
    const QString reason = main.lv()->topLevelItem(1)->toolTip(SourceList::StatusColumn);
    EXPECT_TRUE(reason.contains("No such file or directory")) << reason.toStdString();
    EXPECT_EQ(dialogs.texts().last(), "1 file converted, 1 failed.\nc: " + reason);
    EXPECT_TRUE(shell.notifications.isEmpty());
    QString shown;
    QTimer::singleShot(0, &program->info(), [&] {
        shown = program->info().lb_failure()->isVisible() ? program->info().lb_failure()->text()
                                                          : QString();
        program->info().accept();
    });
    main.lv()->clearSelection();
    main.lv()->topLevelItem(1)->setSelected(true);
    main.button("bt_chapte")->click();
    EXPECT_EQ(shown, "Conversion failed: " + reason);

    // Gone, the row leaves no word in the hint line.
    EXPECT_EQ(main.elements().hint->text(), reason);
    dialogs.answers = {true};
    main.button("bt_clear")->click();
    ASSERT_EQ(main.sources()->rows(), 0);
    EXPECT_EQ(main.elements().hint->text(), "");
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

namespace {

QString focused() {
    const QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// What stands for a painted element before the keyboard and screen readers.
QWidget* painted(Tfm_main& main, const char* element) {
    return main.skin()->canvas(&main)->findChild<QWidget*>(QLatin1String(element));
}

// Tabs (or Shift+Tabs) until the control of that name has the focus; false after a round.
bool tabTo(const QString& name, bool back = false) {
    for (int i = 0; i < 80 && focused() != name; ++i)
        press(Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
    return focused() == name;
}

} // namespace

TEST_F(EndToEndTest, EveryControlIsReachedInReadingOrderAndWorkedFromTheKeyboard) {
    Tfm_main& main = open();
    // The ring marks a focus the keyboard moved, so the first look stays as it was.
    const QColor accent(0x3D, 0x63, 0xF5);
    QWidget* addFile = main.button("bt_dvdopen");
    const QPoint top = addFile->geometry().topLeft() + QPoint(addFile->width() / 2, 1);
    ASSERT_EQ(focused(), "bt_dvdopen");
    EXPECT_NE(main.grab().toImage().pixelColor(top), accent);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(main.grab().toImage().pixelColor(top), accent);

    // Tab walks the painted and the ordinary controls as they are read, and back again.
    main.button("bt_web")->setFocus(Qt::TabFocusReason);
    QStringList walk;
    for (int i = 0; i < 24; ++i) {
        press(Qt::Key_Tab);
        walk << focused();
    }
    const QStringList order{"mainclose", "file",      "settings",   "purchase",   "register",
                            "help",      "openfiles", "openfolder", "bt_dvdopen", "bt_ifo",
                            "profiles",  "ed_output", "browse",     "open",       "cb_size"};
    qsizetype at = -1;
    for (const QString& name : order) {
        const qsizetype next = walk.indexOf(name, at + 1);
        EXPECT_GT(next, at) << name.toStdString() << " in " << walk.join(' ').toStdString();
        at = std::max(at, next);
    }
    ASSERT_TRUE(tabTo("browse", true));
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), "ed_output");

    // The focus mark is drawn in the skin's accent on the focused painted control.
    SkinElement* profiles = main.skin()->skinObject(&main)->element("profiles");
    const QPoint edge = profiles->rect().topLeft() + QPoint(profiles->rect().width() / 2, 1);
    const QColor before = main.grab().toImage().pixelColor(edge);
    ASSERT_TRUE(tabTo("profiles", true));
    EXPECT_EQ(main.grab().toImage().pixelColor(edge), accent);
    EXPECT_NE(before, accent);

    // The picker: Return opens it, the arrows walk it, Return chooses, and the focus comes back.
    press(Qt::Key_Return);
    ASSERT_TRUE(main.control("pl_main")->isVisible());
    press(Qt::Key_Down); // the audio category
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    EXPECT_EQ(focused(), "btim_16");
    press(Qt::Key_Return);
    EXPECT_EQ(main.selectedProfile(), 16);
    EXPECT_FALSE(main.control("pl_main")->isVisible());
    EXPECT_EQ(focused(), "profiles");
    press(Qt::Key_Space);
    press(Qt::Key_Tab);
    EXPECT_TRUE(focused().startsWith("img_")) << focused().toStdString();
    // Into an opener's sub-panel and back, then round a page to its foot, which turns it.
    ASSERT_TRUE(tabTo("img_gvideo1"));
    press(Qt::Key_Right);
    EXPECT_EQ(focused(), "btim_1");
    press(Qt::Key_Down);
    EXPECT_TRUE(main.control("pl_avi")->isVisible());
    press(Qt::Key_Right);
    EXPECT_EQ(focused(), "btim_102");
    press(Qt::Key_Left);
    EXPECT_EQ(focused(), "btim_2");
    press(Qt::Key_Up);
    press(Qt::Key_Up);
    EXPECT_EQ(focused(), "btim_next");
    press(Qt::Key_Return);
    EXPECT_TRUE(main.control("pl_video2")->isVisible());
    EXPECT_EQ(focused(), "btim_8");
    press(Qt::Key_Left);
    EXPECT_EQ(focused(), "img_gvideo1");
    press(Qt::Key_Escape);
    EXPECT_FALSE(main.control("pl_main")->isVisible());
    EXPECT_FALSE(main.skin()->skinObject(&main)->element("di")->isVisible());
    EXPECT_EQ(focused(), "profiles");

    // A focused button takes Return and Space for itself: the preview does not start.
    dialogs.files = {{QDir(clips).filePath("a.mpg")}, {QDir(clips).filePath("c.mpg")}};
    ASSERT_TRUE(tabTo("openfiles", true));
    press(Qt::Key_Return);
    ASSERT_EQ(main.sources()->rows(), 1);
    main.button("bt_dvdopen")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);
    ASSERT_EQ(main.sources()->rows(), 2);
    EXPECT_FALSE(main.playing());

    // The list: Space ticks the focused row, Return plays it; Escape leaves a rename alone.
    main.lv()->setFocus(Qt::TabFocusReason);
    main.lv()->setCurrentItem(main.lv()->topLevelItem(1), SourceList::SizeColumn);
    press(Qt::Key_Space);
    EXPECT_EQ(main.lv()->topLevelItem(1)->checkState(0), Qt::Unchecked);
    press(Qt::Key_F2);
    ASSERT_TRUE(main.sources()->edt_tit()->isVisible());
    QTest::keyClicks(main.sources()->edt_tit(), "new name");
    press(Qt::Key_Escape);
    EXPECT_FALSE(main.sources()->edt_tit()->isVisible());
    main.ed_output()->setFocus();
    EXPECT_EQ(main.lv()->topLevelItem(1)->text(0), "c");
    main.lv()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return);
    ASSERT_TRUE(fake.waitForPlay());
    EXPECT_EQ(main.previewItem(), 1);
    // The seek bar moves with the keys and the preview follows.
    ASSERT_TRUE(tabTo("play_bar"));
    press(Qt::Key_End);
    EXPECT_EQ(main.elements().play_bar->position(), SliderFacet::MaxPosition);
    EXPECT_TRUE(fake.calls().last().startsWith("Seek ")) << fake.calls().last().toStdString();
    main.button("bt_playstop")->click();

    // The menus open from their titles, also with Alt and the title's letter, and show their keys.
    ASSERT_TRUE(tabTo("file", true));
    press(Qt::Key_Return);
    QMenu* file = main.menu("zm_popup_file");
    EXPECT_TRUE(file->isVisible());
    file->close();
    QTest::keyClick(&main, Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(main.menu("zm_pop_help")->isVisible());
    main.menu("zm_pop_help")->close();
    EXPECT_EQ(file->findChild<QAction*>("AddFiles2")->shortcut(), QKeySequence(QKeySequence::Open));
    EXPECT_EQ(main.menu("zm_pop_help")->actions().first()->shortcut(),
              QKeySequence(QKeySequence::HelpContents));

    // The cutter: its controls are walked, and Escape closes it.
    main.bt_cutClick();
    Tfm_dvdcutter& cutter = program->cutter();
    ASSERT_TRUE(cutter.isVisible());
    QApplication::setActiveWindow(&cutter);
    EXPECT_TRUE(tabTo("cutclose"));
    EXPECT_TRUE(tabTo("begin"));
    press(Qt::Key_Escape);
    EXPECT_FALSE(cutter.isVisible());

    // About's link is reached with Tab and opened with Return.
    Tfm_about& about = program->about();
    about.setProduct(main.programName(), false, "https://example.com/web");
    QTimer::singleShot(0, &about, [&] {
        QApplication::setActiveWindow(&about);
        EXPECT_TRUE(tabTo("lb_web"));
        press(Qt::Key_Return);
        about.accept();
    });
    about.showFrom(&main);
    EXPECT_TRUE(shell.urls.contains("https://example.com/web"))
        << shell.urls.join(' ').toStdString();
}

namespace {

void collect(QAccessibleInterface* node, QList<QAccessibleInterface*>& out) {
    for (int i = 0; node && i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child || child->role() == QAccessible::Table || child->role() == QAccessible::Tree)
            continue;
        out << child;
        collect(child, out);
    }
}

QAccessibleInterface* reader(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

} // namespace

TEST_F(EndToEndTest, ScreenReadersHearNamesDescriptionsValuesAndChanges) {
    Tfm_main& main = open();
    dialogs.files = {{QDir(clips).filePath("a.mpg")}};
    main.sources()->addFiles();

    // Every control shown, painted or not, has a name and a description.
    QList<QAccessibleInterface*> all;
    collect(reader(&main), all);
    int controls = 0;
    for (QAccessibleInterface* node : all) {
        const QAccessible::Role role = node->role();
        if (node->state().invisible ||
            (role != QAccessible::Button && role != QAccessible::ButtonMenu &&
             role != QAccessible::ComboBox && role != QAccessible::Slider))
            continue;
        ++controls;
        const QString who = node->object() ? node->object()->objectName() : QString();
        EXPECT_FALSE(node->text(QAccessible::Name).isEmpty()) << who.toStdString();
        EXPECT_FALSE(node->text(QAccessible::Description).isEmpty()) << who.toStdString();
    }
    EXPECT_GE(controls, 20);
    ASSERT_NE(painted(main, "profiles"), nullptr);
    QAccessibleInterface* format = reader(painted(main, "profiles"));
    EXPECT_EQ(format->role(), QAccessible::ComboBox);
    EXPECT_EQ(format->text(QAccessible::Value), profileName(main.selectedProfile()));
    for (const char* title : {"file", "settings", "purchase", "register", "help"})
        EXPECT_EQ(reader(painted(main, title))->role(), QAccessible::ButtonMenu) << title;
    const auto labels = format->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.first().first->text(QAccessible::Name), "Format");
    EXPECT_EQ(format->text(QAccessible::Description), textLine(3));
    EXPECT_EQ(reader(painted(main, "mainclose"))->text(QAccessible::Name), "Close");
    EXPECT_EQ(reader(main.button("bt_dvdopen"))->text(QAccessible::Name), "Add File");
    EXPECT_EQ(reader(main.button("bt_dvdopen"))->text(QAccessible::Description), textLine(1));
    auto* size = static_cast<QComboBox*>(main.control("cb_size"));
    EXPECT_EQ(reader(size)->text(QAccessible::Value), size->currentText());
    EXPECT_EQ(reader(size)->text(QAccessible::Description), textLine(6));
    EXPECT_EQ(reader(main.ed_output())->text(QAccessible::Name), "Output");
    QAccessibleInterface* list = reader(main.lv());
    EXPECT_EQ(list->text(QAccessible::Name), "Source files");
    ASSERT_NE(list->tableInterface(), nullptr);
    EXPECT_EQ(list->tableInterface()->cellAt(0, 0)->text(QAccessible::Name), "a");

    // The picker's buttons are named; its decoration is blank space.
    main.openPicker();
    for (int n = 1; n <= 14; ++n) {
        const QWidget* button = main.picker()->button(n);
        if (button->isVisible() && button->focusPolicy() != Qt::NoFocus) {
            EXPECT_FALSE(reader(main.picker()->button(n))->text(QAccessible::Name).isEmpty()) << n;
        }
    }
    QAccessibleInterface* mp4 = reader(main.picker()->button(1));
    EXPECT_EQ(mp4->role(), QAccessible::Button);
    EXPECT_EQ(mp4->text(QAccessible::Name), profileName(1));
    EXPECT_EQ(reader(main.picker()->image("Image13"))->role(), QAccessible::Whitespace);
    EXPECT_EQ(reader(main.picker()->stripImage(2))->text(QAccessible::Name), "Audio");
    main.closePicker();

    // What changes is read anew: the hint line, the progress, the format shown.
    QAccessibleInterface* hint = reader(painted(main, "hint"));
    EXPECT_EQ(hint->role(), QAccessible::StatusBar);
    main.language().lookup(19, LanguageTable::Use::Hover);
    EXPECT_EQ(hint->text(QAccessible::Name), textLine(19));
    QAccessibleInterface* progress = reader(painted(main, "convertpos"));
    EXPECT_EQ(progress->role(), QAccessible::ProgressBar);
    ProgressMarker marker = main.elements().convertposBar;
    marker.show(5000);
    EXPECT_EQ(progress->valueInterface()->currentValue().toInt(), 50);
    main.selectProfile(8);
    EXPECT_EQ(format->text(QAccessible::Value), profileName(8));
}

// Uncompressed sound takes twice the room in stereo, so the channels refresh the estimate as
// the quality boxes do.
TEST_F(EndToEndTest, TheChannelsRefreshTheEstimate) {
    Tfm_main& main = open();
    dialogs.files = {{QDir(clips).filePath("b clip.mpg")}};
    main.sources()->addFiles();
    main.selectProfile(20);
    auto* channels = static_cast<QComboBox*>(main.control("cb_channel"));
    ASSERT_EQ(channels->count(), 2);
    channels->setCurrentIndex(1);
    const QString stereo = main.lv()->topLevelItem(0)->text(SourceList::OutputColumn);
    channels->setCurrentIndex(0);
    const QString mono = main.lv()->topLevelItem(0)->text(SourceList::OutputColumn);
    EXPECT_NEAR(mono.chopped(2).toDouble() / stereo.chopped(2).toDouble(), 0.5, 0.02)
        << mono.toStdString() << " against " << stereo.toStdString();
}
