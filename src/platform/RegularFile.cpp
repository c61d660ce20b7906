#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

RegularFile openRegularFile(const QString &path)
{
    RegularFile opened;
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: opening a pipe with no writer would wait for one for ever.
    // O_NOCTTY: a terminal named here must not become ours.
    int fd = -1;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        // A socket cannot be opened at all; the caller still learns that
        // it is no file rather than the system's puzzling reason.
        struct stat info {};
        if (::stat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
            opened.result = RegularFileOpen::NotRegular;
            return opened;
        }
        opened.reason = QString::fromLocal8Bit(std::strerror(error));
        return opened;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        opened.reason = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return opened;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        opened.result = RegularFileOpen::NotRegular;
        return opened;
    }
    // Reads of a regular file never block anyway; plain reads keep QFile's
    // error handling simple.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    opened.result = RegularFileOpen::Opened;
    opened.fd = fd;
    return opened;
}

} // namespace platform
