#pragma once

#include <QString>

namespace platform {

// Moves a file to the user's desktop trash (the freedesktop.org trash, where
// file managers can restore it from). True with the file's new path; false,
// with the reason, when the file stays where it was.
bool moveToTrash(const QString &path, QString *pathInTrash, QString *reason);

// Puts a file that moveToTrash just moved back where it was and drops its
// trash record; for undoing a step that must not half happen.
bool restoreFromTrash(const QString &pathInTrash, const QString &originalPath);

} // namespace platform
