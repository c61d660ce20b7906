#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Freedesktop registration files under $XDG_DATA_HOME: MIME packages, desktop
// entries, icons, D-Bus activation and interface files.
namespace platform {

// What writing a registration file did.
enum class FileUpdate {
    Unchanged, // the file already held exactly this content
    Written,   // the file was created or replaced
    Failed,    // the file could not be written
    NotOurs,   // another file is at the path (not ours, not a regular file, or unreadable): left alone
};

// Tells whether a file's content is ours to replace or remove.
using OwnershipTest = std::function<bool(const QByteArray &)>;

// Writes the file (making its folder) through a temporary file that replaces
// it, but only when it does not already hold exactly this content, and only
// when the path is free or holds a regular file that isOurs accepts. Never
// opens anything but a regular file, so a named pipe at the path cannot hang it.
FileUpdate writeOwnFile(const QString &path, const QByteArray &content, const OwnershipTest &isOurs);

// Removes the file when it is a regular file and isOurs says its content is
// ours; true when it was removed.
bool removeFileIf(const QString &path, const OwnershipTest &isOurs);

// $XDG_DATA_DIRS, or /usr/local/share and /usr/share when it is unset.
QStringList xdgDataDirs();

// The MIME types that the lines "weight:type:pattern[:flags]" of a compiled
// globs2 file bind to the glob pattern (compared without regard to ASCII
// case), in file order.
QStringList globs2Claims(const QByteArray &globs2, const QString &pattern);

// The MIME types whose <glob> elements in a shared-mime-info package bind the
// pattern (compared without regard to ASCII case), in document order; what
// precedes an XML error still counts.
QStringList mimePackageClaims(const QByteArray &package, const QString &pattern);

// True when a package in MIMEDIR/packages is newer than MIMEDIR/globs2, so
// the compiled database does not yet know what it says. Only looks at the
// folder's listing and the files' times; opens none of them.
bool mimeDatabaseIsStale(const QString &mimeDir);

// The MIME types other than except that bind the glob pattern, by the
// compiled globs2 databases of $XDG_DATA_HOME and $XDG_DATA_DIRS, and by the
// packages that a database has not compiled yet. A database that is up to
// date answers alone: no package is parsed.
QStringList mimeTypesClaimingGlob(const QString &pattern, const QString &except);

// True when the desktop entries' MIME cache of $XDG_DATA_HOME is missing or
// older than the entry at entryPath.
bool desktopDatabaseIsStale(const QString &entryPath);

// Starts a rebuild of the MIME database of $XDG_DATA_HOME
// (update-mime-database) and returns at once: the tool runs detached, is
// never waited for and leaves no zombie; rebuilds of one folder take turns.
// False when it could not be started.
bool refreshMimeDatabase();

// The same for the MIME cache of the desktop entries in $XDG_DATA_HOME
// (update-desktop-database).
bool refreshDesktopDatabase();

// One argument of a desktop entry's Exec key: quoted where the Desktop Entry
// Specification asks, with its "%" and the key file's own escapes.
QString desktopExecArgument(const QString &argument);

// One argument of a D-Bus activation file's Exec line, quoted the way
// dbus-daemon splits that line, with the key file's escapes on top.
QString dbusExecArgument(const QString &argument);

} // namespace platform
