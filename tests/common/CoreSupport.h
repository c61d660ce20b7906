#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR at fresh
// folders for the life of the object, so a test never touches the real home.
class SandboxedHome
{
public:
    SandboxedHome();
    ~SandboxedHome();
    SandboxedHome(const SandboxedHome &) = delete;
    SandboxedHome &operator=(const SandboxedHome &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }
    QString dataHome() const { return m_dir.path() + QStringLiteral("/data"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_saved[4];
    bool m_had[4] = {};
};

// Writes a file, creating its folder; returns false when it cannot.
bool writeFile(const QString &path, const QByteArray &content);

// Reads a whole file; empty when it cannot be read.
QByteArray readFile(const QString &path);

} // namespace testsupport
