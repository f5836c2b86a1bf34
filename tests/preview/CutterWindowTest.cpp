#include "preview/CutterWindow.h"

#include "TestSupport.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vc;

namespace {

struct Text : TextFacet {
    QString value;
    int redraws = 0;
    QString text() const override { return value; }
    void setText(const QString& t) override { value = t; }
    void redraw() override { ++redraws; }
};

struct Bar : SliderFacet, ShapeFacet {
    int pos = -1;
    bool visible = true;
    int position() const override { return pos; }
    void setPosition(int p) override { pos = p; }
    QRect rect() const override { return {}; }
    void setRect(const QRect&) override {}
    void setVisible(bool v) override { visible = v; }
    void redraw() override {}
};

class CutterTest : public ::testing::Test {
protected:
    void SetUp() override {
        Tfm_dvdcutter::Hooks h;
        h.rows = [this] {
            return static_cast<int>(cuts.size());
        };
        h.title = [](int row) {
            return QStringLiteral("clip %1").arg(row);
        };
        h.cut = [this](int row) {
            return &cuts[static_cast<std::size_t>(row)];
        };
        h.setDuration = [this](int row, const QString& d) {
            durations[row] = d;
        };
        h.refreshEstimates = [this] {
            ++estimates;
        };
        h.converting = [this] {
            return converting;
        };
        h.refuse = [this](int id) {
            refused << id;
        };
        h.playing = [this] {
            return playing;
        };
        h.setPreviewItem = [this](int row) {
            preview = row;
        };
        h.previewItem = [this] {
            return preview;
        };
        h.play = [this](int row) {
            played << row;
            playing = true;
        };
        h.stop = [this] {
            ++stops;
            playing = false;
        };
        h.pause = [] {
        };
        h.jump = [this](int s) {
            jumps << s;
        };
        h.setCutterOpen = [this](bool open) {
            cutterOpen = open;
        };
        cutter.setHooks(h);
        cutter.setDisplay({&begin, &end, &time, &bar, &bar});
    }

    void selectRow(int row) {
        cutter.lv()->clearSelection();
        cutter.lv()->topLevelItem(row)->setSelected(true);
        cutter.rowClick();
    }

    std::vector<Tcutinfo> cuts{{120, 0, 120}, {90, 0, 90}};
    QMap<int, QString> durations;
    QList<int> refused, played, jumps;
    Text begin, end, time;
    Bar bar;
    int preview = -1, stops = 0, estimates = 0;
    bool playing = false, converting = false, cutterOpen = false;
    Tfm_dvdcutter cutter;
};

} // namespace

TEST_F(CutterTest, ShowingListsTheRangesAndSelectsTheFirstRow) {
    QWidget main;
    main.move(100, 50);
    cuts[1].cutbegin = 5;
    cutter.showBeside(&main);
    EXPECT_TRUE(cutterOpen);
    EXPECT_EQ(cutter.pos(), QPoint(110, 130));
    EXPECT_EQ(cutter.size(), QSize(618, 501));
    ASSERT_EQ(cutter.lv()->topLevelItemCount(), 2);
    EXPECT_EQ(cutter.lv()->topLevelItem(1)->text(0), "clip 1");
    EXPECT_EQ(cutter.lv()->topLevelItem(1)->text(1), "00:00:05");
    EXPECT_EQ(cutter.lv()->topLevelItem(1)->text(2), "00:01:30");
    EXPECT_EQ(cutter.lv()->topLevelItem(1)->checkState(0), Qt::Checked);
    EXPECT_EQ(preview, 0);
    EXPECT_EQ(end.value, "00:02:00");
    EXPECT_EQ(time.value, "00:00:00");
    EXPECT_FALSE(bar.visible);

    // A row click while playing leaves the range shown alone.
    playing = true;
    selectRow(1);
    EXPECT_EQ(preview, 0);
    playing = false;
    selectRow(1);
    EXPECT_EQ(preview, 1);
    EXPECT_EQ(begin.value, "00:00:05");
    cutter.close();
}

TEST_F(CutterTest, ACutBecomesTheDurationWhenTheWindowCloses) {
    cutter.showBeside(nullptr);
    time.value = "00:00:10";
    cutter.beginClick();
    time.value = "00:01:00";
    cutter.endClick();
    EXPECT_EQ(cuts[0].cutbegin, 10);
    EXPECT_EQ(cuts[0].cutend, 60);
    EXPECT_EQ(cutter.lv()->topLevelItem(0)->text(1), "00:00:10");
    EXPECT_EQ(cutter.lv()->topLevelItem(0)->text(2), "00:01:00");
    EXPECT_EQ(begin.value, "00:00:10");
    EXPECT_EQ(end.value, "00:01:00");
    playing = true;
    cutter.close();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(durations.value(0), "00:00:50");
    EXPECT_EQ(durations.value(1), "00:01:30"); // never touched: the whole clip
    EXPECT_EQ(estimates, 1);
    EXPECT_FALSE(cutterOpen);
}

TEST_F(CutterTest, RangesNeverTurnEmptyOrInverted) {
    cutter.showBeside(nullptr);
    time.value = "00:01:00";
    cutter.beginClick();
    time.value = "00:00:30";
    cutter.endClick(); // before the begin: the begin goes back to the start
    EXPECT_EQ(cuts[0].cutbegin, 0);
    EXPECT_EQ(cuts[0].cutend, 30);
    EXPECT_EQ(cutter.lv()->topLevelItem(0)->text(1), "00:00:00");
    EXPECT_EQ(begin.value, "00:00:00");
    time.value = "00:00:45";
    cutter.beginClick(); // past the end: the end goes to the clip's end
    EXPECT_EQ(cuts[0].cutbegin, 45);
    EXPECT_EQ(cuts[0].cutend, 120);
    EXPECT_EQ(end.value, "00:02:00");

    cutter.close();
    EXPECT_EQ(durations.value(0), "00:01:15");
}

TEST_F(CutterTest, JumpsStayInsideTheClipAndPlayIsRefusedWhileConverting) {
    cutter.showBeside(nullptr);
    time.value = "00:00:20";
    cutter.houClick();
    EXPECT_TRUE(jumps.isEmpty());
    time.value = "00:00:31";
    cutter.houClick();
    time.value = "00:01:30"; // 120 s clip: +30 reaches the end
    cutter.qianClick();
    time.value = "00:01:29";
    cutter.qianClick();
    EXPECT_EQ(jumps, (QList<int>{1, 119}));

    converting = true;
    cutter.playClick();
    EXPECT_EQ(refused, QList<int>{26});
    EXPECT_TRUE(played.isEmpty());
    converting = false;
    cutter.playClick();
    EXPECT_EQ(played, QList<int>{0});
    cutter.lv()->clearSelection();
    cutter.playClick(); // no selected row
    EXPECT_EQ(played, QList<int>{0});
    cutter.close();
}
