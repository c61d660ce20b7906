#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The names of the regular files directly in a folder that match a wildcard,
// given together as one pattern "FOLDER/WILDCARD" (e.g. "/srv/app/*.jsp").
// Subfolders (even matching ones) and hidden dot-files are left out, matching
// is case-sensitive, and the names come sorted by name (ignoring letter case
// first). A folder that cannot be read gives an empty list.
QStringList listMatchingFiles(const QString &pattern);

} // namespace platform
