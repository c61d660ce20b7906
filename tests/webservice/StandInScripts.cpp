#include "StandInScripts.h"

#include "Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// Records are written under temporary names and the ".started" mark comes
// last, so a reader never sees half a record. A stand-in that nobody
// releases gives up after five minutes rather than linger.
constexpr char kScript[] = R"(#!/bin/sh
records='@RECORDS@'
run="$records/${0##*/}.$$"
cat /proc/$$/cmdline >"$run.cmdline"
cat /proc/$$/environ >"$run.environ"
pwd -P >"$run.cwd"
readlink /proc/$$/fd/0 >"$run.stdin"
: >"$run.started"
i=0
while [ ! -e "$records/release" ] && [ $i -lt 3000 ]; do
    sleep 0.1
    i=$((i + 1))
done
echo "${0##*/} says hello"
echo "${0##*/} complains" >&2
: >"$run.finished"
)";

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

StandInScripts::StandInScripts() = default;

bool StandInScripts::install(const QString &path) const
{
    // The record folder is quoted in the script; QTemporaryDir never makes a
    // name with a quote in it.
    if (!m_records.isValid() || m_records.path().contains(QLatin1Char('\'')))
        return false;
    QByteArray text(kScript);
    text.replace("@RECORDS@", QFile::encodeName(m_records.path()));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

void StandInScripts::release() const
{
    QFile(m_records.filePath(QStringLiteral("release"))).open(QIODevice::WriteOnly);
}

QList<StandInRun> StandInScripts::runs(const QString &scriptName) const
{
    QList<StandInRun> result;
    const QStringList marks = QDir(m_records.path()).entryList({scriptName + QStringLiteral(".*.started")}, QDir::Files);
    for (const QString &mark : marks) {
        const QString base = m_records.filePath(mark.chopped(int(qstrlen(".started"))));
        StandInRun run;
        run.pid = base.mid(base.lastIndexOf(QLatin1Char('.')) + 1).toLongLong();
        QByteArray cmdline = readAll(base + QStringLiteral(".cmdline"));
        if (cmdline.endsWith('\0'))
            cmdline.chop(1);
        for (const QByteArray &arg : cmdline.split('\0'))
            run.commandLine << QFile::decodeName(arg);
        run.workingDirectory = QFile::decodeName(readAll(base + QStringLiteral(".cwd")).trimmed());
        run.standardInput = QFile::decodeName(readAll(base + QStringLiteral(".stdin")).trimmed());
        run.environment = processes::parseEnvironment(readAll(base + QStringLiteral(".environ")));
        run.finished = QFileInfo::exists(base + QStringLiteral(".finished"));
        result << run;
    }
    std::sort(result.begin(), result.end(), [](const StandInRun &a, const StandInRun &b) { return a.pid < b.pid; });
    return result;
}

QList<StandInRun> StandInScripts::allRuns() const
{
    return runs(QStringLiteral("*"));
}

bool StandInScripts::allFinished() const
{
    const QList<StandInRun> all = allRuns();
    return std::all_of(all.cbegin(), all.cend(), [](const StandInRun &run) { return run.finished; });
}
