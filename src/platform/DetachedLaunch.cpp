#include "DetachedLaunch.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

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

} // namespace platform
