#include "shell/SkinFile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SkinFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& text) {
        const QString path = dir.filePath(QStringLiteral("test.skn"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return path;
    }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("img"));
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(dir.filePath(QStringLiteral("img/dot.png"))));
    }

    QTemporaryDir dir;
};

TEST_F(SkinFileTest, ReadsFormsAndElementsInFileOrderWithStylesAndSharedKeys) {
    const QString path = write(R"([skin]
forms=main, small
font=Inter
fontsize=13
textcolor=#112233

[style.base]
color=#ffffff
radius=4
fontweight=700

[style.button]
style=base
kind=area
border=#000000
cursor=hand

[main]
size=300,200
color=#eeeeee
fontsize=15

[main.Title]
kind=area
rect=0,0,300,30
action=move
icon=img/dot.png

[main.label]
kind=text
rect=10,40,100,20
text=Hello
align=right
visible=0
mouse=0

[main.go]
style=button
rect=10,70,80,24
color=#ff0000
hovercolor=#00ff00

[main.bar]
kind=slider
rect=10,100,120,16
position=12000
thumbsize=10

[small]
size=50,40

[small.dot]
kind=shape
rect=1,2,3,4
image=img/dot.png
)");
    const vc::SkinParseResult parsed = vc::parseSkinFile(path);
    ASSERT_TRUE(parsed.skin) << parsed.error.toStdString();
    const vc::SkinDef& skin = *parsed.skin;
    ASSERT_EQ(skin.forms.size(), 2);

    const vc::FormDef* main = skin.form(QStringLiteral("main"));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->size, QSize(300, 200));
    EXPECT_EQ(main->color, QColor(0xee, 0xee, 0xee));
    QStringList names;
    for (const vc::ElementDef& e : main->elements)
        names << e.name;
    EXPECT_EQ(names, (QStringList{"Title", "label", "go", "bar"}));
    EXPECT_EQ(main->element(QStringLiteral("title")), nullptr) << "element names keep their case";

    const vc::ElementDef& title = *main->element(QStringLiteral("Title"));
    EXPECT_EQ(title.action, vc::ElementAction::Move);
    EXPECT_EQ(title.rect, QRect(0, 0, 300, 30));
    EXPECT_EQ(title.look.icon, QDir(dir.path()).filePath(QStringLiteral("img/dot.png")));
    // Shared text keys come from the form first, then from [skin].
    EXPECT_EQ(title.look.fontSize, 15);
    EXPECT_EQ(title.look.font, QStringLiteral("Inter"));
    EXPECT_EQ(title.look.textColor, QColor(0x11, 0x22, 0x33));

    const vc::ElementDef& label = *main->element(QStringLiteral("label"));
    EXPECT_EQ(label.kind, vc::ElementKind::Text);
    EXPECT_EQ(label.text, QStringLiteral("Hello"));
    EXPECT_FALSE(label.visible);
    EXPECT_FALSE(label.mouse);
    EXPECT_EQ(label.look.align, Qt::AlignRight | Qt::AlignVCenter);

    // The element's own keys win over its style, which wins over the style it builds on.
    const vc::ElementDef& go = *main->element(QStringLiteral("go"));
    EXPECT_EQ(go.kind, vc::ElementKind::Area);
    EXPECT_EQ(go.look.color, QColor(Qt::red));
    EXPECT_EQ(go.look.hoverColor, QColor(Qt::green));
    EXPECT_EQ(go.look.border, QColor(Qt::black));
    EXPECT_EQ(go.look.radius, 4);
    EXPECT_EQ(go.look.fontWeight, 700);
    EXPECT_TRUE(go.handCursor);
    EXPECT_TRUE(go.visible);

    const vc::ElementDef& bar = *main->element(QStringLiteral("bar"));
    EXPECT_EQ(bar.kind, vc::ElementKind::Slider);
    EXPECT_EQ(bar.position, 10000);
    EXPECT_EQ(bar.look.thumbSize, 10);

    const vc::FormDef* small = skin.form(QStringLiteral("small"));
    ASSERT_NE(small, nullptr);
    ASSERT_EQ(small->elements.size(), 1);
    EXPECT_EQ(small->elements[0].kind, vc::ElementKind::Shape);
    EXPECT_EQ(small->elements[0].rect, QRect(1, 2, 3, 4));
    EXPECT_EQ(small->elements[0].look.fontSize, 13);
}

TEST_F(SkinFileTest, RefusesBrokenFilesNamingTheFileAndTheFault) {
    struct Case {
        const char* text;
        const char* fault;
    };
    const Case cases[] = {
        {"[main]\nsize=1,1\n", "no [skin] section"},
        {"[skin]\n", "names no forms"},
        {"[skin]\nforms=main\n", "\"main\" has no section"},
        {"[skin]\nforms=main\n[main]\nsize=0,10\n", "needs size=width,height"},
        {"[skin]\nforms=main\n[main]\nsize=9,9\n[main.a]\nkind=button\nrect=0,0,1,1\n",
         "unknown kind \"button\""},
        {"[skin]\nforms=main\n[main]\nsize=9,9\n[main.a]\nrect=0,0,1\n", "[main.a] needs rect"},
        {"[skin]\nforms=main\n[main]\nsize=9,9\n[main.a]\nrect=0,0,1,1\ncolor=#12\n",
         "color is not a colour"},
        {"[skin]\nforms=main\n[main]\nsize=9,9\n[main.a]\nrect=0,0,1,1\nimage=img/none.png\n",
         "image names the missing file"},
        {"[skin]\nforms=main\n[main]\nsize=9,9\n[main.a]\nrect=0,0,1,1\nstyle=x\n",
         "missing style \"x\""},
        {"[skin]\nforms=main\n[style.x]\nstyle=y\n[style.y]\nstyle=x\n[main]\nsize=9,9\n[main.a]"
         "\nrect=0,0,1,1\nstyle=x\n",
         "refers to itself"},
        {"[skin]\nforms=main\n[main]\nsize=9,9\n[main.a]\nrect=0,0,1,1\naction=fly\n",
         "unknown action \"fly\""},
        {"[skin]\nforms=main\n[main]\nsize=9,9\n[main.a]\nrect=0,0,1,1\nradius=big\n",
         "radius is not a number"},
    };
    for (const Case& c : cases) {
        const QString path = write(c.text);
        const vc::SkinParseResult parsed = vc::parseSkinFile(path);
        EXPECT_FALSE(parsed.skin) << c.fault;
        EXPECT_TRUE(parsed.error.contains(QLatin1String(c.fault))) << parsed.error.toStdString();
        EXPECT_TRUE(parsed.error.contains(path)) << parsed.error.toStdString();
    }

    const QString missing = dir.filePath(QStringLiteral("none.skn"));
    const vc::SkinParseResult parsed = vc::parseSkinFile(missing);
    EXPECT_FALSE(parsed.skin);
    EXPECT_TRUE(parsed.error.contains(missing));
}

} // namespace
