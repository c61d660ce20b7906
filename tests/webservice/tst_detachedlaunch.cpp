#include "DetachedLaunch.h"
#include "Environment.h"
#include "Processes.h"
#include "StandInScripts.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <unistd.h>

namespace {

// Generous: only a stalled machine takes this long.
constexpr int kScriptTimeoutMs = 60000;

} // namespace

// Running a script detached in a folder: the argument vector, the working
// directory, the inherited environment, the appended log, and that the
// caller neither waits for it nor ever becomes its parent.
class TestDetachedLaunch : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void runsScriptInFolderWithoutWaiting_data();
    void runsScriptInFolderWithoutWaiting();
    void childGetsEnvironmentAsItIsAtTheCall();
    void missingLogFolderDiscardsOutput();
    void refusesWhatItCannotRunThere_data();
    void refusesWhatItCannotRunThere();

private:
    testsupport::SandboxedHome m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<StandInScripts> m_scripts;
};

void TestDetachedLaunch::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_scripts = std::make_unique<StandInScripts>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_scripts->isValid());
}

void TestDetachedLaunch::cleanup()
{
    // Never leave a stand-in behind, passed or failed.
    m_scripts->release();
    QTRY_VERIFY_WITH_TIMEOUT(m_scripts->allFinished(), kScriptTimeoutMs);
    m_scripts.reset();
    m_dir.reset();
}

void TestDetachedLaunch::runsScriptInFolderWithoutWaiting_data()
{
    QTest::addColumn<QString>("folder");

    QTest::newRow("plain") << QStringLiteral("server/bin");
    QTest::newRow("blanks and non-ASCII") << QStringLiteral("my server 服务器/bin");
    QTest::newRow("shell characters") << QStringLiteral("a;b $(touch x) `id` 'q' \"dq\" *|&<>/bin");
    const QString part(80, QLatin1Char('p'));
    QTest::newRow("longer than 260 characters") << part + QLatin1Char('/') + part + QLatin1Char('/') + part
            + QLatin1Char('/') + part + QStringLiteral("/bin");
}

void TestDetachedLaunch::runsScriptInFolderWithoutWaiting()
{
    QFETCH(QString, folder);
    const QString bin = m_dir->filePath(folder);
    QVERIFY(m_scripts->install(bin + QStringLiteral("/startup.sh")));
    const QString log = m_dir->filePath(QStringLiteral("logs/launch.log"));
    QVERIFY(testsupport::writeFile(log, "earlier line\n"));

    const std::optional<qint64> pid = platform::runScriptDetached(bin, QStringLiteral("startup.sh"), log);
    QVERIFY(pid);

    // The script blocks until released, so it is still running now that the
    // call has returned: nothing waited for it.
    QTRY_COMPARE_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("startup.sh")).size(), 1, kScriptTimeoutMs);
    const StandInRun run = m_scripts->runs(QStringLiteral("startup.sh")).constFirst();
    QVERIFY(!run.finished);
    QVERIFY(processes::isRunning(*pid));
    QCOMPARE(run.pid, *pid);
    QCOMPARE(run.commandLine, QStringList({QStringLiteral("/bin/sh"), QStringLiteral("./startup.sh")}));
    QCOMPARE(run.workingDirectory, QFileInfo(bin).canonicalFilePath());
    QCOMPARE(run.standardInput, QStringLiteral("/dev/null"));

    // Detached: not our child, not in our session, and no child of ours is
    // left over from the launch.
    QVERIFY(processes::parentOf(*pid) != ::getpid());
    QVERIFY(processes::sessionOf(*pid) != processes::sessionOf(::getpid()));
    QCOMPARE(processes::childrenOf(::getpid()), QList<qint64>());

    m_scripts->release();
    QTRY_VERIFY_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("startup.sh")).constFirst().finished, kScriptTimeoutMs);
    QCOMPARE(testsupport::readFile(log), QByteArray("earlier line\nstartup.sh says hello\nstartup.sh complains\n"));
    // Having ended, it is nobody's zombie here either.
    QCOMPARE(processes::childrenOf(::getpid()), QList<qint64>());
}

void TestDetachedLaunch::childGetsEnvironmentAsItIsAtTheCall()
{
    const QString bin = m_dir->filePath(QStringLiteral("bin"));
    QVERIFY(m_scripts->install(bin + QStringLiteral("/shutdown.sh")));
    qputenv("BREWDECK_REPLACED", "inherited");
    qputenv("BREWDECK_REMOVED", "inherited");
    QVERIFY(platform::setEnvironmentVariable("BREWDECK_ADDED", QStringLiteral("/opt/服务器 home")));
    QVERIFY(platform::setEnvironmentVariable("BREWDECK_REPLACED", QStringLiteral("ours")));
    QVERIFY(platform::removeEnvironmentVariable("BREWDECK_REMOVED"));

    QVERIFY(platform::runScriptDetached(bin, QStringLiteral("shutdown.sh"), QString()));
    // Changed right after the call, as stop does: the script keeps its copy.
    QVERIFY(platform::removeEnvironmentVariable("BREWDECK_ADDED"));
    QVERIFY(platform::setEnvironmentVariable("BREWDECK_REPLACED", QStringLiteral("later")));

    QTRY_COMPARE_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("shutdown.sh")).size(), 1, kScriptTimeoutMs);
    const auto env = m_scripts->runs(QStringLiteral("shutdown.sh")).constFirst().environment;
    QCOMPARE(env.value("BREWDECK_ADDED"), QStringLiteral("/opt/服务器 home").toUtf8());
    QCOMPARE(env.value("BREWDECK_REPLACED"), QByteArray("ours"));
    QVERIFY(!env.contains("BREWDECK_REMOVED"));

    QVERIFY(!qEnvironmentVariableIsSet("BREWDECK_ADDED"));
    QCOMPARE(qgetenv("BREWDECK_REPLACED"), QByteArray("later"));
    qunsetenv("BREWDECK_REPLACED");
}

void TestDetachedLaunch::missingLogFolderDiscardsOutput()
{
    const QString bin = m_dir->filePath(QStringLiteral("bin"));
    QVERIFY(m_scripts->install(bin + QStringLiteral("/startup.sh")));
    const QString logs = m_dir->filePath(QStringLiteral("logs"));

    QVERIFY(platform::runScriptDetached(bin, QStringLiteral("startup.sh"), logs + QStringLiteral("/launch.log")));
    QTRY_COMPARE_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("startup.sh")).size(), 1, kScriptTimeoutMs);
    m_scripts->release();
    QTRY_VERIFY_WITH_TIMEOUT(m_scripts->runs(QStringLiteral("startup.sh")).constFirst().finished, kScriptTimeoutMs);
    QVERIFY(!QFileInfo::exists(logs));
}

void TestDetachedLaunch::refusesWhatItCannotRunThere_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("script");

    // The folder "bin" below holds stand-ins for startup.sh and sub/startup.sh.
    QTest::newRow("missing folder") << QStringLiteral("missing") << QStringLiteral("startup.sh");
    QTest::newRow("file in place of the folder") << QStringLiteral("bin/startup.sh") << QStringLiteral("startup.sh");
    QTest::newRow("script name with a folder") << QStringLiteral("bin") << QStringLiteral("sub/startup.sh");
    QTest::newRow("no folder at all") << QString() << QStringLiteral("startup.sh");
    QTest::newRow("no script") << QStringLiteral("bin") << QString();
}

void TestDetachedLaunch::refusesWhatItCannotRunThere()
{
    QFETCH(QString, folder);
    QFETCH(QString, script);
    QVERIFY(m_scripts->install(m_dir->filePath(QStringLiteral("bin/startup.sh"))));
    QVERIFY(m_scripts->install(m_dir->filePath(QStringLiteral("bin/sub/startup.sh"))));
    const QString log = m_dir->filePath(QStringLiteral("launch.log"));

    const QString path = folder.isEmpty() ? QString() : m_dir->filePath(folder);
    QVERIFY(!platform::runScriptDetached(path, script, log));
    QVERIFY(!QFileInfo::exists(log));
}

QTEST_GUILESS_MAIN(TestDetachedLaunch)
#include "tst_detachedlaunch.moc"
