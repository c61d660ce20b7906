#include "WebApp.h"

#include "ServerPaths.h"

void InitWebApp(const QString &installDir, CWebApp *webApp)
{
    if (!webApp)
        return;
    webApp->m_strTomcatHome = installDir;
    webApp->m_strTomcatHome += QLatin1Char('/') + QLatin1String(kTomcatFolderName);
    webApp->m_strWebAppsDir = webApp->m_strTomcatHome + QStringLiteral("/webapps");
    webApp->m_strName = QStringLiteral("brewdeck");
    webApp->m_strAppDir = webApp->m_strWebAppsDir + QLatin1Char('/') + webApp->m_strName;
    webApp->m_strHomePage = QStringLiteral("index.jsp");
    webApp->m_strClassesDir = webApp->m_strAppDir + QStringLiteral("/WEB-INF/classes");
    webApp->m_strLibDir = webApp->m_strAppDir + QStringLiteral("/WEB-INF/lib");
    webApp->m_strJspDir = webApp->m_strAppDir;
}
