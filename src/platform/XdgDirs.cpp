#include "XdgDirs.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

namespace platform {

namespace {

// The base directory specification says to ignore relative values.
QString fromEnvironment(const char *name, const char *fallbackUnderHome)
{
    const char *value = std::getenv(name);
    if (value && *value == '/')
        return QFile::decodeName(value);
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackUnderHome);
}

} // namespace

QString xdgConfigHome()
{
    return fromEnvironment("XDG_CONFIG_HOME", ".config");
}

QString xdgDataHome()
{
    return fromEnvironment("XDG_DATA_HOME", ".local/share");
}

} // namespace platform
