#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace testsupport {

// Runs xdotool with an argument vector; true when it succeeded. Output, when
// asked for, is its trimmed standard output.
bool xdotool(const QStringList &arguments, QString *output = nullptr);

// The real executable in a child process, with the test's own (sandboxed)
// environment and the X server's display, watched from outside as a user
// would see it. The process is stopped when the object goes.
class ProgramUnderX
{
public:
    explicit ProgramUnderX(const QString &executable);
    ~ProgramUnderX();
    ProgramUnderX(const ProgramUnderX &) = delete;
    ProgramUnderX &operator=(const ProgramUnderX &) = delete;

    // Extra variables for the child, on top of the test's environment.
    void setVariable(const QString &name, const QString &value);

    bool start(const QStringList &arguments);
    qint64 processId() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // Waits, within a generous bound, for the program to end by itself; true
    // when it ended normally.
    bool waitForExit(int timeoutMs = 60000);
    int exitCode() const { return m_process.exitCode(); }

    // The program's visible top-level windows whose name contains the text.
    QStringList visibleWindows(const QString &name = QString()) const;
    // The first such window once it shows; empty when none shows within the
    // bound. A program that crashes before its first window is started once
    // more, since the X server may have refused its connection.
    QString waitForWindow(const QString &name, int timeoutMs = 30000);

    // Reads the text of a message box the way a user can copy it (Ctrl+C puts
    // it on the clipboard), then presses its default button.
    QString readAndAcceptMessageBox(const QString &window) const;

    void stop();

private:
    QString m_executable;
    QMap<QString, QString> m_variables;
    QProcess m_process;
};

// Every file below the folder, by relative path, with its content.
QMap<QString, QByteArray> snapshotFiles(const QString &folder);

// Modification times (nanoseconds) and inode numbers of every file below the
// folder, by relative path: a rewrite through a replacing file changes one of
// them even within the file system's time granularity.
QMap<QString, QString> fileStamps(const QString &folder);

// Sets every file's modification time below the folder a day back, so that
// any later write shows.
void ageFiles(const QString &folder);

} // namespace testsupport
