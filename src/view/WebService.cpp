#include "BrewdeckView.h"

#include "CommandUi.h"
#include "DetachedLaunch.h"
#include "Environment.h"
#include "ServerPaths.h"

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
        platform::setEnvironmentVariable("JRE_HOME", g_szJreHome);
        platform::setEnvironmentVariable("JAVA_HOME", g_szJdkHome);
        platform::setEnvironmentVariable("CATALINA_HOME", g_szTomcatHome);
        runServerScript("startup.sh");
    }
    // The flag records the command, not whether the server came up.
    m_bServerRunning = true;
}

void CBrewdeckView::OnWebStop()
{
    if (serverPathsKnown()) {
        // JRE_HOME and JAVA_HOME are left as start set them.
        platform::setEnvironmentVariable("CATALINA_HOME", g_szTomcatHome);
        // The script has its own copy of the environment once it runs, so the
        // variables can go right after.
        runServerScript("shutdown.sh");
        platform::removeEnvironmentVariable("JRE_HOME");
        platform::removeEnvironmentVariable("JAVA_HOME");
        platform::removeEnvironmentVariable("CATALINA_HOME");
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
