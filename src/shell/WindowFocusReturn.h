#pragma once

#include <QObject>

namespace vc {

// Gives the keyboard back to the window a box or a child window was opened from once it
// closes. A window manager does that itself; on a bare X server nobody would, and no window
// of the program would take keys any more.
class WindowFocusReturn : public QObject {
    Q_OBJECT
public:
    // Watches every window of the application.
    explicit WindowFocusReturn(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vc
