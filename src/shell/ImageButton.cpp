#include "shell/ImageButton.h"

#include "common/Bitmaps.h"

#include <QFile>
#include <QPainter>

namespace vc {

ImageButton::ImageButton(const QString& name, QWidget* parent) : QAbstractButton(parent) {
    setObjectName(name);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QString ImageButton::loadBitmaps(const QString& normal, const QString& hover,
                                 const QString& disabled) {
    QPixmap loaded[3];
    const QString paths[3] = {normal, hover, disabled};
    for (int i = 0; i < 3; ++i) {
        if (!QFile::exists(paths[i]))
            return paths[i] + QStringLiteral(": ") + tr("File not found.");
        // A high-density screen gets the drawing made for it, so the face stays sharp.
        const BitmapFile file = bitmapFileFor(paths[i], devicePixelRatioF());
        if (!loaded[i].load(file.path))
            return file.path + QStringLiteral(": ") + tr("The file is not a readable bitmap.");
        loaded[i].setDevicePixelRatio(file.ratio);
    }
    normal_ = loaded[0];
    hover_ = loaded[1];
    disabled_ = loaded[2];
    update();
    return {};
}

QSize ImageButton::sizeHint() const {
    return normal_.isNull() ? QSize(24, 24) : normal_.deviceIndependentSize().toSize();
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap& face = !isEnabled() ? disabled_ : (under_ || isDown()) ? hover_ : normal_;
    if (!face.isNull())
        p.drawPixmap(rect(), face);
    if (hasFocus() && isEnabled()) {
        p.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void ImageButton::enterEvent(QEnterEvent* event) {
    under_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
    under_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace vc
