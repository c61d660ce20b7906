#include "DetachedLaunch.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// QProcess refuses to start at all when a redirection file cannot be opened;
// a missing log folder must not keep a script from running.
QString openableLog(const QString &logFile)
{
    QFile log(logFile);
    if (!logFile.isEmpty() && log.open(QIODevice::WriteOnly | QIODevice::Append))
        return logFile;
    return QProcess::nullDevice();
}

} // namespace

std::optional<qint64> runScriptDetached(const QString &folder, const QString &script, const QString &logFile)
{
    // "./" keeps a shell that searches PATH for a script it cannot find in
    // the working directory (bash does) from running one from elsewhere.
    if (folder.isEmpty() || script.isEmpty() || script.contains(QLatin1Char('/')))
        return std::nullopt;
    // Checked here as well, so a launch that cannot happen leaves no log.
    if (!QFileInfo(folder).isDir())
        return std::nullopt;

    const QString log = openableLog(logFile);
    QProcess process;
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({QStringLiteral("./") + script});
    // The child changes into the folder before it runs anything, and gives up
    // when it cannot: a script is never looked for anywhere else.
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(log, QIODevice::Append);
    process.setStandardErrorFile(log, QIODevice::Append);
    // A double fork in a new session: the shell is handed to init at once,
    // and the call returns only after the shell has been exec'd (or failed).
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return std::nullopt;
    return pid;
}

bool isMisreadByServerScripts(const QString &path)
{
    for (const QChar c : path) {
        if (c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('"') || c == QLatin1Char('\\')
            || c == QLatin1Char(':'))
            return true;
    }
    return false;
}

std::optional<QString> scriptSafeFolder(const QString &folder)
{
    if (!isMisreadByServerScripts(folder))
        return folder;
    // Qt makes sure the runtime folder is ours and private (0700), and falls
    // back to one in /tmp when $XDG_RUNTIME_DIR is unset.
    const QString runtimeDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtimeDir.startsWith(QLatin1Char('/')))
        return std::nullopt;
    const QString linkDir = runtimeDir + QStringLiteral("/brewdeck");
    const QByteArray target = QFile::encodeName(folder);
    const QString link = linkDir + QStringLiteral("/install-")
        + QString::fromLatin1(QCryptographicHash::hash(target, QCryptographicHash::Sha256).toHex().left(32));
    if (isMisreadByServerScripts(link))
        return std::nullopt;

    const QByteArray dirName = QFile::encodeName(linkDir);
    struct stat st{};
    if (::mkdir(dirName.constData(), 0700) != 0 && errno != EEXIST)
        return std::nullopt;
    // Never follow or use something that another user put there.
    if (::lstat(dirName.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return std::nullopt;

    const QByteArray linkName = QFile::encodeName(link);
    QByteArray current(PATH_MAX + 1, '\0');
    const ssize_t length = ::readlink(linkName.constData(), current.data(), size_t(current.size()));
    if (length >= 0 && current.left(length) == target)
        return link;
    // Made under a name of its own, then renamed over whatever is there: two
    // instances starting at once both end with the one right link.
    const QByteArray fresh = linkName + ".new-" + QByteArray::number(qint64(::getpid()));
    ::unlink(fresh.constData());
    if (::symlink(target.constData(), fresh.constData()) != 0)
        return std::nullopt;
    if (::rename(fresh.constData(), linkName.constData()) != 0) {
        ::unlink(fresh.constData());
        return std::nullopt;
    }
    return link;
}

} // namespace platform
