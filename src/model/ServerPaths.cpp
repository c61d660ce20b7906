#include "ServerPaths.h"

QString g_szJreHome;
QString g_szJdkHome;
QString g_szTomcatHome;

void WriteServerPaths(const QString &installDir)
{
    g_szJreHome = installDir + QLatin1Char('/') + QLatin1String(kJreFolderName);
    g_szJdkHome = installDir + QLatin1Char('/') + QLatin1String(kJdkFolderName);
    g_szTomcatHome = installDir + QLatin1Char('/') + QLatin1String(kTomcatFolderName);
}
