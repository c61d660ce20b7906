#include "CoreSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
