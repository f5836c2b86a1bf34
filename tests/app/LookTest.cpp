#include "app/MainWindow.h"
#include "shell/Dialogs.h"
#include "shell/ElidingComboBox.h"
#include "shell/SkinObject.h"
#include "shell/TSkin.h"

#include "MainWindowFixture.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vc;

namespace {

// Pixels darker than the box's lightest lines: text and arrows, not fill or border.
int inkPixels(const QImage& image, const QRect& area) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += qGray(image.pixel(x, y)) < 160;
    return ink;
}

} // namespace

TEST_F(MainWindowTest, ParameterBoxesLookLikeChoosersAndTheHeaderReadsWhole) {
    Tfm_main& main = start();
    auto* quality = qobject_cast<ElidingComboBox*>(main.control("cb_videobitrate"));
    ASSERT_NE(quality, nullptr);
    const QString full = QStringLiteral("The Original Video Quality");
    quality->clear();
    quality->addItem(full);
    const QString shown = quality->shownText();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(full.startsWith(shown.chopped(1))) << shown.toStdString();
    const QPoint inside(10, quality->height() / 2);
    QHelpEvent hover(QEvent::ToolTip, inside, quality->mapToGlobal(inside));
    QApplication::sendEvent(quality, &hover);
    EXPECT_EQ(QToolTip::text(), full);
    QToolTip::hideText();

    auto* channels = qobject_cast<ElidingComboBox*>(main.control("cb_channel"));
    ASSERT_NE(channels, nullptr);
    EXPECT_EQ(channels->shownText(), QStringLiteral("Stereo"));
    // The arrow is drawn at the box's right end, where no text reaches.
    const QImage face = channels->grab().toImage();
    const qreal ratio = face.devicePixelRatio();
    const int arrowWidth = int(22 * ratio);
    EXPECT_GT(inkPixels(face, QRect(face.width() - arrowWidth, 0, arrowWidth, face.height())), 0);

    const QHeaderView* header = main.lv()->header();
    for (int c = 0; c < header->count(); ++c)
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c))
            << main.lv()->headerItem()->text(c).toStdString();
}

// Every other window and box is dressed by the main window's skin: its background and type,
// its buttons, its own icons, and no window larger than what it shows.
TEST_F(MainWindowTest, EveryWindowAndBoxWearsTheSkin) {
    Tfm_main& main = start();
    const QColor background = main.skin()->skinObject(&main)->def().color;
    const auto box =
        makeMessageBox(&main, BoxKind::Warning, "Video Converter", "x is not support!");
    const auto chooser = makeFileDialog(&main, QString(), folder.path(), QString(), false);
    const QList<QWidget*> windows{&program->settings(), &program->dir(), &program->about(),
                                  &program->info(),     box.get(),       chooser.get()};
    for (QWidget* window : windows) {
        const std::string name = window->metaObject()->className();
        EXPECT_EQ(QColor(window->grab().toImage().pixel(1, 1)), background) << name;
        const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
        EXPECT_FALSE(buttons.isEmpty()) << name;
        for (const QPushButton* button : buttons)
            EXPECT_EQ(button->fontInfo().family(), QStringLiteral("Inter")) << name;
    }

    const QImage drawn(QDir(folder.path()).filePath("skin/icons/warning.png"));
    ASSERT_FALSE(drawn.isNull());
    EXPECT_EQ(box->iconPixmap().toImage().convertToFormat(drawn.format()), drawn);

    Tfm_about& about = program->about();
    about.setProduct(main.programName(), main.editionFlag(), "https://example.com/web");
    QTimer::singleShot(0, &about, [&] {
        EXPECT_EQ(about.size(), about.sizeHint());
        about.accept();
    });
    about.showFrom(&main);
}
