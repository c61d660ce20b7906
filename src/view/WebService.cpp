#include "BrewdeckView.h"

#include "Application.h"
#include "CommandUi.h"
#include "DetachedLaunch.h"
#include "Environment.h"
#include "ServerPaths.h"

#include <optional>

namespace {

// The scripts' own output goes beside the server's logs.
constexpr char kLaunchLogName[] = "brewdeck-launch.log";

// The server paths are empty until the first new document of this run (a
// document opened from a file at start-up makes none). Without an absolute
// server home there is no server to run: an empty one would make "/bin" the
// scripts' folder.
bool serverPathsKnown()
{
    return g_szTomcatHome.startsWith(QLatin1Char('/'));
}

// The three server paths as the scripts get them.
struct ScriptPaths
{
    QString jreHome;
    QString jdkHome;
    QString tomcatHome;
};

// The server paths themselves whenever Tomcat's scripts read them correctly.
// An install folder whose name they would misread (or run: "eval" turns a
// "$(...)" in it into a command) is reached through a symbolic link with a
// plain name instead; nothing when no such link can be made.
std::optional<ScriptPaths> scriptPaths()
{
    const QString installDir = g_szTomcatHome.left(g_szTomcatHome.lastIndexOf(QLatin1Char('/')));
    const QString prefix = installDir + QLatin1Char('/');
    if (!g_szJreHome.startsWith(prefix) || !g_szJdkHome.startsWith(prefix))
        return std::nullopt;
    const std::optional<QString> folder = platform::scriptSafeFolder(installDir);
    if (!folder)
        return std::nullopt;
    const QString safePrefix = *folder + QLatin1Char('/');
    return ScriptPaths{safePrefix + g_szJreHome.mid(prefix.size()), safePrefix + g_szJdkHome.mid(prefix.size()),
                       safePrefix + g_szTomcatHome.mid(prefix.size())};
}

// Why the server was left alone: the folder, what is wrong with its name,
// and what the user can do.
void reportUnsafeFolder(const QString &action)
{
    fw::Application::messageBox(
        QStringLiteral("无法%1 WEB服务。\n\n程序所在文件夹的路径\n%2\n含有服务器脚本会误读的字符"
                       "（$ ` \" \\ :），而在运行时文件夹（$XDG_RUNTIME_DIR）中也无法为它建立"
                       "不含这些字符的链接。\n\n请把 Brewdeck 移到路径中不含这些字符的文件夹后再试。")
            .arg(action, g_szTomcatHome.left(g_szTomcatHome.lastIndexOf(QLatin1Char('/')))));
}

// Runs one of the server's own scripts from its bin folder and goes on at
// once; whether it could be started changes nothing here.
void runServerScript(const char *script)
{
    platform::runScriptDetached(g_szTomcatHome + QStringLiteral("/bin"), QLatin1String(script),
                                g_szTomcatHome + QStringLiteral("/logs/") + QLatin1String(kLaunchLogName));
}

} // namespace

void CBrewdeckView::OnWebStart()
{
    if (serverPathsKnown()) {
        const std::optional<ScriptPaths> paths = scriptPaths();
        platform::setEnvironmentVariable("JRE_HOME", paths ? paths->jreHome : g_szJreHome);
        platform::setEnvironmentVariable("JAVA_HOME", paths ? paths->jdkHome : g_szJdkHome);
        platform::setEnvironmentVariable("CATALINA_HOME", paths ? paths->tomcatHome : g_szTomcatHome);
        if (paths)
            runServerScript("startup.sh");
        else
            reportUnsafeFolder(QStringLiteral("启动"));
    }
    // The flag records the command, not whether the server came up.
    m_bServerRunning = true;
}

void CBrewdeckView::OnWebStop()
{
    if (serverPathsKnown()) {
        const std::optional<ScriptPaths> paths = scriptPaths();
        // JRE_HOME and JAVA_HOME are left as start set them.
        platform::setEnvironmentVariable("CATALINA_HOME", paths ? paths->tomcatHome : g_szTomcatHome);
        // The script has its own copy of the environment once it runs, so the
        // variables can go right after.
        if (paths)
            runServerScript("shutdown.sh");
        platform::removeEnvironmentVariable("JRE_HOME");
        platform::removeEnvironmentVariable("JAVA_HOME");
        platform::removeEnvironmentVariable("CATALINA_HOME");
        if (!paths)
            reportUnsafeFolder(QStringLiteral("停止"));
    }
    m_bServerRunning = false;
}

void CBrewdeckView::OnUpdateWebStart(fw::CommandUi &ui)
{
    ui.enable(!m_bServerRunning);
}

void CBrewdeckView::OnUpdateWebStop(fw::CommandUi &ui)
{
    ui.enable(m_bServerRunning);
}
