#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "ViewFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <memory>

// The three lists show the web application's folders as they are at each
// update: each folder's own regular files that match, nothing else.
class TestFileLists : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listsTheFoldersOwnMatchingFiles_data();
    void listsTheFoldersOwnMatchingFiles();
    void documentWithoutWebAppShowsNoFiles_data();
    void documentWithoutWebAppShowsNoFiles();
    void namesNotUtf8AreLeftOutAndToldOnce();

private:
    // Lays out entries under the application folder: "name" is a file,
    // "name/" a folder, "name -> target" a symbolic link.
    bool lay(const QStringList &entries) const;

    std::unique_ptr<viewtest::ViewFixture> m_fixture;
};

void TestFileLists::init()
{
    m_fixture = std::make_unique<viewtest::ViewFixture>();
    QVERIFY(m_fixture->isValid());
}

void TestFileLists::cleanup()
{
    m_fixture.reset();
}

bool TestFileLists::lay(const QStringList &entries) const
{
    for (const QString &entry : entries) {
        const QString app = m_fixture->appDir() + QLatin1Char('/');
        if (entry.endsWith(QLatin1Char('/'))) {
            if (!QDir().mkpath(app + entry))
                return false;
        } else if (const qsizetype arrow = entry.indexOf(QLatin1String(" -> ")); arrow > 0) {
            if (!QFile::link(entry.mid(arrow + 4), app + entry.left(arrow)))
                return false;
        } else if (!testsupport::writeFile(app + entry, entry.toUtf8())) {
            return false;
        }
    }
    return true;
}

void TestFileLists::listsTheFoldersOwnMatchingFiles_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("removed");
    QTest::addColumn<QStringList>("jsp");
    QTest::addColumn<QStringList>("classes");
    QTest::addColumn<QStringList>("jars");

    QTest::newRow("empty folders") << QStringList() << QStringList() << QStringList() << QStringList() << QStringList();
    QTest::newRow("one of each kind")
        << QStringList{"index.jsp", "WEB-INF/classes/Greeter.class", "WEB-INF/lib/tools.jar"} << QStringList()
        << QStringList{"index.jsp"} << QStringList{"Greeter.class"} << QStringList{"tools.jar"};
    QTest::newRow("a subfolder named like a page")
        << QStringList{"x.jsp/", "x.jsp/inner.jsp", "a.jsp", "WEB-INF/lib/old.jar/"} << QStringList()
        << QStringList{"a.jsp"} << QStringList() << QStringList();
    QTest::newRow("a text file among the JARs")
        << QStringList{"WEB-INF/lib/README.txt", "WEB-INF/lib/util.jar", "WEB-INF/lib/util.jar.txt"} << QStringList()
        << QStringList() << QStringList() << QStringList{"util.jar"};
    QTest::newRow("a class in a package subfolder")
        << QStringList{"WEB-INF/classes/demo/Greeter.class", "WEB-INF/classes/demo/sub/Deep.class",
                       "WEB-INF/classes/Top.class"}
        << QStringList() << QStringList() << QStringList{"Top.class"} << QStringList();
    QTest::newRow("hidden files")
        << QStringList{".hidden.jsp", ".jsp", "shown.jsp", "WEB-INF/lib/.partial.jar", "WEB-INF/classes/.A.class"}
        << QStringList() << QStringList{"shown.jsp"} << QStringList() << QStringList();
    QTest::newRow("letter case of the extension")
        << QStringList{"A.JSP", "b.jsp", "c.Jsp", "WEB-INF/lib/X.JAR", "WEB-INF/classes/Y.CLASS"} << QStringList()
        << QStringList{"b.jsp"} << QStringList() << QStringList();
    QTest::newRow("links to files count, dangling links do not")
        << QStringList{"real.jsp", "link.jsp -> real.jsp", "dangling.jsp -> nowhere.jsp", "dir.jsp -> WEB-INF"}
        << QStringList() << QStringList{"link.jsp", "real.jsp"} << QStringList() << QStringList();
    QTest::newRow("missing classes folder")
        << QStringList{"index.jsp", "WEB-INF/lib/tools.jar"} << QStringList{"WEB-INF/classes"}
        << QStringList{"index.jsp"} << QStringList() << QStringList{"tools.jar"};
    QTest::newRow("missing application folder")
        << QStringList() << QStringList{""} << QStringList() << QStringList() << QStringList();
    QTest::newRow("name order")
        << QStringList{"b.jsp", "Zeta.jsp", "alpha.jsp", "a.jsp", "Alpha.jsp", "10.jsp", "2.jsp", "页面.jsp"}
        << QStringList() << QStringList{"10.jsp", "2.jsp", "a.jsp", "Alpha.jsp", "alpha.jsp", "b.jsp", "Zeta.jsp", "页面.jsp"}
        << QStringList() << QStringList();
    QTest::newRow("names with spaces and shell characters")
        << QStringList{"my page.jsp", "it's $(x) \"q\";.jsp"} << QStringList()
        << QStringList{"it's $(x) \"q\";.jsp", "my page.jsp"} << QStringList() << QStringList();
}

void TestFileLists::listsTheFoldersOwnMatchingFiles()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, removed);
    QFETCH(QStringList, jsp);
    QFETCH(QStringList, classes);
    QFETCH(QStringList, jars);
    QVERIFY(lay(entries));
    for (const QString &folder : removed)
        QVERIFY(QDir(m_fixture->appDir() + QLatin1Char('/') + folder).removeRecursively());

    QVERIFY(m_fixture->newDocument());
    // Two more updates give the same lists: each one starts afresh.
    for (int update = 0; update < 3; ++update) {
        if (update > 0)
            m_fixture->document()->updateAllViews(nullptr);
        QCOMPARE(m_fixture->items("IDC_LIST_JSP"), jsp);
        QCOMPARE(m_fixture->items("IDC_LIST_CLASS"), classes);
        QCOMPARE(m_fixture->items("IDC_LIST_JAR"), jars);
        QCOMPARE(m_fixture->editText("IDC_APP_NAME"), QStringLiteral("brewdeck"));
        QCOMPARE(m_fixture->editText("IDC_HOME_PAGE"), QStringLiteral("index.jsp"));
    }
    // A missing folder is no error.
    QCOMPARE(m_fixture->dialogs().unexpected(), QStringList());
}

void TestFileLists::documentWithoutWebAppShowsNoFiles_data()
{
    QTest::addColumn<bool>("openedAtStart");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("homePage");
    // The program's first document came from a file: it never had a record.
    QTest::newRow("opened from a file at start") << true << QString() << QString();
    // The edits keep whatever the last update put there.
    QTest::newRow("record gone after a New") << false << QStringLiteral("brewdeck") << QStringLiteral("index.jsp");
}

void TestFileLists::documentWithoutWebAppShowsNoFiles()
{
    QFETCH(bool, openedAtStart);
    QFETCH(QString, name);
    QFETCH(QString, homePage);
    QVERIFY(lay({"index.jsp", "WEB-INF/classes/Greeter.class", "WEB-INF/lib/tools.jar"}));

    if (openedAtStart) {
        const QString file = m_fixture->installDir() + QStringLiteral("/lesson.bdk");
        QVERIFY(testsupport::writeFile(file, QByteArray()));
        QVERIFY(m_fixture->openDocument(file));
    } else {
        QVERIFY(m_fixture->newDocument());
        QCOMPARE(m_fixture->items("IDC_LIST_JSP"), QStringList{"index.jsp"});
        m_fixture->document()->m_pWebApp.reset();
        m_fixture->document()->updateAllViews(nullptr);
    }
    QVERIFY(!m_fixture->document()->m_pWebApp);

    QCOMPARE(m_fixture->items("IDC_LIST_JSP"), QStringList());
    QCOMPARE(m_fixture->items("IDC_LIST_CLASS"), QStringList());
    QCOMPARE(m_fixture->items("IDC_LIST_JAR"), QStringList());
    QCOMPARE(m_fixture->editText("IDC_APP_NAME"), name);
    QCOMPARE(m_fixture->editText("IDC_HOME_PAGE"), homePage);
    QCOMPARE(m_fixture->view()->m_strAppName, name);
    QCOMPARE(m_fixture->view()->m_strHomePage, homePage);
    QCOMPARE(m_fixture->dialogs().unexpected(), QStringList());
}

// A name that is not UTF-8 cannot be named in text without changing it, and
// the server cannot open it either: such files are left out of the lists,
// and the user is told once which ones and why.
void TestFileLists::namesNotUtf8AreLeftOutAndToldOnce()
{
    const QByteArray app = QFile::encodeName(m_fixture->appDir());
    for (const QByteArray &name : {QByteArray("/good.jsp"), QByteArray("/bad\xe9.jsp"), QByteArray("/WEB-INF/lib/gbk\xc4\xe3.jar"),
                                   QByteArray("/WEB-INF/lib/\xe9\xa1\xb5 ok.jar")}) {
        const int fd = ::open((app + name).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    QString message;
    m_fixture->dialogs().expect(testsupport::answerMessage(QMessageBox::Ok, &message));

    QVERIFY(m_fixture->newDocument());
    QCOMPARE(m_fixture->items("IDC_LIST_JSP"), QStringList{"good.jsp"});
    QCOMPARE(m_fixture->items("IDC_LIST_JAR"), QStringList{QStringLiteral("页 ok.jar")});
    // Told after the update, once for both folders, with the bytes shown.
    QTRY_COMPARE(m_fixture->dialogs().pendingAnswers(), 0);
    QVERIFY2(message.contains(m_fixture->appDir() + QStringLiteral("/bad\\xE9.jsp")), qPrintable(message));
    QVERIFY2(message.contains(m_fixture->libDir() + QStringLiteral("/gbk\\xC4\\xE3.jar")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("UTF-8")), qPrintable(message));

    // Later updates say nothing more about the same files; a new one is told.
    m_fixture->document()->updateAllViews(nullptr);
    QVERIFY(m_fixture->newDocument());
    QTest::qWait(50);
    QCOMPARE(m_fixture->dialogs().unexpected(), QStringList());
    const int fd = ::open((app + "/new\xff.jsp").constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    m_fixture->dialogs().expect(testsupport::answerMessage(QMessageBox::Ok, &message));
    m_fixture->document()->updateAllViews(nullptr);
    QTRY_COMPARE(m_fixture->dialogs().pendingAnswers(), 0);
    QVERIFY2(message.contains(QStringLiteral("new\\xFF.jsp")) && !message.contains(QStringLiteral("bad")),
             qPrintable(message));
    QCOMPARE(m_fixture->items("IDC_LIST_JSP"), QStringList{"good.jsp"});
    QCOMPARE(m_fixture->dialogs().unexpected(), QStringList());
}

QTEST_MAIN(TestFileLists)
#include "tst_filelists.moc"
