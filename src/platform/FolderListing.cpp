#include "FolderListing.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <string>
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

// The sort key of a name: its case-folded form, then a zero byte, then the
// name itself. Sorting by it puts "about.jsp" and "Hello.jsp" where a reader
// looks for them, and the exact name breaks ties, so the order never depends
// on the order of the folder's entries. Plain bytes sort fast, and most names
// are ASCII, which folds without a detour through QString.
std::string sortKey(const char *name)
{
    const size_t length = std::strlen(name);
    std::string key;
    key.reserve(2 * length + 1);
    bool ascii = true;
    for (const char *c = name; *c; ++c) {
        if (static_cast<unsigned char>(*c) >= 0x80) {
            ascii = false;
            break;
        }
        key.push_back(*c >= 'A' && *c <= 'Z' ? char(*c - 'A' + 'a') : *c);
    }
    if (!ascii)
        key = QFile::decodeName(name).toCaseFolded().toStdString();
    key.push_back('\0');
    key.append(name, length);
    return key;
}

} // namespace

bool isUtf8Name(const QByteArray &name)
{
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return QFile::encodeName(QFile::decodeName(name)) == name;
    }
    return true;
}

QStringList listMatchingFiles(const QString &pattern, QList<QByteArray> *notUtf8)
{
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : pattern.left(slash);
    const QByteArray wildcard = QFile::encodeName(pattern.mid(slash + 1));

    std::vector<std::string> keys;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return {};
    const int folderFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        // Dot-files are hidden; this also drops "." and "..".
        if (entry->d_name[0] == '.')
            continue;
        if (::fnmatch(wildcard.constData(), entry->d_name, 0) != 0)
            continue;
        if (!isRegularFile(folderFd, entry))
            continue;
        if (!isUtf8Name(QByteArray::fromRawData(entry->d_name, qsizetype(std::strlen(entry->d_name))))) {
            if (notUtf8)
                notUtf8->append(QByteArray(entry->d_name));
            continue;
        }
        keys.push_back(sortKey(entry->d_name));
    }
    ::closedir(dir);

    std::sort(keys.begin(), keys.end());
    if (notUtf8)
        std::sort(notUtf8->begin(), notUtf8->end());
    QStringList names;
    names.reserve(qsizetype(keys.size()));
    for (const std::string &key : keys)
        names.append(QFile::decodeName(key.c_str() + key.find('\0') + 1));
    return names;
}

} // namespace platform
