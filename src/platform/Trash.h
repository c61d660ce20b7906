#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace platform {

// Moves a file to the desktop trash (the freedesktop.org trash, where file
// managers can restore it from): the home trash when the file lies on the
// same file system, else the trash at the top of the file's own file system.
// The record is written completely before the file moves; a name too long to
// keep a record beside it is shortened in the trash (the record keeps the
// whole original path); a taken name is retried a bounded number of times.
// True with the file's new path; false, with the reason, when the file stays
// where it was. recordAs, when given, is the path the record names as the
// original place (for a file parked under another name before it goes).
bool moveToTrash(const QString &path, QString *pathInTrash, QString *reason, const QString &recordAs = QString());

// Puts a file that moveToTrash just moved back where it was and drops its
// trash record; for undoing a step that must not half happen.
bool restoreFromTrash(const QString &pathInTrash, const QString &originalPath);

// The trash record of a file that was at originalPath (raw bytes; absolute,
// or relative to the top of its file system) and was trashed at deletedAt.
// The path is percent-encoded, so any byte, a newline included, survives.
QByteArray trashInfoRecord(const QByteArray &originalPath, const QDateTime &deletedAt);

// The original path that a trash record names, decoded to its raw bytes;
// nothing when the record has no well-formed Path= in its [Trash Info] group.
std::optional<QByteArray> trashInfoPath(const QByteArray &record);

} // namespace platform
