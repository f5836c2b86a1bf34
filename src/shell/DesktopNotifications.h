#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

namespace vc {

// Notifications through the desktop's freedesktop.org notification service on the session
// bus, which every Linux desktop has whether or not it shows a notification area.
class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    DesktopNotifications();

    // False when there is no service to show it.
    bool show(const QString& title, const QString& text, std::function<void()> clicked);

private slots:
    void actionInvoked(uint id, const QString& action);
    void closed(uint id, uint reason);

private:
    QHash<uint, std::function<void()>> clicked_;
};

} // namespace vc
