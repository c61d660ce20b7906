#include "ApplicationCore.h"
#include "BrewdeckDoc.h"
#include "CommandIds.h"
#include "CoreSupport.h"
#include "DocumentTemplate.h"
#include "RecentFileList.h"
#include "ServerPaths.h"
#include "StringTable.h"
#include "StringTableData.h"
#include "resource.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// An application without windows whose install folder the test chooses. It
// records what the document reports and answers its question as told.
class TestApp : public fw::ApplicationCore
{
public:
    QString installDirectory() const override { return m_installDir; }

    void reportFileError(int stringId, const QString &path, const QString &reason) override
    {
        m_reported << Report{stringId, path, reason};
    }
    SaveAnswer askSaveChanges(const QString &documentName) override
    {
        m_asked << documentName;
        return m_answer;
    }
    bool doPromptFileName(QString &fileName, bool open, fw::DocumentTemplate *) override
    {
        m_proposed << fileName;
        if (open || m_chosen.isEmpty())
            return false;
        fileName = m_chosen;
        return true;
    }

    struct Report
    {
        int stringId;
        QString path;
        QString reason;
    };
    QString m_installDir = QStringLiteral("/opt/brewdeck");
    QList<Report> m_reported;
    QStringList m_asked;
    SaveAnswer m_answer = SaveAnswer::Cancel;
    QStringList m_proposed;
    QString m_chosen;
};

} // namespace

// The document's life through New, Open, Save and failed opens, driven
// through the document template the way the commands drive it, with no
// window at all.
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
    void unsavableFileIsReported();
    void newAsksBeforeDroppingChanges_data();
    void newAsksBeforeDroppingChanges();

private:
    CBrewdeckDoc *document() const;

    testsupport::SandboxedHome m_home;
    std::unique_ptr<TestApp> m_app;
    std::unique_ptr<fw::DocumentTemplate> m_template;
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
    m_template = std::make_unique<fw::DocumentTemplate>(IDR_MAINFRAME, [] { return new CBrewdeckDoc; });
}

void TestDocument::cleanup()
{
    m_template->closeAllDocuments();
    QCOMPARE(m_app->lockCount(), 0);
    m_template.reset();
    m_app.reset();
}

CBrewdeckDoc *TestDocument::document() const
{
    return static_cast<CBrewdeckDoc *>(m_template->document());
}

void TestDocument::newTwiceBuildsFreshDefaults()
{
    QVERIFY(m_template->openDocumentFile(QString(), false));
    QVERIFY(document()->m_pWebApp);
    QCOMPARE(document()->title(), QStringLiteral("Brewdeck"));
    QVERIFY(!document()->isModified());
    QCOMPARE(g_szTomcatHome, QStringLiteral("/opt/brewdeck/apache-tomcat-7.0.22"));
    QCOMPARE(document()->m_pWebApp->GetName(), QStringLiteral("brewdeck"));
    // The document keeps the program alive while it exists.
    QCOMPARE(m_app->lockCount(), 1);

    document()->m_pWebApp->m_strHomePage = QStringLiteral("hello.jsp");
    m_app->m_installDir = QStringLiteral("/srv/other");
    CBrewdeckDoc *before = document();
    QVERIFY(m_template->openDocumentFile(QString(), false));

    // The same single document, with a record built afresh from the install
    // folder.
    QCOMPARE(document(), before);
    QCOMPARE(m_app->lockCount(), 1);
    QCOMPARE(document()->m_pWebApp->GetHomePage(), QStringLiteral("index.jsp"));
    QCOMPARE(document()->m_pWebApp->GetJspDir(),
             QStringLiteral("/srv/other/apache-tomcat-7.0.22/webapps/brewdeck"));
    QCOMPARE(g_szTomcatHome, QStringLiteral("/srv/other/apache-tomcat-7.0.22"));
    QCOMPARE(g_szJreHome, QStringLiteral("/srv/other/jre7"));
    QCOMPARE(g_szJdkHome, QStringLiteral("/srv/other/jdk1.7.0_01"));
    QVERIFY(m_app->m_asked.isEmpty());
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
    QVERIFY(m_app->m_reported.isEmpty());
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
    // A relative name is made in the scratch folder as the kind says; an
    // absolute one exists already. An empty reason accepts the system's.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    const QString notRegular = QStringLiteral("它不是一个普通文件。");
    QTest::newRow("missing file") << QStringLiteral("no such file.bdk") << QString() << QString();
    QTest::newRow("a folder") << QStringLiteral("a folder.bdk") << QStringLiteral("folder") << notRegular;
    QTest::newRow("a named pipe nobody writes to") << QStringLiteral("pipe.bdk") << QStringLiteral("fifo") << notRegular;
    QTest::newRow("a character device") << QStringLiteral("/dev/zero") << QString() << notRegular;
    QTest::newRow("a socket") << QStringLiteral("socket.bdk") << QStringLiteral("socket") << notRegular;
}

void TestDocument::unopenableFileLeavesDocumentAsItWas()
{
    QFETCH(QString, path);
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString full = QDir::isAbsolutePath(path) ? path : m_files.filePath(path);
    const QByteArray native = QFile::encodeName(full);
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(full));
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    int socketFd = -1;
    const auto closeSocket = qScopeGuard([&socketFd, native] {
        if (socketFd >= 0) {
            ::close(socketFd);
            ::unlink(native.constData());
        }
    });
    if (kind == QLatin1String("socket")) {
        socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(native.size()) < sizeof(address.sun_path));
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        QCOMPARE(::bind(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    }
    // Should the open wait on the pipe, a writer turns up after a while, so
    // that the check fails instead of hanging.
    std::atomic_bool finished = false;
    std::atomic_bool hadToUnblock = false;
    std::thread watchdog([&] {
        for (int i = 0; i < 50 && !finished; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (finished || kind != QLatin1String("fifo"))
            return;
        hadToUnblock = true;
        const int writer = ::open(native.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    });
    const auto stopWatchdog = qScopeGuard([&] {
        finished = true;
        watchdog.join();
    });

    QVERIFY(m_template->openDocumentFile(QString(), false));
    CWebApp *record = document()->m_pWebApp.get();
    record->m_strHomePage = QStringLiteral("chosen.jsp");

    QVERIFY(!m_template->openDocumentFile(full, false));
    finished = true;
    QVERIFY2(!hadToUnblock, "opening waited for a writer on the pipe");

    // The failure was reported once, as the framework's open failure about
    // this file with a reason, and nothing changed.
    QCOMPARE(m_app->m_reported.size(), 1);
    const TestApp::Report &report = m_app->m_reported.constFirst();
    QCOMPARE(report.stringId, fw::ids::IDP_FAILED_TO_OPEN_DOC);
    QCOMPARE(report.path, full);
    QVERIFY(!report.reason.isEmpty());
    if (!reason.isEmpty())
        QCOMPARE(report.reason, reason);
    // The text a user would read names the file in full and ends with why.
    const QString message = fw::StringTable::load(report.stringId).arg(report.path, report.reason);
    QVERIFY2(message.contains(path), qPrintable(message));
    QVERIFY2(message.startsWith(QStringLiteral("无法打开文档“%1”。\n").arg(full)), qPrintable(message));
    if (!reason.isEmpty())
        QVERIFY2(message.endsWith(reason), qPrintable(message));
    QCOMPARE(document()->m_pWebApp.get(), record);
    QCOMPARE(record->GetHomePage(), QStringLiteral("chosen.jsp"));
    QCOMPARE(document()->title(), QStringLiteral("Brewdeck"));
    QVERIFY(document()->pathName().isEmpty());
    QVERIFY(!document()->isModified());
}

void TestDocument::unsavableFileIsReported()
{
    // Nobody can create files in /proc, not even root.
    const QString file = QStringLiteral("/proc/brewdeck-cannot-be-here.bdk");
    QVERIFY(m_template->openDocumentFile(QString(), false));
    document()->setModifiedFlag(true);

    QVERIFY(!document()->doSave(file));

    QCOMPARE(m_app->m_reported.size(), 1);
    QCOMPARE(m_app->m_reported.constFirst().stringId, fw::ids::IDP_FAILED_TO_SAVE_DOC);
    QCOMPARE(m_app->m_reported.constFirst().path, file);
    QVERIFY(!QFileInfo::exists(file));
    // Still unsaved, under its old name.
    QVERIFY(document()->isModified());
    QCOMPARE(document()->title(), QStringLiteral("Brewdeck"));
    QVERIFY(document()->pathName().isEmpty());
}

void TestDocument::newAsksBeforeDroppingChanges_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("renewed");
    QTest::addColumn<bool>("saved");

    using Answer = fw::ApplicationCore::SaveAnswer;
    QTest::newRow("save") << int(Answer::Save) << true << true;
    QTest::newRow("discard") << int(Answer::Discard) << true << false;
    QTest::newRow("cancel") << int(Answer::Cancel) << false << false;
}

void TestDocument::newAsksBeforeDroppingChanges()
{
    QFETCH(int, answer);
    QFETCH(bool, renewed);
    QFETCH(bool, saved);

    // A document without a file goes through Save As, which proposes the
    // title with the template's extension.
    const QString chosen = m_files.filePath(QStringLiteral("chosen %1.bdk").arg(QTest::currentDataTag()));
    m_app->m_chosen = chosen;
    m_app->m_answer = fw::ApplicationCore::SaveAnswer(answer);
    QVERIFY(m_template->openDocumentFile(QString(), false));
    document()->m_pWebApp->m_strHomePage = QStringLiteral("chosen.jsp");
    document()->setModifiedFlag(true);

    const bool result = m_template->openDocumentFile(QString(), false) != nullptr;

    QCOMPARE(result, renewed);
    QCOMPARE(m_app->m_asked, QStringList{"Brewdeck"});
    QCOMPARE(m_app->m_proposed, saved ? QStringList{"Brewdeck.bdk"} : QStringList());
    QCOMPARE(QFileInfo::exists(chosen), saved);
    QCOMPARE(document()->isModified(), !renewed);
    QCOMPARE(document()->m_pWebApp->GetHomePage(),
             renewed ? QStringLiteral("index.jsp") : QStringLiteral("chosen.jsp"));
    QVERIFY(m_app->m_reported.isEmpty());
}

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
