#include "Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Names tried in the trash before giving up: "a.jsp", "a (2).jsp", ...
constexpr int kNameTries = 100;
const QByteArray kInfoSuffix = QByteArrayLiteral(".trashinfo");

QString systemReason(int error)
{
    return qt_error_string(error);
}

bool isUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~' || c == '/';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

// A private folder of ours, made when missing. At a file system's top, which
// is shared ground, a link or someone else's folder is refused; the home
// trash may be a link the user made.
bool ensurePrivateFolder(const QByteArray &path, int &error, bool shared)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        error = errno;
        return false;
    }
    struct stat st;
    if ((shared ? ::lstat(path.constData(), &st) : ::stat(path.constData(), &st)) != 0) {
        error = errno;
        return false;
    }
    if (!S_ISDIR(st.st_mode) || (shared && st.st_uid != ::getuid())) {
        error = S_ISDIR(st.st_mode) ? EPERM : ENOTDIR;
        return false;
    }
    return true;
}

struct TrashPlace
{
    QByteArray dir;      // holds files/ and info/
    QByteArray recorded; // the path its record names
    bool shared = false; // at the top of a file system, not in the home folder
};

// Where a file on the device `device` goes: the home trash when that lies on
// the same device, else the trash at the top of the file's own file system
// ($topdir/.Trash/$uid when the administrator made a sticky .Trash there,
// else $topdir/.Trash-$uid), whose records name paths from the top.
bool findTrash(const QByteArray &absolute, dev_t device, TrashPlace &place, QString &reason)
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty()) {
        reason = QStringLiteral("no home folder to keep a trash in");
        return false;
    }
    // A new account has no data folder yet.
    QDir().mkpath(dataHome);
    const QByteArray home = QFile::encodeName(dataHome);
    struct stat st;
    int error = 0;
    if (::stat(home.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == device) {
        place.dir = home + "/Trash";
        place.recorded = absolute;
        if (!ensurePrivateFolder(place.dir, error, false)) {
            reason = systemReason(error);
            return false;
        }
        return true;
    }
    if (::stat(home.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        reason = QStringLiteral("no trash folder could be made under %1: %2")
                     .arg(dataHome, systemReason(::stat(home.constData(), &st) != 0 ? errno : ENOTDIR));
        return false;
    }

    // The top of the file's file system: the last folder upwards on its device.
    QByteArray top = absolute.left(absolute.lastIndexOf('/'));
    for (;;) {
        const qsizetype slash = top.lastIndexOf('/');
        if (slash < 0)
            break;
        const QByteArray up = slash == 0 ? QByteArray("/") : top.left(slash);
        if (::stat(up.constData(), &st) != 0 || st.st_dev != device)
            break;
        top = up;
        if (top == "/")
            break;
    }
    if (top.isEmpty())
        top = "/";
    const QByteArray topSlash = top.endsWith('/') ? top : top + '/';
    place.recorded = absolute.mid(topSlash.size());
    const QByteArray uid = QByteArray::number(::getuid());
    place.shared = true;

    const QByteArray shared = topSlash + ".Trash";
    if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        place.dir = shared + '/' + uid;
        if (ensurePrivateFolder(place.dir, error, true))
            return true;
    }
    place.dir = topSlash + ".Trash-" + uid;
    if (!ensurePrivateFolder(place.dir, error, true)) {
        reason = QStringLiteral("no trash on the file system of %1: %2")
                     .arg(QFile::decodeName(absolute), systemReason(error));
        return false;
    }
    return true;
}

// Cuts a name to at most `limit` bytes without splitting a UTF-8 sequence.
QByteArray cutName(const QByteArray &name, qsizetype limit)
{
    if (name.size() <= limit)
        return name;
    qsizetype end = qMax<qsizetype>(limit, 0);
    while (end > 0 && (static_cast<unsigned char>(name.at(end)) & 0xC0) == 0x80)
        --end;
    return name.left(end);
}

// The try'th name for a file in the trash, short enough that its record's
// name ("NAME.trashinfo") still fits the file system's limit.
QByteArray trashName(const QByteArray &name, int attempt, long nameMax)
{
    const qsizetype dot = name.lastIndexOf('.');
    const bool keepExtension = dot > 0 && name.size() - dot <= 16;
    const QByteArray extension = keepExtension ? name.mid(dot) : QByteArray();
    const QByteArray stem = keepExtension ? name.left(dot) : name;
    const QByteArray suffix = attempt == 0 ? QByteArray() : " (" + QByteArray::number(attempt + 1) + ')';
    const qsizetype room = nameMax - kInfoSuffix.size() - suffix.size() - extension.size();
    if (room < 1)
        return cutName(name, nameMax - kInfoSuffix.size() - suffix.size()) + suffix;
    return cutName(stem, room) + suffix + extension;
}

// A new, complete record in info/ under a name nobody else can see yet:
// an unnamed file where the file system allows, else a hidden one.
int prepareRecord(int infoDir, const QByteArray &content, QByteArray &temporaryName)
{
    temporaryName.clear();
    int fd = ::openat(infoDir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        for (int attempt = 0; attempt < kNameTries && fd < 0; ++attempt) {
            temporaryName = ".brewdeck-record-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(attempt);
            fd = ::openat(infoDir, temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST)
                break;
        }
        if (fd < 0)
            return -1;
    }
    if (!writeAll(fd, content) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        if (!temporaryName.isEmpty())
            ::unlinkat(infoDir, temporaryName.constData(), 0);
        errno = error;
        return -1;
    }
    return fd;
}

// Gives the prepared record its final name, never over an existing one: the
// record's name is the claim on the trash name.
bool publishRecord(int infoDir, int recordFd, const QByteArray &temporaryName, const QByteArray &infoName)
{
    if (temporaryName.isEmpty()) {
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(recordFd);
        if (::linkat(AT_FDCWD, proc.constData(), infoDir, infoName.constData(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno == EEXIST || errno == ENAMETOOLONG)
            return false;
        return ::linkat(recordFd, "", infoDir, infoName.constData(), AT_EMPTY_PATH) == 0;
    }
    return ::linkat(infoDir, temporaryName.constData(), infoDir, infoName.constData(), 0) == 0;
}

// rename without replacing; the plain rename after a check where the file
// system cannot refuse to replace by itself.
int renameNoReplace(int fromDir, const char *from, int toDir, const char *to)
{
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    struct stat st;
    if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(fromDir, from, toDir, to);
}

// TRASH/files/NAME goes with TRASH/info/NAME.trashinfo.
QString infoFileFor(const QString &pathInTrash)
{
    const QFileInfo trashed(pathInTrash);
    return trashed.dir().absoluteFilePath(QStringLiteral("../info/") + trashed.fileName()
                                          + QStringLiteral(".trashinfo"));
}

} // namespace

QByteArray trashInfoRecord(const QByteArray &originalPath, const QDateTime &deletedAt)
{
    QByteArray record = "[Trash Info]\nPath=";
    record.reserve(record.size() + 3 * originalPath.size() + 40);
    static const char hex[] = "0123456789ABCDEF";
    for (const char c : originalPath) {
        const auto byte = static_cast<unsigned char>(c);
        if (isUnreserved(byte)) {
            record.append(c);
        } else {
            record.append('%');
            record.append(hex[byte >> 4]);
            record.append(hex[byte & 0xF]);
        }
    }
    record += "\nDeletionDate=" + deletedAt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + '\n';
    return record;
}

std::optional<QByteArray> trashInfoPath(const QByteArray &record)
{
    bool inGroup = false;
    for (const QByteArray &rawLine : record.split('\n')) {
        const QByteArray line = rawLine.endsWith('\r') ? rawLine.chopped(1) : rawLine;
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
            continue;
        }
        if (!inGroup || !line.startsWith("Path="))
            continue;
        QByteArray path;
        path.reserve(line.size());
        for (qsizetype i = 5; i < line.size(); ++i) {
            if (line.at(i) != '%') {
                path.append(line.at(i));
                continue;
            }
            const int high = i + 2 < line.size() ? hexValue(line.at(i + 1)) : -1;
            const int low = high >= 0 ? hexValue(line.at(i + 2)) : -1;
            if (low < 0)
                return std::nullopt;
            path.append(char(high * 16 + low));
            i += 2;
        }
        return path;
    }
    return std::nullopt;
}

// Not QFile::moveToTrash: Qt 6.4's retries for ever once NAME.trashinfo would pass the name limit.
bool moveToTrash(const QString &path, QString *pathInTrash, QString *reason, const QString &recordAs)
{
    QString why;
    auto fail = [&](const QString &text) {
        if (reason)
            *reason = text;
        return false;
    };
    const QByteArray file = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    const QByteArray original = QFile::encodeName(QFileInfo(recordAs.isEmpty() ? path : recordAs).absoluteFilePath());
    struct stat st;
    if (::lstat(file.constData(), &st) != 0)
        return fail(systemReason(errno));

    TrashPlace place;
    if (!findTrash(original, st.st_dev, place, why))
        return fail(why);
    int error = 0;
    if (!ensurePrivateFolder(place.dir + "/files", error, place.shared)
        || !ensurePrivateFolder(place.dir + "/info", error, place.shared))
        return fail(systemReason(error));
    Fd filesDir(::open((place.dir + "/files").constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    Fd infoDir(::open((place.dir + "/info").constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (filesDir.get() < 0 || infoDir.get() < 0)
        return fail(systemReason(errno));
    long nameMax = ::fpathconf(infoDir.get(), _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = NAME_MAX;

    QByteArray temporaryName;
    Fd record(prepareRecord(infoDir.get(), trashInfoRecord(place.recorded, QDateTime::currentDateTime()), temporaryName));
    if (record.get() < 0)
        return fail(systemReason(errno));
    auto dropTemporary = [&] {
        if (!temporaryName.isEmpty())
            ::unlinkat(infoDir.get(), temporaryName.constData(), 0);
    };

    const QByteArray name = original.mid(original.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const QByteArray candidate = trashName(name, attempt, nameMax);
        const QByteArray infoName = candidate + kInfoSuffix;
        if (!publishRecord(infoDir.get(), record.get(), temporaryName, infoName)) {
            if (errno == EEXIST)
                continue;
            const int publishError = errno;
            dropTemporary();
            return fail(systemReason(publishError));
        }
        if (renameNoReplace(AT_FDCWD, file.constData(), filesDir.get(), candidate.constData()) != 0) {
            const int moveError = errno;
            ::unlinkat(infoDir.get(), infoName.constData(), 0);
            // A file without a record (left by a crash) holds this name.
            if (moveError == EEXIST)
                continue;
            dropTemporary();
            return fail(systemReason(moveError));
        }
        dropTemporary();
        if (pathInTrash)
            *pathInTrash = QFile::decodeName(place.dir + "/files/" + candidate);
        return true;
    }
    dropTemporary();
    return fail(QStringLiteral("the trash already holds %1 files of this name").arg(kNameTries));
}

bool restoreFromTrash(const QString &pathInTrash, const QString &originalPath)
{
    if (renameNoReplace(AT_FDCWD, QFile::encodeName(pathInTrash).constData(), AT_FDCWD,
                        QFile::encodeName(originalPath).constData())
        != 0)
        return false;
    QFile::remove(infoFileFor(pathInTrash));
    return true;
}

} // namespace platform
