#include "FolderListing.h"

#include <QFile>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <numeric>
#include <sys/stat.h>
#include <vector>

namespace platform {

namespace {

// Whether an entry of the open folder is a regular file, following symbolic
// links. Most file systems tell the type in the entry itself; the others
// need a stat.
bool isRegularFile(int folderFd, const dirent *entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return ::fstatat(folderFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

// Name order: the case-folded names first, so "about.jsp" and "Hello.jsp"
// stand where a reader looks for them, then the exact names, so that the
// order never depends on the order of the folder's entries.
void sortByName(QStringList &names)
{
    std::vector<QString> keys;
    keys.reserve(size_t(names.size()));
    for (const QString &name : std::as_const(names))
        keys.push_back(name.toCaseFolded());
    std::vector<qsizetype> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (const int c = QStringView(keys[size_t(a)]).compare(keys[size_t(b)]); c != 0)
            return c < 0;
        return QStringView(names.at(a)).compare(names.at(b)) < 0;
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : order)
        sorted.append(names.at(i));
    names = std::move(sorted);
}

} // namespace

QStringList listMatchingFiles(const QString &pattern)
{
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : pattern.left(slash);
    const QByteArray wildcard = QFile::encodeName(pattern.mid(slash + 1));

    QStringList names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    const int folderFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        // Dot-files are hidden; this also drops "." and "..".
        if (entry->d_name[0] == '.')
            continue;
        if (::fnmatch(wildcard.constData(), entry->d_name, 0) != 0)
            continue;
        if (isRegularFile(folderFd, entry))
            names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(dir);
    sortByName(names);
    return names;
}

} // namespace platform
