#include "BrewdeckView.h"
#include "DetachedLaunch.h"
#include "MainFrame.h"
#include "ProgramRun.h"
#include "ServerPaths.h"
#include "TestSupport.h"
#include "resource.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int kScriptTimeoutMs = 60000;

// Stands in for the JVM that catalina.sh starts: records its arguments, one
// NUL-terminated string each, and ends.
constexpr char kJava[] = R"(#!/bin/sh
records='@RECORDS@'
printf '%s\0' "$@" >"$records/java.$$.part"
mv "$records/java.$$.part" "$records/java.$$"
)";

// The arguments of every run of the stand-in java so far.
QList<QList<QByteArray>> javaRuns(const QString &records)
{
    QList<QList<QByteArray>> runs;
    const QStringList names = QDir(records).entryList({QStringLiteral("java.*")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (name.endsWith(QLatin1String(".part")))
            continue;
        QList<QByteArray> args = testsupport::readFile(records + QLatin1Char('/') + name).split('\0');
        args.removeLast();
        runs << args;
    }
    return runs;
}

QByteArray argumentValue(const QList<QByteArray> &args, const QByteArray &prefix)
{
    for (const QByteArray &arg : args) {
        if (arg.startsWith(prefix))
            return arg.mid(prefix.size());
    }
    return QByteArray("(missing)");
}

// Files the injected commands would have made, anywhere under FOLDER.
QStringList injectedFiles(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileName() == QLatin1String("X") || it.fileName() == QLatin1String("Y"))
            found << it.filePath();
    }
    return found;
}

} // namespace

// Install folders whose names Tomcat's own scripts would misread, started and
// stopped through the real startup.sh, shutdown.sh, catalina.sh,
// setclasspath.sh and setenv.sh of the provisioned home, with a stand-in for
// the JVM: nothing in the name ever runs, and the JVM gets a folder that leads
// to the install folder.
class TestScriptSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void folderNameNeverRuns_data();
    void folderNameNeverRuns();
    void withoutSafeLinkUserIsTold();

private:
    // An install folder named NAME: the provisioned scripts in the server's
    // bin, a logs folder, and the stand-in java in both Java folders.
    QString makeInstall(const QString &name);
    QString answerMessageDuring(int commandId);

    testsupport::SandboxedHome m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_records;
    std::unique_ptr<ProgramRun> m_program;
    QString m_savedCurrent;
};

void TestScriptSafety::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY2(QFileInfo(QStringLiteral(BREWDECK_RUNTIME_DIR "/apache-tomcat-7.0.22/bin/catalina.sh")).isFile(),
             "no provisioned server beside the program: build the runtime target");
    for (const char *name : {"JRE_HOME", "JAVA_HOME", "CATALINA_HOME", "CATALINA_BASE", "CATALINA_OPTS",
                             "CATALINA_OUT", "CATALINA_PID", "CATALINA_TMPDIR", "JAVA_OPTS", "JDK_JAVA_OPTIONS"})
        qunsetenv(name);
    m_savedCurrent = QDir::currentPath();
}

void TestScriptSafety::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_records = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_records->isValid());
    // A relative "touch X" would land here.
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestScriptSafety::cleanup()
{
    m_program.reset();
    QDir::setCurrent(m_savedCurrent);
    QDir(m_home.root() + QStringLiteral("/runtime/brewdeck")).removeRecursively();
    QFile::remove(m_home.root() + QStringLiteral("/runtime/brewdeck"));
    m_records.reset();
    m_dir.reset();
}

QString TestScriptSafety::makeInstall(const QString &name)
{
    const QString install = m_dir->filePath(name);
    const QString bin = install + QStringLiteral("/apache-tomcat-7.0.22/bin/");
    if (!QDir().mkpath(bin) || !QDir().mkpath(install + QStringLiteral("/apache-tomcat-7.0.22/logs")))
        return QString();
    for (const char *script : {"startup.sh", "shutdown.sh", "catalina.sh", "setclasspath.sh", "setenv.sh"}) {
        const QString from = QStringLiteral(BREWDECK_RUNTIME_DIR "/apache-tomcat-7.0.22/bin/") + QLatin1String(script);
        if (!QFile::copy(from, bin + QLatin1String(script)))
            return QString();
    }
    QByteArray java(kJava);
    java.replace("@RECORDS@", QFile::encodeName(m_records->path()));
    for (const char *folder : {"jre7", "jdk1.7.0_01"}) {
        for (const char *tool : {"java", "javac"}) {
            const QString path = install + QLatin1Char('/') + QLatin1String(folder) + QStringLiteral("/bin/")
                + QLatin1String(tool);
            if (!testsupport::writeFile(path, java)
                || !QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
                return QString();
        }
    }
    return install;
}

void TestScriptSafety::folderNameNeverRuns_data()
{
    QTest::addColumn<QString>("installName");
    QTest::addColumn<bool>("misread");

    QTest::newRow("command substitution") << QStringLiteral("brew$(touch X)dir") << true;
    QTest::newRow("backquotes") << QStringLiteral("brew`touch X`dir") << true;
    QTest::newRow("double quote") << QStringLiteral("brew\"dir") << true;
    QTest::newRow("colon") << QStringLiteral("brew:dir") << true;
    QTest::newRow("backslash") << QStringLiteral("brew\\dir") << true;
    QTest::newRow("variable") << QStringLiteral("brew$HOME") << true;
    QTest::newRow("all of them") << QStringLiteral("a\"b:c$(touch X)`touch Y`\\d") << true;
    // Read as they are: the variables keep the folder's own paths.
    QTest::newRow("blanks, quote, semicolon, Chinese") << QStringLiteral("it's my; 服务器 & folder") << false;
    QTest::newRow("newline") << QStringLiteral("two\nlines") << false;
}

void TestScriptSafety::folderNameNeverRuns()
{
    QFETCH(QString, installName);
    QFETCH(bool, misread);
    QCOMPARE(platform::isMisreadByServerScripts(installName), misread);
    const QString install = makeInstall(installName);
    QVERIFY(!install.isEmpty());
    const QString home = install + QStringLiteral("/apache-tomcat-7.0.22");
    m_program = std::make_unique<ProgramRun>(install);
    QVERIFY(m_program->startNew());
    CMainFrame *frame = m_program->frame();

    QVERIFY(frame->executeCommand(ID_WEB_START));
    QVERIFY(m_program->view()->m_bServerRunning);
    const QString catalinaHome = qEnvironmentVariable("CATALINA_HOME");
    const QString jreHome = qEnvironmentVariable("JRE_HOME");
    const QString javaHome = qEnvironmentVariable("JAVA_HOME");
    if (misread) {
        // A link with a plain name, in the user's private runtime folder,
        // that leads to the install folder.
        const QString link = catalinaHome.chopped(int(qstrlen("/apache-tomcat-7.0.22")));
        QVERIFY2(link.startsWith(m_home.root() + QStringLiteral("/runtime/brewdeck/")), qPrintable(link));
        QVERIFY(!platform::isMisreadByServerScripts(catalinaHome));
        QCOMPARE(QFileInfo(link).symLinkTarget(), install);
        QCOMPARE(catalinaHome, link + QStringLiteral("/apache-tomcat-7.0.22"));
        QCOMPARE(jreHome, link + QStringLiteral("/jre7"));
        QCOMPARE(javaHome, link + QStringLiteral("/jdk1.7.0_01"));
    } else {
        QCOMPARE(catalinaHome, home);
        QCOMPARE(jreHome, install + QStringLiteral("/jre7"));
        QCOMPARE(javaHome, install + QStringLiteral("/jdk1.7.0_01"));
    }
    QTRY_COMPARE_WITH_TIMEOUT(javaRuns(m_records->path()).size(), 1, kScriptTimeoutMs);

    QVERIFY(frame->executeCommand(ID_WEB_STOP));
    QVERIFY(!m_program->view()->m_bServerRunning);
    QVERIFY(!qEnvironmentVariableIsSet("CATALINA_HOME"));
    QTRY_COMPARE_WITH_TIMEOUT(javaRuns(m_records->path()).size(), 2, kScriptTimeoutMs);

    // The JVM got every folder whole: started, then stopped, with the home
    // and the lib folder that the server reads its classes from.
    const QList<QList<QByteArray>> runs = javaRuns(m_records->path());
    QList<QByteArray> commands;
    for (const QList<QByteArray> &args : runs) {
        QVERIFY(!args.isEmpty());
        commands << args.constLast();
        QCOMPARE(argumentValue(args, "-Dcatalina.home="), QFile::encodeName(catalinaHome));
        QCOMPARE(argumentValue(args, "-Dcatalina.base="), QFile::encodeName(catalinaHome));
        QCOMPARE(argumentValue(args, "-Dbrewdeck.server.lib="), QFile::encodeName(catalinaHome + QStringLiteral("/lib")));
    }
    std::sort(commands.begin(), commands.end());
    QCOMPARE(commands, (QList<QByteArray>{"start", "stop"}));
    QCOMPARE(injectedFiles(m_dir->path()), QStringList());
    QCOMPARE(injectedFiles(m_home.root()), QStringList());
    // Nothing the scripts print says they gave up.
    const QByteArray log = testsupport::readFile(home + QStringLiteral("/logs/brewdeck-launch.log"));
    QVERIFY2(!log.contains("Unable to start") && !log.contains("not found") && !log.contains("not defined"),
             log.constData());
}

// Answers the message box that the command shows with OK; its text.
QString TestScriptSafety::answerMessageDuring(int commandId)
{
    QString text = QStringLiteral("(no message)");
    testsupport::DialogDriver dialogs;
    dialogs.expect([&text](QDialog *dialog) {
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            text = box->text();
        dialog->accept();
    });
    m_program->frame()->executeCommand(commandId);
    return text;
}

// When no safe link can be made, nothing runs at all, and the user reads why
// in a message; the commands still alternate.
void TestScriptSafety::withoutSafeLinkUserIsTold()
{
    const QString install = makeInstall(QStringLiteral("brew$(touch X)dir"));
    QVERIFY(!install.isEmpty());
    // Something that is not a folder where the links would go.
    QVERIFY(testsupport::writeFile(m_home.root() + QStringLiteral("/runtime/brewdeck"), "not a folder"));
    m_program = std::make_unique<ProgramRun>(install);
    QVERIFY(m_program->startNew());

    const QString started = answerMessageDuring(ID_WEB_START);
    QVERIFY2(started.contains(QStringLiteral("无法启动 WEB服务")) && started.contains(install), qPrintable(started));
    QVERIFY(m_program->view()->m_bServerRunning);
    QCOMPARE(qEnvironmentVariable("CATALINA_HOME"), install + QStringLiteral("/apache-tomcat-7.0.22"));

    const QString stopped = answerMessageDuring(ID_WEB_STOP);
    QVERIFY2(stopped.contains(QStringLiteral("无法停止 WEB服务")), qPrintable(stopped));
    QVERIFY(!m_program->view()->m_bServerRunning);
    QVERIFY(!qEnvironmentVariableIsSet("CATALINA_HOME"));

    // Given time, a launched script would have run the stand-in java.
    QTest::qWait(2000);
    QCOMPARE(javaRuns(m_records->path()).size(), 0);
    QVERIFY(!QFileInfo::exists(install + QStringLiteral("/apache-tomcat-7.0.22/logs/brewdeck-launch.log")));
    QCOMPARE(injectedFiles(m_dir->path()), QStringList());
}

QTEST_MAIN(TestScriptSafety)
#include "tst_scriptsafety.moc"
