#include "FileCopy.h"

#include "Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Progress is reported, and a cancel noticed, after every chunk.
constexpr size_t kChunk = 8 * 1024 * 1024;
constexpr size_t kBuffer = 1024 * 1024;

QString systemReason(int error)
{
    return qt_error_string(error);
}

// Closes a descriptor when it goes out of scope.
class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    // Closes now and tells whether the close reported an error (errno set).
    bool reset()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Makes the missing folders of `folder` below `base`, which must exist; the
// server's own folders are never made.
CopyStep makeFolders(const QString &folder, const QString &base, QString &failedPath, int &error)
{
    const QByteArray path = QFile::encodeName(folder);
    struct stat st;
    if (::stat(path.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return CopyStep::None;
        failedPath = folder;
        error = ENOTDIR;
        return CopyStep::MakeFolder;
    }
    if (errno != ENOENT && errno != ENOTDIR) {
        failedPath = folder;
        error = errno;
        return CopyStep::CreateCopy;
    }
    const QString root = QDir::cleanPath(base);
    const QString cleaned = QDir::cleanPath(folder);
    if (base.isEmpty() || !cleaned.startsWith(root + QLatin1Char('/'))) {
        failedPath = folder;
        error = ENOENT;
        return CopyStep::FolderMissing;
    }
    if (::stat(QFile::encodeName(root).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        failedPath = base;
        error = ENOENT;
        return CopyStep::FolderMissing;
    }
    QString made = root;
    const QStringList levels = cleaned.mid(root.size() + 1).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &level : levels) {
        made += QLatin1Char('/') + level;
        if (::mkdir(QFile::encodeName(made).constData(), 0777) == 0)
            continue;
        if (errno == EEXIST && ::stat(QFile::encodeName(made).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        error = errno == EEXIST ? ENOTDIR : errno;
        failedPath = folder;
        return CopyStep::MakeFolder;
    }
    return CopyStep::None;
}

QByteArray temporaryName()
{
    return QByteArray(kCopyTemporaryPrefix)
        + QByteArray::number(QRandomGenerator::global()->generate64(), 16).rightJustified(16, '0');
}

bool isOurTemporary(const char *name)
{
    return std::strncmp(name, kCopyTemporaryPrefix, sizeof kCopyTemporaryPrefix - 1) == 0;
}

// Removes hidden copies that a killed run left behind: ours by name, older
// than a minute, and not locked, since every copy holds a lock on its file
// for as long as it works on it.
void sweepStaleTemporaries(int folderFd)
{
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return;
    DIR *dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    const time_t aMinuteAgo = ::time(nullptr) - 60;
    while (const dirent *entry = ::readdir(dir)) {
        if (!isOurTemporary(entry->d_name))
            continue;
        Fd file(::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st, now;
        if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_mtime > aMinuteAgo)
            continue;
        if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // Still the same file under that name: unlink it while we hold it.
        if (::fstatat(folderFd, entry->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_ino == st.st_ino
            && now.st_dev == st.st_dev)
            ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// The file the data goes into, locked for as long as it is ours. An unnamed
// one where the file system has them (a killed copy then leaves nothing),
// else a hidden one whose name the lists and the server never look at.
int createTemporary(int folderFd, mode_t mode, bool unnamed, QByteArray &name)
{
    name.clear();
    int fd = -1;
    if (unnamed) {
        fd = ::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
            return -1;
    }
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        name = temporaryName();
        fd = ::openat(folderFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            return -1;
    }
    if (fd >= 0)
        ::flock(fd, LOCK_EX | LOCK_NB);
    return fd;
}

// Gives an unnamed file a name in the folder; never over an existing file.
bool linkUnnamed(int fd, int folderFd, const QByteArray &name)
{
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, proc.constData(), folderFd, name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != ENOENT)
        return false;
    // Without /proc; this form needs a privilege most users lack.
    return ::linkat(fd, "", folderFd, name.constData(), AT_EMPTY_PATH) == 0;
}

enum class TransferEnd { Done, Cancelled, Error };

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Copies in to out until the end of in, or until one byte past `total`:
// a source that grows meanwhile is not followed for ever, and the caller
// sees it by the count. The kernel copies (a shared-extent clone where the
// file system can, copy_file_range otherwise) unless it cannot do so between
// these two files; then read and write.
TransferEnd transfer(int in, int out, qint64 total, const CopyCallbacks &callbacks, qint64 &done, int &error)
{
    auto report = [&callbacks, total](qint64 sofar) {
        return !callbacks.progress || callbacks.progress(sofar, qMax(sofar, total));
    };
    done = 0;
    if (!report(0))
        return TransferEnd::Cancelled;
    if (struct stat cloned; total > 0 && ::ioctl(out, FICLONE, in) == 0 && ::fstat(out, &cloned) == 0) {
        done = cloned.st_size;
        return report(done) ? TransferEnd::Done : TransferEnd::Cancelled;
    }

    bool kernelCopy = true;
    std::vector<char> buffer;
    while (done <= total) {
        const size_t want = size_t(qMin<qint64>(qint64(kChunk), total - done + 1));
        ssize_t n;
        if (kernelCopy) {
            n = ::copy_file_range(in, nullptr, out, nullptr, want, 0);
            if (n < 0 && done == 0
                && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) {
                kernelCopy = false;
                continue;
            }
        } else {
            if (buffer.empty())
                buffer.resize(kBuffer);
            n = 0;
            while (size_t(n) < want) {
                const ssize_t r = ::read(in, buffer.data(), qMin(buffer.size(), want - size_t(n)));
                if (r < 0 && errno == EINTR)
                    continue;
                if (r < 0) {
                    n = -1;
                    break;
                }
                if (r == 0 || !writeAll(out, buffer.data(), size_t(r))) {
                    if (r != 0)
                        n = -1;
                    break;
                }
                n += r;
            }
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return TransferEnd::Error;
        }
        if (n == 0)
            return TransferEnd::Done;
        done += n;
        if (!report(done))
            return TransferEnd::Cancelled;
    }
    return TransferEnd::Done;
}

// rename that never replaces; the plain rename after a check where the file
// system cannot refuse by itself.
bool renameNoReplace(int folderFd, const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(folderFd, from.constData(), folderFd, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat st;
    if (::fstatat(folderFd, to.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(folderFd, from.constData(), folderFd, to.constData()) == 0;
}

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

CopyResult copyFileInto(const QString &source, const QString &folder, const CopyCallbacks &callbacks,
                        const CopyOptions &options)
{
    CopyResult result;
    const QString name = QFileInfo(source).fileName();
    result.target = folder + QLatin1Char('/') + name;
    auto fail = [&result](CopyStep step, const QString &path, const QString &reason) {
        result.outcome = CopyOutcome::Failed;
        result.failedStep = step;
        result.failedPath = path;
        result.reason = reason;
        return result;
    };

    // Opened without blocking, so that a pipe cannot hang us before the check.
    Fd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (in.get() < 0) {
        const int openError = errno;
        // A name that is not UTF-8 reaches us with replacement characters
        // in it, and no such file exists.
        if (openError == ENOENT && source.contains(QChar::ReplacementCharacter))
            return fail(CopyStep::NameNotUtf8, source, systemReason(EILSEQ));
        return fail(CopyStep::OpenSource, source, systemReason(openError));
    }
    struct stat sourceStat;
    if (::fstat(in.get(), &sourceStat) != 0)
        return fail(CopyStep::OpenSource, source, systemReason(errno));
    if (!S_ISREG(sourceStat.st_mode))
        return fail(CopyStep::SourceNotFile, source, systemReason(S_ISDIR(sourceStat.st_mode) ? EISDIR : EINVAL));
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);

    {
        QString failedPath;
        int error = 0;
        if (const CopyStep step = makeFolders(folder.isEmpty() ? QStringLiteral("/") : folder,
                                              options.makeFoldersBelow, failedPath, error);
            step != CopyStep::None)
            return fail(step, failedPath, systemReason(error));
    }
    Fd folderFd(::open(QFile::encodeName(folder.isEmpty() ? QStringLiteral("/") : folder).constData(),
                       O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.get() < 0)
        return fail(CopyStep::CreateCopy, folder, systemReason(errno));
    const QByteArray targetName = QFile::encodeName(name);

    bool replace = false;
    if (struct stat link; ::fstatat(folderFd.get(), targetName.constData(), &link, AT_SYMLINK_NOFOLLOW) == 0) {
        struct stat existing;
        const bool resolves = ::fstatat(folderFd.get(), targetName.constData(), &existing, 0) == 0;
        if (resolves && existing.st_dev == sourceStat.st_dev && existing.st_ino == sourceStat.st_ino) {
            // Copying a file onto itself would truncate it; it is already
            // where it is meant to be.
            result.outcome = CopyOutcome::AlreadyThere;
            return result;
        }
        if (resolves && S_ISDIR(existing.st_mode))
            return fail(CopyStep::TargetIsFolder, result.target, systemReason(EISDIR));
        if (!callbacks.confirmReplace || !callbacks.confirmReplace(result.target)) {
            result.outcome = CopyOutcome::Declined;
            return result;
        }
        replace = true;
    }

    sweepStaleTemporaries(folderFd.get());
    QByteArray temporary; // the hidden name of the new data, while it has one
    Fd out(createTemporary(folderFd.get(), sourceStat.st_mode & 0777, options.unnamedFile, temporary));
    if (out.get() < 0)
        return fail(CopyStep::CreateCopy, folder, systemReason(errno));
    auto discard = [&] {
        out.reset();
        if (!temporary.isEmpty())
            ::unlinkat(folderFd.get(), temporary.constData(), 0);
    };

    int error = 0;
    qint64 done = 0;
    switch (transfer(in.get(), out.get(), sourceStat.st_size, callbacks, done, error)) {
    case TransferEnd::Done:
        break;
    case TransferEnd::Cancelled:
        discard();
        result.outcome = CopyOutcome::Cancelled;
        return result;
    case TransferEnd::Error:
        discard();
        return fail(CopyStep::Transfer, result.target, systemReason(error));
    }
    // A source written to meanwhile gave a mix of old and new data, and one
    // that shrank gave too little: neither may take the file's place.
    struct stat after;
    if (::fstat(in.get(), &after) != 0 || done != sourceStat.st_size || after.st_size != sourceStat.st_size
        || !sameTime(after.st_mtim, sourceStat.st_mtim)) {
        discard();
        return fail(CopyStep::SourceChanged, source,
                    QStringLiteral("%1 bytes at the start, %2 read, %3 now")
                        .arg(qint64(sourceStat.st_size))
                        .arg(done)
                        .arg(qint64(after.st_size)));
    }

    // The finished data gets a hidden name for the last step (an unnamed file
    // keeps its lock: a copy killed just here leaves a file the next sweep
    // removes). Some file systems report a failed write only at the close.
    if (temporary.isEmpty()) {
        bool linked = false;
        for (int attempt = 0; !linked && attempt < 100; ++attempt) {
            temporary = temporaryName();
            linked = linkUnnamed(out.get(), folderFd.get(), temporary);
            if (!linked && errno != EEXIST)
                break;
        }
        if (!linked) {
            const int linkError = errno;
            temporary.clear();
            discard();
            return fail(CopyStep::CreateCopy, folder, systemReason(linkError));
        }
    }
    if (!out.reset()) {
        const int closeError = errno;
        discard();
        return fail(CopyStep::Transfer, result.target, systemReason(closeError));
    }

    if (!replace) {
        // Never over a file that appeared meanwhile.
        if (!renameNoReplace(folderFd.get(), temporary, targetName)) {
            const int placeError = errno;
            discard();
            return fail(CopyStep::PutInPlace, result.target, systemReason(placeError));
        }
        result.outcome = CopyOutcome::Copied;
        return result;
    }

    const QString temporaryPath = folder + QLatin1Char('/') + QFile::decodeName(temporary);

    // One step: the name never goes missing, and the old data now sits under
    // the hidden name, from where it goes to the trash.
    if (options.exchange
        && ::renameat2(folderFd.get(), temporary.constData(), folderFd.get(), targetName.constData(), RENAME_EXCHANGE)
            == 0) {
        QString reason;
        if (moveToTrash(temporaryPath, &result.trashedOld, &reason, result.target)) {
            result.outcome = CopyOutcome::Copied;
            return result;
        }
        // Put the old file back under its name rather than lose it.
        if (::renameat2(folderFd.get(), temporary.constData(), folderFd.get(), targetName.constData(),
                        RENAME_EXCHANGE)
            == 0)
            ::unlinkat(folderFd.get(), temporary.constData(), 0);
        return fail(CopyStep::TrashOld, result.target, reason);
    }
    if (options.exchange && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        const int swapError = errno;
        ::unlinkat(folderFd.get(), temporary.constData(), 0);
        return fail(CopyStep::PutInPlace, result.target, systemReason(swapError));
    }

    // No swap on this file system: the old file goes first, then the new one
    // takes its name, and a failure puts the old one back.
    QString reason;
    if (!moveToTrash(result.target, &result.trashedOld, &reason)) {
        ::unlinkat(folderFd.get(), temporary.constData(), 0);
        return fail(CopyStep::TrashOld, result.target, reason);
    }
    if (!renameNoReplace(folderFd.get(), temporary, targetName)) {
        const int placeError = errno;
        ::unlinkat(folderFd.get(), temporary.constData(), 0);
        if (restoreFromTrash(result.trashedOld, result.target))
            result.trashedOld.clear();
        return fail(CopyStep::PutInPlace, result.target, systemReason(placeError));
    }
    result.outcome = CopyOutcome::Copied;
    return result;
}

} // namespace platform
