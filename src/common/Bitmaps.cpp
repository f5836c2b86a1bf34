#include "common/Bitmaps.h"

#include <QFileInfo>

namespace vc {

QString doubleResolutionPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype end = dot > slash ? dot : path.size();
    return path.left(end) + QStringLiteral("@2x.png");
}

BitmapFile bitmapFileFor(const QString& path, qreal screenRatio) {
    if (screenRatio > 1) {
        const QString sharp = doubleResolutionPath(path);
        if (QFileInfo(sharp).isFile())
            return {sharp, 2};
    }
    return {path, 1};
}

} // namespace vc
