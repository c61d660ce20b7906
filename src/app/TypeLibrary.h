#pragma once

#include "DesktopRegistration.h"

#include <QByteArray>
#include <QString>
#include <QUuid>

#include <optional>

// The D-Bus introspection description of the document's interface that the
// executable carries, annotated with the description's, the interface's and
// the class's identifiers. Registering it puts it in
// $XDG_DATA_HOME/dbus-1/interfaces, where D-Bus tools look for descriptions.
struct TypeLibraryInfo
{
    QString interfaceName;
    QUuid libraryId;
    QString libraryVersion;
    QUuid interfaceId;
    QUuid classId;
    // Methods, properties and signals of the interface.
    int memberCount = 0;
};

// Reads what a description declares about its first interface; nothing when
// it is not a readable description with an interface.
std::optional<TypeLibraryInfo> describeTypeLibrary(const QByteArray &xml);

// Starts the automation layer: loads the description the executable carries
// and checks that it declares the program's fixed identifiers. It touches no
// bus, so an ordinary run never depends on the session bus.
bool startAutomationRuntime();

// Where the description of the interface is registered.
QString typeLibraryPath(const QString &interfaceName);

// Registers the description the executable carries (with our marker), when
// it declares libraryId; written only when it changed, and never over another
// program's description. PATH, when given, receives where it belongs.
platform::FileUpdate registerTypeLib(const QUuid &libraryId, QString *path = nullptr);

// Removes the registered description of libraryId at version major.minor, and
// never a description of another library.
bool unregisterTypeLib(const QUuid &libraryId, int major, int minor);
