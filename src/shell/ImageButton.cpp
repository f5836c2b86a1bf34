#include "shell/ImageButton.h"

#include "common/Bitmaps.h"
#include "shell/SkinControls.h"

#include <QFile>
#include <QKeyEvent>
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

void ImageButton::setFocusColor(const QColor& color) {
    focusColor_ = color;
    update();
}

namespace {

bool isPressKey(const QKeyEvent* event) {
    return (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
           (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
            event->key() == Qt::Key_Enter);
}

} // namespace

bool ImageButton::event(QEvent* event) {
    // Before the window's shortcuts: a focused button keeps Space and Return for itself.
    if (event->type() == QEvent::ShortcutOverride && isPressKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractButton::event(event);
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    // Space is the base class's own; Return presses as well, as on a dialog's buttons.
    if (isPressKey(event) && event->key() != Qt::Key_Space) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void ImageButton::focusInEvent(QFocusEvent* event) {
    focusShown_ = focusMarkShown(event->reason(), focusShown_);
    QAbstractButton::focusInEvent(event);
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The focused button looks as if pointed at, and carries the focus mark besides.
    const bool lit = under_ || isDown() || showsFocus();
    const QPixmap& face = !isEnabled() ? disabled_ : lit ? hover_ : normal_;
    if (!face.isNull())
        p.drawPixmap(rect(), face);
    if (showsFocus() && isEnabled())
        paintFocusMark(p, rect(), 6,
                       focusColor_.isValid() ? focusColor_ : palette().highlight().color());
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
