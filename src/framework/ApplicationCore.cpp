#include "ApplicationCore.h"

#include "CommandIds.h"
#include "RecentFileList.h"
#include "StringTable.h"
#include "XdgDirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace fw {

namespace {

ApplicationCore *g_current = nullptr;

} // namespace

ApplicationCore::ApplicationCore()
{
    g_current = this;
}

ApplicationCore::~ApplicationCore()
{
    if (g_current == this)
        g_current = nullptr;
}

ApplicationCore *ApplicationCore::current()
{
    return g_current;
}

bool ApplicationCore::initInstance()
{
    return true;
}

int ApplicationCore::exitInstance()
{
    if (m_writeProfileAtExit && m_recentFiles) {
        if (QSettings *store = settings()) {
            m_recentFiles->write(*store);
            store->sync();
        }
    }
    return m_exitCode;
}

QString ApplicationCore::installDirectory() const
{
    return {};
}

QString ApplicationCore::appTitle()
{
    return StringTable::load(ids::IDS_APP_TITLE);
}

void ApplicationCore::setRegistryKey(const QString &key)
{
    m_registryKey = key;
    m_settings.reset();
}

QString ApplicationCore::settingsFilePath() const
{
    return platform::xdgConfigHome() + QLatin1Char('/') + m_registryKey + QLatin1Char('/') + appTitle()
        + QStringLiteral(".conf");
}

QSettings *ApplicationCore::settings()
{
    if (m_registryKey.isEmpty())
        return nullptr;
    if (!m_settings)
        m_settings = std::make_unique<QSettings>(settingsFilePath(), QSettings::IniFormat);
    return m_settings.get();
}

void ApplicationCore::closeSettings()
{
    m_settings.reset();
}

void ApplicationCore::loadStdProfileSettings(int recentFiles)
{
    m_recentFiles = std::make_unique<RecentFileList>(QStringLiteral("Recent File List"),
                                                     QStringLiteral("File%1"), recentFiles);
    if (QSettings *store = settings())
        m_recentFiles->read(*store);
}

void ApplicationCore::addToRecentFileList(const QString &path)
{
    if (m_recentFiles)
        m_recentFiles->add(path);
}

bool ApplicationCore::deleteProfile()
{
    m_settings.reset();
    if (m_registryKey.isEmpty())
        return true;
    const QString file = settingsFilePath();
    bool ok = !QFileInfo::exists(file) || QFile::remove(file);
    QDir keyFolder(QFileInfo(file).absolutePath());
    if (keyFolder.exists() && keyFolder.isEmpty())
        ok = keyFolder.removeRecursively() && ok;
    return ok;
}

void ApplicationCore::lockApp()
{
    ++m_lockCount;
}

void ApplicationCore::unlockApp()
{
    if (m_lockCount > 0)
        --m_lockCount;
    if (m_lockCount == 0 && !m_userControl) {
        m_userControl = true;
        onLastLockReleased();
    }
}

void ApplicationCore::onLastLockReleased()
{
    QCoreApplication::quit();
}

void ApplicationCore::reportFileError(int stringId, const QString &path, const QString &reason)
{
    qWarning("%s", qUtf8Printable(StringTable::load(stringId).arg(path, reason)));
}

ApplicationCore::SaveAnswer ApplicationCore::askSaveChanges(const QString &)
{
    return SaveAnswer::Cancel;
}

bool ApplicationCore::doPromptFileName(QString &, bool, DocumentTemplate *)
{
    return false;
}

} // namespace fw
