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

} // namespace platform
