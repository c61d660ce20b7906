#include "Application.h"
#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "DocTemplate.h"
#include "FrameWindow.h"
#include "RecentFileList.h"
#include "ServerPaths.h"
#include "StringTableData.h"
#include "TestSupport.h"
#include "resource.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

#include <memory>

namespace {

// An application whose install folder the test chooses.
class TestApp : public fw::Application
{
public:
    QString installDirectory() const override { return m_installDir; }
    QString m_installDir = QStringLiteral("/opt/brewdeck");
};

} // namespace

// The document's life through New, Open, Save and failed opens, driven
// through the document template the way the commands drive it.
class TestDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newTwiceBuildsFreshDefaults();
    void openKeepsRecordAndPaths();
    void firstDocumentFromFileHasNoRecord();
    void saveWritesEmptyFile_data();
    void saveWritesEmptyFile();
    void unopenableFileLeavesDocumentAsItWas_data();
    void unopenableFileLeavesDocumentAsItWas();

private:
    CBrewdeckDoc *document() const;
    CBrewdeckView *view() const;

    testsupport::SandboxedHome m_home;
    std::unique_ptr<TestApp> m_app;
    fw::SingleDocTemplate *m_template = nullptr;
    QTemporaryDir m_files;
};

void TestDocument::initTestCase()
{
    res::loadStringTable();
    QVERIFY(m_home.isValid());
    QVERIFY(m_files.isValid());
}

void TestDocument::init()
{
    g_szJreHome.clear();
    g_szJdkHome.clear();
    g_szTomcatHome.clear();
    m_app = std::make_unique<TestApp>();
    m_app->setRegistryKey(QStringLiteral("test-key"));
    m_app->loadStdProfileSettings(4);
    m_template = new fw::SingleDocTemplate(
        IDR_MAINFRAME, [] { return new CBrewdeckDoc; }, [] { return new fw::FrameWindow; },
        [] { return new CBrewdeckView; });
    m_app->addDocTemplate(m_template);
}

void TestDocument::cleanup()
{
    m_template->closeAllDocuments();
    m_app.reset();
    m_template = nullptr;
}

CBrewdeckDoc *TestDocument::document() const
{
    return static_cast<CBrewdeckDoc *>(m_template->document());
}

CBrewdeckView *TestDocument::view() const
{
    return document() ? static_cast<CBrewdeckView *>(document()->views().value(0)) : nullptr;
}

void TestDocument::newTwiceBuildsFreshDefaults()
{
    QVERIFY(m_template->openDocumentFile(QString(), false));
    QVERIFY(document()->m_pWebApp);
    QCOMPARE(document()->title(), QStringLiteral("Brewdeck"));
    QVERIFY(!document()->isModified());
    QCOMPARE(g_szTomcatHome, QStringLiteral("/opt/brewdeck/apache-tomcat-7.0.22"));
    QCOMPARE(view()->m_strAppName, QStringLiteral("brewdeck"));

    document()->m_pWebApp->m_strHomePage = QStringLiteral("hello.jsp");
    m_app->m_installDir = QStringLiteral("/srv/other");
    CBrewdeckDoc *before = document();
    QVERIFY(m_template->openDocumentFile(QString(), false));

    // The same single document, with a record built afresh from the install
    // folder, and the view showing it.
    QCOMPARE(document(), before);
    QCOMPARE(document()->m_pWebApp->GetHomePage(), QStringLiteral("index.jsp"));
    QCOMPARE(document()->m_pWebApp->GetJspDir(),
             QStringLiteral("/srv/other/apache-tomcat-7.0.22/webapps/brewdeck"));
    QCOMPARE(g_szTomcatHome, QStringLiteral("/srv/other/apache-tomcat-7.0.22"));
    QCOMPARE(g_szJreHome, QStringLiteral("/srv/other/jre7"));
    QCOMPARE(g_szJdkHome, QStringLiteral("/srv/other/jdk1.7.0_01"));
    QCOMPARE(view()->m_strHomePage, QStringLiteral("index.jsp"));
}

void TestDocument::openKeepsRecordAndPaths()
{
    const QString file = m_files.filePath(QStringLiteral("lesson 1.bdk"));
    QVERIFY(testsupport::writeFile(file, "whatever was in it before"));

    QVERIFY(m_template->openDocumentFile(QString(), false));
    CWebApp *record = document()->m_pWebApp.get();
    record->m_strHomePage = QStringLiteral("hello.jsp");
    const QString tomcatHome = g_szTomcatHome;
    m_app->m_installDir = QStringLiteral("/elsewhere");

    QVERIFY(m_template->openDocumentFile(file, false));
    QCOMPARE(document()->m_pWebApp.get(), record);
    QCOMPARE(record->GetHomePage(), QStringLiteral("hello.jsp"));
    QCOMPARE(g_szTomcatHome, tomcatHome);
    QCOMPARE(document()->title(), QStringLiteral("lesson 1.bdk"));
    QCOMPARE(document()->pathName(), QFileInfo(file).absoluteFilePath());
    QVERIFY(!document()->isModified());
    QCOMPARE(m_app->recentFileList()->files().value(0), QFileInfo(file).absoluteFilePath());
    // The file's content is ignored and left alone.
    QCOMPARE(testsupport::readFile(file), QByteArray("whatever was in it before"));
}

void TestDocument::firstDocumentFromFileHasNoRecord()
{
    const QString file = m_files.filePath(QStringLiteral("start.bdk"));
    QVERIFY(testsupport::writeFile(file, QByteArray()));

    QVERIFY(m_template->openDocumentFile(file, false));
    QVERIFY(!document()->m_pWebApp);
    QVERIFY(g_szJreHome.isEmpty());
    QVERIFY(g_szJdkHome.isEmpty());
    QVERIFY(g_szTomcatHome.isEmpty());
    QCOMPARE(document()->title(), QStringLiteral("start.bdk"));
    QVERIFY(view()->m_strAppName.isEmpty());

    // A New then builds what was missing.
    QVERIFY(m_template->openDocumentFile(QString(), false));
    QVERIFY(document()->m_pWebApp);
    QCOMPARE(g_szTomcatHome, QStringLiteral("/opt/brewdeck/apache-tomcat-7.0.22"));
}

void TestDocument::saveWritesEmptyFile_data()
{
    QTest::addColumn<QByteArray>("previousContent");
    QTest::addColumn<bool>("exists");
    QTest::newRow("new file") << QByteArray() << false;
    QTest::newRow("over a non-empty file") << QByteArray(4096, 'x') << true;
}

void TestDocument::saveWritesEmptyFile()
{
    QFETCH(QByteArray, previousContent);
    QFETCH(bool, exists);
    const QString file = m_files.filePath(QStringLiteral("saved %1.bdk").arg(QTest::currentDataTag()));
    if (exists)
        QVERIFY(testsupport::writeFile(file, previousContent));

    QVERIFY(m_template->openDocumentFile(QString(), false));
    QVERIFY(document()->doSave(file));

    QVERIFY(QFileInfo::exists(file));
    QCOMPARE(QFileInfo(file).size(), 0);
    QCOMPARE(document()->title(), QFileInfo(file).fileName());
    QCOMPARE(document()->pathName(), QFileInfo(file).absoluteFilePath());
    QVERIFY(document()->m_pWebApp); // saving keeps the record
    // No temporary file is left beside it.
    QStringList leftovers;
    for (const QString &name : QDir(m_files.path()).entryList(QDir::Files | QDir::Hidden)) {
        if (!name.endsWith(QLatin1String(".bdk")))
            leftovers << name;
    }
    QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(QLatin1Char(' '))));
}

void TestDocument::unopenableFileLeavesDocumentAsItWas_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing file") << QStringLiteral("no such file.bdk");
    QTest::newRow("a folder") << QStringLiteral("a folder.bdk");
}

void TestDocument::unopenableFileLeavesDocumentAsItWas()
{
    QFETCH(QString, path);
    const QString full = m_files.filePath(path);
    if (path.startsWith(QLatin1String("a folder")))
        QVERIFY(QDir().mkpath(full));

    QVERIFY(m_template->openDocumentFile(QString(), false));
    CWebApp *record = document()->m_pWebApp.get();
    record->m_strHomePage = QStringLiteral("chosen.jsp");

    QString message;
    testsupport::answerNextModal([&message](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            message = box->text();
        modal->close();
    });
    QVERIFY(!m_template->openDocumentFile(full, false));

    // The failure was reported, naming the file, and nothing changed.
    QVERIFY2(message.contains(QFileInfo(full).fileName()), qPrintable(message));
    QCOMPARE(document()->m_pWebApp.get(), record);
    QCOMPARE(record->GetHomePage(), QStringLiteral("chosen.jsp"));
    QCOMPARE(document()->title(), QStringLiteral("Brewdeck"));
    QVERIFY(document()->pathName().isEmpty());
    QVERIFY(!document()->isModified());
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
