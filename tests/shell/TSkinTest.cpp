#include "shell/TSkin.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

constexpr char SkinText[] = R"([skin]
forms=main,other

[main]
size=300,200
color=#ffffff

[main.title]
rect=0,0,240,30
color=#000080
action=move

[main.min]
rect=240,0,30,30
action=minimize

[main.close]
rect=270,0,30,30
action=close

[main.button]
rect=10,50,80,30
text=Go
color=#ff0000
hovercolor=#00ff00

[main.label]
kind=text
rect=10,100,100,20
text=hello

[main.under]
rect=150,50,100,30

[main.over]
kind=text
rect=150,50,100,30
mouse=0

[main.hidden]
rect=10,150,50,20
visible=0

[main.bar]
kind=slider
rect=100,150,112,20
thumbsize=12

[main.mark]
kind=shape
rect=10,180,40,4
color=#0000ff

[other]
size=120,90
)";

struct Event {
    QString kind;
    QString source;
    int a = 0, b = 0, c = 0;
};

class TSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("test.skn"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(SkinText);
        file.close();
        window.setWindowTitle(QStringLiteral("Video Converter"));
        ASSERT_TRUE(skin.loadSkinFile(path)) << skin.errorString().toStdString();
        ASSERT_TRUE(skin.attachForm(&window, QStringLiteral("main")))
            << skin.errorString().toStdString();
        window.move(100, 100);
        window.show();
        canvas = skin.canvas(&window);
        ASSERT_NE(canvas, nullptr);

        QObject::connect(&skin, &vc::TSkin::OnClick, [this](vc::ISkinObject* s) {
            events.push_back({"click", s->name()});
        });
        QObject::connect(&skin, &vc::TSkin::OnMouseDown,
                         [this](vc::ISkinObject* s, Qt::MouseButton button, int x, int y) {
                             events.push_back({"down", s->name(), int(button), x, y});
                         });
        QObject::connect(&skin, &vc::TSkin::OnMouseUp,
                         [this](vc::ISkinObject* s, Qt::MouseButton button, int x, int y) {
                             events.push_back({"up", s->name(), int(button), x, y});
                         });
        QObject::connect(&skin, &vc::TSkin::OnMouseMove, [this](vc::ISkinObject* s, int x, int y) {
            events.push_back({"move", s->name(), x, y});
        });
        QObject::connect(&skin, &vc::TSkin::OnScrollTrack, [this](vc::ISkinObject* s, int pos) {
            events.push_back({"track", s->name(), pos});
        });
    }

    void send(QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton) {
        if (type == QEvent::MouseButtonPress)
            held |= button;
        if (type == QEvent::MouseButtonRelease)
            held &= ~Qt::MouseButtons(button);
        const QPoint global = window.pos() + p;
        QMouseEvent event(type, QPointF(p), QPointF(global),
                          type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    }
    void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        send(QEvent::MouseButtonPress, p, b);
    }
    void release(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        send(QEvent::MouseButtonRelease, p, b);
    }
    void move(QPoint p) { send(QEvent::MouseMove, p); }
    void click(QPoint p) {
        press(p);
        release(p);
    }

    QStringList kinds() const {
        QStringList k;
        for (const Event& e : events)
            k << e.kind + ':' + e.source;
        return k;
    }
    vc::SkinElement* element(const char* name) {
        return skin.skinObject(&window)->element(QString::fromLatin1(name));
    }
    QColor pixel(QPoint p) { return window.grab().toImage().pixelColor(p); }

    QTemporaryDir dir;
    QString path;
    vc::TSkin skin;
    QWidget window;
    QWidget* canvas = nullptr;
    Qt::MouseButtons held;
    std::vector<Event> events;
};

TEST_F(TSkinTest, AttachedWindowIsFramelessKeepsItsCaptionAndOffersElementsByExactName) {
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Video Converter"));
    EXPECT_EQ(window.size(), QSize(300, 200));

    vc::SkinForm* form = skin.skinObject(&window);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->name(), QStringLiteral("main"));
    EXPECT_NE(form->findChild(QStringLiteral("label")), nullptr);
    EXPECT_EQ(form->findChild(QStringLiteral("Label")), nullptr);
    EXPECT_EQ(form->findChild(QStringLiteral("nothing")), nullptr);

    // Facets by kind: every element has a shape; text lines and areas have text.
    vc::ISkinObject* label = form->findChild(QStringLiteral("label"));
    ASSERT_NE(label->textFacet(), nullptr);
    EXPECT_EQ(label->textFacet()->text(), QStringLiteral("hello"));
    EXPECT_EQ(label->sliderFacet(), nullptr);
    vc::ISkinObject* mark = form->findChild(QStringLiteral("mark"));
    EXPECT_EQ(mark->textFacet(), nullptr);
    ASSERT_NE(mark->shapeFacet(), nullptr);
    vc::ISkinObject* bar = form->findChild(QStringLiteral("bar"));
    ASSERT_NE(bar->sliderFacet(), nullptr);
    bar->sliderFacet()->setPosition(12000);
    EXPECT_EQ(bar->sliderFacet()->position(), 10000);
    bar->sliderFacet()->setPosition(-3);
    EXPECT_EQ(bar->sliderFacet()->position(), 0);

    // Another form replaces the first; an unknown one is refused by name.
    EXPECT_FALSE(skin.attachForm(&window, QStringLiteral("missing")));
    EXPECT_TRUE(skin.errorString().contains(QStringLiteral("\"missing\"")));
    EXPECT_TRUE(skin.errorString().contains(path));
    ASSERT_TRUE(skin.attachForm(&window, QStringLiteral("other")));
    EXPECT_EQ(skin.skinObject(&window)->name(), QStringLiteral("other"));
    EXPECT_EQ(window.size(), QSize(120, 90));
}

TEST_F(TSkinTest, PressAndReleaseOnOneElementIsAClickWithTheElementAsSource) {
    press({20, 60});
    release({30, 70});
    EXPECT_EQ(kinds(), (QStringList{"down:button", "up:button", "click:button"}));
    EXPECT_EQ(events[0].a, int(Qt::LeftButton));
    EXPECT_EQ(events[0].b, 20);
    EXPECT_EQ(events[0].c, 60);
    EXPECT_EQ(events[1].b, 30);
    EXPECT_EQ(events[1].c, 70);

    // Released elsewhere: the release still goes to the pressed element, and is no click.
    events.clear();
    press({20, 60});
    move({40, 105});
    release({40, 105});
    EXPECT_EQ(kinds(), (QStringList{"down:button", "move:button", "up:button"}));

    // The right button reports down and up, never a click.
    events.clear();
    press({20, 60}, Qt::RightButton);
    release({20, 60}, Qt::RightButton);
    EXPECT_EQ(kinds(), (QStringList{"down:button", "up:button"}));
    EXPECT_EQ(events[0].a, int(Qt::RightButton));

    // The bare surface is the form itself.
    events.clear();
    press({280, 120});
    release({280, 120});
    EXPECT_EQ(kinds(), (QStringList{"down:main", "up:main", "click:main"}));
}

TEST_F(TSkinTest, MovesReportTheTopmostElementThatTakesThePointer) {
    move({50, 110});
    move({160, 60}); // "over" lets the pointer through to "under"
    move({20, 160}); // "hidden" is not there
    element("label")->setVisible(false);
    move({50, 110});
    ASSERT_EQ(kinds(), (QStringList{"move:label", "move:under", "move:main", "move:main"}));
    EXPECT_EQ(events[0].b, 110);
    EXPECT_EQ(events[1].a, 160);
}

TEST_F(TSkinTest, DraggingTheThumbTracksTheNewPositionWithinTheRange) {
    // 112 wide, thumb 12: the thumb's centre runs from 106 to 206, 100 positions a pixel.
    press({106, 160});
    move({156, 160});
    move({400, 160});
    move({400, 161}); // no change, no report
    move({0, 160});
    release({0, 160});
    EXPECT_EQ(kinds(), (QStringList{"down:bar", "track:bar", "move:bar", "track:bar", "move:bar",
                                    "move:bar", "track:bar", "move:bar", "up:bar"}));
    EXPECT_EQ(events[1].a, 5000);
    EXPECT_EQ(events[3].a, 10000);
    EXPECT_EQ(events[6].a, 0);
    EXPECT_EQ(element("bar")->position(), 0);

    // Grabbing the thumb off its centre does not make it jump.
    element("bar")->setPosition(5000);
    events.clear();
    press({160, 160});
    move({170, 160});
    release({170, 160});
    EXPECT_EQ(kinds(), (QStringList{"down:bar", "track:bar", "move:bar", "up:bar", "click:bar"}));
    EXPECT_EQ(events[1].a, 6000);

    // A press on the track away from the thumb brings the thumb there at once.
    events.clear();
    press({186, 160});
    EXPECT_EQ(kinds(), (QStringList{"down:bar", "track:bar"}));
    EXPECT_EQ(events[1].a, 8000);
    release({186, 160});
}

TEST_F(TSkinTest, TitleDragMovesTheWindowAndTheButtonsMinimiseAndClose) {
    const QPoint start = window.pos();
    press({50, 10});
    move({80, 25});
    EXPECT_EQ(window.pos(), start + QPoint(30, 15));
    release({80, 25});

    click({255, 15});
    EXPECT_TRUE(window.isMinimized());
    window.showNormal();

    bool visibleWhenClicked = false;
    QObject::connect(&skin, &vc::TSkin::OnClick, [&](vc::ISkinObject* s) {
        visibleWhenClicked = s->name() == "close" && window.isVisible();
    });
    click({285, 15});
    EXPECT_TRUE(visibleWhenClicked) << "the click is reported before the window closes";
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TSkinTest, PaintsStatesAndFollowsFacetChanges) {
    EXPECT_EQ(pixel({20, 60}), QColor(Qt::red));
    move({20, 60});
    EXPECT_EQ(pixel({20, 60}), QColor(Qt::green)) << "hover colour";
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(canvas, &leave);
    EXPECT_EQ(pixel({20, 60}), QColor(Qt::red));

    element("button")->setEnabled(false);
    move({20, 60});
    EXPECT_EQ(pixel({20, 60}), QColor(Qt::red)) << "a disabled element shows no hover";
    element("button")->setEnabled(true);

    vc::ShapeFacet* mark = element("mark");
    EXPECT_EQ(pixel({45, 181}), QColor(Qt::blue));
    mark->setRect(QRect(10, 180, 20, 4));
    mark->redraw();
    EXPECT_EQ(pixel({45, 181}), QColor(Qt::white));
    EXPECT_EQ(pixel({25, 181}), QColor(Qt::blue));
    mark->setVisible(false);
    EXPECT_EQ(pixel({25, 181}), QColor(Qt::white));
}

TEST_F(TSkinTest, AFailedLoadKeepsTheSkinInForce) {
    QFile broken(dir.filePath(QStringLiteral("broken.skn")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("[skin]\nforms=x\n");
    broken.close();
    EXPECT_FALSE(skin.loadSkinFile(broken.fileName()));
    EXPECT_TRUE(skin.errorString().contains(broken.fileName()));
    EXPECT_EQ(skin.skinPath(), path);
    EXPECT_TRUE(skin.attachForm(&window, QStringLiteral("other")));
}

} // namespace
