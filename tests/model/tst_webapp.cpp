#include "ServerPaths.h"
#include "WebApp.h"

#include <QTest>

// The record and the server paths for a range of install folders. Paths are
// joined with exactly one separator and have no length limit.
class TestWebApp : public QObject
{
    Q_OBJECT

private slots:
    void initWebApp_data();
    void initWebApp();
    void accessorsReturnCopies();
    void freshRecordIsEmpty();
};

void TestWebApp::initWebApp_data()
{
    QTest::addColumn<QString>("installDir");

    QTest::newRow("ordinary folder") << QStringLiteral("/opt/tools/bd");
    QTest::newRow("root folder") << QString();
    QTest::newRow("spaces quotes chinese")
        << QStringLiteral("/home/u/my \"quoted\" it's 工具 folder");
    QTest::newRow("300 characters") << QStringLiteral("/") + QString(299, QLatin1Char('x'));
}

void TestWebApp::initWebApp()
{
    QFETCH(QString, installDir);

    CWebApp app;
    InitWebApp(installDir, &app);
    WriteServerPaths(installDir);

    const QString home = installDir + QStringLiteral("/apache-tomcat-7.0.22");
    const QString appDir = home + QStringLiteral("/webapps/brewdeck");
    QCOMPARE(app.GetName(), QStringLiteral("brewdeck"));
    QCOMPARE(app.GetHomePage(), QStringLiteral("index.jsp"));
    QCOMPARE(app.GetJspDir(), appDir);
    QCOMPARE(app.GetClassesDir(), appDir + QStringLiteral("/WEB-INF/classes"));
    QCOMPARE(app.GetLibDir(), appDir + QStringLiteral("/WEB-INF/lib"));
    QCOMPARE(g_szJreHome, installDir + QStringLiteral("/jre7"));
    QCOMPARE(g_szJdkHome, installDir + QStringLiteral("/jdk1.7.0_01"));
    QCOMPARE(g_szTomcatHome, home);

    // Nothing is cut, whatever the length, and no path doubles or ends with
    // a separator.
    for (const QString &path : {app.GetJspDir(), app.GetClassesDir(), app.GetLibDir(), g_szJreHome,
                                g_szJdkHome, g_szTomcatHome}) {
        QVERIFY2(path.startsWith(installDir + QLatin1Char('/')), qPrintable(path));
        QVERIFY2(!path.contains(QStringLiteral("//")), qPrintable(path));
        QVERIFY2(!path.endsWith(QLatin1Char('/')), qPrintable(path));
    }
    if (installDir.isEmpty()) {
        QCOMPARE(g_szJreHome, QStringLiteral("/jre7"));
        QCOMPARE(g_szTomcatHome, QStringLiteral("/apache-tomcat-7.0.22"));
    }
}

void TestWebApp::accessorsReturnCopies()
{
    CWebApp app;
    InitWebApp(QStringLiteral("/opt/bd"), &app);
    QString name = app.GetName();
    name += QStringLiteral("-changed");
    QCOMPARE(app.GetName(), QStringLiteral("brewdeck"));

    // Only the home page is open to change, and a new InitWebApp resets it.
    app.m_strHomePage = QStringLiteral("hello.jsp");
    QCOMPARE(app.GetHomePage(), QStringLiteral("hello.jsp"));
    InitWebApp(QStringLiteral("/opt/bd"), &app);
    QCOMPARE(app.GetHomePage(), QStringLiteral("index.jsp"));
}

void TestWebApp::freshRecordIsEmpty()
{
    const CWebApp app;
    QVERIFY(app.GetName().isEmpty());
    QVERIFY(app.GetHomePage().isEmpty());
    QVERIFY(app.GetJspDir().isEmpty());
    QVERIFY(app.GetClassesDir().isEmpty());
    QVERIFY(app.GetLibDir().isEmpty());
    InitWebApp(QStringLiteral("/x"), nullptr); // no record: nothing to fill, no crash
}

QTEST_GUILESS_MAIN(TestWebApp)
#include "tst_webapp.moc"
