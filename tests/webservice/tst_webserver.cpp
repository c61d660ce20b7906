#include "BrewdeckView.h"
#include "MainFrame.h"
#include "Processes.h"
#include "ProgramRun.h"
#include "ServerPaths.h"
#include "TestSupport.h"
#include "resource.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

// Generous bounds: a cold JVM on a busy machine compiling its first JSP.
constexpr int kServeTimeoutMs = 240000;
constexpr int kPortTimeoutMs = 120000;

const QString kHomePage = QStringLiteral("http://127.0.0.1:8080/brewdeck/index.jsp");

// The HTTP status of a page; 0 when nothing answers.
int httpStatus(const QString &url)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("--silent"), QStringLiteral("--globoff"),
                                        QStringLiteral("--max-time"), QStringLiteral("10"),
                                        QStringLiteral("--output"), QStringLiteral("/dev/null"),
                                        QStringLiteral("--write-out"), QStringLiteral("%{http_code}"), url});
    if (!curl.waitForFinished(30000))
        return 0;
    return curl.readAllStandardOutput().trimmed().toInt();
}

// The local addresses that listen on a TCP port.
QStringList listeners(int port)
{
    QProcess ss;
    ss.start(QStringLiteral("ss"), {QStringLiteral("-ltnH"), QStringLiteral("( sport = :%1 )").arg(port)});
    if (!ss.waitForFinished(30000))
        return {QStringLiteral("(ss did not answer)")};
    QStringList addresses;
    const QList<QByteArray> lines = ss.readAllStandardOutput().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> columns = line.simplified().split(' ');
        if (columns.size() >= 4)
            addresses << QString::fromLatin1(columns.at(3));
    }
    return addresses;
}

bool onLoopbackOnly(const QStringList &addresses, int port)
{
    // Java's dual-stack socket shows the IPv4 loopback address in its
    // IPv6-mapped form.
    const QStringList loopback = {QStringLiteral("127.0.0.1:%1").arg(port),
                                  QStringLiteral("[::ffff:127.0.0.1]:%1").arg(port)};
    return !addresses.isEmpty() && std::all_of(addresses.cbegin(), addresses.cend(), [&](const QString &a) {
        return loopback.contains(a);
    });
}

} // namespace

// The real server provisioned beside the program, started and stopped from
// the view's commands. Holds the server ports: run under the port lock.
class TestWebServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void startServesHomePageAndStopClosesPorts();

private:
    QList<qint64> serverProcesses() const;

    testsupport::SandboxedHome m_home;
    QString m_installDir = QStringLiteral(BREWDECK_RUNTIME_DIR);
    QString m_tomcatHome = m_installDir + QLatin1Char('/') + QLatin1String(kTomcatFolderName);
    std::unique_ptr<ProgramRun> m_program;
};

QList<qint64> TestWebServer::serverProcesses() const
{
    return processes::withArgument(QStringLiteral("-Dcatalina.base=") + m_tomcatHome);
}

void TestWebServer::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY2(QFileInfo(m_tomcatHome + QStringLiteral("/bin/startup.sh")).isFile(),
             "no provisioned server beside the program: build the runtime target");
    QVERIFY2(serverProcesses().isEmpty(), "this server home already runs a server");
    for (int port : {8080, 8005})
        QVERIFY2(listeners(port).isEmpty(), qPrintable(QStringLiteral("port %1 is taken").arg(port)));
    // Only the three variables the program sets reach the server from here.
    for (const char *name : {"JRE_HOME", "JAVA_HOME", "CATALINA_HOME", "CATALINA_BASE", "CATALINA_OPTS",
                             "CATALINA_OUT", "CATALINA_PID", "CATALINA_TMPDIR", "JAVA_OPTS", "JDK_JAVA_OPTIONS"})
        qunsetenv(name);
}

void TestWebServer::cleanup()
{
    m_program.reset();
    // A server this test started never outlives it, passed or failed.
    const QList<qint64> left = serverProcesses();
    for (qint64 pid : left)
        ::kill(pid_t(pid), SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(serverProcesses().isEmpty(), 30000);
    for (qint64 pid : serverProcesses())
        ::kill(pid_t(pid), SIGKILL);
}

void TestWebServer::startServesHomePageAndStopClosesPorts()
{
    m_program = std::make_unique<ProgramRun>(m_installDir);
    QVERIFY(m_program->startNew());
    CMainFrame *frame = m_program->frame();

    QVERIFY(frame->executeCommand(ID_WEB_START));
    QTRY_COMPARE_WITH_TIMEOUT(httpStatus(kHomePage), 200, kServeTimeoutMs);

    const QList<qint64> server = serverProcesses();
    QCOMPARE(server.size(), 1);
    const auto env = processes::environmentOf(server.constFirst());
    QCOMPARE(QFile::decodeName(env.value("JRE_HOME")), m_installDir + QLatin1Char('/') + QLatin1String(kJreFolderName));
    QCOMPARE(QFile::decodeName(env.value("JAVA_HOME")), m_installDir + QLatin1Char('/') + QLatin1String(kJdkFolderName));
    QCOMPARE(QFile::decodeName(env.value("CATALINA_HOME")), m_tomcatHome);

    // The shutdown port opens once start-up is complete, just after HTTP.
    QTRY_VERIFY_WITH_TIMEOUT(!listeners(8005).isEmpty(), kPortTimeoutMs);
    for (int port : {8080, 8005}) {
        const QStringList addresses = listeners(port);
        QVERIFY2(onLoopbackOnly(addresses, port), qPrintable(addresses.join(QLatin1Char(' '))));
    }

    QVERIFY(frame->executeCommand(ID_WEB_STOP));
    QTRY_VERIFY_WITH_TIMEOUT(listeners(8080).isEmpty() && listeners(8005).isEmpty(), kPortTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!processes::isRunning(server.constFirst()), kPortTimeoutMs);
    QCOMPARE(httpStatus(kHomePage), 0);
    QVERIFY(!qEnvironmentVariableIsSet("CATALINA_HOME"));

    // The scripts' own words went to the launch log.
    QVERIFY(testsupport::readFile(m_tomcatHome + QStringLiteral("/logs/brewdeck-launch.log"))
                .contains("Tomcat started."));
}

QTEST_MAIN(TestWebServer)
#include "tst_webserver.moc"
