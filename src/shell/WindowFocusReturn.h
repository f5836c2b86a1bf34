#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

namespace vc {

// Gives the keyboard back to the window a box or a child window was opened from once it
// closes. A window manager does that itself; on a bare X server nobody would, and no window
// of the program would take keys any more.
class WindowFocusReturn : public QObject {
    Q_OBJECT
public:
    // Watches every window of the application.
    explicit WindowFocusReturn(QObject* parent = nullptr);

private:
    void returnFrom(QWindow* closed);

    QPointer<QWindow> last_; // the window that has the keyboard, or had it last
};

} // namespace vc
