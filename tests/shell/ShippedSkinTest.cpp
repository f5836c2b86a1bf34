#include "shell/SkinFile.h"

#include "TestSupport.h"
#include "common/Bitmaps.h"
#include "common/IniFile.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

QString programFile(const QString& relative) {
    return QDir(vc::test::programDir()).filePath(relative);
}

class ShippedSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        const vc::SkinParseResult parsed =
            vc::parseSkinFile(programFile(QStringLiteral("skn.skn")));
        ASSERT_TRUE(parsed.skin) << parsed.error.toStdString();
        skin = *parsed.skin;
    }
    vc::SkinDef skin;
};

void expectElements(const vc::FormDef& form, vc::ElementKind kind, const QStringList& names) {
    for (const QString& name : names) {
        const vc::ElementDef* e = form.element(name);
        ASSERT_NE(e, nullptr) << form.name.toStdString() << " lacks " << name.toStdString();
        EXPECT_EQ(e->kind, kind) << name.toStdString();
        EXPECT_TRUE(QRect(QPoint(0, 0), form.size).contains(e->rect))
            << name.toStdString() << " is off the form";
    }
}

TEST_F(ShippedSkinTest, HoldsEveryElementTheProgramNamesWithItsKind) {
    const vc::FormDef* main = skin.form(QStringLiteral("popvideoconverter"));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->size, QSize(820, 562));
    expectElements(*main, vc::ElementKind::Area,
                   {"title",      "mainclose", "minimize",   "file",          "dvdfile",
                    "settings",   "purchase",  "register",   "help",          "openfiles",
                    "openfolder", "remove",    "clear",      "converter",     "stopconverter",
                    "profiles",   "browse",    "open",       "play",          "stop",
                    "pause",      "cutter",    "chapter",    "ifoopen",       "dvdopen",
                    "audio",      "subtitle",  "video_size", "video_quality", "audio_quality",
                    "channels"});
    expectElements(*main, vc::ElementKind::Text, {"profilestext", "hint", "alltime", "play_time"});
    expectElements(*main, vc::ElementKind::Slider, {"play_bar"});
    expectElements(*main, vc::ElementKind::Shape, {"playpos", "convertpos", "di"});
    EXPECT_EQ(main->element(QStringLiteral("mainclose"))->action, vc::ElementAction::Close);
    EXPECT_EQ(main->element(QStringLiteral("minimize"))->action, vc::ElementAction::Minimize);
    EXPECT_EQ(main->element(QStringLiteral("title"))->action, vc::ElementAction::Move);
    EXPECT_EQ(main->element(QStringLiteral("playpos"))->rect.width(), 201);
    EXPECT_EQ(main->element(QStringLiteral("convertpos"))->rect.width(), 447);
    EXPECT_FALSE(main->element(QStringLiteral("di"))->visible)
        << "the picker shows its backdrop itself";

    const vc::FormDef* cutter = skin.form(QStringLiteral("cutter"));
    ASSERT_NE(cutter, nullptr);
    EXPECT_EQ(cutter->size, QSize(618, 501));
    expectElements(*cutter, vc::ElementKind::Area,
                   {"play", "stop", "pause", "begin", "end", "hou", "qian", "cutclose", "title"});
    expectElements(*cutter, vc::ElementKind::Text,
                   {"cut_begin_time", "cut_end_time", "cut_play_time"});
    expectElements(*cutter, vc::ElementKind::Slider, {"cut_play_bar"});
    expectElements(*cutter, vc::ElementKind::Shape, {"cutplaypos"});
    EXPECT_EQ(cutter->element(QStringLiteral("cutplaypos"))->rect.width(), 500);
    EXPECT_EQ(cutter->element(QStringLiteral("cutclose"))->action, vc::ElementAction::Close);
}

// Controls placed by the layout file lie on top of the skin: nothing the user reads or clicks
// on the skin may sit beneath one of them.
TEST_F(ShippedSkinTest, LeavesRoomForTheControlsOfTheLayoutFile) {
    const vc::IniFile layout(programFile(QStringLiteral("Skin.ini")));
    QList<std::pair<QString, QRect>> controls;
    for (const QString& section : layout.sections()) {
        const QRect r(layout.readInt(section, "Left", 6), layout.readInt(section, "Top", 6),
                      layout.readInt(section, "Width", 6),
                      section.startsWith("cb_") ? 24 : layout.readInt(section, "Height", 15));
        // The list covers the empty-list hint on purpose; Panel1 sits inside the profile field.
        if (section == "lv" || section == "Panel1" || section == "pl_main" || section == "pltop" ||
            section == "Leftmoveint")
            continue;
        controls.append({section, r});
    }
    ASSERT_GE(controls.size(), 23);
    EXPECT_TRUE(controls.contains({QStringLiteral("pl_play"), QRect(527, 102, 202, 163)}));

    const vc::FormDef* main = skin.form(QStringLiteral("popvideoconverter"));
    ASSERT_NE(main, nullptr);
    for (const vc::ElementDef& e : main->elements) {
        if (!e.visible || e.kind == vc::ElementKind::Shape || e.action == vc::ElementAction::Move)
            continue;
        for (const auto& [name, rect] : controls)
            EXPECT_FALSE(rect.intersects(e.rect))
                << name.toStdString() << " covers " << e.name.toStdString();
    }
}

// Each at its size, and drawn anew at twice its resolution for high-density screens.
TEST_F(ShippedSkinTest, ProgramFolderHoldsEveryBitmapAtItsSize) {
    const auto expectBitmap = [](const QString& relative, QSize size) {
        const QImage image(programFile(relative));
        EXPECT_FALSE(image.isNull()) << relative.toStdString();
        EXPECT_EQ(image.size(), size) << relative.toStdString();
        const QString sharp = vc::doubleResolutionPath(relative);
        const QImage doubled(programFile(sharp));
        EXPECT_EQ(doubled.size(), size * 2) << sharp.toStdString();
    };
    const vc::IniFile layout(programFile(QStringLiteral("Skin.ini")));
    const QStringList buttons{"bt_dvdopen", "bt_ifo",      "bt_remove",      "bt_clear",
                              "bt_chapte",  "bt_set",      "bt_back",        "bt_play",
                              "bt_next",    "bt_playstop", "bt_cut",         "bt_images",
                              "bt_start",   "bt_pause",    "Bt_Convertstop", "bt_web"};
    for (const QString& b : buttons) {
        const QSize size(layout.readInt(b, "Width", 6), layout.readInt(b, "Height", 6));
        EXPECT_GT(size.width(), 6) << b.toStdString() << " has no place in the layout file";
        for (const char* state : {"", "on", "D"})
            expectBitmap(QStringLiteral("images/%1%2.bmp").arg(b, QLatin1String(state)), size);
    }
    const QStringList strip{"video1", "audio1", "ipod", "iphone", "gphone", "appletv",   "psp",
                            "xbox",   "phone",  "win",  "pmp",    "hd",     "animation", "modern"};
    for (const QString& c : strip) {
        const QSize size(153, c == "video1" ? 27 : 25);
        expectBitmap(QStringLiteral("images/main/general/img_%1.bmp").arg(c), size);
        expectBitmap(QStringLiteral("images/main/move/img_%1.bmp").arg(c), size);
    }
    // Fourteen images leave the strip's foot 6 of its 358 pixels.
    expectBitmap(QStringLiteral("images/main/general/img_bottom.bmp"), QSize(153, 6));
    for (int n = 1; n <= 139; ++n) {
        // The picker's panels: first buttons 53 high, the rest 48, some longer ones at the
        // bottom, and the 17-high strips under seven panels.
        static const std::map<int, int> special{
            {26, 144}, {33, 67}, {40, 67}, {45, 161}, {52, 67}, {59, 67},  {74, 67},  {101, 257},
            {124, 65}, {67, 17}, {82, 17}, {90, 17},  {98, 17}, {109, 17}, {117, 17}, {132, 17}};
        static const std::set<int> firsts{1,  8,  15, 22, 27, 34,  41,  46,  53,  60,
                                          68, 75, 83, 91, 99, 102, 110, 118, 125, 133};
        const int height = special.count(n) ? special.at(n) : firsts.count(n) ? 53 : 48;
        const QSize size(n >= 102 && n <= 132 ? 311 : 310, height);
        expectBitmap(QStringLiteral("images/sub/general/%1.bmp").arg(n), size);
        expectBitmap(QStringLiteral("images/sub/move/%1.bmp").arg(n), size);
    }
    // A profile's picture changes on hover; a filler's is plain and stays.
    EXPECT_NE(QImage(programFile("images/sub/general/30.bmp")),
              QImage(programFile("images/sub/move/30.bmp")));
    EXPECT_EQ(QImage(programFile("images/sub/general/26.bmp")),
              QImage(programFile("images/sub/move/26.bmp")));
    for (int i = 1; i <= 14; ++i)
        expectBitmap(QStringLiteral("images/main/%1.bmp").arg(i), QSize(16, 16));
    EXPECT_FALSE(QImage(programFile("images/main/VideoConverter.bmp")).isNull());
    EXPECT_FALSE(QImage(programFile("images/main/VideoConverter@2x.png")).isNull());
    for (const QString& icon : QDir(programFile("skin")).entryList({"*.png"}))
        if (!icon.contains('@'))
            expectBitmap("skin/" + icon, QImage(programFile("skin/" + icon)).size());
}

} // namespace
