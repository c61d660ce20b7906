#include "SessionBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QTimer>

#include <memory>

namespace platform {

namespace {

// QDBusConnection::connect names its receiver's slot; this object gives the
// callback one.
class BusLossReceiver : public QObject
{
    Q_OBJECT

public:
    BusLossReceiver(std::function<void()> onLost, QObject *owner)
        : QObject(owner), m_onLost(std::move(onLost))
    {
    }

public slots:
    void disconnected()
    {
        QTimer::singleShot(0, this, m_onLost);
    }

private:
    std::function<void()> m_onLost;
};

} // namespace

bool claimBusName(const QDBusConnection &bus, const QString &name)
{
    QDBusConnectionInterface *daemon = bus.interface();
    if (!daemon)
        return false;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        daemon->registerService(name, QDBusConnectionInterface::QueueService,
                                QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() != QDBusConnectionInterface::ServiceNotRegistered;
}

void releaseBusName(const QDBusConnection &bus, const QString &name)
{
    if (QDBusConnectionInterface *daemon = bus.interface())
        daemon->unregisterService(name);
}

void watchBusClient(const QDBusConnection &bus, const QString &uniqueName, QObject *owner,
                    std::function<void()> onGone)
{
    auto *watcher = new QDBusServiceWatcher(uniqueName, bus, QDBusServiceWatcher::WatchForUnregistration, owner);
    // A unique name never comes back, so one call is all there is.
    auto fired = std::make_shared<bool>(false);
    auto fire = [watcher, fired, onGone = std::move(onGone)] {
        if (*fired)
            return;
        *fired = true;
        watcher->deleteLater();
        onGone();
    };
    QObject::connect(watcher, &QDBusServiceWatcher::serviceUnregistered, watcher, fire);
    // The client may have left before the watch began.
    QDBusConnectionInterface *daemon = bus.interface();
    if (!daemon || !daemon->isServiceRegistered(uniqueName).value())
        QTimer::singleShot(0, watcher, fire);
}

void watchBusLoss(const QDBusConnection &bus, QObject *owner, std::function<void()> onLost)
{
    auto *receiver = new BusLossReceiver(std::move(onLost), owner);
    // libdbus tells of a broken connection with this signal from a local path.
    QDBusConnection(bus).connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                                 QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"),
                                 receiver, SLOT(disconnected()));
}

} // namespace platform

#include "SessionBus.moc"
