#pragma once

#include <QString>

#include <functional>

class QDBusConnection;
class QObject;

// Access to the session bus for a program that serves objects on it.
namespace platform {

// Asks the bus for a well-known name, waiting in the bus's queue when another
// connection holds it; false when the bus refuses.
bool claimBusName(const QDBusConnection &bus, const QString &name);

// Gives the name up, or leaves the queue for it; returns once the bus has done
// so, so that the bus routes the next request for the name elsewhere.
void releaseBusName(const QDBusConnection &bus, const QString &name);

// Calls onGone once the connection with the given unique name has left the
// bus, from the event loop; also when it had already left.
void watchBusClient(const QDBusConnection &bus, const QString &uniqueName, QObject *owner,
                    std::function<void()> onGone);

// Calls onLost, from the event loop, when the connection to the bus breaks
// (the bus ended with the session); nobody can reach the program after that.
void watchBusLoss(const QDBusConnection &bus, QObject *owner, std::function<void()> onLost);

} // namespace platform
