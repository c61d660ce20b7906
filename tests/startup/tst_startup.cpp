#include "BlockingRefreshTools.h"
#include "ProgramUnderX.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using testsupport::ProgramUnderX;
using testsupport::xdotool;

// The real executable under the X server: what a user sees at start-up, with
// ordinary and awkward install folders, and the recent-file list across runs.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void captionAfterStart_data();
    void captionAfterStart();
    void recentFileListSurvivesRestart();
    void windowDoesNotWaitForTheDesktopDatabases();

private:
    QString windowName(const QString &window);

    testsupport::SandboxedHome m_home;
};

void TestStartup::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "these checks need an X server (run under xvfb-run)");
    QVERIFY(m_home.isValid());
}

QString TestStartup::windowName(const QString &window)
{
    QString name;
    xdotool({QStringLiteral("getwindowname"), window}, &name);
    return name;
}

void TestStartup::captionAfterStart_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<bool>("withDocument");

    QTest::newRow("build folder") << QString() << false;
    QTest::newRow("spaces quotes chinese") << QStringLiteral("my \"tools\" it's 工具 dir") << false;
    // A folder of exactly 300 characters, counted from the root.
    QTest::newRow("300 characters") << QStringLiteral("@300") << false;
    QTest::newRow("document argument") << QString() << true;
}

void TestStartup::captionAfterStart()
{
    QFETCH(QString, folderName);
    QFETCH(bool, withDocument);

    // A copy of the executable in a folder of its own has no server runtime
    // beside it: start-up must not mind.
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    QString executable = QStringLiteral(BREWDECK_EXECUTABLE);
    if (!folderName.isEmpty()) {
        QString folder = scratch.filePath(folderName);
        if (folderName == QLatin1String("@300")) {
            folder = scratch.path() + QLatin1Char('/');
            while (folder.size() < 300)
                folder += QStringLiteral("长路径/");
            folder.truncate(300);
            QCOMPARE(folder.size(), 300);
        }
        QVERIFY(QDir().mkpath(folder));
        executable = folder + QStringLiteral("/brewdeck");
        QVERIFY(QFile::copy(QStringLiteral(BREWDECK_EXECUTABLE), executable));
    }

    QStringList arguments;
    QString expected = QStringLiteral("Brewdeck - Brewdeck");
    if (withDocument) {
        const QString file = scratch.filePath(QStringLiteral("lesson.bdk"));
        QVERIFY(testsupport::writeFile(file, "ignored"));
        arguments << file;
        expected = QStringLiteral("lesson.bdk - Brewdeck");
    }

    ProgramUnderX program(executable);
    QVERIFY(program.start(arguments));
    const QString window = program.waitForWindow(QStringLiteral("Brewdeck"));
    QVERIFY2(!window.isEmpty(), "no main window appeared");
    QCOMPARE(windowName(window), expected);
}

void TestStartup::recentFileListSurvivesRestart()
{
    QTemporaryDir scratch;
    const QString saved = scratch.filePath(QStringLiteral("first lesson.bdk"));
    const QString settingsFile = m_home.configHome()
        + QStringLiteral("/应用程序向导生成的本地应用程序/Brewdeck.conf");
    QFile::remove(settingsFile);

    // Save through Ctrl+S and the Save As dialog, then leave through the menu.
    ProgramUnderX first(QStringLiteral(BREWDECK_EXECUTABLE));
    QVERIFY(first.start({}));
    QString window = first.waitForWindow(QStringLiteral("Brewdeck"));
    QVERIFY(!window.isEmpty());
    QVERIFY(xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+s")}));
    QTest::qWait(1000);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")}));
    QVERIFY(xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), saved}));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Return")}));
    for (int i = 0; i < 100 && !QFileInfo::exists(saved); ++i)
        QTest::qWait(100);
    QVERIFY2(QFileInfo::exists(saved), "the Save As dialog did not save");
    QCOMPARE(QFileInfo(saved).size(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(windowName(window), QStringLiteral("first lesson.bdk - Brewdeck"), 10000);

    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("alt+f")}));
    QTest::qWait(300);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("x")}));
    QVERIFY2(first.waitForExit(20000), "the program did not leave through 文件 > 退出");
    QCOMPARE(first.exitCode(), 0);

    {
        QSettings store(settingsFile, QSettings::IniFormat);
        QCOMPARE(store.value(QStringLiteral("Recent File List/File1")).toString(), saved);
    }

    // A second run reads the list at start and writes it back at exit.
    ProgramUnderX second(QStringLiteral(BREWDECK_EXECUTABLE));
    QVERIFY(second.start({}));
    window = second.waitForWindow(QStringLiteral("Brewdeck"));
    QVERIFY(!window.isEmpty());
    QVERIFY(xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("alt+f")}));
    QTest::qWait(300);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("x")}));
    QVERIFY(second.waitForExit(20000));
    QSettings store(settingsFile, QSettings::IniFormat);
    QCOMPARE(store.value(QStringLiteral("Recent File List/File1")).toString(), saved);
    QVERIFY(!store.contains(QStringLiteral("Recent File List/File2")));
}

void TestStartup::windowDoesNotWaitForTheDesktopDatabases()
{
    // A fresh data folder: this start writes every registration file, and so
    // has both databases rebuilt, by tools that block for a minute.
    testsupport::SandboxedHome fresh;
    QVERIFY(fresh.isValid());
    testsupport::BlockingRefreshTools tools;
    QVERIFY(tools.isValid());

    ProgramUnderX program(QStringLiteral(BREWDECK_EXECUTABLE));
    program.setVariable(QStringLiteral("PATH"), tools.path());
    QVERIFY(program.start({}));
    const QString window = program.waitForWindow(QStringLiteral("Brewdeck"));
    QVERIFY2(!window.isEmpty(), "no main window appeared while the database tools blocked");

    QTRY_COMPARE_WITH_TIMEOUT(tools.started().size(), 2, 20000);
    for (qint64 tool : tools.started()) {
        QVERIFY2(testsupport::BlockingRefreshTools::isBlocking(tool), "a stand-in ended before the window showed");
        // Handed away at once: never the program's child, so never its zombie.
        QVERIFY(testsupport::BlockingRefreshTools::parentOf(tool) != program.processId());
    }
    QCOMPARE(testsupport::BlockingRefreshTools::zombieChildrenOf(program.processId()), QList<qint64>());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
