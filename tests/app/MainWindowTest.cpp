#include "app/MainWindow.h"
#include "app/Program.h"
#include "common/FileNames.h"
#include "convert/ConversionQueue.h"
#include "media/SourceList.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfilePicker.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "shell/ImageButton.h"
#include "shell/TSkin.h"

#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vc;

TEST_F(MainWindowTest, WindowsAreMadeInOrderAndTheFirstShowingRunsOnce) {
    Tfm_main& main = start();
    EXPECT_EQ(program->creationOrder(), (QStringList{"Tfm_main", "Tfm_dir", "Tfm_about", "Tfm_set",
                                                     "Tfm_info", "Tfm_dvdcutter"}));
    EXPECT_EQ(main.windowTitle(), "Video Converter");
    EXPECT_EQ(main.size(), QSize(820, 562));
    EXPECT_EQ(main.startupLog(),
              (QStringList{"skin", "picker closed", "program file name", "layout", "product links",
                           "picker buttons", "settings", "list hidden", "commands", "ready"}));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.texts().join('|').toStdString();
    EXPECT_EQ(main.toolPath(), QDir(folder.path()).filePath("register.dat"));
    EXPECT_EQ(main.programFileName(), "VideoConverter");
    EXPECT_EQ(main.productLinks().product, "VideoConverter");
    EXPECT_FALSE(main.lv()->isVisible());
    EXPECT_EQ(main.lv()->headerItem()->text(0), "Title");
    EXPECT_TRUE(main.listCheckBoxes());
    EXPECT_TRUE(main.control("pl_play")->isVisible());
    EXPECT_TRUE(main.button("bt_dvdopen")->hasBitmaps());
    ASSERT_NE(main.elements().convertpos, nullptr);
    EXPECT_EQ(main.elements().convertpos->rect().width(), 0);

    QSignalSpy again(&main, &Tfm_main::firstShowingDone);
    main.hide();
    main.show();
    QApplication::processEvents();
    EXPECT_EQ(again.count(), 0);
}

TEST_F(MainWindowTest, SettingsSurviveARestartAndEachNameHasItsOwn) {
    {
        QFile f(settingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[output]\npath=/srv/out\n[profiles]\nselcetindex=4\nselcetsubindex=55\n"
                "FinishSelcet=1\n[plane]\nvideo=0\naudio=1\n");
    }
    Tfm_main& main = start();
    EXPECT_EQ(main.outputFolder(), "/srv/out");
    EXPECT_EQ(main.ed_output()->text(), "/srv/out");
    EXPECT_EQ(main.category(), 4);
    EXPECT_EQ(main.selectedProfile(), 55);
    EXPECT_EQ(main.finishAction(), 1);

    // Typed text that no command has taken is not remembered.
    main.ed_output()->setText("/typed/only");
    main.close();
    EXPECT_TRUE(settingsText().contains("path=/srv/out"));
    EXPECT_TRUE(settingsText().contains("video=0"));

    program.reset();
    Tfm_main& other = start("iPod Converter");
    EXPECT_EQ(other.selectedProfile(), 27); // its own default, not the other name's choice
    EXPECT_EQ(other.outputFolder(), SettingsStore::defaultOutputFolder());
    other.close();
    EXPECT_TRUE(QFile::exists(settingsPath("iPod Converter")));
}

TEST_F(MainWindowTest, ABrokenSkinStopsTheStartAndKeepsStoredSettings) {
    const QByteArray stored = "[output]\npath=/keep/me\n";
    {
        QFile f(settingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(stored);
    }
    QFile skin(QDir(folder.path()).filePath("skn.skn"));
    ASSERT_TRUE(skin.open(QIODevice::ReadOnly));
    QByteArray text = skin.readAll();
    skin.close();
    text.replace("[popvideoconverter.convertpos]", "[popvideoconverter.renamed]");
    write("skn.skn", text);

    Tfm_main& main = start();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains("convertpos"));
    EXPECT_TRUE(dialogs.shown[0].text.contains("skn.skn"));
    EXPECT_FALSE(main.settingsLoaded());
    QApplication::processEvents(); // the window closes itself
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(settingsText(), stored);
}

TEST_F(MainWindowTest, AMissingBitmapStopsTheStartWithTheFileNamed) {
    QFile::remove(QDir(folder.path()).filePath("images/bt_clearon.bmp"));
    Tfm_main& main = start();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains("bt_clearon.bmp"));
    EXPECT_FALSE(main.settingsLoaded());
    EXPECT_FALSE(QFile::exists(settingsPath()));
}

TEST_F(MainWindowTest, AMissingLayoutFileIsReportedAndTheShippedLayoutStandsIn) {
    const auto placement = [](Tfm_main& main) {
        QMap<QString, QString> placed;
        for (QWidget* w : main.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect r = w->geometry();
            if (!w->objectName().isEmpty())
                placed.insert(w->objectName(), QStringLiteral("%1,%2 %3x%4%5")
                                                   .arg(r.x())
                                                   .arg(r.y())
                                                   .arg(r.width())
                                                   .arg(r.height())
                                                   .arg(w->isHidden() ? " hidden" : ""));
        }
        return placed;
    };
    const QMap<QString, QString> shipped = placement(start());
    ASSERT_TRUE(shipped.contains("bt_start") && shipped.contains("cb_size") &&
                shipped.contains("ed_output") && shipped.contains("lv") &&
                shipped.contains("pl_mkv"));
    program.reset();

    QFile::remove(QDir(folder.path()).filePath("Skin.ini"));
    Tfm_main& main = start();
    EXPECT_EQ(dialogs.texts(),
              QStringList{"The program file cannot be found, please install again."});
    const QMap<QString, QString> builtIn = placement(main);
    for (auto it = shipped.begin(); it != shipped.end(); ++it)
        EXPECT_EQ(builtIn.value(it.key()).toStdString(), it.value().toStdString())
            << it.key().toStdString();
    // Rows get check boxes, or the batch would find nothing ticked to convert.
    EXPECT_EQ(main.lv()->headerItem()->text(0), "Title");
    EXPECT_TRUE(main.listCheckBoxes());
    EXPECT_TRUE(main.button("bt_start")->hasBitmaps());
    EXPECT_TRUE(main.settingsLoaded());
}

TEST_F(MainWindowTest, ProductLinksNeedARecordForThisName) {
    Tfm_main& unmatched = start("Nameless Converter");
    EXPECT_EQ(dialogs.texts(), QStringList{textLine(31)});
    EXPECT_TRUE(unmatched.productLinks().web.isEmpty());
    unmatched.openWebPage();
    EXPECT_TRUE(shell.urls.isEmpty());
    program.reset();

    dialogs.shown.clear();
    QFile::remove(QDir(folder.path()).filePath("softinfo.dat"));
    start();
    EXPECT_EQ(dialogs.texts(), QStringList{textLine(31)});
    program.reset();

    dialogs.shown.clear();
    write("softinfo.dat", ProductLinks::record("VideoConverter", {}, "file:///etc/passwd",
                                               "https://example.com/support"));
    Tfm_main& main = start();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    main.openWebPage();
    main.openSupportPage();
    EXPECT_EQ(shell.urls, QStringList{"https://example.com/support"});
}

TEST_F(MainWindowTest, HoverHintsFollowTheTextTable) {
    Tfm_main& main = start();
    SkinForm* form = main.skin()->skinObject(&main);
    ASSERT_NE(form, nullptr);
    emit main.skin()->OnMouseMove(form->findChild("browse"), 1, 1);
    EXPECT_EQ(main.elements().hint->text(), textLine(19));
    emit main.skin()->OnMouseMove(form->findChild("mainclose"), 1, 1);
    EXPECT_EQ(main.elements().hint->text(), textLine(25) + " VideoConverter.");
    emit main.skin()->OnMouseMove(form, 1, 1);
    EXPECT_EQ(main.elements().hint->text(), textLine(25) + " VideoConverter.");

    main.setConverting(true);
    emit main.skin()->OnMouseMove(form->findChild("browse"), 1, 1);
    EXPECT_EQ(main.elements().hint->text(), textLine(25) + " VideoConverter.");
    main.setConverting(false);
}

TEST_F(MainWindowTest, ClosingDuringAConversionAsksFirst) {
    Tfm_main& main = start();
    QSignalSpy stop(&main, &Tfm_main::stopConversionRequested);
    main.setConverting(true);
    dialogs.answers = {false};
    main.close();
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(stop.count(), 0);
    EXPECT_FALSE(QFile::exists(settingsPath()));
    EXPECT_EQ(dialogs.shown.last().text, "The convertion is processing, are you sure to quit?");

    dialogs.answers = {true};
    main.close();
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(stop.count(), 1);
    EXPECT_TRUE(QFile::exists(settingsPath()));
}

TEST_F(MainWindowTest, EditionFollowsTheFileNameInAnyCase) {
    EXPECT_TRUE(start("My OZRIN Converter").editionFlag());
    program.reset();
    EXPECT_FALSE(start("VideoConverter").editionFlag());
    Tfm_main& main = program->main();
    main.bt_webClick();
    main.openMakerContactPage();
    ASSERT_EQ(shell.urls.size(), 2);
    EXPECT_NE(shell.urls[0], shell.urls[1]);
}

TEST_F(MainWindowTest, MenusOpenAtTheirOffsetsAndReachTheLinks) {
    Tfm_main& main = start();
    SkinForm* form = main.skin()->skinObject(&main);
    emit main.skin()->OnClick(form->findChild("help"));
    QMenu* help = main.menu("zm_pop_help");
    ASSERT_TRUE(help && help->isVisible());
    EXPECT_EQ(help->pos(), main.pos() + QPoint(246, 54));
    EXPECT_EQ(help->actions().last()->text(), "About VideoConverter");
    help->actions()[0]->trigger();
    EXPECT_EQ(shell.urls, QStringList{main.productLinks().support});
    help->close();

    emit main.skin()->OnClick(form->findChild("file"));
    QMenu* file = main.menu("zm_popup_file");
    ASSERT_TRUE(file && file->isVisible());
    EXPECT_EQ(file->pos(), main.pos() + QPoint(16, 54));
    file->close();

    const QList<std::tuple<const char*, const char*, QPoint>> more = {
        {"purchase", "zm_pop_actions", {122, 54}},
        {"register", "zm_pop_tools", {185, 54}},
        {"dvdfile", "pop_dvd", {16, 54}},
        {"settings", "zm_pop_edit", {70, 54}}};
    for (const auto& [element, name, offset] : more) {
        emit main.skin()->OnClick(form->findChild(element));
        QMenu* menu = main.menu(name);
        ASSERT_TRUE(menu && menu->isVisible()) << name;
        EXPECT_EQ(menu->pos(), main.pos() + offset) << name;
        menu->close();
    }
    // Nothing to convert yet; the disc menu is never disabled.
    EXPECT_FALSE(main.menu("zm_pop_actions")->findChild<QAction*>("Convert2")->isEnabled());
    EXPECT_TRUE(main.menu("pop_dvd")->findChild<QAction*>("Convert1")->isEnabled());
    emit main.skin()->OnClick(form->findChild("Purchase")); // names are case-sensitive
    EXPECT_FALSE(main.menu("zm_pop_actions")->isVisible());
}

TEST_F(MainWindowTest, AboutWindowSitsBesideTheMainWindowAndLightsItsLink) {
    Tfm_main& main = start("Ozrin Converter");
    Tfm_about& about = program->about();
    about.setProduct(main.programName(), main.editionFlag(), "https://example.com/web");
    QTimer::singleShot(0, &about, [&] {
        EXPECT_EQ(about.pos(), main.pos() + QPoint(160, 100));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(about.lb_web(), &enter);
        EXPECT_TRUE(about.lb_web()->styleSheet().contains("#ff0000"));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(about.lb_web(), &leave);
        EXPECT_TRUE(about.lb_web()->styleSheet().contains("#0000ff"));
        about.accept();
    });
    about.showFrom(&main);
}

TEST_F(MainWindowTest, ThePickerOpensOnRequestAndClosesOnAnyPress) {
    Tfm_main& main = start();
    ProfilePicker* picker = main.picker();
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->missingBitmaps().isEmpty());
    QWidget* strip = main.control("pl_main");
    EXPECT_FALSE(strip->isVisible());
    EXPECT_EQ(main.elements().profilestext->text(), profileName(1)); // the default profile

    SkinForm* form = main.skin()->skinObject(&main);
    emit main.skin()->OnClick(form->findChild("profiles"));
    EXPECT_TRUE(strip->isVisible());
    EXPECT_TRUE(main.control("pl_video1")->isVisible()); // profile 1 lives there
    EXPECT_TRUE(picker->stripImage(1)->isHover());

    QTest::mousePress(main.lv()->viewport(), Qt::LeftButton);
    EXPECT_FALSE(strip->isVisible());

    // A sub-panel opens beside its opener, never under the pointer, and a click on the opener
    // selects nothing.
    main.openPicker();
    emit picker->button(3)->entered();
    QWidget* sub = main.control("pl_mpeg");
    ASSERT_TRUE(sub->isVisible());
    const QRect opener(picker->button(3)->mapTo(&main, QPoint()), picker->button(3)->size());
    EXPECT_FALSE(sub->geometry().intersects(opener)) << sub->x() << " " << opener.right();
    QTest::mouseClick(picker->button(3), Qt::LeftButton, {}, QPoint(opener.width() - 4, 20));
    EXPECT_TRUE(strip->isVisible());
    EXPECT_EQ(main.selectedProfile(), 1);

    main.control("pl_video1")->hide();
    main.control("pl_video2")->show();
    QTest::mouseClick(picker->button(13), Qt::LeftButton); // names a profile, takes no click
    EXPECT_TRUE(strip->isVisible());
    EXPECT_NE(main.selectedProfile(), 13);
    emit picker->button(8)->entered();
    QTest::mouseClick(picker->button(8), Qt::LeftButton);
    EXPECT_FALSE(strip->isVisible());
    EXPECT_EQ(main.selectedProfile(), 8);
    EXPECT_EQ(main.elements().profilestext->text(), profileName(8));
    EXPECT_GT(static_cast<QComboBox*>(main.control("cb_size"))->count(), 0);

    main.setConverting(true);
    main.openPicker();
    EXPECT_FALSE(strip->isVisible());
    EXPECT_EQ(dialogs.texts().last(), textLine(26));
    main.setConverting(false);
}

// The fourteenth category takes the strip's last place without making the strip taller.
TEST_F(MainWindowTest, TheNewerFormatsAreTheStripsLastCategory) {
    Tfm_main& main = start();
    ProfilePicker* picker = main.picker();
    EXPECT_TRUE(picker->missingBitmaps().isEmpty());
    main.openPicker();
    emit picker->stripImage(14)->entered();
    QWidget* panel = main.control("pl_modern");
    ASSERT_TRUE(panel->isVisible());
    EXPECT_FALSE(main.control("pl_video1")->isVisible());
    EXPECT_EQ(panel->pos(), main.control("pl_video1")->pos());
    EXPECT_EQ(panel->width(), 310);
    QWidget* strip = main.control("pl_main");
    EXPECT_EQ(picker->stripImage(14)->y(), picker->stripImage(13)->geometry().bottom() + 1);
    EXPECT_EQ(picker->image("img_bottom")->geometry().bottom() + 1, strip->height());
    EXPECT_EQ(strip->height(), 358);
    EXPECT_LE(picker->button(139)->geometry().bottom() + 1, 341);

    emit picker->button(137)->entered();
    QTest::mouseClick(picker->button(137), Qt::LeftButton);
    EXPECT_FALSE(strip->isVisible());
    EXPECT_EQ(main.selectedProfile(), 137);
    EXPECT_EQ(main.category(), 14);
    EXPECT_EQ(main.elements().profilestext->text(), "WebM - AV1 Video(*.webm)");
    EXPECT_EQ(static_cast<QComboBox*>(main.control("cb_size"))->currentText(), "1280x720");
}

TEST_F(MainWindowTest, AddedFilesShowTheirEstimateAndProperties) {
    Tfm_main& main = start();
    EXPECT_FALSE(main.button("bt_chapte")->isEnabled()); // an empty list has no properties
    EXPECT_TRUE(main.button("bt_dvdopen")->isEnabled());
    const QString clip = test::makeClip(config.path(), "clip one.mpg", {}, 2.0);
    dialogs.files = {{clip}};
    main.button("bt_dvdopen")->click();
    ASSERT_EQ(main.sources()->rows(), 1);
    EXPECT_TRUE(main.lv()->isVisible());
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(0), "clip one");
    EXPECT_TRUE(main.lv()->topLevelItem(0)->text(3).endsWith("MB"));
    EXPECT_EQ(main.elements().alltime->text(), "00:00:02");
    EXPECT_EQ(main.previewItem(), 0);
    EXPECT_TRUE(main.button("bt_remove")->isEnabled());

    main.lv()->clearSelection();
    main.refreshCommandState();
    EXPECT_FALSE(main.button("bt_remove")->isEnabled());
    ASSERT_TRUE(main.button("bt_chapte")->isEnabled());
    main.button("bt_chapte")->click();
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_EQ(dialogs.texts().last(), textLine(30));

    main.lv()->topLevelItem(0)->setSelected(true);
    bool shown = false;
    QTimer::singleShot(0, &program->info(), [&] {
        shown = program->info().isVisible();
        program->info().accept();
    });
    main.button("bt_chapte")->click();
    EXPECT_TRUE(shown);
}

TEST_F(MainWindowTest, FilesDroppedAnywhereOnTheEmptyWindowAreAdded) {
    Tfm_main& main = start();
    ASSERT_FALSE(main.lv()->isVisible());
    const QString clip = test::makeClip(config.path(), "dropped.mpg", {}, 1.0);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(clip)});
    // Where the hidden list is not: over the preview's corner.
    const QPointF at(main.width() - 20, main.height() - 20);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &drop);
    ASSERT_EQ(main.sources()->rows(), 1);
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(0), "dropped");
    EXPECT_TRUE(main.lv()->isVisible());
}

TEST_F(MainWindowTest, ConvertsTheTickedRowsIntoTheOutputFolder) {
    // Names in another encoding than UTF-8 (Latin-1 "é" is the lone byte 0xe9) keep their
    // bytes from the settings and the list through the job and the tool, and back.
    const QByteArray out = QFile::encodeName(config.path()) + "/out folder caf\xe9";
    const QByteArray clip = QFile::encodeName(config.path()) + "/clip \xfc.mpg";
    const auto cleanUp = qScopeGuard([&] {
        test::removeTree(out);
        test::removeTree(clip);
    });
    ASSERT_EQ(::rename(QFile::encodeName(test::makeClip(config.path(), "clip.mpg", {}, 1.0)),
                       clip.constData()),
              0);
    {
        QFile f(settingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[output]\npath=" + out + "\n[profiles]\nFinishSelcet=1\n"); // open it afterwards
    }
    Tfm_main& main = start();
    dialogs.files = {{nameFromBytes(clip)}};
    main.button("bt_dvdopen")->click();
    ASSERT_EQ(main.sources()->rows(), 1);
    main.button("bt_start")->click();
    EXPECT_TRUE(main.converting());
    EXPECT_FALSE(main.button("bt_start")->isEnabled());
    EXPECT_TRUE(main.button("Bt_Convertstop")->isEnabled());
    const auto batchText = [&] {
        return static_cast<SkinElement*>(main.skin()->skinObject(&main)->findChild("convertinfo"))
            ->text();
    };
    EXPECT_EQ(batchText(), "0.0%"); // the whole batch; the time left once there is a rate
    QWidget elsewhere;              // the user went to another window meanwhile
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    ASSERT_TRUE(test::waitUntil([&] { return !main.converting(); }, 180000));
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(4), "Finish");
    EXPECT_TRUE(test::waitUntil([&] { return batchText().isEmpty(); }));
    const QByteArray made = out + "/clip \xfc" + profileExtension(main.selectedProfile()).toUtf8();
    struct stat st {};
    EXPECT_TRUE(::stat(made.constData(), &st) == 0 && st.st_size > 0) << made.toStdString();
    EXPECT_EQ(shell.folders, QStringList{nameFromBytes(out + "/")});
    // The batch ended with the window in the background: the desktop is told, and a click
    // on the notice brings the window back.
    ASSERT_FALSE(main.isActiveWindow());
    ASSERT_EQ(shell.notifications.size(), 1);
    EXPECT_EQ(shell.notifications[0].text, "1 file converted.");
    main.showMinimized();
    shell.notifications[0].clicked();
    EXPECT_FALSE(main.isMinimized());
    EXPECT_TRUE(main.button("bt_start")->isEnabled());
    main.close();
    QFile saved(settingsPath());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("path=" + out + "\n"));
}

TEST_F(MainWindowTest, StopAndAConfirmedCloseNeverShutTheComputerDown) {
    {
        QFile f(settingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[profiles]\nFinishSelcet=2\n"); // shut down afterwards
    }
    Tfm_main& main = start();
    main.ed_output()->setText(QDir(config.path()).filePath("out"));
    dialogs.files = {{test::makeClip(config.path(), "short.mpg", {}, 1.0),
                      test::makeClip(config.path(), "long.mpg", {}, 120.0)}};
    main.button("bt_dvdopen")->click();
    ASSERT_EQ(main.sources()->rows(), 2);
    QTreeWidgetItem* shortRow = main.lv()->topLevelItem(0);
    QTreeWidgetItem* longRow = main.lv()->topLevelItem(1);
    QAction* pause = main.menu("zm_pop_actions")->findChild<QAction*>("Pause1");
    ASSERT_TRUE(pause);
    const auto waitIdle = [&] {
        return test::waitUntil([&] { return !main.converting(); }, 180000);
    };

    // A batch that runs to its end shuts down once.
    longRow->setCheckState(0, Qt::Unchecked);
    main.button("bt_start")->click();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(shortRow->text(4), "Finish");
    EXPECT_EQ(shell.powerOffs, 1);

    // Paused, then stopped by closing the window: asked first, stopped, no shutdown.
    shortRow->setCheckState(0, Qt::Unchecked);
    longRow->setCheckState(0, Qt::Checked);
    main.button("bt_start")->click();
    ASSERT_TRUE(main.converting());
    EXPECT_TRUE(pause->isEnabled());
    EXPECT_EQ(pause->text(), "Pause");
    // Paused once it has written something, however busy the machine is.
    ASSERT_TRUE(test::waitUntil([&] { return longRow->text(4).endsWith(u'%'); }, 60000));
    pause->trigger();
    EXPECT_EQ(pause->text(), "Continue");
    const QString pausedStatus = longRow->text(4);
    QTest::qWait(300);                         // time for a report that must not come
    EXPECT_EQ(longRow->text(4), pausedStatus); // a paused run reports nothing

    ASSERT_TRUE(main.queue()->busy());
    QSignalSpy ended(main.queue(), &ConversionQueue::settled);
    dialogs.answers = {false};
    main.close();
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(main.converting());
    dialogs.answers = {true};
    main.close();
    EXPECT_FALSE(main.isVisible());
    EXPECT_FALSE(main.converting());
    EXPECT_EQ(longRow->text(4), "Stop");
    ASSERT_TRUE(ended.wait(10000)) << "the suspended converter did not stop";
    // Woken and asked to stop, it closed its file: the part written plays.
    const QString output = main.queue()->status(0).output;
    EXPECT_EQ(output, QDir(config.path()).filePath("out/long.asf"));
    EXPECT_TRUE(test::runProcess("ffmpeg", {"-v", "error", "-i", output, "-f", "null", "-"})
                    .output.isEmpty());
    EXPECT_EQ(shell.powerOffs, 1);
    EXPECT_EQ(pause->text(), "Pause");
}
