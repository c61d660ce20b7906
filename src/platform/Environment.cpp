#include "Environment.h"

#include <QByteArray>
#include <QFile>

namespace platform {

// qputenv and qunsetenv are setenv and unsetenv taken under Qt's own
// environment lock, so Qt's threads never read the environment half-changed.

bool setEnvironmentVariable(const char *name, const QString &value)
{
    // Values are mostly paths: encoded as the file system names them.
    return qputenv(name, QFile::encodeName(value));
}

bool removeEnvironmentVariable(const char *name)
{
    return qunsetenv(name);
}

} // namespace platform
