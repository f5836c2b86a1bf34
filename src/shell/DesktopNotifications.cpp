#include "shell/DesktopNotifications.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace vc {

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");

} // namespace

DesktopNotifications::DesktopNotifications() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(Service, Path, Service, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(Service, Path, Service, QStringLiteral("NotificationClosed"), this,
                SLOT(closed(uint, uint)));
}

bool DesktopNotifications::show(const QString& title, const QString& text,
                                std::function<void()> clicked) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Notify"));
    // "default" is the action of a click on the notification itself.
    call << QCoreApplication::applicationName() << uint(0) << QStringLiteral("videoconverter")
         << title << text << QStringList{QStringLiteral("default"), QStringLiteral("Show")}
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("videoconverter")}}
         << int(-1);
    const QDBusReply<uint> id = bus.call(call, QDBus::Block, 2000);
    if (!id.isValid())
        return false;
    if (clicked)
        clicked_.insert(id.value(), std::move(clicked));
    return true;
}

void DesktopNotifications::actionInvoked(uint id, const QString& action) {
    const auto clicked = clicked_.take(id);
    if (clicked && action == QLatin1String("default"))
        clicked();
}

void DesktopNotifications::closed(uint id, uint) {
    clicked_.remove(id);
}

} // namespace vc
