#include "care/reminder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace care {

bool notifyDesktop(const QString& summary, const QString& body)
{
    static const QString service = QStringLiteral("org.freedesktop.Notifications");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(service))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Notifications"),
                                                       service, QStringLiteral("Notify"));
    call << QStringLiteral("My Verdarium") << 0u << QStringLiteral("my-verdarium") << summary << body
         << QStringList() << QVariantMap() << -1;
    // Sent without waiting for the answer: a slow notification daemon never holds up the start.
    return bus.send(call);
}

} // namespace care
