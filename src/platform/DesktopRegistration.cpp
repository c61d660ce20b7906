#include "DesktopRegistration.h"

#include "XdgDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <cerrno>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Our registration files are a few kilobytes; anything far larger at our
// path is not ours, and is not read into memory.
constexpr qint64 kMaxOwnFileSize = 1 << 20;
// The system's MIME package is a few megabytes; its cache far less.
constexpr qint64 kMaxMimeFileSize = 64 << 20;

struct ExistingFile
{
    enum Kind { Missing, Regular, Other } kind = Missing;
    QByteArray content;
};

// What is at the path. Opened without blocking, so a named pipe or a device
// is seen, never read; a last symbolic link is followed only when asked (a
// link at one of our own paths is not ours).
ExistingFile readExisting(const QString &path, qint64 maxSize = kMaxOwnFileSize, bool followLink = false)
{
    ExistingFile existing;
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        existing.kind = errno == ENOENT ? ExistingFile::Missing : ExistingFile::Other;
        return existing;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxSize) {
        ::close(fd);
        existing.kind = ExistingFile::Other;
        return existing;
    }
    existing.kind = ExistingFile::Regular;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            existing.content.append(buffer, got);
            if (existing.content.size() > maxSize) {
                existing.kind = ExistingFile::Other;
                break;
            }
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            existing.kind = ExistingFile::Other;
            break;
        }
    }
    ::close(fd);
    return existing;
}

// Started in a session of its own and handed to init at once (a double
// fork), so start-up never waits for it and no zombie is left behind.
bool startToolDetached(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.setProgram(program);
    tool.setArguments(arguments);
    tool.setStandardInputFile(QProcess::nullDevice());
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.setStandardErrorFile(QProcess::nullDevice());
    return tool.startDetached();
}

// One rebuild of a folder at a time (flock on the folder), each reading the
// folder as it is when its turn comes: a rebuild that an earlier run started
// can then never finish last with an outdated view. The wait is bounded, so a
// hung tool does not gather waiters for ever.
bool startRefreshDetached(const QString &tool, const QString &folder)
{
    // Without the tool there is nothing to start, not even flock.
    if (QStandardPaths::findExecutable(tool).isEmpty())
        return false;
    const QString flock = QStandardPaths::findExecutable(QStringLiteral("flock"));
    // flock would make a plain file of a missing folder.
    if (flock.isEmpty() || !QFileInfo(folder).isDir())
        return startToolDetached(tool, {folder});
    return startToolDetached(flock, {QStringLiteral("-w"), QStringLiteral("120"), folder, tool, folder});
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Globs are matched without regard to case unless marked case-sensitive,
// but only ASCII letters fold, as shared-mime-info does.
bool sameGlob(QByteArrayView a, QByteArrayView b, bool caseSensitive)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (caseSensitive ? a[i] != b[i] : asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

bool newer(const struct timespec &a, const struct timespec &b)
{
    return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec > b.tv_nsec);
}

// The packages of MIMEDIR/packages that MIMEDIR/globs2 is older than (all of
// them when there is no globs2). Lists the folder and reads the files' times.
QStringList packagesNewerThanDatabase(const QString &mimeDir)
{
    QStringList packages;
    const QString folder = mimeDir + QStringLiteral("/packages");
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return packages;
    struct stat globs {};
    const bool compiled = ::stat(QFile::encodeName(mimeDir + QStringLiteral("/globs2")).constData(), &globs) == 0;
    while (const struct dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (name.startsWith('.') || !name.endsWith(".xml"))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)
            && (!compiled || newer(st.st_mtim, globs.st_mtim)))
            packages << folder + QLatin1Char('/') + QFile::decodeName(entry->d_name);
    }
    ::closedir(dir);
    packages.sort();
    return packages;
}

QByteArray readMimeFile(const QString &path)
{
    const ExistingFile file = readExisting(path, kMaxMimeFileSize, true);
    return file.kind == ExistingFile::Regular ? file.content : QByteArray();
}

QString escapeKeyFileString(const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QLatin1String("\\r");
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

FileUpdate writeOwnFile(const QString &path, const QByteArray &content, const OwnershipTest &isOurs)
{
    const ExistingFile existing = readExisting(path);
    if (existing.kind == ExistingFile::Other)
        return FileUpdate::NotOurs;
    if (existing.kind == ExistingFile::Regular) {
        if (existing.content == content)
            return FileUpdate::Unchanged;
        if (!isOurs(existing.content))
            return FileUpdate::NotOurs;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return FileUpdate::Failed;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileUpdate::Failed;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return FileUpdate::Failed;
    }
    return file.commit() ? FileUpdate::Written : FileUpdate::Failed;
}

bool removeFileIf(const QString &path, const OwnershipTest &isOurs)
{
    const ExistingFile existing = readExisting(path);
    return existing.kind == ExistingFile::Regular && isOurs(existing.content) && QFile::remove(path);
}

QStringList xdgDataDirs()
{
    QStringList dirs;
    if (const char *value = std::getenv("XDG_DATA_DIRS"))
        dirs = QFile::decodeName(value).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    // The base directory specification says to ignore relative entries.
    dirs.removeIf([](const QString &dir) { return !dir.startsWith(QLatin1Char('/')); });
    if (dirs.isEmpty())
        dirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    return dirs;
}

QStringList globs2Claims(const QByteArray &globs2, const QString &pattern)
{
    // Compared as bytes: the cache is UTF-8, and only the matching lines'
    // types are decoded.
    const QByteArray wanted = pattern.toUtf8();
    QStringList types;
    qsizetype start = 0;
    while (start < globs2.size()) {
        qsizetype end = globs2.indexOf('\n', start);
        if (end < 0)
            end = globs2.size();
        const QByteArrayView line = QByteArrayView(globs2).sliced(start, end - start).trimmed();
        start = end + 1;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype typeStart = line.indexOf(':') + 1;
        if (typeStart <= 0)
            continue;
        const qsizetype patternStart = line.indexOf(':', typeStart) + 1;
        if (patternStart <= 0)
            continue;
        qsizetype patternEnd = line.indexOf(':', patternStart);
        const QByteArrayView flags = patternEnd < 0 ? QByteArrayView() : line.sliced(patternEnd + 1);
        if (patternEnd < 0)
            patternEnd = line.size();
        const bool caseSensitive = flags.toByteArray().split(',').contains("cs");
        if (sameGlob(line.sliced(patternStart, patternEnd - patternStart), wanted, caseSensitive))
            types << QString::fromUtf8(line.sliced(typeStart, patternStart - 1 - typeStart));
    }
    return types;
}

QStringList mimePackageClaims(const QByteArray &package, const QString &pattern)
{
    const QByteArray wanted = pattern.toUtf8();
    QStringList types;
    QXmlStreamReader xml(package);
    QString currentType;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (xml.name() == QLatin1String("mime-type")) {
                currentType = attributes.value(QLatin1String("type")).toString();
            } else if (xml.name() == QLatin1String("glob") && !currentType.isEmpty()) {
                const bool caseSensitive = attributes.value(QLatin1String("case-sensitive")) == QLatin1String("true");
                if (sameGlob(attributes.value(QLatin1String("pattern")).toUtf8(), wanted, caseSensitive))
                    types << currentType;
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("mime-type")) {
            currentType.clear();
        }
    }
    return types;
}

bool mimeDatabaseIsStale(const QString &mimeDir)
{
    return !packagesNewerThanDatabase(mimeDir).isEmpty();
}

QStringList mimeTypesClaimingGlob(const QString &pattern, const QString &except)
{
    QStringList types;
    const QStringList dataDirs = QStringList{xdgDataHome()} + xdgDataDirs();
    for (const QString &dataDir : dataDirs) {
        const QString mimeDir = dataDir + QStringLiteral("/mime");
        types << globs2Claims(readMimeFile(mimeDir + QStringLiteral("/globs2")), pattern);
        // A package that nobody has compiled yet still claims its globs: the
        // next database update anywhere makes them count.
        const QStringList uncompiled = packagesNewerThanDatabase(mimeDir);
        for (const QString &package : uncompiled)
            types << mimePackageClaims(readMimeFile(package), pattern);
    }
    types.removeAll(except);
    types.removeDuplicates();
    return types;
}

bool desktopDatabaseIsStale(const QString &entryPath)
{
    struct stat entry {};
    struct stat cache {};
    const QString cachePath = QFileInfo(entryPath).absolutePath() + QStringLiteral("/mimeinfo.cache");
    if (::stat(QFile::encodeName(entryPath).constData(), &entry) != 0)
        return false;
    return ::stat(QFile::encodeName(cachePath).constData(), &cache) != 0 || newer(entry.st_mtim, cache.st_mtim);
}

bool refreshMimeDatabase()
{
    return startRefreshDetached(QStringLiteral("update-mime-database"), xdgDataHome() + QStringLiteral("/mime"));
}

bool refreshDesktopDatabase()
{
    return startRefreshDetached(QStringLiteral("update-desktop-database"),
                                xdgDataHome() + QStringLiteral("/applications"));
}

QString desktopExecArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (const QChar c : argument)
        quote = quote || reserved.contains(c);
    QString exec;
    if (quote) {
        exec += QLatin1Char('"');
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                exec += QLatin1Char('\\');
            exec += c;
        }
        exec += QLatin1Char('"');
    } else {
        exec = argument;
    }
    // "%" starts a field code; the key file's escapes come on top of the
    // Exec key's own quoting.
    exec.replace(QLatin1Char('%'), QLatin1String("%%"));
    return escapeKeyFileString(exec);
}

QString dbusExecArgument(const QString &argument)
{
    bool plain = !argument.isEmpty();
    for (const QChar c : argument) {
        plain = plain
            && (c.isLetterOrNumber() || QStringLiteral("/._+-,:@=").contains(c))
            && c.unicode() < 128;
    }
    if (plain)
        return argument;
    // Inside single quotes nothing is special, so only the quote itself needs
    // the close-escape-reopen form. dbus-daemon undoes the key file's escapes
    // before it splits the line, so backslashes are doubled on top.
    QString quoted = argument;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return escapeKeyFileString(QLatin1Char('\'') + quoted + QLatin1Char('\''));
}

} // namespace platform
