#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Freedesktop registration files under $XDG_DATA_HOME: MIME packages, desktop
// entries, icons, D-Bus activation and interface files.
namespace platform {

// What writing a registration file did.
enum class FileUpdate { Unchanged, Written, Failed };

// Writes the file (making its folder) through a temporary file that replaces
// it, but only when it does not already hold exactly this content.
FileUpdate writeFileIfChanged(const QString &path, const QByteArray &content);

// Removes the file when it exists and isOurs says its content is ours; true
// when it was removed.
bool removeFileIf(const QString &path, const std::function<bool(const QByteArray &)> &isOurs);

// $XDG_DATA_DIRS, or /usr/local/share and /usr/share when it is unset.
QStringList xdgDataDirs();

// The MIME types other than except that bind the glob pattern (compared
// without regard to ASCII case), by the compiled databases and the MIME
// packages of $XDG_DATA_HOME and $XDG_DATA_DIRS.
QStringList mimeTypesClaimingGlob(const QString &pattern, const QString &except);

// Rebuilds the MIME database of $XDG_DATA_HOME (update-mime-database); false
// when the tool is missing or fails.
bool refreshMimeDatabase();

// Rebuilds the MIME cache of the desktop entries in $XDG_DATA_HOME
// (update-desktop-database); false when the tool is missing or fails.
bool refreshDesktopDatabase();

// One argument of a desktop entry's Exec key: quoted where the Desktop Entry
// Specification asks, with its "%" and the key file's own escapes.
QString desktopExecArgument(const QString &argument);

// One argument of a D-Bus activation file's Exec line, quoted the way
// dbus-daemon splits that line, with the key file's escapes on top.
QString dbusExecArgument(const QString &argument);

} // namespace platform
