#include "preview/PreviewPlayer.h"

#include "preview/MpvPreviewLibrary.h"

#include "FakePreviewLibrary.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using vc::PreviewPlayer;
using vc::test::FakePreviewLibrary;
using Panel = PreviewPlayer::Panel;

class TextStub : public vc::TextFacet {
public:
    QString value;
    QStringList history;
    QString text() const override { return value; }
    void setText(const QString& text) override {
        value = text;
        history << text;
    }
    void redraw() override {}
};

class SliderStub : public vc::SliderFacet {
public:
    int value = 0;
    int position() const override { return value; }
    void setPosition(int position) override { value = std::clamp(position, 0, MaxPosition); }
};

class ShapeStub : public vc::ShapeFacet {
public:
    QRect r{10, 20, 0, 4};
    QRect rect() const override { return r; }
    void setRect(const QRect& rect) override { r = rect; }
    void setVisible(bool) override {}
    void redraw() override {}
};

struct Row {
    QString path;
    QString duration;
    int totalsecs = 0;
    QString status = QStringLiteral("Status");
};

class PreviewPlayerTest : public ::testing::Test {
protected:
    FakePreviewLibrary library;
    QList<Row> rows;
    int selected = -1;
    bool converting = false;
    QStringList events;
    int badRows = 0;
    QWidget mainPanel;
    QWidget cutterPanel;
    TextStub playTime, cutPlayTime;
    SliderStub playBar, cutPlayBar;
    ShapeStub playpos, cutplaypos;
    vc::ProgressMarker playposMarker{&playpos, vc::PlayposWidth};
    vc::ProgressMarker cutplayposMarker{&cutplaypos, vc::CutplayposWidth};
    std::unique_ptr<PreviewPlayer> player;

    void SetUp() override {
        mainPanel.resize(202, 163);
        cutterPanel.resize(344, 180);
        rows = {{"/media/a.avi", "00:01:40", 100},
                {"/media/b.avi", "00:00:10", 10},
                {"/media/c.avi", "00:02:00", 120}};
        PreviewPlayer::Hooks h;
        h.rows = [this] {
            return static_cast<int>(rows.size());
        };
        h.selectedRow = [this] {
            return selected;
        };
        h.selectRow = [this](int r) {
            selected = r;
            events << QStringLiteral("select %1").arg(r);
        };
        h.unselectAll = [this] {
            selected = -1;
            events << QStringLiteral("unselect");
        };
        h.rowClick = [this] {
            events << QStringLiteral("rowClick");
        };
        h.path = [this](int r) {
            return row(r).path;
        };
        h.duration = [this](int r) {
            return row(r).duration;
        };
        h.totalsecs = [this](int r) {
            return row(r).totalsecs;
        };
        h.setStatus = [this](int r, const QString& text) {
            row(r).status = text;
        };
        h.converting = [this] {
            return converting;
        };
        h.warn = [this](int id) {
            events << QStringLiteral("warn %1").arg(id);
        };
        player = std::make_unique<PreviewPlayer>(library, h);
        // Ticks only when a test makes one.
        player->setTiming({3600 * 1000, 5, 10});
        player->setMainPanel(&mainPanel);
        player->setDisplay(Panel::Main, {&playTime, &playBar, &playposMarker});
        player->setDisplay(Panel::Cutter, {&cutPlayTime, &cutPlayBar, &cutplayposMarker});
    }

    void TearDown() override {
        player.reset();
        EXPECT_EQ(badRows, 0) << "a hook was asked about a row that does not exist";
    }

    Row& row(int r) {
        static Row none;
        if (r < 0 || r >= rows.size()) {
            ++badRows;
            return none;
        }
        return rows[r];
    }

    void playRow(int r) {
        selected = r;
        player->bt_playClick();
        ASSERT_TRUE(library.waitForPlay());
    }

    void tickAt(double position) {
        library.report(position);
        player->play_timeTimer();
    }
};

TEST_F(PreviewPlayerTest, OnePlaybackDrivesTheLibraryInOrderAndStopResetsTheDisplay) {
    converting = true;
    selected = 0;
    player->bt_playClick();
    EXPECT_EQ(events, QStringList{"warn 26"});
    EXPECT_TRUE(library.calls().isEmpty());
    converting = false;

    playRow(0);
    EXPECT_TRUE(player->timerActive());
    tickAt(0.4); // the first position sets the base offset, here 0
    EXPECT_FALSE(mainPanel.isHidden());
    EXPECT_EQ(rows[0].status, "Play");

    tickAt(30.0);
    EXPECT_EQ(playTime.value, "00:00:30");
    EXPECT_EQ(playBar.value, 3000);
    EXPECT_EQ(playpos.r.width(), 60); // 201 * 0.3 = 60.3

    player->stopSequence();
    EXPECT_EQ(library.calls(),
              QStringList({"InitPreviewWindow 202x163", "SetEventFuntion", "Seek 0",
                           "Play /media/a.avi", "Stop", "DestroyPreviewWindow"}));
    for (const FakePreviewLibrary::Call& call : library.callRecords())
        EXPECT_EQ(call.onGuiThread, !call.text.startsWith("Play")) << call.text.toStdString();
    EXPECT_FALSE(library.destroyedDuringPlay());
    EXPECT_FALSE(player->timerActive());
    EXPECT_TRUE(mainPanel.isHidden());
    EXPECT_EQ(rows[0].status, "Stop");
    EXPECT_EQ(playTime.value, "00:00:00");
    EXPECT_EQ(playBar.value, 0);
    EXPECT_EQ(playpos.r.width(), 0);
}

TEST_F(PreviewPlayerTest, PlayWhilePausedResumesAndStopLeavesNoPauseBehind) {
    playRow(0);
    player->pauseToggle();
    EXPECT_TRUE(library.libraryPaused());
    EXPECT_FALSE(player->timerActive());
    EXPECT_EQ(rows[0].status, "Pause");

    player->bt_playClick();
    EXPECT_FALSE(library.libraryPaused());
    EXPECT_TRUE(player->timerActive());
    EXPECT_EQ(library.calls().filter("Play ").size(), 1) << "the file was started again";

    // Stopped while paused, the next file must start playing, and pause must still pause.
    player->pauseToggle();
    player->stopSequence();
    playRow(1);
    EXPECT_FALSE(player->paused());
    EXPECT_FALSE(library.libraryPaused());
    player->pauseToggle();
    EXPECT_TRUE(library.libraryPaused());
}

TEST_F(PreviewPlayerTest, PreviousAndNextStayWithinTheList) {
    playRow(2);
    player->bt_nextClick();
    EXPECT_EQ(selected, -1);
    EXPECT_TRUE(player->playing());
    EXPECT_FALSE(library.calls().contains("Stop"));

    player->stopSequence();
    playRow(0);
    events.clear();
    player->bt_backClick();
    EXPECT_EQ(events, QStringList{"unselect"});
    EXPECT_TRUE(player->playing());
    EXPECT_EQ(library.calls().count("Stop"), 1);

    library.clearCalls();
    player->bt_nextClick();
    ASSERT_TRUE(library.waitForPlay());
    EXPECT_EQ(events, QStringList({"unselect", "unselect", "select 1", "rowClick"}));
    EXPECT_EQ(library.calls(),
              QStringList({"Stop", "DestroyPreviewWindow", "InitPreviewWindow 202x163",
                           "SetEventFuntion", "Seek 0", "Play /media/b.avi"}));
    EXPECT_EQ(player->previewItem(), 1);
    EXPECT_EQ(rows[0].status, "Stop");
    EXPECT_EQ(rows[1].status, "Play");
}

TEST_F(PreviewPlayerTest, BaseOffsetRoundsHalvesToEvenAndReleaseSeeksWithIt) {
    playRow(0);
    tickAt(12.5);
    tickAt(20.0);
    EXPECT_EQ(playTime.value, "00:00:08");

    player->stopSequence();
    playRow(0);
    tickAt(13.5);
    tickAt(20.0);
    EXPECT_EQ(playTime.value, "00:00:06");

    // Seeks while dragging are relative; the one on release adds the offset.
    player->sliderMouseDown(Panel::Main);
    playBar.value = 2500;
    player->sliderScrollTrack(Panel::Main);
    EXPECT_EQ(library.calls().last(), "Seek 25");
    player->sliderMouseUp(Panel::Main);
    EXPECT_EQ(library.calls().last(), "Seek 39");

    // The offset is where the file's time starts, not where the first tick finds it.
    player->stopSequence();
    playRow(0);
    library.report(0.04);
    tickAt(0.9);
    tickAt(5.0);
    EXPECT_EQ(playTime.value, "00:00:05");
}

TEST_F(PreviewPlayerTest, DraggingTakesOverTheDisplayAndTheSeekFloorHoldsIt) {
    playRow(0); // 100 s
    tickAt(0.4);
    player->sliderMouseDown(Panel::Main);
    EXPECT_FALSE(player->timerActive());
    playBar.value = 5000;
    player->sliderScrollTrack(Panel::Main);
    EXPECT_EQ(playTime.value, "00:00:50");
    EXPECT_EQ(playpos.r.width(), 101);
    EXPECT_EQ(library.calls().last(), "Seek 50");

    player->sliderMouseUp(Panel::Main);
    EXPECT_TRUE(player->timerActive());
    EXPECT_EQ(library.calls().last(), "Seek 50");

    tickAt(10.0); // the library has not got there yet
    EXPECT_EQ(playTime.value, "00:00:50");
    EXPECT_EQ(playBar.value, 5000);
    tickAt(51.0);
    EXPECT_EQ(playTime.value, "00:00:51");
    EXPECT_EQ(playBar.value, 5100);
}

TEST_F(PreviewPlayerTest, PlaybackEndsOneSecondBeforeTheLength) {
    rows[1].duration.clear();
    playRow(1);
    player->play_timeTimer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->playing(); }, 2000));
    EXPECT_EQ(library.calls().last(), "DestroyPreviewWindow");
    EXPECT_EQ(rows[1].status, "Stop");

    rows[1].duration = QStringLiteral("00:00:10");
    playRow(1);
    tickAt(0.4);
    tickAt(8.0);
    tickAt(9.0);
    QTest::qWait(50); // nothing is awaited: playback must not end meanwhile
    EXPECT_TRUE(player->playing());
    tickAt(9.4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->playing(); }, 2000));
}

TEST_F(PreviewPlayerTest, AStalledPositionEndsPlaybackOnTheThirdStalledTick) {
    playRow(0);
    for (int i = 0; i < 5; ++i)
        tickAt(0.5); // not yet past the first second
    EXPECT_TRUE(player->playing());

    // Moving again does not forgive earlier stalls.
    for (double p : {5.0, 5.0, 6.0, 6.0, 7.0})
        tickAt(p);
    EXPECT_TRUE(player->playing());
    tickAt(7.0);
    EXPECT_FALSE(player->playing());
    EXPECT_EQ(library.calls().last(), "DestroyPreviewWindow");

    // A paused player whose display runs again after a seek is not stalled.
    playRow(0);
    tickAt(5.0);
    player->pauseToggle();
    player->sliderMouseDown(Panel::Main);
    player->sliderMouseUp(Panel::Main);
    for (int i = 0; i < 5; ++i)
        tickAt(40.0);
    EXPECT_TRUE(player->playing());
}

TEST_F(PreviewPlayerTest, PlayReturningByItselfStopsOnTheUiThread) {
    playRow(0);
    library.finish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->playing(); }, 5000));
    const QList<FakePreviewLibrary::Call> calls = library.callRecords();
    ASSERT_GE(calls.size(), 2);
    EXPECT_EQ(calls.last().text, "DestroyPreviewWindow");
    EXPECT_TRUE(calls.last().onGuiThread);
    EXPECT_EQ(rows[0].status, "Stop");
    EXPECT_TRUE(mainPanel.isHidden());
}

TEST_F(PreviewPlayerTest, ASlowStopNeitherFreezesNorEndsTheNextPlayback) {
    library.setReturnLatency(std::chrono::milliseconds(1000));
    playRow(0);
    player->bt_nextClick();
    EXPECT_EQ(library.playReturns(), 0); // the next row came before the first Play let go
    EXPECT_TRUE(player->playing());

    // The first Play returns late; that must not be taken for the end of the second.
    ASSERT_TRUE(vc::test::waitUntil([&] { return library.playReturns() == 1; }));
    QTest::qWait(50); // nothing is awaited: the second playback must not end meanwhile
    EXPECT_TRUE(player->playing());
    EXPECT_EQ(player->previewItem(), 1);
    player->stopSequence();
}

TEST_F(PreviewPlayerTest, APreviewItemPastTheEndCountsAsNone) {
    player->setPreviewItem(5);
    EXPECT_EQ(player->previewItem(), -1);
    player->bt_nextClick();
    player->bt_backClick();
    player->sliderMouseDown(Panel::Main);
    playBar.value = 5000;
    player->sliderScrollTrack(Panel::Main);
    player->sliderMouseUp(Panel::Main);
    EXPECT_TRUE(library.calls().isEmpty());
    EXPECT_TRUE(playTime.value.isEmpty());

    // Rows removed under a running player: it ends instead of reading past the list.
    playRow(2);
    rows.resize(1);
    tickAt(3.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->playing(); }, 2000));
}

TEST_F(PreviewPlayerTest, TheCutterPlaysInItsOwnPanelAndJumps) {
    player->setCutterOpen(true);
    player->cutterPlay(-1, &cutterPanel);
    converting = true;
    player->cutterPlay(0, &cutterPanel);
    EXPECT_EQ(events, QStringList{"warn 26"});
    EXPECT_TRUE(library.calls().isEmpty());
    converting = false;

    player->cutterPlay(0, &cutterPanel);
    ASSERT_TRUE(library.waitForPlay());
    EXPECT_EQ(library.calls().first(), "InitPreviewWindow 344x180");
    EXPECT_EQ(library.panel(), &cutterPanel);
    tickAt(0.4);
    tickAt(30.0);
    EXPECT_EQ(cutPlayTime.value, "00:00:30");
    EXPECT_EQ(cutplaypos.r.width(), 150);
    EXPECT_TRUE(playTime.value.isEmpty());

    player->jumpTo(60);
    EXPECT_EQ(library.calls().last(), "Seek 60");
    tickAt(45.0);
    tickAt(60.0);
    EXPECT_EQ(cutPlayTime.value, "00:01:00");

    // The cutter reads its time after playback for its begin and end marks.
    player->stopSequence();
    EXPECT_EQ(cutPlayTime.value, "00:01:00");
    EXPECT_EQ(cutplaypos.r.width(), 0);
    EXPECT_EQ(playTime.value, "00:00:00");
}

// The player on the real library: positions arrive, and the end of the file ends playback.
TEST(PreviewPlayerOnMpv, AClipPlaysAndEndsByItself) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString clip = vc::test::makeClip(dir.path(), QStringLiteral("clip.mkv"), {}, 3.0);
    vc::MpvPreviewLibrary library;
    QString status;
    PreviewPlayer::Hooks h;
    h.rows = [] {
        return 1;
    };
    h.selectedRow = [] {
        return 0;
    };
    h.path = [&](int) {
        return clip;
    };
    h.duration = [](int) {
        return QStringLiteral("00:00:03");
    };
    h.totalsecs = [](int) {
        return 3;
    };
    h.setStatus = [&](int, const QString& text) {
        status = text;
    };
    QWidget panel;
    panel.resize(202, 163);
    panel.show();
    TextStub playTime;
    SliderStub playBar;
    {
        PreviewPlayer player(library, h);
        player.setTiming({200, 50, 10});
        player.setMainPanel(&panel);
        player.setDisplay(Panel::Main, {&playTime, &playBar, nullptr});
        player.bt_playClick();
        EXPECT_EQ(status, "Play");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !player.playing(); }, 20000));
    }
    EXPECT_TRUE(playTime.history.contains("00:00:01")) << playTime.history.join(' ').toStdString();
    EXPECT_EQ(status, "Stop");
}

} // namespace
