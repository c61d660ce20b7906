#include "UrlLauncher.h"

#include <QProcess>
#include <QStringList>

namespace platform {

bool openUrl(const QString &address)
{
    // startDetached leaves no child to reap: the handler is a grandchild.
    return QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{address});
}

} // namespace platform
