#include "shell/WindowFocusReturn.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

namespace vc {

// Follows the window that has the keyboard and its hiding, not every widget's events: an
// application-wide event filter would be handed each event of every widget.
WindowFocusReturn::WindowFocusReturn(QObject* parent) : QObject(parent) {
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* now) {
        if (!now || now == last_)
            return;
        if (last_)
            disconnect(last_, &QWindow::visibleChanged, this, nullptr);
        last_ = now;
        connect(now, &QWindow::visibleChanged, this, [this, closed = now](bool visible) {
            if (!visible)
                returnFrom(closed);
        });
    });
}

void WindowFocusReturn::returnFrom(QWindow* closed) {
    // Taken now: a box is often deleted right after it closes.
    const QPointer<QWindow> opener = closed->transientParent();
    // Once the hiding is over: a window manager may have chosen a window meanwhile. On a bare
    // X server Qt may still name the hidden window as the focus window.
    QTimer::singleShot(0, this, [closed = QPointer<QWindow>(closed), opener] {
        if ((closed && closed->isVisible()) || !opener || !opener->isVisible() ||
            QApplication::activeModalWidget())
            return;
        const QWindow* focus = QGuiApplication::focusWindow();
        if (focus && focus != closed && focus != opener && focus->isVisible())
            return;
        opener->requestActivate();
    });
}

} // namespace vc
