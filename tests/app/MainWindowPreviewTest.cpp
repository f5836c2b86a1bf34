#include "MainWindowFixture.h"

#include "FakePreviewLibrary.h"
#include "convert/ConversionQueue.h"
#include "convert/ConvertRunner.h"
#include "media/SourceList.h"
#include "preview/PosterFrame.h"
#include "preview/PreviewPlayer.h"
#include "shell/ImageButton.h"
#include "shell/TSkin.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace vc;

namespace {

class MainWindowPreviewTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        library = &fake;
    }
    Tfm_main& startWithClips(const QStringList& clips) {
        Tfm_main& main = start();
        main.player()->setTiming({50, 10, 10});
        out = QDir(config.path()).filePath("out");
        main.ed_output()->setText(out);
        dialogs.files = {clips};
        main.button("bt_dvdopen")->click();
        return main;
    }
    void selectRow(Tfm_main& main, int row) {
        main.lv()->clearSelection();
        main.lv()->topLevelItem(row)->setSelected(true);
        main.sources()->rowClick();
    }
    void click(Tfm_main& main, QWidget* window, const char* element) {
        emit main.skin()->OnClick(main.skin()->skinObject(window)->findChild(element));
    }
    QString elementText(Tfm_main& main, QWidget* window, const char* element) {
        return static_cast<SkinElement*>(main.skin()->skinObject(window)->findChild(element))
            ->text();
    }

    test::FakePreviewLibrary fake;
    QString out;
};

} // namespace

TEST_F(MainWindowPreviewTest, PlaysARowAndSavesStillsWithoutTouchingItsStatus) {
    Tfm_main& main = startWithClips({test::makeClip(config.path(), "clip a.mpg", {}, 10.0)});
    ASSERT_EQ(main.sources()->rows(), 1);
    selectRow(main, 0);
    main.button("bt_play")->click();
    ASSERT_TRUE(fake.waitForPlay());
    EXPECT_TRUE(main.playing());
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(SourceList::StatusColumn), "Play");
    EXPECT_TRUE(main.button("bt_images")->isEnabled());
    EXPECT_FALSE(main.button("bt_start")->isEnabled());
    EXPECT_FALSE(main.button("bt_cut")->isEnabled());

    // The library plays on at a tenth of real time, so the player sees the position move.
    fake.report(0.04); // the first position is the file's start
    QTest::qWait(150); // a few ticks read it before the position moves on
    double position = 2.0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] {
        fake.report(position);
        position += 0.002;
    });
    clock.start(20);
    ASSERT_TRUE(
        test::waitUntil([&] { return elementText(main, &main, "play_time") == "00:00:02"; }));
    main.button("bt_images")->click();
    const QString still = QDir(out).filePath("clip a.bmp");
    ASSERT_TRUE(test::waitUntil([&] {
        return QFileInfo(still).size() > 0 && !main.findChild<ConvertRunner*>()->active();
    }));
    EXPECT_EQ(main.elements().hint->text(), "Snapshot saved as " + still);
    main.button("bt_images")->click();
    ASSERT_TRUE(
        test::waitUntil([&] { return QFileInfo::exists(QDir(out).filePath("clip a_1.bmp")); }));
    QImage frame(still);
    // At the size box's size, as a conversion would be.
    const QString size = main.findChild<ConvertRunner*>()->job().size;
    EXPECT_EQ(QStringLiteral(" -s %1x%2").arg(frame.width()).arg(frame.height()), size);
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(SourceList::StatusColumn), "Play");
    EXPECT_TRUE(main.playing());

    // The cutter refuses to open while the preview plays.
    main.button("bt_cut")->setEnabled(true);
    main.button("bt_cut")->click();
    EXPECT_EQ(dialogs.shown.last().kind, "warning");
    EXPECT_FALSE(program->cutter().isVisible());

    main.button("bt_playstop")->click();
    EXPECT_FALSE(main.playing());
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(SourceList::StatusColumn), "Stop");
    EXPECT_TRUE(fake.calls().contains("DestroyPreviewWindow"));
    EXPECT_EQ(elementText(main, &main, "play_time"), "00:00:00");
    // The row's first frame is back in the panel.
    EXPECT_TRUE(test::waitUntil([&] {
        return main.poster()->label()->isVisible() &&
               main.poster()->shownPath() == main.sources()->records().info(0).path;
    }));
}

TEST_F(MainWindowPreviewTest, ACutRangeIsWhatGetsConverted) {
    Tfm_main& main = startWithClips({test::makeClip(config.path(), "long.mpg", {}, 70.0),
                                     test::makeClip(config.path(), "short.mpg", {}, 1.0)});
    ASSERT_EQ(main.sources()->rows(), 2);
    selectRow(main, 0);
    main.button("bt_cut")->click();
    Tfm_dvdcutter& cutter = program->cutter();
    ASSERT_TRUE(cutter.isVisible());
    EXPECT_EQ(cutter.pos(), main.pos() + QPoint(10, 80));

    // Play in the cutter's panel; the position goes to the cutter's elements.
    click(main, &cutter, "play");
    ASSERT_TRUE(fake.waitForPlay());
    fake.report(0.04);
    QTest::qWait(120); // a few ticks read the start before the position moves on
    fake.report(10.0);
    ASSERT_TRUE(
        test::waitUntil([&] { return elementText(main, &cutter, "cut_play_time") == "00:00:10"; }));
    click(main, &cutter, "begin");
    click(main, &cutter, "qian"); // 30 s on
    EXPECT_TRUE(fake.calls().contains("Seek 40"));
    fake.report(60.0);
    ASSERT_TRUE(
        test::waitUntil([&] { return elementText(main, &cutter, "cut_play_time") == "00:01:00"; }));
    click(main, &cutter, "end");
    EXPECT_EQ(cutter.lv()->topLevelItem(0)->text(1), "00:00:10");
    EXPECT_EQ(cutter.lv()->topLevelItem(0)->text(2), "00:01:00");
    click(main, &cutter, "cutclose");
    EXPECT_FALSE(cutter.isVisible());
    EXPECT_FALSE(main.playing());
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(SourceList::TimeColumn), "00:00:50");

    // Convert the cut row only and follow its progress to the end.
    main.lv()->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    QStringList statuses;
    QObject::connect(main.queue(), &ConversionQueue::jobChanged, [&](int job) {
        if (const QString text = statusText(main.queue()->status(job)); text.endsWith(u'%'))
            statuses << text;
    });
    main.button("bt_start")->click();
    ASSERT_TRUE(test::waitUntil([&] { return !main.converting(); }, 180000));
    EXPECT_EQ(main.lv()->topLevelItem(0)->text(SourceList::StatusColumn), "Finish");
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.last(), "100.00%");
    const intputrec& job = main.queue()->record(0);
    EXPECT_TRUE(job.start == " -ss 00:00:10") << job.start.toStdString();
    const QString made = job.outfile;
    const test::ProcessResult probe = test::runProcess(
        "ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", made});
    EXPECT_NEAR(QString::fromUtf8(probe.output).trimmed().toDouble(), 50.0, 0.6);
}

TEST_F(MainWindowPreviewTest, NothingShownDescribesAFileThatIsNotTheSelectedOne) {
    const QString a = test::makeClip(config.path(), "a.mpg", {}, 2.0);
    const QString b = test::makeClip(config.path(), "b.mpg", {}, 4.0);
    Tfm_main& main = startWithClips({a, b});
    ASSERT_EQ(main.sources()->rows(), 2);
    const auto pause = [&](QWidget* window) {
        return static_cast<SkinElement*>(main.skin()->skinObject(window)->findChild("pause"));
    };
    // Controls that cannot act look so.
    EXPECT_FALSE(pause(&main)->isEnabled());
    EXPECT_FALSE(pause(&program->cutter())->isEnabled());
    for (const char* box : {"cb_audio", "cb_subtitle"}) {
        const auto* combo = static_cast<QComboBox*>(main.control(box));
        EXPECT_FALSE(combo->isEnabled());
        EXPECT_FALSE(combo->placeholderText().isEmpty());
    }

    // The shown row's first frame, not a black panel.
    selectRow(main, 0);
    ASSERT_TRUE(test::waitUntil([&] { return main.poster()->shownPath() == a; }));
    const QImage frame = main.poster()->label()->pixmap().toImage();
    const QColor middle = frame.pixelColor(frame.width() / 2, frame.height() / 2);
    EXPECT_GT(middle.red() + middle.green() + middle.blue(), 60);
    EXPECT_TRUE(main.poster()->label()->isVisible());
    EXPECT_EQ(elementText(main, &main, "alltime"), "00:00:02");

    // Removing it shows the row that takes its place; removing the last one shows nothing.
    main.button("bt_remove")->click();
    ASSERT_TRUE(test::waitUntil([&] { return main.poster()->shownPath() == b; }));
    EXPECT_EQ(elementText(main, &main, "alltime"), "00:00:04");
    main.button("bt_remove")->click();
    EXPECT_EQ(main.sources()->rows(), 0);
    EXPECT_FALSE(main.lv()->isVisible()); // the empty state behind it shows again
    EXPECT_EQ(elementText(main, &main, "alltime"), "00:00:00");
    EXPECT_FALSE(main.poster()->label()->isVisible());
    EXPECT_TRUE(main.poster()->shownPath().isEmpty());
}
