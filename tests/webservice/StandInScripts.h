#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// One run of a stand-in script, as it recorded itself.
struct StandInRun
{
    qint64 pid = 0;
    QStringList commandLine;
    QString workingDirectory;
    QString standardInput;
    QMap<QByteArray, QByteArray> environment;
    bool finished = false;
};

// Real /bin/sh scripts that take the place of the server's scripts. Each run
// records its command line, working directory (physical), standard input and
// environment, then blocks until release(), so a test can look at it while it
// still runs; after release it writes one line to stdout and one to stderr,
// named after itself.
class StandInScripts
{
public:
    StandInScripts();

    bool isValid() const { return m_records.isValid(); }

    // Writes a stand-in at PATH, creating its folder.
    bool install(const QString &path) const;

    // Lets every run finish, those to come included.
    void release() const;

    // The runs of the script of this file name that have started, in
    // process-id order.
    QList<StandInRun> runs(const QString &scriptName) const;
    QList<StandInRun> allRuns() const;
    // Every run that started has finished.
    bool allFinished() const;

private:
    QTemporaryDir m_records;
};
