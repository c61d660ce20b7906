#include "BlockingRefreshTools.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <csignal>

namespace testsupport {

namespace {

// The fields of /proc/PID/stat after the command name, which may itself
// hold spaces and parentheses.
QList<QByteArray> statFields(qint64 pid)
{
    const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return {};
    return stat.mid(close + 2).split(' ');
}

} // namespace

BlockingRefreshTools::BlockingRefreshTools()
{
    if (!m_dir.isValid())
        return;
    // "exec" keeps the recorded process id the one that blocks.
    const QByteArray script = "#!/bin/sh\necho $$ >>\"${0%/*}/started\"\nexec sleep 60\n";
    m_valid = true;
    for (const char *tool : {"update-mime-database", "update-desktop-database"}) {
        const QString file = m_dir.filePath(QLatin1String(tool));
        m_valid = m_valid && writeFile(file, script)
            && QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

BlockingRefreshTools::~BlockingRefreshTools()
{
    for (qint64 pid : started()) {
        if (isBlocking(pid))
            ::kill(static_cast<pid_t>(pid), SIGTERM);
    }
}

QString BlockingRefreshTools::path() const
{
    return m_dir.path() + QLatin1Char(':') + qEnvironmentVariable("PATH");
}

QList<qint64> BlockingRefreshTools::started() const
{
    QList<qint64> pids;
    const QList<QByteArray> lines = readFile(m_dir.filePath(QStringLiteral("started"))).split('\n');
    for (const QByteArray &line : lines) {
        if (line.toLongLong() > 0)
            pids << line.toLongLong();
    }
    return pids;
}

bool BlockingRefreshTools::isBlocking(qint64 pid)
{
    const QList<QByteArray> fields = statFields(pid);
    const QByteArray command = readFile(QStringLiteral("/proc/%1/cmdline").arg(pid));
    return !fields.isEmpty() && fields.first() != "Z" && command.startsWith(QByteArray("sleep\0", 6));
}

QList<qint64> BlockingRefreshTools::zombieChildrenOf(qint64 pid)
{
    QList<qint64> zombies;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        const qint64 child = entry.toLongLong();
        if (child <= 0)
            continue;
        const QList<QByteArray> fields = statFields(child);
        if (fields.size() > 1 && fields.at(1).toLongLong() == pid && fields.first() == "Z")
            zombies << child;
    }
    return zombies;
}

qint64 BlockingRefreshTools::parentOf(qint64 pid)
{
    const QList<QByteArray> fields = statFields(pid);
    return fields.size() > 1 ? fields.at(1).toLongLong() : 0;
}

} // namespace testsupport
