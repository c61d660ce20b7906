#include "ExecutablePath.h"

#include <QFile>

#include <cerrno>
#include <string>
#include <unistd.h>

namespace platform {

std::optional<QString> executablePath()
{
    // readlink does not say how long the target is, so grow until it fits;
    // there is no fixed path limit to overflow.
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::nullopt;
        if (static_cast<size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<size_t>(n));
            return QFile::decodeName(QByteArray::fromStdString(buffer));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<QString> folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return std::nullopt;
    return path.left(slash);
}

} // namespace platform
