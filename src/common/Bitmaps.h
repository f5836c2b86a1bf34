#pragma once

#include <QString>

namespace vc {

// Every bitmap of the program folder also comes drawn at twice its resolution, beside it:
// "images/bt_play.bmp" has "images/bt_play@2x.png".
QString doubleResolutionPath(const QString& path);

struct BitmapFile {
    QString path;
    qreal ratio = 1; // device pixels per logical pixel of the drawing in that file
};

// What to draw a bitmap from on a screen of the given device pixel ratio: above 1, its
// double-resolution drawing when there is one, else the bitmap itself.
BitmapFile bitmapFileFor(const QString& path, qreal screenRatio);

} // namespace vc
