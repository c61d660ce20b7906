#include "TestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <sys/stat.h>

namespace testsupport {

namespace {

const char *const kVariables[4] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"};

} // namespace

SandboxedHome::SandboxedHome()
{
    const QString folders[4] = {home(), configHome(), dataHome(), m_dir.path() + QStringLiteral("/runtime")};
    for (int i = 0; i < 4; ++i) {
        QDir().mkpath(folders[i]);
        if (const char *old = std::getenv(kVariables[i])) {
            m_had[i] = true;
            m_saved[i] = old;
        }
        ::setenv(kVariables[i], QFile::encodeName(folders[i]).constData(), 1);
    }
    ::chmod(QFile::encodeName(folders[3]).constData(), 0700);
}

SandboxedHome::~SandboxedHome()
{
    for (int i = 0; i < 4; ++i) {
        if (m_had[i])
            ::setenv(kVariables[i], m_saved[i].constData(), 1);
        else
            ::unsetenv(kVariables[i]);
    }
}

void answerNextModal(std::function<void(QWidget *)> answer, int timeoutMs)
{
    auto *timer = new QTimer(qApp);
    const QDeadlineTimer deadline(timeoutMs);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer), deadline] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            // A dialog becomes the active modal widget as it shows, which may
            // be before its own event loop runs; answering from inside that
            // loop makes sure the answer ends it.
            QTimer::singleShot(0, modal, [answer, modal] { answer(modal); });
        } else if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            qWarning("answerNextModal: no modal dialog appeared");
        }
    });
    timer->start();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace testsupport
