#include "shell/ImageButton.h"
#include "shell/TSkin.h"

#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage opaque(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    out.setDevicePixelRatio(1);
    return out;
}

} // namespace

// Runs at the screen's ratio and once more at QT_SCALE_FACTOR=2 (tests/CMakeLists.txt): the
// skin shows each picture pixel for pixel as drawn for that ratio, never a smaller one scaled up.
TEST(HighDensity, TheSkinShowsThePicturesDrawnForTheScreen) {
    const QDir folder(vc::test::programDir());
    const int ratio = qApp->devicePixelRatio() > 1 ? 2 : 1;
    const auto drawnFor = [&](const QString& name, const QString& suffix) {
        return QImage(
            folder.filePath(ratio > 1 ? name + QStringLiteral("@2x.png") : name + suffix));
    };

    vc::ImageButton button(QStringLiteral("bt_play"));
    ASSERT_EQ(button.loadBitmaps(folder.filePath("images/bt_play.bmp"),
                                 folder.filePath("images/bt_playon.bmp"),
                                 folder.filePath("images/bt_playD.bmp")),
              QString());
    EXPECT_EQ(button.sizeHint(), QImage(folder.filePath("images/bt_play.bmp")).size());
    button.resize(button.sizeHint());
    const QImage face = opaque(button.grab().toImage());
    const QImage drawn = opaque(drawnFor(QStringLiteral("images/bt_play"), ".bmp"));
    ASSERT_EQ(face.size(), drawn.size());
    EXPECT_TRUE(face == drawn);

    vc::TSkin skin;
    QWidget window;
    ASSERT_TRUE(skin.loadSkinFile(folder.filePath("skn.skn"))) << skin.errorString().toStdString();
    ASSERT_TRUE(skin.attachForm(&window, QStringLiteral("popvideoconverter")));
    const QImage shown = window.grab().toImage();
    // The empty list's film picture; its transparent corners show the card beneath.
    const QImage film = drawnFor(QStringLiteral("skin/film"), ".png");
    const QPoint at = QPoint(244, 166) * ratio;
    ASSERT_EQ(film.size(), QSize(40, 40) * ratio);
    int compared = 0;
    for (int y = 0; y < film.height(); ++y)
        for (int x = 0; x < film.width(); ++x)
            if (qAlpha(film.pixel(x, y)) == 255) {
                ++compared;
                EXPECT_EQ(QColor(shown.pixel(at + QPoint(x, y))), QColor(film.pixel(x, y)))
                    << x << "," << y;
                if (::testing::Test::HasFailure())
                    return;
            }
    EXPECT_GT(compared, film.width() * film.height() / 2);
}
