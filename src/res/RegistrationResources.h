#pragma once

#include <QByteArray>

namespace res {

// The templates of the files that register the program with the desktop.
// Placeholders look like @NAME@; the registration code fills them in.
QByteArray desktopEntryTemplate();
QByteArray mimePackageTemplate();
QByteArray dbusServiceTemplate();

// The D-Bus introspection description of the document's interface, as the
// executable carries it; registered under $XDG_DATA_HOME/dbus-1/interfaces.
QByteArray documentInterfaceDescription();

} // namespace res
