#pragma once

#include <QString>

#include <optional>

namespace platform {

// Runs "/bin/sh ./SCRIPT" with FOLDER as working directory, detached: in a
// session of its own, stdin from /dev/null, stdout and stderr appended to
// LOGFILE (or discarded when LOGFILE cannot be opened), inheriting this
// process's environment as it is at the call. The caller never waits for it
// and it is never the caller's child, so it leaves no zombie. Gives the
// shell's process id once the shell is running, or nothing when it could not
// be started (FOLDER missing or not enterable, SCRIPT not a plain file name).
std::optional<qint64> runScriptDetached(const QString &folder, const QString &script, const QString &logFile);

// Whether Tomcat's scripts would misread PATH as part of a folder variable:
// they paste it between double quotes of an "eval"ed command line, where $,
// ` and \ still act and " ends the quotes, and they refuse a ":" (the class
// path separator). Anything else, spaces, quotes ' and newlines included,
// they read as it is.
bool isMisreadByServerScripts(const QString &path);

// FOLDER itself when the scripts read it correctly; otherwise a symbolic link
// to it that they do read correctly, kept in this user's runtime folder
// ($XDG_RUNTIME_DIR/brewdeck) under a name made from FOLDER's bytes, so two
// instances share one link and two install folders never do. The link stays
// for as long as the runtime folder does: a server started through it may
// outlive this process. Nothing when no such link could be made.
std::optional<QString> scriptSafeFolder(const QString &folder);

} // namespace platform
