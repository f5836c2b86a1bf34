#include "shell/SkinSetup.h"

#include "TestSupport.h"
#include "common/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A program folder whose skin file can be edited; the skin's images stay those of the build.
class EditableSkin {
public:
    EditableSkin() {
        EXPECT_TRUE(dir.isValid());
        EXPECT_TRUE(QFile::copy(QDir(vc::test::programDir()).filePath(QStringLiteral("skn.skn")),
                                skinPath()));
        QFile::setPermissions(skinPath(), QFile::ReadOwner | QFile::WriteOwner);
        EXPECT_TRUE(QFile::link(QDir(vc::test::programDir()).filePath(QStringLiteral("skin")),
                                dir.filePath(QStringLiteral("skin"))));
    }
    QString folder() const { return dir.path(); }
    QString skinPath() const { return dir.filePath(QStringLiteral("skn.skn")); }
    vc::IniFile ini() const { return vc::IniFile(skinPath()); }

private:
    QTemporaryDir dir;
};

TEST(SkinSetupTest, SkinsBothWindowsFindsTheDrivenElementsAndStartsThemEmpty) {
    vc::TSkin skin;
    QWidget main;
    QWidget cutter;
    main.setWindowTitle(QStringLiteral("Video Converter"));
    const vc::SkinSetup setup = vc::setUpSkin(skin, &main, &cutter, vc::test::programDir());
    ASSERT_TRUE(setup.ok()) << setup.error.toStdString();

    EXPECT_EQ(skin.skinObject(&main)->name(), QStringLiteral("popvideoconverter"));
    EXPECT_EQ(skin.skinObject(&cutter)->name(), QStringLiteral("cutter"));
    EXPECT_EQ(main.size(), QSize(820, 562));
    EXPECT_EQ(cutter.size(), QSize(618, 501));
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Video Converter"));

    const vc::SkinElements& el = setup.elements;
    for (vc::SkinElement* text : {el.profilestext, el.play_time, el.hint, el.alltime,
                                  el.cut_begin_time, el.cut_end_time, el.cut_play_time})
        ASSERT_TRUE(text && text->textFacet());
    for (vc::SkinElement* slider : {el.play_bar, el.cut_play_bar})
        ASSERT_TRUE(slider && slider->sliderFacet());
    for (vc::SkinElement* shape : {el.di, el.playpos, el.convertpos, el.cutplaypos})
        ASSERT_NE(shape, nullptr);
    EXPECT_EQ(el.cut_play_bar->form().window(), &cutter);

    EXPECT_EQ(el.hint->text(), QString());
    EXPECT_EQ(el.play_bar->position(), 0);
    EXPECT_EQ(el.convertpos->rect().width(), 0);
    EXPECT_EQ(el.playpos->rect().width(), 0);
    EXPECT_EQ(el.cutplaypos->rect().width(), 0);
}

TEST(SkinSetupTest, MarkersGrowFromTheirLeftToTheirOwnFullWidth) {
    vc::TSkin skin;
    QWidget main;
    QWidget cutter;
    vc::SkinSetup setup = vc::setUpSkin(skin, &main, &cutter, vc::test::programDir());
    ASSERT_TRUE(setup.ok()) << setup.error.toStdString();
    vc::SkinElements& el = setup.elements;

    struct Bar {
        vc::ProgressMarker& marker;
        vc::SkinElement* element;
        int full;
    };
    for (const Bar& bar :
         {Bar{el.playposBar, el.playpos, 201}, Bar{el.convertposBar, el.convertpos, 447},
          Bar{el.cutplayposBar, el.cutplaypos, 500}}) {
        const QRect start = bar.element->rect();
        for (const auto& [value, width] :
             {std::pair{0, 0}, {5000, (bar.full + 1) / 2}, {10000, bar.full}, {12000, bar.full}}) {
            bar.marker.show(value);
            EXPECT_EQ(bar.element->rect(), QRect(start.topLeft(), QSize(width, start.height())))
                << bar.element->name().toStdString() << " at " << value;
        }
    }
}

TEST(SkinSetupTest, RefusesASkinThatLacksADrivenElementNamingItAndTheFile) {
    struct Case {
        const char* section;
        const char* name;
    };
    for (const Case c :
         {Case{"popvideoconverter.alltime", "alltime"},
          Case{"popvideoconverter.mainclose", "mainclose"}, Case{"cutter.cutplaypos", "cutplaypos"},
          Case{"cutter.cut_play_bar", "cut_play_bar"}}) {
        EditableSkin folder;
        ASSERT_TRUE(folder.ini().deleteSection(QLatin1String(c.section)));
        vc::TSkin skin;
        QWidget main;
        QWidget cutter;
        const vc::SkinSetup setup = vc::setUpSkin(skin, &main, &cutter, folder.folder());
        EXPECT_FALSE(setup.ok());
        EXPECT_TRUE(setup.error.contains(QStringLiteral("\"%1\"").arg(QLatin1String(c.name))))
            << setup.error.toStdString();
        EXPECT_TRUE(setup.error.contains(folder.skinPath())) << setup.error.toStdString();
    }

    EditableSkin folder;
    ASSERT_TRUE(folder.ini().writeString(QStringLiteral("popvideoconverter.hint"),
                                         QStringLiteral("kind"), QStringLiteral("shape")));
    vc::TSkin skin;
    QWidget main;
    QWidget cutter;
    const vc::SkinSetup wrongKind = vc::setUpSkin(skin, &main, &cutter, folder.folder());
    EXPECT_TRUE(wrongKind.error.contains(QStringLiteral("\"hint\"")))
        << wrongKind.error.toStdString();
    EXPECT_TRUE(wrongKind.error.contains(QStringLiteral("text line")));

    QTemporaryDir empty;
    const vc::SkinSetup none = vc::setUpSkin(skin, &main, &cutter, empty.path());
    EXPECT_TRUE(none.error.contains(QDir(empty.path()).filePath(QStringLiteral("skn.skn"))));
}

} // namespace
