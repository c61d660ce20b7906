#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "CommandIds.h"
#include "CommandUi.h"
#include "MainFrame.h"
#include "Processes.h"
#include "ProgramRun.h"
#include "ServerPaths.h"
#include "StandInScripts.h"
#include "TestSupport.h"
#include "ToolBar.h"
#include "resource.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <iterator>
#include <memory>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Generous: only a stalled machine takes this long.
constexpr int kScriptTimeoutMs = 60000;

const QByteArray kInheritedJavaHome = "/usr/lib/jvm/inherited-jdk";

// What the program's environment holds for the three variables.
enum class Env { Inherited, Server, Cleared };

QString tomcatHome(const QString &installDir)
{
    return installDir + QLatin1Char('/') + QLatin1String(kTomcatFolderName);
}

// Lets the event loop go idle once, which is when the toolbar is brought up
// to date; the frame's idle handler was connected first, so it has run.
void passIdle()
{
    QEventLoop loop;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                     &QEventLoop::quit);
    loop.exec();
}

QMenu *webMenu(CMainFrame *frame)
{
    for (QAction *action : frame->menuBar()->actions()) {
        if (action->menu() && action->menu()->actions().contains(frame->commandAction(ID_WEB_START)))
            return action->menu();
    }
    return nullptr;
}

bool routedEnabled(CMainFrame *frame, int id)
{
    fw::CommandUi ui(id);
    frame->routeUpdate(ui);
    return ui.isEnabled();
}

// Processes this one launched since BEFORE was taken. With this process as
// child subreaper, what the program launches becomes its child, running or
// ended, until reaped; other children (a bus daemon that a platform plugin
// started, say) were there before.
QList<qint64> launchedSince(const QList<qint64> &before)
{
    QList<qint64> launched = processes::childrenOf(::getpid());
    launched.removeIf([&before](qint64 pid) { return before.contains(pid); });
    return launched;
}

bool isServerScript(qint64 pid)
{
    const QStringList args = processes::commandLineOf(pid);
    return args.size() == 2 && args.at(0) == QLatin1String("/bin/sh")
        && (args.at(1) == QLatin1String("./startup.sh") || args.at(1) == QLatin1String("./shutdown.sh"));
}

// The shells this process launched and that still run.
QList<qint64> runningScripts(const QString &name)
{
    QList<qint64> found;
    for (qint64 pid : processes::childrenOf(::getpid())) {
        if (processes::commandLineOf(pid) == QStringList({QStringLiteral("/bin/sh"), QStringLiteral("./") + name}))
            found << pid;
    }
    return found;
}

} // namespace

Q_DECLARE_METATYPE(Env)

// Starting and stopping the web service from the view against stand-ins for
// the server's scripts: what runs, where, with which environment, without
// waiting; and which of the two commands is enabled when.
class TestWebService : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startRunsStartupScriptWithoutWaiting_data();
    void startRunsStartupScriptWithoutWaiting();
    void stopRunsShutdownScriptThenRemovesVariables();
    void enabling_data();
    void enabling();
    void missingServerPiecesOnlyMoveTheFlag_data();
    void missingServerPiecesOnlyMoveTheFlag();
    void withoutServerPathsNothingRuns();
    void endingWhileStartedLaunchesNothing();

private:
    // An install folder with stand-ins for startup.sh and shutdown.sh in the
    // server's bin folder and a logs folder holding an earlier launch log.
    QString makeInstall(const QString &name);
    void checkEnvironment(Env expected, const QString &installDir);

    testsupport::SandboxedHome m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<StandInScripts> m_scripts;
    std::unique_ptr<ProgramRun> m_program;
};

void TestWebService::initTestCase()
{
    QVERIFY(m_home.isValid());
    // Every process the program launches, even one that ends at once, then
    // stays visible here as a child until it is reaped: "nothing was
    // launched" needs no waiting.
    QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1L, 0L, 0L, 0L), 0);
}

void TestWebService::init()
{
    // A fresh process: no new document has filled the server paths yet.
    g_szJreHome.clear();
    g_szJdkHome.clear();
    g_szTomcatHome.clear();
    qunsetenv("JRE_HOME");
    qunsetenv("CATALINA_HOME");
    qputenv("JAVA_HOME", kInheritedJavaHome);
    m_dir = std::make_unique<QTemporaryDir>();
    m_scripts = std::make_unique<StandInScripts>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_scripts->isValid());
}

void TestWebService::cleanup()
{
    m_program.reset();
    // Every stand-in ends and is reaped, passed or failed.
    m_scripts->release();
    QTRY_VERIFY_WITH_TIMEOUT(m_scripts->allFinished(), kScriptTimeoutMs);
    // Released stand-ins and shells that found no script end by themselves.
    for (qint64 pid : processes::childrenOf(::getpid())) {
        if (isServerScript(pid))
            ::waitpid(pid_t(pid), nullptr, 0);
        else if (!processes::isRunning(pid))
            ::waitpid(pid_t(pid), nullptr, WNOHANG);
    }
    m_scripts.reset();
    m_dir.reset();
    qunsetenv("JRE_HOME");
    qunsetenv("JAVA_HOME");
    qunsetenv("CATALINA_HOME");
}

QString TestWebService::makeInstall(const QString &name)
{
    const QString install = m_dir->filePath(name);
    const QString home = tomcatHome(install);
    if (!m_scripts->install(home + QStringLiteral("/bin/startup.sh"))
        || !m_scripts->install(home + QStringLiteral("/bin/shutdown.sh"))
        || !testsupport::writeFile(home + QStringLiteral("/logs/brewdeck-launch.log"), "earlier launch\n")
        || !QDir().mkpath(install + QLatin1Char('/') + QLatin1String(kJreFolderName))
        || !QDir().mkpath(install + QLatin1Char('/') + QLatin1String(kJdkFolderName)))
        return QString();
    return install;
}

void TestWebService::checkEnvironment(Env expected, const QString &installDir)
{
    switch (expected) {
    case Env::Inherited:
        QVERIFY(!qEnvironmentVariableIsSet("JRE_HOME"));
        QCOMPARE(qgetenv("JAVA_HOME"), kInheritedJavaHome);
        QVERIFY(!qEnvironmentVariableIsSet("CATALINA_HOME"));
        break;
    case Env::Server:
        QCOMPARE(qEnvironmentVariable("JRE_HOME"), installDir + QLatin1Char('/') + QLatin1String(kJreFolderName));
        QCOMPARE(qEnvironmentVariable("JAVA_HOME"), installDir + QLatin1Char('/') + QLatin1String(kJdkFolderName));
        QCOMPARE(qEnvironmentVariable("CATALINA_HOME"), tomcatHome(installDir));
        break;
    case Env::Cleared:
        QVERIFY(!qEnvironmentVariableIsSet("JRE_HOME"));
        QVERIFY(!qEnvironmentVariableIsSet("JAVA_HOME"));
        QVERIFY(!qEnvironmentVariableIsSet("CATALINA_HOME"));
        break;
    }
}

void TestWebService::startRunsStartupScriptWithoutWaiting_data()
{
    QTest::addColumn<QString>("installName");

    QTest::newRow("plain") << QStringLiteral("brewdeck");
    QTest::newRow("blanks and non-ASCII") << QStringLiteral("My Tools/网页 工具");
    // Characters the server's scripts would misread are covered with the real scripts.
    QTest::newRow("shell characters") << QStringLiteral("a;b 'q' &|<>*?");
    const QString part(90, QLatin1Char('d'));
    QTest::newRow("longer than 260 characters") << part + QLatin1Char('/') + part + QLatin1Char('/') + part;
}

void TestWebService::startRunsStartupScriptWithoutWaiting()
{
    QFETCH(QString, installName);
    const QString install = makeInstall(installName);
    QVERIFY(!install.isEmpty());
    const QString home = tomcatHome(install);
    m_program = std::make_unique<ProgramRun>(install);
    QVERIFY(m_program->startNew());

    QVERIFY(m_program->frame()->executeCommand(ID_WEB_START));

    // The stand-in blocks until released, so the command came back while the
    // script was still running.
    QTRY_COMPARE_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("startup.sh")).size(), 1, kScriptTimeoutMs);
    const StandInRun run = m_scripts->runs(QStringLiteral("startup.sh")).constFirst();
    QVERIFY(!run.finished);
    QVERIFY(processes::isRunning(run.pid));
    QCOMPARE(run.commandLine, QStringList({QStringLiteral("/bin/sh"), QStringLiteral("./startup.sh")}));
    QCOMPARE(run.workingDirectory, QFileInfo(home + QStringLiteral("/bin")).canonicalFilePath());
    QCOMPARE(run.standardInput, QStringLiteral("/dev/null"));
    QCOMPARE(QFile::decodeName(run.environment.value("JRE_HOME")),
             install + QLatin1Char('/') + QLatin1String(kJreFolderName));
    QCOMPARE(QFile::decodeName(run.environment.value("JAVA_HOME")),
             install + QLatin1Char('/') + QLatin1String(kJdkFolderName));
    QCOMPARE(QFile::decodeName(run.environment.value("CATALINA_HOME")), home);
    // The program's own environment holds them too; the inherited JAVA_HOME
    // is gone.
    checkEnvironment(Env::Server, install);
    QVERIFY(m_program->view()->m_bServerRunning);
    QCOMPARE(m_scripts->runs(QStringLiteral("shutdown.sh")).size(), 0);

    m_scripts->release();
    QTRY_VERIFY_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("startup.sh")).constFirst().finished, kScriptTimeoutMs);
    QCOMPARE(testsupport::readFile(home + QStringLiteral("/logs/brewdeck-launch.log")),
             QByteArray("earlier launch\nstartup.sh says hello\nstartup.sh complains\n"));
}

void TestWebService::stopRunsShutdownScriptThenRemovesVariables()
{
    const QString install = makeInstall(QStringLiteral("brewdeck"));
    QVERIFY(!install.isEmpty());
    const QString home = tomcatHome(install);
    m_program = std::make_unique<ProgramRun>(install);
    QVERIFY(m_program->startNew());
    QVERIFY(m_program->frame()->executeCommand(ID_WEB_START));
    // Something else changed CATALINA_HOME meanwhile: stop sets it again.
    qputenv("CATALINA_HOME", "/elsewhere");

    QVERIFY(m_program->frame()->executeCommand(ID_WEB_STOP));

    QTRY_COMPARE_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("shutdown.sh")).size(), 1, kScriptTimeoutMs);
    const StandInRun run = m_scripts->runs(QStringLiteral("shutdown.sh")).constFirst();
    QVERIFY(!run.finished);
    QCOMPARE(run.commandLine, QStringList({QStringLiteral("/bin/sh"), QStringLiteral("./shutdown.sh")}));
    QCOMPARE(run.workingDirectory, QFileInfo(home + QStringLiteral("/bin")).canonicalFilePath());
    QCOMPARE(QFile::decodeName(run.environment.value("CATALINA_HOME")), home);
    QCOMPARE(QFile::decodeName(run.environment.value("JRE_HOME")),
             install + QLatin1Char('/') + QLatin1String(kJreFolderName));
    QCOMPARE(QFile::decodeName(run.environment.value("JAVA_HOME")),
             install + QLatin1Char('/') + QLatin1String(kJdkFolderName));
    // All three are gone, and the inherited JAVA_HOME is not brought back.
    checkEnvironment(Env::Cleared, install);
    QVERIFY(!m_program->view()->m_bServerRunning);

    m_scripts->release();
    QTRY_VERIFY_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("shutdown.sh")).constFirst().finished, kScriptTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("startup.sh")).constFirst().finished, kScriptTimeoutMs);
    // Both stand-ins were released at once, so their lines may interleave;
    // each script's own lines keep their order after the earlier log.
    const QList<QByteArray> lines =
        testsupport::readFile(home + QStringLiteral("/logs/brewdeck-launch.log")).split('\n');
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines.constFirst(), QByteArray("earlier launch"));
    QCOMPARE(lines.constLast(), QByteArray());
    for (const QByteArray &script : {QByteArray("startup.sh"), QByteArray("shutdown.sh")}) {
        QList<QByteArray> own;
        std::copy_if(lines.cbegin(), lines.cend(), std::back_inserter(own),
                     [&](const QByteArray &line) { return line.startsWith(script + ' '); });
        QCOMPARE(own, QList<QByteArray>({script + " says hello", script + " complains"}));
    }
}

void TestWebService::enabling_data()
{
    QTest::addColumn<QList<int>>("commands");
    QTest::addColumn<bool>("startEnabled");
    QTest::addColumn<bool>("stopEnabled");
    QTest::addColumn<int>("startups");
    QTest::addColumn<int>("shutdowns");
    QTest::addColumn<Env>("environment");

    const int start = ID_WEB_START;
    const int stop = ID_WEB_STOP;
    const int fileNew = fw::ids::ID_FILE_NEW;
    QTest::newRow("after start-up") << QList<int>{} << true << false << 0 << 0 << Env::Inherited;
    QTest::newRow("after start") << QList<int>{start} << false << true << 1 << 0 << Env::Server;
    QTest::newRow("after stop") << QList<int>{start, stop} << true << false << 1 << 1 << Env::Cleared;
    QTest::newRow("after New while started") << QList<int>{start, fileNew} << false << true << 1 << 0 << Env::Server;
    QTest::newRow("second start is dropped") << QList<int>{start, start} << false << true << 1 << 0 << Env::Server;
    QTest::newRow("stop before any start is dropped") << QList<int>{stop} << true << false << 0 << 0 << Env::Inherited;
    QTest::newRow("start again after stop") << QList<int>{start, stop, start} << false << true << 2 << 1 << Env::Server;
}

void TestWebService::enabling()
{
    QFETCH(QList<int>, commands);
    QFETCH(bool, startEnabled);
    QFETCH(bool, stopEnabled);
    QFETCH(int, startups);
    QFETCH(int, shutdowns);
    QFETCH(Env, environment);
    const QString install = makeInstall(QStringLiteral("brewdeck"));
    QVERIFY(!install.isEmpty());
    m_program = std::make_unique<ProgramRun>(install);
    QVERIFY(m_program->startNew());
    CMainFrame *frame = m_program->frame();

    for (int id : commands)
        frame->executeCommand(id);

    QCOMPARE(routedEnabled(frame, ID_WEB_START), startEnabled);
    QCOMPARE(routedEnabled(frame, ID_WEB_STOP), stopEnabled);

    // Each state is first set the wrong way round, so only the update
    // handlers can put it right.
    QAction *startAction = frame->commandAction(ID_WEB_START);
    QAction *stopAction = frame->commandAction(ID_WEB_STOP);
    QMenu *menu = webMenu(frame);
    QVERIFY(menu);
    startAction->setEnabled(!startEnabled);
    stopAction->setEnabled(!stopEnabled);
    menu->popup(QPoint(0, 0));
    QCOMPARE(startAction->isEnabled(), startEnabled);
    QCOMPARE(stopAction->isEnabled(), stopEnabled);
    menu->hide();

    QVERIFY(frame->m_wndToolBar);
    QWidget *startButton = frame->m_wndToolBar->widgetForAction(startAction);
    QWidget *stopButton = frame->m_wndToolBar->widgetForAction(stopAction);
    QVERIFY(startButton && stopButton);
    startAction->setEnabled(!startEnabled);
    stopAction->setEnabled(!stopEnabled);
    passIdle();
    QCOMPARE(startButton->isEnabled(), startEnabled);
    QCOMPARE(stopButton->isEnabled(), stopEnabled);

    // The stand-ins block, so every script that ran still runs now; the
    // launches happen before the command returns.
    QCOMPARE(runningScripts(QStringLiteral("startup.sh")).size(), startups);
    QCOMPARE(runningScripts(QStringLiteral("shutdown.sh")).size(), shutdowns);
    checkEnvironment(environment, install);
}

void TestWebService::missingServerPiecesOnlyMoveTheFlag_data()
{
    QTest::addColumn<QString>("removed");
    QTest::addColumn<int>("launched");

    // Without the script the shell still runs, and fails.
    QTest::newRow("no startup.sh") << QStringLiteral("apache-tomcat-7.0.22/bin/startup.sh") << 1;
    QTest::newRow("no bin folder") << QStringLiteral("apache-tomcat-7.0.22/bin") << 0;
    QTest::newRow("no server folder") << QStringLiteral("apache-tomcat-7.0.22") << 0;
}

void TestWebService::missingServerPiecesOnlyMoveTheFlag()
{
    QFETCH(QString, removed);
    QFETCH(int, launched);
    const QString install = makeInstall(QStringLiteral("brewdeck"));
    QVERIFY(!install.isEmpty());
    const QString path = install + QLatin1Char('/') + removed;
    QVERIFY(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
    m_program = std::make_unique<ProgramRun>(install);
    QVERIFY(m_program->startNew());
    CMainFrame *frame = m_program->frame();

    const QList<qint64> before = processes::childrenOf(::getpid());
    QVERIFY(frame->executeCommand(ID_WEB_START));
    QCOMPARE(launchedSince(before).size(), launched);
    // Silently: no message of any kind.
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!(qobject_cast<QMessageBox *>(w) && w->isVisible()));
    checkEnvironment(Env::Server, install);
    QVERIFY(!routedEnabled(frame, ID_WEB_START));
    QVERIFY(routedEnabled(frame, ID_WEB_STOP));

    QVERIFY(frame->executeCommand(ID_WEB_STOP));
    checkEnvironment(Env::Cleared, install);
    QVERIFY(routedEnabled(frame, ID_WEB_START));
    QVERIFY(!routedEnabled(frame, ID_WEB_STOP));
}

void TestWebService::withoutServerPathsNothingRuns()
{
    const QString install = makeInstall(QStringLiteral("brewdeck"));
    QVERIFY(!install.isEmpty());
    const QString file = m_dir->filePath(QStringLiteral("saved.bdk"));
    QVERIFY(testsupport::writeFile(file, QByteArray()));
    // Should anything fall back on the current folder, it would find a
    // stand-in there.
    const QString savedCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(tomcatHome(install) + QStringLiteral("/bin")));
    m_program = std::make_unique<ProgramRun>(install);
    const bool started = m_program->startWithFile(file);
    QDir::setCurrent(savedCurrent);
    QVERIFY(started);
    QVERIFY(!m_program->document()->m_pWebApp);
    QVERIFY(g_szTomcatHome.isEmpty());
    CMainFrame *frame = m_program->frame();

    // Nothing is launched from anywhere and the environment stays as it was
    // inherited; the commands still alternate.
    const QList<qint64> before = processes::childrenOf(::getpid());
    QVERIFY(QDir::setCurrent(tomcatHome(install) + QStringLiteral("/bin")));
    const bool startRan = frame->executeCommand(ID_WEB_START);
    const QList<qint64> afterStart = launchedSince(before);
    QDir::setCurrent(savedCurrent);
    QVERIFY(startRan);
    QCOMPARE(afterStart, QList<qint64>());
    checkEnvironment(Env::Inherited, install);
    QVERIFY(!routedEnabled(frame, ID_WEB_START));
    QVERIFY(routedEnabled(frame, ID_WEB_STOP));

    QVERIFY(frame->executeCommand(ID_WEB_STOP));
    QCOMPARE(launchedSince(before), QList<qint64>());
    checkEnvironment(Env::Inherited, install);
    QVERIFY(routedEnabled(frame, ID_WEB_START));

    // A New fills the server paths, and start runs the server's script.
    QVERIFY(frame->executeCommand(fw::ids::ID_FILE_NEW));
    QVERIFY(frame->executeCommand(ID_WEB_START));
    QTRY_COMPARE_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("startup.sh")).size(), 1, kScriptTimeoutMs);
    QCOMPARE(m_scripts->runs(QStringLiteral("startup.sh")).constFirst().workingDirectory,
             QFileInfo(tomcatHome(install) + QStringLiteral("/bin")).canonicalFilePath());
    checkEnvironment(Env::Server, install);
}

void TestWebService::endingWhileStartedLaunchesNothing()
{
    const QString install = makeInstall(QStringLiteral("brewdeck"));
    QVERIFY(!install.isEmpty());
    m_program = std::make_unique<ProgramRun>(install);
    QVERIFY(m_program->startNew());
    QVERIFY(m_program->frame()->executeCommand(ID_WEB_START));
    const QList<qint64> server = runningScripts(QStringLiteral("startup.sh"));
    QCOMPARE(server.size(), 1);

    const QList<qint64> before = processes::childrenOf(::getpid());
    m_program->end();
    QVERIFY(!m_program->frame());

    // Nothing was launched, the "server" still runs, and nothing touched the
    // environment on the way out.
    QCOMPARE(launchedSince(before), QList<qint64>());
    QVERIFY(processes::isRunning(server.constFirst()));
    checkEnvironment(Env::Server, install);

    // The next run starts stopped, whatever the server is doing.
    m_program.reset();
    m_program = std::make_unique<ProgramRun>(install);
    QVERIFY(m_program->startNew());
    QVERIFY(routedEnabled(m_program->frame(), ID_WEB_START));
    QVERIFY(!routedEnabled(m_program->frame(), ID_WEB_STOP));
    QVERIFY(processes::isRunning(server.constFirst()));
}

QTEST_MAIN(TestWebService)
#include "tst_webservice.moc"
