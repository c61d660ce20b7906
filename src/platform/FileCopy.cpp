#include "FileCopy.h"

#include "Trash.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
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

// mkdir -p that keeps the system's reason.
bool makePath(const QByteArray &path, int &error)
{
    if (::mkdir(path.constData(), 0777) == 0)
        return true;
    if (errno == EEXIST) {
        struct stat st;
        if (::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            return true;
        error = ENOTDIR;
        return false;
    }
    if (errno != ENOENT) {
        error = errno;
        return false;
    }
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0 && !makePath(path.left(slash), error))
        return false;
    if (::mkdir(path.constData(), 0777) == 0 || errno == EEXIST)
        return true;
    error = errno;
    return false;
}

// A new, empty, hidden file in the folder, with the source's permissions as
// the umask allows; the name never matches what the server or the lists look for.
int createTemporary(const QString &folder, mode_t mode, QByteArray &path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = QFile::encodeName(folder + QStringLiteral("/.brewdeck-copy-%1")
                                              .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
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

// Copies everything from in to out. The kernel copies (a shared-extent clone
// where the file system can, copy_file_range otherwise) unless it cannot do
// so between these two files; then read and write.
TransferEnd transfer(int in, int out, qint64 total, const CopyCallbacks &callbacks, int &error)
{
    auto report = [&](qint64 done) {
        return !callbacks.progress || callbacks.progress(done, qMax(done, total));
    };
    if (!report(0))
        return TransferEnd::Cancelled;
    if (total > 0 && ::ioctl(out, FICLONE, in) == 0)
        return report(total) ? TransferEnd::Done : TransferEnd::Cancelled;

    qint64 done = 0;
    bool kernelCopy = true;
    std::vector<char> buffer;
    for (;;) {
        ssize_t n;
        if (kernelCopy) {
            n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            if (n < 0 && done == 0
                && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) {
                kernelCopy = false;
                continue;
            }
        } else {
            if (buffer.empty())
                buffer.resize(kBuffer);
            n = 0;
            while (size_t(n) < kChunk) {
                const ssize_t r = ::read(in, buffer.data(), buffer.size());
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
}

// Gives the finished copy its name; without replacing, a file that appeared
// there meanwhile is not overwritten.
bool putInPlace(const QByteArray &from, const QByteArray &to, bool replace)
{
    if (!replace) {
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno != EINVAL && errno != ENOSYS)
            return false;
    }
    return std::rename(from.constData(), to.constData()) == 0;
}

} // namespace

CopyResult copyFileInto(const QString &source, const QString &folder, const CopyCallbacks &callbacks)
{
    CopyResult result;
    result.target = folder + QLatin1Char('/') + QFileInfo(source).fileName();
    auto fail = [&result](CopyStep step, const QString &path, const QString &reason) {
        result.outcome = CopyOutcome::Failed;
        result.failedStep = step;
        result.failedPath = path;
        result.reason = reason;
        return result;
    };

    // Opened without blocking, so that a pipe cannot hang us before the check.
    Fd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (in.get() < 0)
        return fail(CopyStep::OpenSource, source, systemReason(errno));
    struct stat sourceStat;
    if (::fstat(in.get(), &sourceStat) != 0)
        return fail(CopyStep::OpenSource, source, systemReason(errno));
    if (!S_ISREG(sourceStat.st_mode))
        return fail(CopyStep::SourceNotFile, source, systemReason(S_ISDIR(sourceStat.st_mode) ? EISDIR : EINVAL));
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);

    const QByteArray folderPath = QFile::encodeName(folder.isEmpty() ? QStringLiteral("/") : folder);
    if (int error = 0; !makePath(folderPath, error))
        return fail(CopyStep::MakeFolder, folder, systemReason(error));

    const QByteArray targetPath = QFile::encodeName(result.target);
    bool replace = false;
    if (struct stat link; ::lstat(targetPath.constData(), &link) == 0) {
        struct stat existing;
        const bool resolves = ::stat(targetPath.constData(), &existing) == 0;
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

    QByteArray temporaryPath;
    Fd out(createTemporary(folder, sourceStat.st_mode & 0777, temporaryPath));
    if (out.get() < 0)
        return fail(CopyStep::CreateCopy, folder, systemReason(errno));
    auto discard = [&] {
        out.reset();
        ::unlink(temporaryPath.constData());
    };

    int error = 0;
    switch (transfer(in.get(), out.get(), sourceStat.st_size, callbacks, error)) {
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
    // Some file systems report a failed write only when the file is closed.
    if (!out.reset()) {
        const int closeError = errno;
        ::unlink(temporaryPath.constData());
        return fail(CopyStep::Transfer, result.target, systemReason(closeError));
    }

    if (replace) {
        QString reason;
        if (!moveToTrash(result.target, &result.trashedOld, &reason)) {
            ::unlink(temporaryPath.constData());
            return fail(CopyStep::TrashOld, result.target, reason);
        }
    }
    if (!putInPlace(temporaryPath, targetPath, replace)) {
        const int placeError = errno;
        ::unlink(temporaryPath.constData());
        if (replace && restoreFromTrash(result.trashedOld, result.target))
            result.trashedOld.clear();
        return fail(CopyStep::PutInPlace, result.target, systemReason(placeError));
    }
    result.outcome = CopyOutcome::Copied;
    return result;
}

} // namespace platform
