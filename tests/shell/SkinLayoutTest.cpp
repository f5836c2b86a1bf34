#include "shell/SkinLayout.h"

#include "common/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vc;

namespace {
SkinLayout layoutOf(const QByteArray& text) {
    static QTemporaryDir dir;
    const QString path = dir.filePath("Skin.ini");
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text);
    f.close();
    return SkinLayout::read(IniFile(path));
}
const SkinLayout::Button& button(const SkinLayout& l, const char* name) {
    for (const auto& b : l.buttons)
        if (b.name == QLatin1String(name))
            return b;
    throw std::runtime_error(name);
}
} // namespace

TEST(SkinLayout, MissingNumbersAreTheShippedOnesAndVisibilityKeepsItsDefaults) {
    const SkinLayout shipped = SkinLayout::read(IniFile(VC_TEST_SOURCE_DIR "/../data/Skin.ini"));
    EXPECT_EQ(SkinLayout::builtIn(), shipped);
    ASSERT_EQ(button(shipped, "bt_back").visible, true);

    const SkinLayout l = layoutOf("[bt_remove]\nLeft=1\n[lv]\nheight=2\n");
    ASSERT_EQ(l.buttons.size(), 16);
    EXPECT_EQ(l.buttons.first().name, "bt_dvdopen");
    EXPECT_EQ(l.buttons.last().name, "bt_web");
    const QRect remove = button(shipped, "bt_remove").rect;
    EXPECT_EQ(button(l, "bt_remove").rect, QRect(1, remove.y(), remove.width(), remove.height()));
    EXPECT_EQ(button(l, "bt_start").rect, button(shipped, "bt_start").rect);
    EXPECT_EQ(l.sourceList,
              QRect(shipped.sourceList.topLeft(), QSize(shipped.sourceList.width(), 2)));
    EXPECT_EQ(l.output, shipped.output);
    EXPECT_EQ(l.categoryPanels, shipped.categoryPanels);
    EXPECT_EQ(l.leftMove, shipped.leftMove);
    EXPECT_EQ(l.combos, shipped.combos);
    // Visibility defaults.
    EXPECT_FALSE(button(l, "bt_dvdopen").visible.has_value());
    EXPECT_EQ(button(l, "bt_chapte").visible, true);
    EXPECT_EQ(button(l, "bt_back").visible, false);
    EXPECT_EQ(button(l, "bt_play").visible, true);
}

TEST(SkinLayout, EachButtonHasItsOwnVisibilityKey) {
    const SkinLayout l = layoutOf("[bt_back]\nTrue=1\n[bt_play]\nTrue=0\n"
                                  "[bt_remove]\nTrue=0\n[bt_clear]\nVisible=0\n"
                                  "[bt_chapte]\nVisible=0\nTrue=0\n[bt_set]\nVisible=0\n");
    EXPECT_EQ(button(l, "bt_back").visible, true);
    EXPECT_EQ(button(l, "bt_play").visible, false);
    EXPECT_EQ(button(l, "bt_remove").visible, true); // "True" is not its key
    EXPECT_EQ(button(l, "bt_clear").visible, false);
    EXPECT_EQ(button(l, "bt_chapte").visible, true);
    EXPECT_FALSE(button(l, "bt_set").visible.has_value());
}

TEST(SkinLayout, OddKeyNamesAreRead) {
    const SkinLayout l = layoutOf("[lv]\nLeft=10\nTop=20\nWidth=300\nheight=150\nHeight=1\n"
                                  "[pl_main]\nLeft=5\nTop=7\nplleft=40\n[pltop]\npltop=90\n"
                                  "[Leftmoveint]\nLeftmoveint=12\n[ed_output]\nLeft=1\nTop=2\n"
                                  "Width=3\n[cb_size]\nLeft=9\nTop=8\nWidth=120\n");
    EXPECT_EQ(l.sourceList, QRect(10, 20, 300, 150));
    EXPECT_EQ(l.categoryStrip, QPoint(5, 7));
    EXPECT_EQ(l.categoryPanels, QPoint(40, 90));
    EXPECT_EQ(l.leftMove, 12);
    EXPECT_EQ(l.output, QRect(1, 2, 3, SkinLayout::builtIn().output.height()));
    EXPECT_EQ(l.combos[2].pos, QPoint(9, 8));
    EXPECT_EQ(l.combos[2].width, 120);
    EXPECT_EQ(SkinLayout::hoverBitmap("bt_dvdopen"), "images/bt_dvdopenon.bmp");
    EXPECT_EQ(SkinLayout::disabledBitmap("Bt_Convertstop"), "images/Bt_ConvertstopD.bmp");
}
