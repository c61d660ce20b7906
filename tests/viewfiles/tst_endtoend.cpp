#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "BrowserRecorder.h"
#include "FrameWindow.h"
#include "ViewFixture.h"
#include "resource.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

constexpr int kServerUpSeconds = 180;
constexpr int kReloadSeconds = 180;
constexpr int kServerDownSeconds = 90;

// The HTTP status of a page ("000" when nothing answers) and its body.
struct Page
{
    QString status;
    QByteArray body;
};

Page fetch(const QString &address)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("--silent"), QStringLiteral("--globoff"), QStringLiteral("--max-time"),
                                        QStringLiteral("10"), QStringLiteral("--write-out"),
                                        QStringLiteral("\n%{http_code}"), address});
    if (!curl.waitForFinished(30000))
        return {QStringLiteral("000"), {}};
    QByteArray out = curl.readAllStandardOutput();
    const qsizetype cut = out.lastIndexOf('\n');
    return {QString::fromLatin1(out.mid(cut + 1)), out.left(qMax<qsizetype>(cut, 0))};
}

// Asks until the page answers 200 with the text, or the time is up; a page
// that is still being reloaded or compiled may answer otherwise meanwhile.
Page waitForPage(const QString &address, const QByteArray &text, int seconds)
{
    Page page;
    for (int i = 0; i < seconds; ++i) {
        page = fetch(address);
        if (page.status == QLatin1String("200") && page.body.contains(text))
            break;
        QTest::qWait(1000);
    }
    return page;
}

// Runs a program to its end; its output when it failed.
QString run(const QString &program, const QStringList &args, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(process.readAll());
    return QString();
}

// The JVMs of this server home, found by their exact catalina.base argument.
QList<qint64> serverProcesses(const QString &tomcatHome)
{
    QList<qint64> pids;
    const QByteArray wanted = "-Dcatalina.base=" + QFile::encodeName(tomcatHome);
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        bool isPid = false;
        const qint64 pid = it.fileName().toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile cmdline(it.filePath() + QStringLiteral("/cmdline"));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().split('\0').contains(wanted))
            pids << pid;
    }
    return pids;
}

} // namespace

// The whole round trip on the real server: pages, a class and a JAR added
// through the form while the server runs, the home page chosen with "H" and
// opened with "运行", and what the server then serves.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    // In this order, on one server started by the first.
    void addedFilesAreServed();
    void jstlCoreTaglibFromAddedJars();
    void javaxImportAndBeanFromAddedJar();
    void webServletClassInNoPackage();
    void chineseTextComesThroughAsUtf8();
    void replacedClassIsPickedUp();
    void stopCommandStopsTheServer();

private:
    QString tomcatHome() const { return m_install.path() + QStringLiteral("/apache-tomcat-7.0.22"); }
    void command(int id) const;
    void add(const char *button, const QString &file);
    void compile(const QStringList &sources, const QString &outFolder, const QStringList &classPath = {});
    void expectPage(const QString &path, const QByteArray &text, int seconds);
    void stopServer();

    // Set before anything runs: javac and the server stay out of the real home.
    testsupport::SandboxedHome m_home;
    QTemporaryDir m_install;
    QTemporaryDir m_work;
    std::unique_ptr<viewtest::ViewFixture> m_fixture;
    std::unique_ptr<viewtest::BrowserRecorder> m_browser;
    bool m_started = false;
};

void TestEndToEnd::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_install.isValid());
    QVERIFY(m_work.isValid());
    // xdg-open goes straight to $BROWSER (see the home page suite).
    qputenv("XDG_CURRENT_DESKTOP", "X-Generic");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    for (const char *name : {"JRE_HOME", "JAVA_HOME", "CATALINA_HOME", "CATALINA_BASE", "CATALINA_OPTS", "JAVA_OPTS"})
        qunsetenv(name);

    const Page before = fetch(QStringLiteral("http://127.0.0.1:8080/"));
    QVERIFY2(before.status == QLatin1String("000"), "port 8080 is taken by a server this test did not start");

    // A fresh server runtime, laid out the way the build lays it out beside
    // the program.
    QCOMPARE(run(QStringLiteral("/bin/sh"), {QStringLiteral(BREWDECK_PROVISION_SCRIPT), m_install.path()}, m_work.path()),
             QString());

    // A class in no package (the CLASS button puts classes straight into
    // WEB-INF/classes) and a packaged class in a JAR.
    const QString javac = m_install.path() + QStringLiteral("/jdk1.7.0_01/bin/javac");
    const QString jar = m_install.path() + QStringLiteral("/jdk1.7.0_01/bin/jar");
    QVERIFY(testsupport::writeFile(m_work.filePath(QStringLiteral("src/Greeter.java")),
                                   "public class Greeter {\n"
                                   "    public static String greet() { return \"greeting from a class\"; }\n"
                                   "}\n"));
    QVERIFY(testsupport::writeFile(m_work.filePath(QStringLiteral("src/tools/Shout.java")),
                                   "package tools;\n"
                                   "public class Shout {\n"
                                   "    public static String loud(String s) { return s.toUpperCase() + \" FROM A JAR\"; }\n"
                                   "}\n"));
    QVERIFY(QDir().mkpath(m_work.filePath(QStringLiteral("out"))));
    QCOMPARE(run(javac, {QStringLiteral("-d"), QStringLiteral("out"), QStringLiteral("src/Greeter.java"),
                         QStringLiteral("src/tools/Shout.java")},
                 m_work.path()),
             QString());
    QCOMPARE(run(jar, {QStringLiteral("cf"), QStringLiteral("tools.jar"), QStringLiteral("-C"), QStringLiteral("out"),
                       QStringLiteral("tools/Shout.class")},
                 m_work.path()),
             QString());

    QVERIFY(testsupport::writeFile(m_work.filePath(QStringLiteral("hello.jsp")),
                                   "<%@ page contentType=\"text/plain; charset=UTF-8\" %>"
                                   "Hello from <%= \"brewdeck\".toUpperCase() %>, 1+1=<%= 1 + 1 %>\n"));
    // The JSP is compiled in a package of its own, and Java cannot import a
    // class of no package: the page reaches it through the class loader.
    QVERIFY(testsupport::writeFile(m_work.filePath(QStringLiteral("uses.jsp")),
                                   "<%@ page contentType=\"text/plain; charset=UTF-8\" import=\"tools.Shout\" %>"
                                   "<%= Class.forName(\"Greeter\").getMethod(\"greet\").invoke(null) %> / "
                                   "<%= Shout.loud(\"hi\") %>\n"));

    // What a javax-era course hands out. A servlet in no package, mapped by its
    // annotation and compiled against the server's own servlet API; with
    // Chinese in its source and its answer.
    QVERIFY(testsupport::writeFile(m_work.filePath(QStringLiteral("src/HelloServlet.java")),
                                   "import java.io.IOException;\n"
                                   "import javax.servlet.annotation.WebServlet;\n"
                                   "import javax.servlet.http.HttpServlet;\n"
                                   "import javax.servlet.http.HttpServletRequest;\n"
                                   "import javax.servlet.http.HttpServletResponse;\n"
                                   "@WebServlet(\"/hello-servlet\")\n"
                                   "public class HelloServlet extends HttpServlet {\n"
                                   "    @Override\n"
                                   "    protected void doGet(HttpServletRequest req, HttpServletResponse resp) throws IOException {\n"
                                   "        resp.setContentType(\"text/plain; charset=UTF-8\");\n"
                                   "        resp.getWriter().print(\"servlet at \" + req.getServletPath() + \" says 你好\");\n"
                                   "    }\n"
                                   "}\n"));
    compile({QStringLiteral("src/HelloServlet.java")}, QStringLiteral("servlet"),
            {tomcatHome() + QStringLiteral("/lib/servlet-api.jar")});
    // A bean in a JAR, for a page that also imports a javax.servlet class.
    QVERIFY(testsupport::writeFile(m_work.filePath(QStringLiteral("src/beans/Cup.java")),
                                   "package beans;\n"
                                   "public class Cup implements java.io.Serializable {\n"
                                   "    private String size = \"small\";\n"
                                   "    public String getSize() { return size; }\n"
                                   "    public void setSize(String size) { this.size = size; }\n"
                                   "}\n"));
    compile({QStringLiteral("src/beans/Cup.java")}, QStringLiteral("beans"));
    QCOMPARE(run(jar, {QStringLiteral("cf"), QStringLiteral("beans.jar"), QStringLiteral("-C"), QStringLiteral("beans"),
                       QStringLiteral("beans/Cup.class")},
                 m_work.path()),
             QString());
    // A second build of Greeter, to replace the first while the server runs.
    QVERIFY(testsupport::writeFile(m_work.filePath(QStringLiteral("src2/Greeter.java")),
                                   "public class Greeter {\n"
                                   "    public static String greet() { return \"greeting from the new class\"; }\n"
                                   "}\n"));
    compile({QStringLiteral("src2/Greeter.java")}, QStringLiteral("out2"));
    // The classic javax JSTL 1.2, as the user's own two JARs.
    QVERIFY(QDir().mkpath(m_work.filePath(QStringLiteral("jstl"))));
    for (const char *name : {"taglibs-standard-spec.jar", "taglibs-standard-impl.jar"}) {
        const QString from = QStringLiteral("/usr/share/java/") + QLatin1String(name);
        QVERIFY2(QFileInfo::exists(from), "install libtaglibs-standard-impl-java and libtaglibs-standard-spec-java");
        QVERIFY(QFile::copy(from, m_work.filePath(QStringLiteral("jstl/") + QLatin1String(name))));
    }

    QVERIFY(testsupport::writeFile(m_work.filePath(QStringLiteral("jstl.jsp")),
                                   "<%@ page contentType=\"text/plain; charset=UTF-8\" %>"
                                   "<%@ taglib prefix=\"c\" uri=\"http://java.sun.com/jsp/jstl/core\" %>"
                                   "<c:set var=\"n\" value=\"${3 * 4}\"/>"
                                   "<c:forEach var=\"i\" begin=\"1\" end=\"3\">[<c:out value=\"${i}\"/>]</c:forEach>"
                                   " n=<c:out value=\"${n}\"/><c:if test=\"${n > 10}\"> big</c:if>\n"));
    QVERIFY(testsupport::writeFile(m_work.filePath(QStringLiteral("bean.jsp")),
                                   "<%@ page contentType=\"text/plain; charset=UTF-8\" import=\"javax.servlet.http.Cookie\" %>"
                                   "<jsp:useBean id=\"cup\" class=\"beans.Cup\"/>"
                                   "<jsp:setProperty name=\"cup\" property=\"size\" value=\"grande\"/>"
                                   "<% Cookie cookie = new Cookie(\"flavour\", \"mocha\"); %>"
                                   "cookie <%= cookie.getName() %>=<%= cookie.getValue() %>,"
                                   " cup <jsp:getProperty name=\"cup\" property=\"size\"/>\n"));
    QVERIFY(testsupport::writeFile(m_work.filePath(QStringLiteral("chinese.jsp")),
                                   "<%@ page contentType=\"text/html; charset=UTF-8\" pageEncoding=\"UTF-8\" %>"
                                   "<p>中文页面：<%= \"你好，\" + \"世界\" %></p>\n"));

    m_fixture = std::make_unique<viewtest::ViewFixture>(m_install.path());
    m_browser = std::make_unique<viewtest::BrowserRecorder>();
    QVERIFY(m_fixture->isValid());
    QVERIFY(m_browser->isValid());
    QVERIFY(m_fixture->newDocument());
}

void TestEndToEnd::cleanupTestCase()
{
    if (m_browser)
        m_browser->release();
    stopServer();
    if (m_browser)
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->allFinished(), 30000);
    m_fixture.reset();
}

void TestEndToEnd::command(int id) const
{
    QVERIFY(m_fixture->view()->parentFrame());
    QVERIFY(m_fixture->view()->parentFrame()->executeCommand(id));
}

void TestEndToEnd::compile(const QStringList &sources, const QString &outFolder, const QStringList &classPath)
{
    QVERIFY(QDir().mkpath(m_work.filePath(outFolder)));
    QStringList args{QStringLiteral("-encoding"), QStringLiteral("UTF-8"), QStringLiteral("-d"), outFolder};
    if (!classPath.isEmpty())
        args << QStringLiteral("-classpath") << classPath.join(QLatin1Char(':'));
    QCOMPARE(run(m_install.path() + QStringLiteral("/jdk1.7.0_01/bin/javac"), args + sources, m_work.path()), QString());
}

// The page under /brewdeck answers 200 with the text in its body in time.
void TestEndToEnd::expectPage(const QString &path, const QByteArray &text, int seconds)
{
    QVERIFY2(m_started, "the server was not started");
    const Page page = waitForPage(QStringLiteral("http://127.0.0.1:8080/brewdeck/") + path, text, seconds);
    QVERIFY2(page.status == QLatin1String("200") && page.body.contains(text),
             qPrintable(QStringLiteral("%1 answered %2: %3").arg(path, page.status, QString::fromUtf8(page.body.left(3000)))));
}

void TestEndToEnd::add(const char *button, const QString &file)
{
    m_fixture->dialogs().expect(testsupport::chooseFile(m_work.filePath(file)));
    m_fixture->click(button);
    QCOMPARE(m_fixture->dialogs().pendingAnswers(), 0);
    QCOMPARE(m_fixture->dialogs().unexpected(), QStringList());
}

// Stops the server the way the program does, and makes sure it is gone
// whatever happened before: nothing of this test may keep the ports.
void TestEndToEnd::stopServer()
{
    if (!m_started)
        return;
    m_started = false;
    if (m_fixture && m_fixture->view())
        command(ID_WEB_STOP);
    for (int i = 0; i < kServerDownSeconds && !serverProcesses(tomcatHome()).isEmpty(); ++i)
        QTest::qWait(1000);
    const QList<qint64> left = serverProcesses(tomcatHome());
    for (const qint64 pid : left)
        ::kill(pid_t(pid), SIGKILL);
    QVERIFY2(left.isEmpty(), "the server did not stop after ID_WEB_STOP");
}

void TestEndToEnd::addedFilesAreServed()
{
    command(ID_WEB_START);
    m_started = true;
    const Page index = waitForPage(QStringLiteral("http://127.0.0.1:8080/brewdeck/index.jsp"), "Hello", kServerUpSeconds);
    QVERIFY2(index.status == QLatin1String("200"), qPrintable(QStringLiteral("the server did not come up: ") + index.status));

    // A page added with "+", made the home page with "H", opened with "运行".
    add("IDC_ADD_JSP", QStringLiteral("hello.jsp"));
    QVERIFY(m_fixture->select("IDC_LIST_JSP", QStringLiteral("hello.jsp")));
    m_fixture->click("IDC_SET_HOME");
    QCOMPARE(m_fixture->editText("IDC_HOME_PAGE"), QStringLiteral("hello.jsp"));
    m_fixture->click("IDC_RUN");
    QTRY_COMPARE_WITH_TIMEOUT(m_browser->launches().size(), 1, 30000);
    const QStringList args = m_browser->launches().constFirst().args;
    QCOMPARE(args, QStringList{QStringLiteral("http://127.0.0.1:8080/brewdeck/hello.jsp")});
    const Page hello = waitForPage(args.constFirst(), "Hello from BREWDECK, 1+1=2", 60);
    QCOMPARE(hello.status, QStringLiteral("200"));
    QVERIFY2(hello.body.contains("Hello from BREWDECK, 1+1=2"), hello.body.constData());

    // A class and a JAR added while the server runs, then a page that uses
    // both: the application reloads and the page shows their results.
    add("IDC_ADD_CLASS", QStringLiteral("out/Greeter.class"));
    add("IDC_ADD_JAR", QStringLiteral("tools.jar"));
    add("IDC_ADD_JSP", QStringLiteral("uses.jsp"));
    QCOMPARE(m_fixture->items("IDC_LIST_CLASS"), QStringList{"Greeter.class"});
    QCOMPARE(m_fixture->items("IDC_LIST_JAR"), QStringList{"tools.jar"});
    QCOMPARE(m_fixture->items("IDC_LIST_JSP"), (QStringList{"hello.jsp", "index.jsp", "uses.jsp"}));
    const QByteArray expected = "greeting from a class / HI FROM A JAR";
    const Page uses = waitForPage(QStringLiteral("http://127.0.0.1:8080/brewdeck/uses.jsp"), expected, kReloadSeconds);
    QCOMPARE(uses.status, QStringLiteral("200"));
    QVERIFY2(uses.body.contains(expected), uses.body.constData());
}

// The JSTL 1.2 core taglib of a javax course: its two JARs added with the JAR
// "+", then a page that loops, sets and tests with it.
void TestEndToEnd::jstlCoreTaglibFromAddedJars()
{
    add("IDC_ADD_JAR", QStringLiteral("jstl/taglibs-standard-spec.jar"));
    add("IDC_ADD_JAR", QStringLiteral("jstl/taglibs-standard-impl.jar"));
    add("IDC_ADD_JSP", QStringLiteral("jstl.jsp"));
    QCOMPARE(m_fixture->items("IDC_LIST_JAR"),
             (QStringList{"taglibs-standard-impl.jar", "taglibs-standard-spec.jar", "tools.jar"}));
    expectPage(QStringLiteral("jstl.jsp"), "[1][2][3] n=12 big", kReloadSeconds);
}

void TestEndToEnd::javaxImportAndBeanFromAddedJar()
{
    add("IDC_ADD_JAR", QStringLiteral("beans.jar"));
    add("IDC_ADD_JSP", QStringLiteral("bean.jsp"));
    expectPage(QStringLiteral("bean.jsp"), "cookie flavour=mocha, cup grande", kReloadSeconds);
}

// Mapped by its @WebServlet annotation alone: the application has no web.xml.
void TestEndToEnd::webServletClassInNoPackage()
{
    add("IDC_ADD_CLASS", QStringLiteral("servlet/HelloServlet.class"));
    QCOMPARE(m_fixture->items("IDC_LIST_CLASS"), (QStringList{"Greeter.class", "HelloServlet.class"}));
    expectPage(QStringLiteral("hello-servlet"), "servlet at /hello-servlet says " + QByteArray("你好"), kReloadSeconds);
}

// The exact UTF-8 bytes come back, from a page and from a servlet: a wrong
// page or response encoding would turn them into question marks or mojibake.
void TestEndToEnd::chineseTextComesThroughAsUtf8()
{
    add("IDC_ADD_JSP", QStringLiteral("chinese.jsp"));
    expectPage(QStringLiteral("chinese.jsp"), QByteArray("<p>中文页面：你好，世界</p>"), 60);
    expectPage(QStringLiteral("hello-servlet"), QByteArray("says \xe4\xbd\xa0\xe5\xa5\xbd"), 30);
}

// A new build of a class copied over the old one with the CLASS "+" while the
// server runs: the context reloads and the page shows the new class.
void TestEndToEnd::replacedClassIsPickedUp()
{
    expectPage(QStringLiteral("uses.jsp"), "greeting from a class /", 30);
    m_fixture->dialogs().expect(testsupport::chooseFile(m_work.filePath(QStringLiteral("out2/Greeter.class"))));
    m_fixture->dialogs().expect(testsupport::answerMessage(QMessageBox::Yes));
    m_fixture->click("IDC_ADD_CLASS");
    QCOMPARE(m_fixture->dialogs().pendingAnswers(), 0);
    QCOMPARE(m_fixture->dialogs().unexpected(), QStringList());
    expectPage(QStringLiteral("uses.jsp"), "greeting from the new class / HI FROM A JAR", kReloadSeconds);
}

void TestEndToEnd::stopCommandStopsTheServer()
{
    QVERIFY(m_started);
    stopServer();
    QCOMPARE(fetch(QStringLiteral("http://127.0.0.1:8080/")).status, QStringLiteral("000"));
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
