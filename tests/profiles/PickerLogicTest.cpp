#include "profiles/PickerLogic.h"

#include <QMap>
#include <QSet>
#include <gtest/gtest.h>

using namespace vc;

namespace {

struct Surface : PickerSurface {
    QSet<QString> visible;
    QSet<int> hoverButtons;
    QSet<int> hoverStrip;
    QString backdrop;
    QMap<QString, int> standaloneAt;
    bool strip = false;
    bool preview = true;

    void setPanelVisible(const QString& p, bool v) override {
        if (v)
            visible.insert(p);
        else
            visible.remove(p);
    }
    bool isPanelVisible(const QString& p) const override { return visible.contains(p); }
    void showSubPanel(const QString& p) override { visible.insert(p); }
    void showStandalone(const QString& p, int left, bool) override {
        visible.insert(p);
        standaloneAt[p] = left;
    }
    void showBackdrop(const QString& at) override { backdrop = at; }
    void hideBackdrop() override { backdrop.clear(); }
    void setStripVisible(bool v) override { strip = v; }
    bool isStripVisible() const override { return strip; }
    void setStripHover(int k, bool h) override {
        if (h)
            hoverStrip.insert(k);
        else
            hoverStrip.remove(k);
    }
    void setButtonHover(int n, bool h) override {
        if (h)
            hoverButtons.insert(n);
        else
            hoverButtons.remove(n);
    }
    void setPreviewVisible(bool v) override { preview = v; }
    int stripLeft() const override { return 53; }
};

struct PickerLogicTest : ::testing::Test {
    Surface s;
    PickerLogic logic{s};
};

} // namespace

TEST_F(PickerLogicTest, OpeningShowsThePanelThatHoldsTheSelectedProfile) {
    logic.open(30, false);
    EXPECT_EQ(s.visible, QSet<QString>{"pl_ipod"});
    EXPECT_EQ(s.hoverStrip, QSet<int>{3});
    EXPECT_EQ(logic.highlightedCategory(), 3);
    EXPECT_TRUE(s.strip);
    EXPECT_EQ(s.backdrop, "pl_video2");

    logic.open(10, false);
    EXPECT_EQ(s.visible, QSet<QString>{"pl_video2"});
    EXPECT_EQ(s.hoverStrip, QSet<int>{1});

    logic.open(120, false);
    EXPECT_EQ(s.visible, (QSet<QString>{"pl_video1", "pl_mp4"}));

    logic.close();
    EXPECT_TRUE(s.visible.isEmpty());
    EXPECT_FALSE(s.strip);
    EXPECT_TRUE(s.backdrop.isEmpty());
    EXPECT_EQ(logic.highlightedCategory(), 1); // kept for the settings
}

TEST_F(PickerLogicTest, TheNewerFormatsAreAFourteenthCategoryOfTheirOwn) {
    logic.open(135, false);
    EXPECT_EQ(s.visible, QSet<QString>{"pl_modern"});
    EXPECT_EQ(s.hoverStrip, QSet<int>{14});
    logic.hoverCategory(1);
    logic.hoverCategory(14);
    EXPECT_EQ(s.visible, QSet<QString>{"pl_modern"});
    logic.hoverButton(133);
    EXPECT_EQ(s.hoverButtons, QSet<int>{133});
    EXPECT_TRUE(s.preview); // only the openers' sub-panels touch the preview
    EXPECT_EQ(logic.click(139), 139);
    EXPECT_TRUE(s.visible.isEmpty());
    EXPECT_EQ(logic.highlightedCategory(), 14);
}

TEST_F(PickerLogicTest, HoveringCategoriesSwapsPanelsAndHonoursPages) {
    logic.open(1, false);
    logic.hoverCategory(2);
    EXPECT_EQ(s.visible, QSet<QString>{"pl_audio1"});
    EXPECT_EQ(s.hoverStrip, QSet<int>{2});
    logic.arrow(PickerLogic::Arrow::AudioNext);
    EXPECT_FALSE(logic.audioFirstPage());
    logic.hoverCategory(1);
    logic.hoverCategory(2);
    EXPECT_EQ(s.visible, QSet<QString>{"pl_audio2"});
}

TEST_F(PickerLogicTest, LeavingASubPanelClosesItAndRestoresItsOpener) {
    logic.open(1, false);
    logic.hoverButton(2);
    EXPECT_TRUE(s.visible.contains("pl_avi"));
    logic.hoverButton(103);
    EXPECT_TRUE(s.visible.contains("pl_avi"));
    EXPECT_TRUE(s.hoverButtons.contains(2)); // the opener stays lit while inside
    EXPECT_TRUE(s.hoverButtons.contains(103));
    logic.hoverButton(1);
    EXPECT_FALSE(s.visible.contains("pl_avi"));
    EXPECT_FALSE(s.hoverButtons.contains(2));
    EXPECT_TRUE(s.hoverButtons.contains(1));
}

TEST_F(PickerLogicTest, MovingFromAnOpenerIntoItsSubPanelKeepsItOpen) {
    logic.open(1, false);
    s.preview = false;
    logic.hoverButton(3);
    EXPECT_TRUE(s.preview);
    logic.hoverButton(111);
    EXPECT_TRUE(s.visible.contains("pl_mpeg"));
    EXPECT_TRUE(s.hoverButtons.contains(3));
    EXPECT_TRUE(s.hoverButtons.contains(111));
    // Moving across openers swaps their sub-panels.
    logic.hoverButton(4);
    EXPECT_FALSE(s.visible.contains("pl_mpeg"));
    EXPECT_TRUE(s.visible.contains("pl_mp4"));
    EXPECT_FALSE(s.hoverButtons.contains(3));
}

TEST_F(PickerLogicTest, OnlySelectingButtonsSelect) {
    logic.open(1, false);
    for (int n : {2, 5, 13, 14, 26, 52, 109, 124, 132, 0, 140})
        EXPECT_EQ(logic.click(n), 0) << n;
    EXPECT_TRUE(s.strip);
    EXPECT_EQ(logic.click(27), 27);
    EXPECT_FALSE(s.strip);
    EXPECT_FALSE(PickerLogic::reactsToHover(13));
    EXPECT_FALSE(PickerLogic::reactsToHover(98));
    EXPECT_TRUE(PickerLogic::reactsToHover(109));
    EXPECT_TRUE(PickerLogic::reactsToHover(26));
}

TEST_F(PickerLogicTest, SingleCategoryEditions) {
    logic.setProgramFileName("iPod Converter");
    logic.open(1, false);
    EXPECT_EQ(s.visible, QSet<QString>{"pl_ipod"});
    EXPECT_EQ(s.standaloneAt.value("pl_ipod"), 53);
    EXPECT_FALSE(s.strip);

    Surface s2;
    PickerLogic wmv(s2);
    wmv.setProgramFileName("WMV Converter");
    wmv.open(7, false);
    EXPECT_TRUE(s2.visible.isEmpty());
    EXPECT_FALSE(s2.strip);

    Surface s3;
    PickerLogic audio(s3);
    audio.setProgramFileName("ozrin mp3 maker");
    audio.open(17, false);
    EXPECT_FALSE(s3.preview);
    EXPECT_EQ(s3.standaloneAt.value("pl_audio1"), 88);
    audio.arrow(PickerLogic::Arrow::AudioNext);
    EXPECT_EQ(s3.visible, QSet<QString>{"pl_audio2"});
    EXPECT_TRUE(audio.audioFirstPage()); // the flag is left alone here
}
