#include "AutomationServer.h"

#include "ClassObject.h"
#include "DesktopRegistration.h"
#include "DocTemplate.h"
#include "RegistrationResources.h"
#include "SessionBus.h"
#include "ShellRegistration.h"
#include "XdgDirs.h"
#include "classobjectadaptor.h"

#include <QCoreApplication>
#include <QDBusConnection>

AutomationServer::AutomationServer() = default;

AutomationServer::~AutomationServer()
{
    // Bus objects cannot outlive the Qt application; the event loop's end
    // normally withdrew them already.
    if (QCoreApplication::instance())
        revoke();
    else
        static_cast<void>(m_classObject.release());
}

void AutomationServer::connectTemplate(const QUuid &clsid, fw::SingleDocTemplate *docTemplate)
{
    m_clsid = clsid;
    m_template = docTemplate;
}

QString AutomationServer::busName() const
{
    return m_template ? m_template->string(fw::DocTemplateField::RegFileTypeId) : QString();
}

QString AutomationServer::activationFilePath() const
{
    return platform::xdgDataHome() + QStringLiteral("/dbus-1/services/") + busName() + QStringLiteral(".service");
}

platform::FileUpdate AutomationServer::updateRegistry(const QString &executable)
{
    // The activation file is line-based; a line break cannot be written into it.
    if (busName().isEmpty() || executable.contains(QLatin1Char('\n')))
        return platform::FileUpdate::Failed;
    const QByteArray content = shellreg::fillTemplate(
        res::dbusServiceTemplate(), {{QStringLiteral("MARKER"), shellreg::registrationMarker()},
                                     {QStringLiteral("BUS_NAME"), busName()},
                                     {QStringLiteral("EXEC"), platform::dbusExecArgument(executable)}});
    return platform::writeOwnFile(activationFilePath(), content, shellreg::carriesMarker);
}

bool AutomationServer::unregister()
{
    if (busName().isEmpty())
        return false;
    return platform::removeFileIf(activationFilePath(), shellreg::carriesMarker);
}

bool AutomationServer::registerRunning()
{
    if (m_classObject)
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    m_classObject = std::make_unique<ClassObject>(bus, busName(), m_template);
    new ClassObjectAdaptor(m_classObject.get());
    bus.registerObject(QStringLiteral("/"), m_classObject.get(), QDBusConnection::ExportAdaptors);
    // Another instance may hold the name while it waits for its client; this
    // one then waits in line and serves the client after.
    platform::claimBusName(bus, busName());
    // The bus objects go while the Qt application still exists.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, m_classObject.get(),
                     [this] { revoke(); });
    return true;
}

void AutomationServer::revoke()
{
    if (!m_classObject)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QStringLiteral("/"));
    platform::releaseBusName(bus, busName());
    m_classObject.reset();
}
