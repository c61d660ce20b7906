#include "BrewdeckDoc.h"
#include "BrowserRecorder.h"
#include "BrewdeckView.h"
#include "FrameWindow.h"
#include "ServerPaths.h"
#include "ViewFixture.h"
#include "resource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>
#include <sys/wait.h>

namespace {

constexpr int kLaunchTimeoutMs = 30000;

} // namespace

// "H" makes the selected JSP file the home page; "运行" opens the home page
// on the local server in the desktop's browser.
class TestHomePage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void setHomeTakesTheSelection_data();
    void setHomeTakesTheSelection();
    void chosenPageSurvivesRefreshNotNew();
    void runOpensTheAddress_data();
    void runOpensTheAddress();
    void runWithoutWebAppOpensNothing();
    void browserSeesServerVariablesWhileStarted();

private:
    void lay(const QStringList &pages) const;
    void command(int id) const;

    std::unique_ptr<viewtest::ViewFixture> m_fixture;
    std::unique_ptr<viewtest::BrowserRecorder> m_browser;
};

void TestHomePage::initTestCase()
{
    // xdg-open's generic path, straight to $BROWSER: no desktop to ask, no
    // display whose default handler could answer first.
    qputenv("XDG_CURRENT_DESKTOP", "X-Generic");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
}

void TestHomePage::init()
{
    for (const char *name : {"JRE_HOME", "JAVA_HOME", "CATALINA_HOME"})
        qunsetenv(name);
    m_fixture = std::make_unique<viewtest::ViewFixture>();
    m_browser = std::make_unique<viewtest::BrowserRecorder>();
    QVERIFY(m_fixture->isValid());
    QVERIFY(m_browser->isValid());
}

void TestHomePage::cleanup()
{
    // Browsers still waiting finish before their folder goes.
    m_browser->release();
    QTRY_VERIFY_WITH_TIMEOUT(m_browser->allFinished(), kLaunchTimeoutMs);
    if (!QTest::currentTestFailed())
        QCOMPARE(m_fixture->dialogs().unexpected(), QStringList());
    m_fixture.reset();
    m_browser.reset();
    for (const char *name : {"JRE_HOME", "JAVA_HOME", "CATALINA_HOME"})
        qunsetenv(name);
}

void TestHomePage::lay(const QStringList &pages) const
{
    for (const QString &page : pages)
        QVERIFY(testsupport::writeFile(m_fixture->appDir() + QLatin1Char('/') + page, "page"));
}

void TestHomePage::command(int id) const
{
    QVERIFY(m_fixture->view()->parentFrame());
    QVERIFY(m_fixture->view()->parentFrame()->executeCommand(id));
}

void TestHomePage::setHomeTakesTheSelection_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("homePage");
    QTest::newRow("hello.jsp selected") << "hello.jsp"
                                        << "hello.jsp";
    QTest::newRow("a name with a space and Chinese") << "my 页面.jsp"
                                                     << "my 页面.jsp";
    QTest::newRow("nothing selected") << QString() << "index.jsp";
}

void TestHomePage::setHomeTakesTheSelection()
{
    QFETCH(QString, selection);
    QFETCH(QString, homePage);
    lay({"index.jsp", "hello.jsp", "my 页面.jsp"});
    QVERIFY(m_fixture->newDocument());
    if (!selection.isEmpty())
        QVERIFY(m_fixture->select("IDC_LIST_JSP", selection));

    m_fixture->click("IDC_SET_HOME");

    QCOMPARE(m_fixture->document()->m_pWebApp->GetHomePage(), homePage);
    QCOMPARE(m_fixture->editText("IDC_HOME_PAGE"), homePage);
    QCOMPARE(m_fixture->view()->m_strHomePage, homePage);
    QCOMPARE(m_fixture->editText("IDC_APP_NAME"), QStringLiteral("brewdeck"));
    QVERIFY(!m_fixture->document()->isModified());
}

void TestHomePage::chosenPageSurvivesRefreshNotNew()
{
    lay({"index.jsp", "hello.jsp"});
    QVERIFY(m_fixture->newDocument());
    QVERIFY(m_fixture->select("IDC_LIST_JSP", QStringLiteral("hello.jsp")));
    m_fixture->click("IDC_SET_HOME");

    // A refresh rewrites the edits from the record and drops the selection,
    // so a second "H" finds nothing to take.
    m_fixture->document()->updateAllViews(nullptr);
    QCOMPARE(m_fixture->editText("IDC_HOME_PAGE"), QStringLiteral("hello.jsp"));
    QCOMPARE(m_fixture->selected("IDC_LIST_JSP"), QString());
    m_fixture->click("IDC_SET_HOME");
    QCOMPARE(m_fixture->document()->m_pWebApp->GetHomePage(), QStringLiteral("hello.jsp"));

    // A New builds a fresh record with the default home page.
    QVERIFY(m_fixture->newDocument());
    QCOMPARE(m_fixture->document()->m_pWebApp->GetHomePage(), QStringLiteral("index.jsp"));
    QCOMPARE(m_fixture->editText("IDC_HOME_PAGE"), QStringLiteral("index.jsp"));
}

void TestHomePage::runOpensTheAddress_data()
{
    QTest::addColumn<QString>("page"); // chosen with "H"; empty keeps the default
    QTest::addColumn<QString>("address");
    QTest::newRow("default home page") << QString() << "http://127.0.0.1:8080/brewdeck/index.jsp";
    QTest::newRow("a chosen page") << "hello.jsp"
                                   << "http://127.0.0.1:8080/brewdeck/hello.jsp";
    QTest::newRow("space and Chinese go in unchanged") << "my 页面.jsp"
                                                       << "http://127.0.0.1:8080/brewdeck/my 页面.jsp";
    QTest::newRow("shell characters go in unchanged") << "a;$(touch pwned)'q'.jsp"
                                                      << "http://127.0.0.1:8080/brewdeck/a;$(touch pwned)'q'.jsp";
    // These three would name another resource: escaped, and only they.
    QTest::newRow("hash") << "a#b.jsp"
                          << "http://127.0.0.1:8080/brewdeck/a%23b.jsp";
    QTest::newRow("question mark") << "a?b.jsp"
                                   << "http://127.0.0.1:8080/brewdeck/a%3Fb.jsp";
    QTest::newRow("percent") << "100%.jsp"
                             << "http://127.0.0.1:8080/brewdeck/100%25.jsp";
    QTest::newRow("an escape-like name is not decoded") << "a%23 页 b.jsp"
                                                        << "http://127.0.0.1:8080/brewdeck/a%2523 页 b.jsp";
}

void TestHomePage::runOpensTheAddress()
{
    QFETCH(QString, page);
    QFETCH(QString, address);
    if (!page.isEmpty())
        lay({page});
    QVERIFY(m_fixture->newDocument());
    if (!page.isEmpty()) {
        QVERIFY(m_fixture->select("IDC_LIST_JSP", page));
        m_fixture->click("IDC_SET_HOME");
    }

    // The web service was never started: the browser opens all the same.
    m_fixture->click("IDC_RUN");

    QTRY_COMPARE_WITH_TIMEOUT(m_browser->launches().size(), 1, kLaunchTimeoutMs);
    viewtest::BrowserRecorder::Launch launch = m_browser->launches().constFirst();
    QCOMPARE(launch.args, QStringList{address});
    // The click came back while the browser was still running.
    QVERIFY(!launch.finished);

    m_browser->release();
    QTRY_VERIFY_WITH_TIMEOUT(m_browser->launches().constFirst().finished, kLaunchTimeoutMs);
    QCOMPARE(m_browser->launches().size(), 1);
    // Nothing is left for the program to reap.
    errno = 0;
    QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
    QVERIFY(!QFileInfo::exists(QStringLiteral("pwned")));
    QVERIFY(!QFileInfo::exists(m_fixture->appDir() + QStringLiteral("/pwned")));
}

void TestHomePage::runWithoutWebAppOpensNothing()
{
    // A program started with a document file has no web application.
    const QString file = m_fixture->installDir() + QStringLiteral("/start.bdk");
    QVERIFY(testsupport::writeFile(file, QByteArray()));
    QVERIFY(m_fixture->openDocument(file));
    QVERIFY(!m_fixture->document()->m_pWebApp);
    m_fixture->click("IDC_RUN");

    // After a New the same button opens the browser; by the time that
    // launch has ended, it is the only one there was.
    QVERIFY(m_fixture->newDocument());
    m_fixture->click("IDC_RUN");
    m_browser->release();
    QTRY_VERIFY_WITH_TIMEOUT(!m_browser->launches().isEmpty() && m_browser->allFinished(), kLaunchTimeoutMs);
    QCOMPARE(m_browser->launches().size(), 1);
    QCOMPARE(m_browser->launches().constFirst().args, QStringList{"http://127.0.0.1:8080/brewdeck/index.jsp"});
}

void TestHomePage::browserSeesServerVariablesWhileStarted()
{
    // Stand-ins for the server's scripts, so that no real server starts.
    const QString bin = m_fixture->installDir() + QStringLiteral("/apache-tomcat-7.0.22/bin");
    for (const char *script : {"startup.sh", "shutdown.sh"})
        QVERIFY(testsupport::writeFile(bin + QLatin1Char('/') + QLatin1String(script), "exit 0\n"));
    QVERIFY(QDir().mkpath(m_fixture->installDir() + QStringLiteral("/apache-tomcat-7.0.22/logs")));
    QVERIFY(m_fixture->newDocument());

    command(ID_WEB_START);
    m_fixture->click("IDC_RUN");
    QTRY_COMPARE_WITH_TIMEOUT(m_browser->launches().size(), 1, kLaunchTimeoutMs);
    QCOMPARE(m_browser->launches().constFirst().environment,
             (QStringList{QStringLiteral("JRE_HOME=") + g_szJreHome, QStringLiteral("JAVA_HOME=") + g_szJdkHome,
                          QStringLiteral("CATALINA_HOME=") + g_szTomcatHome}));
    QCOMPARE(g_szTomcatHome, m_fixture->installDir() + QStringLiteral("/apache-tomcat-7.0.22"));

    command(ID_WEB_STOP);
    m_fixture->click("IDC_RUN");
    QTRY_COMPARE_WITH_TIMEOUT(m_browser->launches().size(), 2, kLaunchTimeoutMs);
    QList<viewtest::BrowserRecorder::Launch> launches = m_browser->launches();
    const viewtest::BrowserRecorder::Launch &afterStop =
        launches.at(0).environment.contains(QStringLiteral("JRE_HOME unset")) ? launches.at(0) : launches.at(1);
    QCOMPARE(afterStop.environment,
             (QStringList{"JRE_HOME unset", "JAVA_HOME unset", "CATALINA_HOME unset"}));
}

QTEST_MAIN(TestHomePage)
#include "tst_homepage.moc"
