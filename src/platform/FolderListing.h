#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// The names of the regular files directly in a folder that match a wildcard,
// given together as one pattern "FOLDER/WILDCARD" (e.g. "/srv/app/*.jsp").
// Subfolders (even matching ones) and hidden dot-files are left out, matching
// is case-sensitive, and the names come sorted by name (ignoring letter case
// first). A folder that cannot be read gives an empty list.
// Names that are not valid UTF-8 are left out: no text can name them without
// changing them, so the program could neither choose nor browse them, and the
// server (Java) cannot open them either. Their raw bytes go to `notUtf8`.
QStringList listMatchingFiles(const QString &pattern, QList<QByteArray> *notUtf8 = nullptr);

// Whether a file name read from the disk is valid UTF-8, so that it survives
// the round trip through text.
bool isUtf8Name(const QByteArray &name);

} // namespace platform
