#include "ProgramUnderX.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>
#include <sys/time.h>

namespace testsupport {

bool xdotool(const QStringList &arguments, QString *output)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(30000)) {
        tool.kill();
        tool.waitForFinished();
        return false;
    }
    if (output)
        *output = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

ProgramUnderX::ProgramUnderX(const QString &executable)
    : m_executable(executable)
{
}

ProgramUnderX::~ProgramUnderX()
{
    stop();
}

void ProgramUnderX::setVariable(const QString &name, const QString &value)
{
    m_variables.insert(name, value);
}

bool ProgramUnderX::start(const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The program must meet the real X server, whatever the suite runs on.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    for (auto it = m_variables.cbegin(); it != m_variables.cend(); ++it)
        env.insert(it.key(), it.value());
    m_process.setProcessEnvironment(env);
    m_process.setProgram(m_executable);
    m_process.setArguments(arguments);
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start();
    return m_process.waitForStarted(10000);
}

bool ProgramUnderX::waitForExit(int timeoutMs)
{
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs))
        return false;
    return m_process.exitStatus() == QProcess::NormalExit;
}

QStringList ProgramUnderX::visibleWindows(const QString &name) const
{
    if (m_process.state() == QProcess::NotRunning)
        return {};
    QString windows;
    xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
             QString::number(m_process.processId()), QStringLiteral("--name"),
             name.isEmpty() ? QStringLiteral(".") : QRegularExpression::escape(name)},
            &windows);
    return windows.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString ProgramUnderX::waitForWindow(const QString &name, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    bool startedAgain = false;
    while (!deadline.hasExpired()) {
        if (m_process.state() == QProcess::NotRunning) {
            // Under a loaded machine the virtual X server now and then refuses
            // a connection, and Qt aborts before any window. One more start
            // tells that apart from a program that really dies at start.
            if (startedAgain || m_process.exitStatus() != QProcess::CrashExit)
                break;
            qWarning("the program ended before its window showed; starting it once more");
            startedAgain = true;
            m_process.start();
            if (!m_process.waitForStarted(10000))
                break;
            continue;
        }
        const QStringList windows = visibleWindows(name);
        if (!windows.isEmpty())
            return windows.constFirst();
        QTest::qWait(100);
    }
    return {};
}

QString ProgramUnderX::readAndAcceptMessageBox(const QString &window) const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+c")});
    QString text;
    const QDeadlineTimer deadline(10000);
    while (text.isEmpty() && !deadline.hasExpired()) {
        QTest::qWait(50);
        text = clipboard->text();
    }
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    return text;
}

void ProgramUnderX::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QMap<QString, QByteArray> snapshotFiles(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(root.relativeFilePath(path), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

QMap<QString, QString> fileStamps(const QString &folder)
{
    QMap<QString, QString> stamps;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
            stamps.insert(root.relativeFilePath(path),
                          QStringLiteral("%1.%2 inode %3")
                              .arg(info.st_mtim.tv_sec)
                              .arg(info.st_mtim.tv_nsec)
                              .arg(info.st_ino));
        }
    }
    return stamps;
}

void ageFiles(const QString &folder)
{
    struct timeval now {};
    ::gettimeofday(&now, nullptr);
    const struct timeval dayBack[2] = {{now.tv_sec - 86400, 0}, {now.tv_sec - 86400, 0}};
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        ::utimes(QFile::encodeName(it.next()).constData(), dayBack);
}

} // namespace testsupport
