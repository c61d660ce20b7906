#include "TypeLibrary.h"

#include "AutomationIds.h"
#include "DesktopRegistration.h"
#include "RegistrationResources.h"
#include "ShellRegistration.h"
#include "XdgDirs.h"

#include <QXmlStreamReader>

std::optional<TypeLibraryInfo> describeTypeLibrary(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    TypeLibraryInfo info;
    int depth = 0;
    int interfaceDepth = -1;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            ++depth;
            const QXmlStreamAttributes attributes = reader.attributes();
            if (interfaceDepth < 0 && reader.name() == QLatin1String("interface")) {
                interfaceDepth = depth;
                info.interfaceName = attributes.value(QLatin1String("name")).toString();
            } else if (interfaceDepth > 0 && depth == interfaceDepth + 1) {
                if (reader.name() == QLatin1String("annotation")) {
                    const auto name = attributes.value(QLatin1String("name"));
                    const auto value = attributes.value(QLatin1String("value"));
                    if (name == QLatin1String("Brewdeck.TypeLibrary.Id"))
                        info.libraryId = QUuid::fromString(value);
                    else if (name == QLatin1String("Brewdeck.TypeLibrary.Version"))
                        info.libraryVersion = value.toString();
                    else if (name == QLatin1String("Brewdeck.Interface.Id"))
                        info.interfaceId = QUuid::fromString(value);
                    else if (name == QLatin1String("Brewdeck.Class.Id"))
                        info.classId = QUuid::fromString(value);
                } else {
                    ++info.memberCount;
                }
            }
        } else if (reader.isEndElement()) {
            if (depth == interfaceDepth)
                interfaceDepth = 0; // only the first interface counts
            --depth;
        }
    }
    if (reader.hasError() || info.interfaceName.isEmpty())
        return std::nullopt;
    return info;
}

bool startAutomationRuntime()
{
    const std::optional<TypeLibraryInfo> info = describeTypeLibrary(res::documentInterfaceDescription());
    return info && info->interfaceName == QLatin1String("Brewdeck.IBrewdeck") && info->libraryId == LIBID_Brewdeck
        && info->interfaceId == IID_IBrewdeck && info->classId == CLSID_BrewdeckDoc && info->memberCount == 0;
}

QString typeLibraryPath(const QString &interfaceName)
{
    return platform::xdgDataHome() + QStringLiteral("/dbus-1/interfaces/") + interfaceName + QStringLiteral(".xml");
}

platform::FileUpdate registerTypeLib(const QUuid &libraryId, QString *path)
{
    const QByteArray description = res::documentInterfaceDescription();
    const std::optional<TypeLibraryInfo> info = describeTypeLibrary(description);
    if (!info || info->libraryId != libraryId)
        return platform::FileUpdate::Failed;
    const QString target = typeLibraryPath(info->interfaceName);
    if (path)
        *path = target;
    return platform::writeOwnFile(target, shellreg::withMarker(description), [&](const QByteArray &content) {
        return shellreg::isMarkedCopyOf(content, description);
    });
}

bool unregisterTypeLib(const QUuid &libraryId, int major, int minor)
{
    const QByteArray description = res::documentInterfaceDescription();
    const std::optional<TypeLibraryInfo> carried = describeTypeLibrary(description);
    if (!carried)
        return false;
    const QString version = QStringLiteral("%1.%2").arg(major).arg(minor);
    return platform::removeFileIf(typeLibraryPath(carried->interfaceName), [&](const QByteArray &content) {
        const std::optional<TypeLibraryInfo> registered = describeTypeLibrary(content);
        return shellreg::isMarkedCopyOf(content, description) && registered && registered->libraryId == libraryId
            && registered->libraryVersion == version;
    });
}
