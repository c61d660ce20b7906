#include "FileCopy.h"
#include "FileHelpers.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using platform::CopyOutcome;
using platform::CopyStep;

Q_DECLARE_METATYPE(platform::CopyStep)

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// Limits the size of files this process may write, as a full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_saved); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved{};
};

} // namespace

// Copying one file into a folder: in place atomically, with the replaced
// file in the trash, and with nothing left behind by a cancel or a failure.
class TestFileCopy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void copiesIntoFolder_data();
    void copiesIntoFolder();
    void reportsProgressUpToTheTotal();
    void replaceAsksFirst_data();
    void replaceAsksFirst();
    void trashWorksBeforeTheDataFolderExists();
    void fileFromTheFolderItselfIsLeftAlone_data();
    void fileFromTheFolderItselfIsLeftAlone();
    void cancelLeavesNothing_data();
    void cancelLeavesNothing();
    void failureLeavesNothing_data();
    void failureLeavesNothing();

private:
    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    QStringList trashed() const;

    std::unique_ptr<testsupport::SandboxedHome> m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_savedCurrent;
};

void TestFileCopy::initTestCase()
{
    // A write past the file size limit raises SIGXFSZ, which would end the test.
    std::signal(SIGXFSZ, SIG_IGN);
    m_savedCurrent = QDir::currentPath();
}

void TestFileCopy::init()
{
    m_home = std::make_unique<testsupport::SandboxedHome>();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    QVERIFY(m_dir->isValid());
    // Qt once trashed into the current folder; keep ours where we can see it.
    QVERIFY(QDir().mkpath(path(QStringLiteral("cwd"))));
    QVERIFY(QDir::setCurrent(path(QStringLiteral("cwd"))));
}

void TestFileCopy::cleanup()
{
    QDir::setCurrent(m_savedCurrent);
    // Permissions a test took away must not stop the clean-up.
    for (const QString &dir : {path(QStringLiteral("dest")), path(QStringLiteral("src"))})
        ::chmod(QFile::encodeName(dir).constData(), 0755);
    m_dir.reset();
    m_home.reset();
}

QStringList TestFileCopy::trashed() const
{
    return viewtest::folderEntries(m_home->dataHome() + QStringLiteral("/Trash/files"));
}

void TestFileCopy::copiesIntoFolder_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("content");

    const QString longFolder = QStringLiteral("x").repeated(60);
    QString longSource = QStringLiteral("src");
    QString longDest = QStringLiteral("dest");
    for (int i = 0; i < 5; ++i) {
        longSource += QLatin1Char('/') + longFolder;
        longDest += QLatin1Char('/') + longFolder;
    }

    QTest::newRow("into an existing folder") << "src/a.jsp"
                                             << "dest" << QByteArray("<p>hello</p>\n");
    QTest::newRow("folder made when missing") << "src/Util.class"
                                              << "dest/WEB-INF/classes" << QByteArray("\xca\xfe\xba\xbe", 4);
    QTest::newRow("empty file") << "src/empty.jsp"
                                << "dest" << QByteArray();
    QTest::newRow("shell characters and Chinese in the name")
        << QStringLiteral("src/it's \"q\" $(touch pwned); `id` 页面 a.jsp") << "dest" << QByteArray("ok");
    QTest::newRow("paths over 300 characters") << longSource + QStringLiteral("/deep.jar") << longDest
                                               << randomBytes(64 * 1024);
    QTest::newRow("larger than one chunk") << "src/big.jar"
                                           << "dest" << randomBytes(20 * 1024 * 1024 + 123);
}

void TestFileCopy::copiesIntoFolder()
{
    QFETCH(QString, source);
    QFETCH(QString, folder);
    QFETCH(QByteArray, content);
    if (folder == QLatin1String("dest"))
        QVERIFY(QDir().mkpath(path(folder)));
    QVERIFY(testsupport::writeFile(path(source), content));
    QVERIFY(QFile::setPermissions(path(source), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));

    bool asked = false;
    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [&asked](const QString &) { return asked = true; };
    const platform::CopyResult result = platform::copyFileInto(path(source), path(folder), callbacks);

    QCOMPARE(result.outcome, CopyOutcome::Copied);
    const QString target = path(folder) + QLatin1Char('/') + QFileInfo(source).fileName();
    QCOMPARE(result.target, target);
    QCOMPARE(testsupport::readFile(target), content);
    QCOMPARE(testsupport::readFile(path(source)), content);
    QCOMPARE(QFileInfo(target).permissions() & 0x0fff, QFileInfo(path(source)).permissions() & 0x0fff);
    QVERIFY(!asked);
    QCOMPARE(viewtest::leftovers(path(folder)), QStringList());
    QCOMPARE(viewtest::folderEntries(path(folder)), QStringList{QFileInfo(source).fileName()});
    // The name went nowhere near a shell.
    QCOMPARE(viewtest::folderEntries(path(QStringLiteral("cwd"))), QStringList());
}

void TestFileCopy::reportsProgressUpToTheTotal()
{
    const QByteArray content = randomBytes(30 * 1024 * 1024 + 7);
    QVERIFY(testsupport::writeFile(path(QStringLiteral("src/big.jar")), content));
    QList<qint64> seen;
    qint64 lastTotal = -1;
    platform::CopyCallbacks callbacks;
    callbacks.progress = [&](qint64 done, qint64 total) {
        seen << done;
        lastTotal = total;
        return true;
    };
    const auto result = platform::copyFileInto(path(QStringLiteral("src/big.jar")), path(QStringLiteral("dest")), callbacks);

    QCOMPARE(result.outcome, CopyOutcome::Copied);
    QCOMPARE(lastTotal, qint64(content.size()));
    QVERIFY(seen.size() >= 2);
    QCOMPARE(seen.constFirst(), 0);
    QCOMPARE(seen.constLast(), qint64(content.size()));
    QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));
    QCOMPARE(testsupport::readFile(result.target), content);
}

void TestFileCopy::replaceAsksFirst_data()
{
    QTest::addColumn<int>("answer"); // 1 yes, 0 no, -1 nobody to ask
    QTest::newRow("yes") << 1;
    QTest::newRow("no") << 0;
    QTest::newRow("nobody to ask") << -1;
}

void TestFileCopy::replaceAsksFirst()
{
    QFETCH(int, answer);
    const QString target = path(QStringLiteral("dest/hello 你好.jsp"));
    QVERIFY(testsupport::writeFile(path(QStringLiteral("src/hello 你好.jsp")), "new"));
    QVERIFY(testsupport::writeFile(target, "old"));

    QStringList asked;
    platform::CopyCallbacks callbacks;
    if (answer >= 0) {
        callbacks.confirmReplace = [&](const QString &existing) {
            asked << existing;
            return answer == 1;
        };
    }
    const auto result = platform::copyFileInto(path(QStringLiteral("src/hello 你好.jsp")), path(QStringLiteral("dest")), callbacks);

    QCOMPARE(asked, answer >= 0 ? QStringList{target} : QStringList());
    QCOMPARE(viewtest::leftovers(path(QStringLiteral("dest"))), QStringList());
    if (answer != 1) {
        QCOMPARE(result.outcome, CopyOutcome::Declined);
        QCOMPARE(testsupport::readFile(target), QByteArray("old"));
        QCOMPARE(trashed(), QStringList());
        return;
    }
    QCOMPARE(result.outcome, CopyOutcome::Copied);
    QCOMPARE(testsupport::readFile(target), QByteArray("new"));
    // The old file is in the desktop trash, with the record a file manager
    // needs to put it back.
    QVERIFY2(result.trashedOld.startsWith(m_home->dataHome() + QStringLiteral("/Trash/files/")), qPrintable(result.trashedOld));
    QCOMPARE(testsupport::readFile(result.trashedOld), QByteArray("old"));
    const QByteArray info = testsupport::readFile(m_home->dataHome() + QStringLiteral("/Trash/info/")
                                                  + QFileInfo(result.trashedOld).fileName() + QStringLiteral(".trashinfo"));
    QVERIFY2(info.contains("Path=" + QUrl::toPercentEncoding(target, "/") + '\n'), info.constData());
}

void TestFileCopy::trashWorksBeforeTheDataFolderExists()
{
    // A new account has no ~/.local/share yet.
    const QString dataHome = path(QStringLiteral("fresh/share"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    QVERIFY(testsupport::writeFile(path(QStringLiteral("src/a.jsp")), "new"));
    QVERIFY(testsupport::writeFile(path(QStringLiteral("dest/a.jsp")), "old"));
    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [](const QString &) { return true; };

    const auto result = platform::copyFileInto(path(QStringLiteral("src/a.jsp")), path(QStringLiteral("dest")), callbacks);

    QCOMPARE(result.outcome, CopyOutcome::Copied);
    QCOMPARE(testsupport::readFile(path(QStringLiteral("dest/a.jsp"))), QByteArray("new"));
    QCOMPARE(result.trashedOld, dataHome + QStringLiteral("/Trash/files/a.jsp"));
    QCOMPARE(testsupport::readFile(result.trashedOld), QByteArray("old"));
    QCOMPARE(viewtest::folderEntries(path(QStringLiteral("cwd"))), QStringList());
}

void TestFileCopy::fileFromTheFolderItselfIsLeftAlone_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("folder");
    QTest::newRow("chosen in the folder") << "dest/a.jsp"
                                          << "dest";
    QTest::newRow("folder reached through a link") << "dest/a.jsp"
                                                   << "link-to-dest";
    QTest::newRow("the folder holds a link to the chosen file") << "elsewhere/a.jsp"
                                                                << "dest";
}

void TestFileCopy::fileFromTheFolderItselfIsLeftAlone()
{
    QFETCH(QString, source);
    QFETCH(QString, folder);
    const QByteArray content = randomBytes(1024 * 1024);
    QVERIFY(testsupport::writeFile(path(source), content));
    QVERIFY(QDir().mkpath(path(QStringLiteral("dest"))));
    QVERIFY(QFile::link(path(QStringLiteral("dest")), path(QStringLiteral("link-to-dest"))));
    if (source.startsWith(QLatin1String("elsewhere")))
        QVERIFY(QFile::link(path(source), path(QStringLiteral("dest/a.jsp"))));

    bool asked = false;
    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [&asked](const QString &) { return asked = true; };
    const auto result = platform::copyFileInto(path(source), path(folder), callbacks);

    QCOMPARE(result.outcome, CopyOutcome::AlreadyThere);
    QVERIFY(result.succeeded());
    QVERIFY(!asked);
    QCOMPARE(testsupport::readFile(path(source)), content);
    QCOMPARE(testsupport::readFile(path(QStringLiteral("dest/a.jsp"))), content);
    QCOMPARE(viewtest::leftovers(path(QStringLiteral("dest"))), QStringList());
    QCOMPARE(trashed(), QStringList());
}

void TestFileCopy::cancelLeavesNothing_data()
{
    QTest::addColumn<int>("cancelAtCall");
    QTest::addColumn<bool>("replacing");
    QTest::newRow("before the first chunk") << 1 << false;
    QTest::newRow("after the first chunk") << 2 << false;
    QTest::newRow("while replacing") << 2 << true;
}

void TestFileCopy::cancelLeavesNothing()
{
    QFETCH(int, cancelAtCall);
    QFETCH(bool, replacing);
    QVERIFY(testsupport::writeFile(path(QStringLiteral("src/big.jar")), randomBytes(24 * 1024 * 1024)));
    if (replacing)
        QVERIFY(testsupport::writeFile(path(QStringLiteral("dest/big.jar")), "old"));
    else
        QVERIFY(QDir().mkpath(path(QStringLiteral("dest"))));

    int calls = 0;
    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [](const QString &) { return true; };
    callbacks.progress = [&](qint64, qint64) { return ++calls < cancelAtCall; };
    const auto result = platform::copyFileInto(path(QStringLiteral("src/big.jar")), path(QStringLiteral("dest")), callbacks);

    QCOMPARE(result.outcome, CopyOutcome::Cancelled);
    QCOMPARE(calls, cancelAtCall);
    QCOMPARE(viewtest::folderEntries(path(QStringLiteral("dest"))),
             replacing ? QStringList{QStringLiteral("big.jar")} : QStringList());
    if (replacing)
        QCOMPARE(testsupport::readFile(path(QStringLiteral("dest/big.jar"))), QByteArray("old"));
    QCOMPARE(trashed(), QStringList());
}

void TestFileCopy::failureLeavesNothing_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("replacing");
    QTest::addColumn<CopyStep>("step");
    QTest::addColumn<QString>("failedPath");

    QTest::newRow("read-only folder") << "read-only" << false << CopyStep::CreateCopy << "dest";
    QTest::newRow("unreadable file") << "unreadable" << false << CopyStep::OpenSource << "src/a.jar";
    QTest::newRow("a folder chosen") << "folder" << false << CopyStep::SourceNotFile << "src/a.jar";
    QTest::newRow("folder of that name in the way") << "folder in the way" << false << CopyStep::TargetIsFolder << "dest/a.jar";
    QTest::newRow("folder cannot be made") << "file in the path" << false << CopyStep::MakeFolder << "dest/plain/sub";
    QTest::newRow("disk full") << "disk full" << false << CopyStep::Transfer << "dest/a.jar";
    QTest::newRow("disk full while replacing") << "disk full" << true << CopyStep::Transfer << "dest/a.jar";
    QTest::newRow("no usable trash") << "no trash" << true << CopyStep::TrashOld << "dest/a.jar";
}

void TestFileCopy::failureLeavesNothing()
{
    QFETCH(QString, situation);
    QFETCH(bool, replacing);
    QFETCH(CopyStep, step);
    QFETCH(QString, failedPath);

    QString source = path(QStringLiteral("src/a.jar"));
    QString folder = path(QStringLiteral("dest"));
    QVERIFY(QDir().mkpath(folder));
    if (situation == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(source));
    else
        QVERIFY(testsupport::writeFile(source, randomBytes(4 * 1024 * 1024)));
    if (replacing)
        QVERIFY(testsupport::writeFile(path(QStringLiteral("dest/a.jar")), "old"));

    viewtest::PermissionsEnforced enforced;
    QVERIFY(enforced.isValid());
    std::unique_ptr<FileSizeLimit> limit;
    if (situation == QLatin1String("read-only"))
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    else if (situation == QLatin1String("unreadable"))
        QVERIFY(QFile::setPermissions(source, QFile::WriteOwner));
    else if (situation == QLatin1String("folder in the way"))
        QVERIFY(QDir().mkpath(path(QStringLiteral("dest/a.jar"))));
    else if (situation == QLatin1String("file in the path")) {
        QVERIFY(testsupport::writeFile(path(QStringLiteral("dest/plain")), "x"));
        folder = path(QStringLiteral("dest/plain/sub"));
    } else if (situation == QLatin1String("disk full"))
        limit = std::make_unique<FileSizeLimit>(1024 * 1024);
    else if (situation == QLatin1String("no trash")) {
        // A data folder that is a plain file cannot hold a trash.
        QVERIFY(testsupport::writeFile(path(QStringLiteral("not-a-folder")), "x"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("not-a-folder"))));
    }

    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [](const QString &) { return true; };
    const auto result = platform::copyFileInto(source, folder, callbacks);
    limit.reset();
    QFile::setPermissions(path(QStringLiteral("dest")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(result.outcome, CopyOutcome::Failed);
    QCOMPARE(result.failedStep, step);
    QCOMPARE(result.failedPath, path(failedPath));
    QVERIFY(!result.reason.isEmpty());
    if (situation == QLatin1String("read-only"))
        QCOMPARE(result.reason, qt_error_string(EACCES));
    if (situation == QLatin1String("disk full"))
        QCOMPARE(result.reason, qt_error_string(EFBIG));
    QCOMPARE(viewtest::leftovers(path(QStringLiteral("dest"))), QStringList());
    if (replacing)
        QCOMPARE(testsupport::readFile(path(QStringLiteral("dest/a.jar"))), QByteArray("old"));
    else if (situation != QLatin1String("folder in the way") && situation != QLatin1String("file in the path"))
        QCOMPARE(viewtest::folderEntries(path(QStringLiteral("dest"))), QStringList());
    QCOMPARE(trashed(), QStringList());
    QCOMPARE(viewtest::folderEntries(path(QStringLiteral("cwd"))), QStringList());
}

QTEST_GUILESS_MAIN(TestFileCopy)
#include "tst_filecopy.moc"
