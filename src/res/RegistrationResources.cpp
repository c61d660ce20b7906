#include "RegistrationResources.h"

#include <QFile>
#include <QString>

// Resources compiled into a static library are registered by hand.
static void initRegistrationResources()
{
    Q_INIT_RESOURCE(registration);
}

namespace res {

namespace {

QByteArray load(const char *name)
{
    static const bool registered = (initRegistrationResources(), true);
    Q_UNUSED(registered);
    QFile file(QStringLiteral(":/registration/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QByteArray desktopEntryTemplate()
{
    return load("brewdeck.desktop.in");
}

QByteArray mimePackageTemplate()
{
    return load("brewdeck-mime.xml.in");
}

QByteArray dbusServiceTemplate()
{
    return load("Brewdeck.Document.service.in");
}

QByteArray documentInterfaceDescription()
{
    return load("Brewdeck.IBrewdeck.xml");
}

} // namespace res
