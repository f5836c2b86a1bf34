#include "shell/WindowFocusReturn.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace vc {

WindowFocusReturn::WindowFocusReturn(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

bool WindowFocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Hide || !watched->isWidgetType())
        return false;
    const auto* closed = static_cast<QWidget*>(watched);
    const Qt::WindowType type = closed->windowType();
    if (!closed->isWindow() || !closed->parentWidget() || type == Qt::Popup || type == Qt::ToolTip)
        return false;
    // Once the hiding is over: a window manager may have chosen a window meanwhile.
    QTimer::singleShot(0, this, [opener = QPointer<QWidget>(closed->parentWidget()->window())] {
        if (opener && opener->isVisible() && !QApplication::activeWindow() &&
            !QApplication::activeModalWidget())
            opener->activateWindow();
    });
    return false;
}

} // namespace vc
