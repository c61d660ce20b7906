#include "Processes.h"

#include <QDir>
#include <QFile>

namespace processes {

namespace {

QByteArray readProcFile(qint64 pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The fields of /proc/PID/stat after the command name, which may itself hold
// blanks and parentheses: [0] is the state, [1] the parent, [3] the session.
QList<QByteArray> statFields(qint64 pid)
{
    const QByteArray stat = readProcFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return {};
    return stat.mid(close + 2).split(' ');
}

QList<qint64> allProcesses()
{
    QList<qint64> pids;
    const QStringList names = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        bool ok = false;
        const qint64 pid = name.toLongLong(&ok);
        if (ok)
            pids << pid;
    }
    return pids;
}

} // namespace

QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> children;
    for (qint64 p : allProcesses()) {
        if (parentOf(p) == pid)
            children << p;
    }
    return children;
}

qint64 parentOf(qint64 pid)
{
    const QList<QByteArray> fields = statFields(pid);
    return fields.size() > 1 ? fields.at(1).toLongLong() : -1;
}

qint64 sessionOf(qint64 pid)
{
    const QList<QByteArray> fields = statFields(pid);
    return fields.size() > 3 ? fields.at(3).toLongLong() : -1;
}

bool isRunning(qint64 pid)
{
    const QList<QByteArray> fields = statFields(pid);
    return !fields.isEmpty() && fields.at(0) != "Z" && fields.at(0) != "X";
}

QStringList commandLineOf(qint64 pid)
{
    QByteArray block = readProcFile(pid, "cmdline");
    if (block.endsWith('\0'))
        block.chop(1);
    QStringList args;
    if (block.isEmpty())
        return args;
    for (const QByteArray &arg : block.split('\0'))
        args << QFile::decodeName(arg);
    return args;
}

QMap<QByteArray, QByteArray> environmentOf(qint64 pid)
{
    return parseEnvironment(readProcFile(pid, "environ"));
}

QMap<QByteArray, QByteArray> parseEnvironment(const QByteArray &block)
{
    QMap<QByteArray, QByteArray> variables;
    for (const QByteArray &entry : block.split('\0')) {
        const qsizetype eq = entry.indexOf('=');
        if (eq > 0)
            variables.insert(entry.left(eq), entry.mid(eq + 1));
    }
    return variables;
}

QList<qint64> withArgument(const QString &argument)
{
    QList<qint64> found;
    for (qint64 p : allProcesses()) {
        if (isRunning(p) && commandLineOf(p).contains(argument))
            found << p;
    }
    return found;
}

} // namespace processes
