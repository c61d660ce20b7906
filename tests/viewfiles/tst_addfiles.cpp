#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "FileHelpers.h"
#include "ViewFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The three "+" buttons, driven through the real open-file dialog: the file
// lands in its kind's folder and is listed; everything else leaves the
// folders and the lists as they were.
class TestAddFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void eachKindLandsInItsFolder_data();
    void eachKindLandsInItsFolder();
    void cancelCopiesNothing();
    void replaceAsksInChinese_data();
    void replaceAsksInChinese();
    void fileFromTheDestinationItself();
    void readOnlyDestinationIsReported();
    void awkwardSourcePaths_data();
    void awkwardSourcePaths();
    void largeFileShowsProgress_data();
    void largeFileShowsProgress();
    void serverFoldersAreNeverMade_data();
    void serverFoldersAreNeverMade();
    void changingSourceIsReported();
    void nothingHappensWithoutWebApp_data();
    void nothingHappensWithoutWebApp();

private:
    QString source(const QString &relative, const QByteArray &content) const;
    QString folderOf(const QString &list) const;
    // The JSP list's selection survives only when no refresh happened.
    bool selectMarker() const;

    std::unique_ptr<viewtest::ViewFixture> m_fixture;
    std::unique_ptr<QTemporaryDir> m_sources;
};

void TestAddFiles::init()
{
    m_fixture = std::make_unique<viewtest::ViewFixture>();
    m_sources = std::make_unique<QTemporaryDir>();
    QVERIFY(m_fixture->isValid());
    QVERIFY(m_sources->isValid());
    QVERIFY(testsupport::writeFile(m_fixture->appDir() + QStringLiteral("/index.jsp"), "index"));
    QVERIFY(m_fixture->newDocument());
}

void TestAddFiles::cleanup()
{
    QFile::setPermissions(m_fixture->libDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!QTest::currentTestFailed()) {
        QCOMPARE(m_fixture->dialogs().unexpected(), QStringList());
        QCOMPARE(m_fixture->dialogs().pendingAnswers(), 0);
    }
    m_fixture.reset();
    m_sources.reset();
}

QString TestAddFiles::source(const QString &relative, const QByteArray &content) const
{
    const QString path = m_sources->filePath(relative);
    return testsupport::writeFile(path, content) ? path : QString();
}

QString TestAddFiles::folderOf(const QString &list) const
{
    if (list == QLatin1String("IDC_LIST_CLASS"))
        return m_fixture->classesDir();
    if (list == QLatin1String("IDC_LIST_JAR"))
        return m_fixture->libDir();
    return m_fixture->appDir();
}

bool TestAddFiles::selectMarker() const
{
    return m_fixture->select("IDC_LIST_JSP", QStringLiteral("index.jsp"));
}

void TestAddFiles::eachKindLandsInItsFolder_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("folderMissing");

    QTest::newRow("JSP") << "IDC_ADD_JSP"
                         << "hello.jsp"
                         << "IDC_LIST_JSP"
                         << "JSP Files (*.jsp)" << false;
    QTest::newRow("CLASS") << "IDC_ADD_CLASS"
                           << "Greeter.class"
                           << "IDC_LIST_CLASS"
                           << "CLASS Files (*.class)" << false;
    QTest::newRow("JAR") << "IDC_ADD_JAR"
                         << "tools.jar"
                         << "IDC_LIST_JAR"
                         << "JAR Files (*.jar)" << false;
    QTest::newRow("CLASS into a missing classes folder") << "IDC_ADD_CLASS"
                                                         << "Greeter.class"
                                                         << "IDC_LIST_CLASS"
                                                         << "CLASS Files (*.class)" << true;
}

void TestAddFiles::eachKindLandsInItsFolder()
{
    QFETCH(QString, button);
    QFETCH(QString, file);
    QFETCH(QString, list);
    QFETCH(QString, filter);
    QFETCH(bool, folderMissing);
    if (folderMissing)
        QVERIFY(QDir(folderOf(list)).removeRecursively());
    const QByteArray content = "content of " + file.toUtf8();
    const QString chosen = source(QStringLiteral("pick/") + file, content);
    QVERIFY(selectMarker());
    // A refresh shows the record's values again, whatever the edits held.
    m_fixture->document()->m_pWebApp->m_strHomePage = QStringLiteral("start.jsp");

    testsupport::FileDialogSeen seen;
    m_fixture->dialogs().expect(testsupport::chooseFile(chosen, &seen));
    m_fixture->click(button.toLatin1().constData());

    QVERIFY(seen.shown);
    QCOMPARE(seen.nameFilters, QStringList{filter});
    QCOMPARE(seen.title, seen.defaultTitle);
    QCOMPARE(testsupport::readFile(folderOf(list) + QLatin1Char('/') + file), content);
    QCOMPARE(viewtest::folderEntries(folderOf(list)).filter(file), QStringList{file});
    QCOMPARE(viewtest::leftovers(folderOf(list)), QStringList());
    QVERIFY(m_fixture->items(list.toLatin1().constData()).contains(file));
    QVERIFY(m_fixture->items("IDC_LIST_JSP").contains(QStringLiteral("index.jsp")));
    QCOMPARE(m_fixture->selected("IDC_LIST_JSP"), QString());
    QCOMPARE(m_fixture->editText("IDC_APP_NAME"), QStringLiteral("brewdeck"));
    QCOMPARE(m_fixture->editText("IDC_HOME_PAGE"), QStringLiteral("start.jsp"));
    QVERIFY(!m_fixture->document()->isModified());
}

void TestAddFiles::cancelCopiesNothing()
{
    const QString chosen = source(QStringLiteral("hello.jsp"), "hello");
    Q_UNUSED(chosen);
    QVERIFY(selectMarker());
    const QStringList before = viewtest::folderEntries(m_fixture->appDir());

    testsupport::FileDialogSeen seen;
    m_fixture->dialogs().expect(testsupport::cancelFileDialog(&seen));
    m_fixture->click("IDC_ADD_JSP");

    QVERIFY(seen.shown);
    QCOMPARE(viewtest::folderEntries(m_fixture->appDir()), before);
    QCOMPARE(m_fixture->selected("IDC_LIST_JSP"), QStringLiteral("index.jsp"));
}

void TestAddFiles::replaceAsksInChinese_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestAddFiles::replaceAsksInChinese()
{
    QFETCH(bool, yes);
    const QString target = m_fixture->appDir() + QStringLiteral("/hello.jsp");
    QVERIFY(testsupport::writeFile(target, "old page"));
    m_fixture->document()->updateAllViews(nullptr);
    QVERIFY(selectMarker());
    const QString chosen = source(QStringLiteral("hello.jsp"), "new page");

    QString question;
    m_fixture->dialogs().expect(testsupport::chooseFile(chosen));
    m_fixture->dialogs().expect(testsupport::answerMessage(yes ? QMessageBox::Yes : QMessageBox::No, &question));
    m_fixture->click("IDC_ADD_JSP");

    QVERIFY2(question.contains(QStringLiteral("hello.jsp")) && question.contains(QStringLiteral("替换")),
             qPrintable(question));
    const QString trashed = m_fixture->trashDir() + QStringLiteral("/files/hello.jsp");
    if (yes) {
        QCOMPARE(testsupport::readFile(target), QByteArray("new page"));
        QCOMPARE(testsupport::readFile(trashed), QByteArray("old page"));
        QCOMPARE(m_fixture->selected("IDC_LIST_JSP"), QString());
    } else {
        QCOMPARE(testsupport::readFile(target), QByteArray("old page"));
        QVERIFY(!QFileInfo::exists(trashed));
        QCOMPARE(m_fixture->selected("IDC_LIST_JSP"), QStringLiteral("index.jsp"));
    }
    QCOMPARE(m_fixture->items("IDC_LIST_JSP"), (QStringList{"hello.jsp", "index.jsp"}));
    QCOMPARE(viewtest::leftovers(m_fixture->appDir()), QStringList());
}

void TestAddFiles::fileFromTheDestinationItself()
{
    // Choosing a file that already lies in the folder must not truncate it;
    // it is where it belongs, so nothing is written, nothing asked, and the
    // lists are refreshed as after any successful add.
    const QString page = m_fixture->appDir() + QStringLiteral("/index.jsp");
    const QByteArray content(256 * 1024, 'j');
    QVERIFY(testsupport::writeFile(page, content));
    QVERIFY(selectMarker());

    m_fixture->dialogs().expect(testsupport::chooseFile(page));
    m_fixture->click("IDC_ADD_JSP");

    QCOMPARE(testsupport::readFile(page), content);
    QCOMPARE(viewtest::folderEntries(m_fixture->appDir()), (QStringList{"WEB-INF", "index.jsp"}));
    QCOMPARE(m_fixture->items("IDC_LIST_JSP"), QStringList{"index.jsp"});
    QCOMPARE(m_fixture->selected("IDC_LIST_JSP"), QString());
}

void TestAddFiles::readOnlyDestinationIsReported()
{
    const QString chosen = source(QStringLiteral("tools.jar"), "PK jar");
    QVERIFY(selectMarker());
    viewtest::PermissionsEnforced enforced;
    QVERIFY(enforced.isValid());
    QVERIFY(QFile::setPermissions(m_fixture->libDir(), QFile::ReadOwner | QFile::ExeOwner));

    QString message;
    m_fixture->dialogs().expect(testsupport::chooseFile(chosen));
    m_fixture->dialogs().expect(testsupport::answerMessage(QMessageBox::Ok, &message));
    m_fixture->click("IDC_ADD_JAR");

    // One message that names the file and the reason.
    QVERIFY2(message.contains(chosen), qPrintable(message));
    QVERIFY2(message.contains(qt_error_string(EACCES)), qPrintable(message));
    QCOMPARE(viewtest::folderEntries(m_fixture->libDir()), QStringList());
    QCOMPARE(m_fixture->selected("IDC_LIST_JSP"), QStringLiteral("index.jsp"));
}

void TestAddFiles::awkwardSourcePaths_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("spaces, quotes, $(...), ; and Chinese")
        << QStringLiteral("it's \"quoted\" $(touch pwned); `touch pwned2` 你好 page.jsp");
    QString deep;
    while (deep.size() < 300)
        deep += QStringLiteral("a folder with a long name %1/").arg(deep.size());
    QTest::newRow("a path of more than 300 characters") << deep + QStringLiteral("deep.jsp");
}

void TestAddFiles::awkwardSourcePaths()
{
    QFETCH(QString, relative);
    const QString chosen = source(relative, "awkward");
    QVERIFY(!chosen.isEmpty());
    QVERIFY(chosen.size() > 60);
    const QString name = QFileInfo(chosen).fileName();

    m_fixture->dialogs().expect(testsupport::chooseFile(chosen));
    m_fixture->click("IDC_ADD_JSP");

    QCOMPARE(testsupport::readFile(m_fixture->appDir() + QLatin1Char('/') + name), QByteArray("awkward"));
    const QStringList listed = m_fixture->items("IDC_LIST_JSP");
    QCOMPARE(listed.size(), 2);
    QVERIFY(listed.contains(name));
    // Nothing ran the name as a command.
    for (const QString &folder : {m_fixture->appDir(), m_sources->path(), QDir::currentPath()}) {
        const QStringList entries = viewtest::folderEntries(folder);
        QVERIFY(!entries.contains(QStringLiteral("pwned")) && !entries.contains(QStringLiteral("pwned2")));
    }
}

void TestAddFiles::largeFileShowsProgress_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancelled") << true;
    QTest::newRow("left to finish") << false;
}

void TestAddFiles::largeFileShowsProgress()
{
    QFETCH(bool, cancel);
    const QString chosen = m_sources->filePath(QStringLiteral("huge.jar"));
    {
        QFile file(chosen);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(48 * 1024 * 1024));
    }
    QVERIFY(selectMarker());

    QString label;
    bool hadCancelButton = false;
    m_fixture->dialogs().expect(testsupport::chooseFile(chosen));
    m_fixture->dialogs().expect([&](QDialog *d) {
        auto *progress = qobject_cast<QProgressDialog *>(d);
        QPushButton *button = progress ? progress->findChild<QPushButton *>() : nullptr;
        hadCancelButton = button != nullptr;
        label = progress ? progress->labelText() : QString();
        if (cancel && button)
            button->click();
    });
    m_fixture->click("IDC_ADD_JAR");

    QVERIFY(hadCancelButton);
    QVERIFY2(label.contains(QStringLiteral("huge.jar")), qPrintable(label));
    QCOMPARE(viewtest::leftovers(m_fixture->libDir()), QStringList());
    if (cancel) {
        QCOMPARE(viewtest::folderEntries(m_fixture->libDir()), QStringList());
        QCOMPARE(m_fixture->selected("IDC_LIST_JSP"), QStringLiteral("index.jsp"));
    } else {
        QCOMPARE(QFileInfo(m_fixture->libDir() + QStringLiteral("/huge.jar")).size(), 48 * 1024 * 1024);
        QCOMPARE(m_fixture->items("IDC_LIST_JAR"), QStringList{"huge.jar"});
    }
    QVERIFY(!m_fixture->view()->findChild<QProgressDialog *>());
}

void TestAddFiles::serverFoldersAreNeverMade_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("removed"); // below the install folder
    QTest::newRow("JSP, no server at all") << "IDC_ADD_JSP"
                                           << "a.jsp"
                                           << "apache-tomcat-7.0.22";
    QTest::newRow("CLASS, no application folder") << "IDC_ADD_CLASS"
                                                  << "A.class"
                                                  << "apache-tomcat-7.0.22/webapps/brewdeck";
    QTest::newRow("JAR, no webapps folder") << "IDC_ADD_JAR"
                                            << "a.jar"
                                            << "apache-tomcat-7.0.22/webapps";
}

void TestAddFiles::serverFoldersAreNeverMade()
{
    QFETCH(QString, button);
    QFETCH(QString, file);
    QFETCH(QString, removed);
    QVERIFY(QDir(m_fixture->installDir() + QLatin1Char('/') + removed).removeRecursively());
    const QString chosen = source(file, "data");
    const QStringList before = viewtest::folderEntries(m_fixture->installDir());

    QString message;
    m_fixture->dialogs().expect(testsupport::chooseFile(chosen));
    m_fixture->dialogs().expect(testsupport::answerMessage(QMessageBox::Ok, &message));
    m_fixture->click(button.toLatin1().constData());

    // One clear message that names the missing application folder.
    QVERIFY2(message.contains(QStringLiteral("找不到网络应用程序的文件夹“%1”").arg(m_fixture->appDir())),
             qPrintable(message));
    QVERIFY2(message.contains(chosen), qPrintable(message));
    QCOMPARE(viewtest::folderEntries(m_fixture->installDir()), before);
    QVERIFY(!QFileInfo::exists(m_fixture->appDir()));
}

void TestAddFiles::changingSourceIsReported()
{
    // The chosen file shrinks while it is copied; the old file stays.
    const QString chosen = m_sources->filePath(QStringLiteral("shrinking.jar"));
    QVERIFY(testsupport::writeFile(chosen, QByteArray(40 * 1024 * 1024, 'j')));
    QVERIFY(testsupport::writeFile(m_fixture->libDir() + QStringLiteral("/shrinking.jar"), "old"));
    m_fixture->document()->updateAllViews(nullptr);

    QString message;
    m_fixture->dialogs().expect(testsupport::chooseFile(chosen));
    m_fixture->dialogs().expect(testsupport::answerMessage(QMessageBox::Yes));
    // The progress dialog shows for a large file: the file shrinks then.
    m_fixture->dialogs().expect([chosen](QDialog *) { QFile(chosen).resize(1024); });
    m_fixture->dialogs().expect(testsupport::answerMessage(QMessageBox::Ok, &message));
    m_fixture->click("IDC_ADD_JAR");

    QVERIFY2(message.contains(QStringLiteral("复制期间这个文件被改动了")), qPrintable(message));
    QCOMPARE(testsupport::readFile(m_fixture->libDir() + QStringLiteral("/shrinking.jar")), QByteArray("old"));
    QCOMPARE(viewtest::leftovers(m_fixture->libDir()), QStringList());
    QCOMPARE(m_fixture->items("IDC_LIST_JAR"), QStringList{"shrinking.jar"});
}

void TestAddFiles::nothingHappensWithoutWebApp_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("JSP +") << "IDC_ADD_JSP";
    QTest::newRow("CLASS +") << "IDC_ADD_CLASS";
    QTest::newRow("JAR +") << "IDC_ADD_JAR";
    QTest::newRow("H") << "IDC_SET_HOME";
}

void TestAddFiles::nothingHappensWithoutWebApp()
{
    QFETCH(QString, button);
    // A program started with a document file has no web application.
    m_fixture.reset();
    m_fixture = std::make_unique<viewtest::ViewFixture>();
    const QString file = m_sources->filePath(QStringLiteral("start.bdk"));
    QVERIFY(testsupport::writeFile(file, QByteArray()));
    QVERIFY(m_fixture->openDocument(file));
    QVERIFY(!m_fixture->document()->m_pWebApp);
    const QStringList before = viewtest::folderEntries(m_fixture->appDir());

    // No dialog may open: the driver would report it.
    m_fixture->click(button.toLatin1().constData());

    QCOMPARE(m_fixture->dialogs().unexpected(), QStringList());
    QCOMPARE(viewtest::folderEntries(m_fixture->appDir()), before);
    QCOMPARE(m_fixture->editText("IDC_HOME_PAGE"), QString());
    QVERIFY(!m_fixture->document()->m_pWebApp);
}

QTEST_MAIN(TestAddFiles)
#include "tst_addfiles.moc"
