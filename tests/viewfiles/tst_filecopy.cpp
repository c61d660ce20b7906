#include "FileCopy.h"
#include "FileHelpers.h"
#include "FolderListing.h"
#include "TestSupport.h"
#include "Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <atomic>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>
#include <unistd.h>

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

// A small tmpfs of our own, for a full disk and a second file system. Needs
// the right to mount (root in the test sandbox); isValid() says why not.
class TmpfsMount
{
public:
    TmpfsMount(const QString &where, const QByteArray &size) : m_where(QFile::encodeName(where))
    {
        QDir().mkpath(where);
        m_mounted = ::mount("tmpfs", m_where.constData(), "tmpfs", 0, ("mode=0755,size=" + size).constData()) == 0;
        m_error = m_mounted ? 0 : errno;
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            ::umount2(m_where.constData(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;
    bool isValid() const { return m_mounted; }
    QByteArray whyNot() const { return "cannot mount a tmpfs here: " + qt_error_string(m_error).toUtf8(); }

private:
    QByteArray m_where;
    bool m_mounted = false;
    int m_error = 0;
};

// Runs `work` in a forked child and hands back what it returned, so that a
// test can drop privileges or be killed without touching this process.
QByteArray inChild(const std::function<QByteArray()> &work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray answer = work();
        const ssize_t written = ::write(fds[1], answer.constData(), size_t(answer.size()));
        ::_exit(written == answer.size() ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray answer;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        answer.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return answer;
}

// Removes a tree by descriptors: QDir cannot reach paths over the system's
// limit, nor name files whose names are not UTF-8.
void removeTree(int parent, const char *name)
{
    const int dir = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) {
        ::unlinkat(parent, name, 0);
        return;
    }
    ::fchmod(dir, 0700);
    if (DIR *listing = ::fdopendir(::dup(dir))) {
        std::vector<QByteArray> entries;
        while (const dirent *entry = ::readdir(listing)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                entries.emplace_back(entry->d_name);
        }
        ::closedir(listing);
        for (const QByteArray &entry : entries)
            removeTree(dir, entry.constData());
    }
    ::close(dir);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

QByteArray describe(const platform::CopyResult &result)
{
    return QByteArray::number(int(result.outcome)) + ' ' + QByteArray::number(int(result.failedStep)) + ' '
        + result.reason.toUtf8();
}

// The original path that the trash record of a trashed file names.
QByteArray recordedPath(const QString &pathInTrash)
{
    const QFileInfo trashed(pathInTrash);
    const QByteArray record = testsupport::readFile(trashed.absolutePath() + QStringLiteral("/../info/")
                                                    + trashed.fileName() + QStringLiteral(".trashinfo"));
    return platform::trashInfoPath(record).value_or("<no record>");
}

// Makes a chain of folders whose path is longer than the system allows,
// walking down with relative steps; returns the path.
QByteArray makeDeepFolder(const QByteArray &base, int minimumLength)
{
    QByteArray path = base;
    int dir = ::open(base.constData(), O_PATH | O_DIRECTORY);
    const QByteArray level(200, 'd');
    while (dir >= 0 && path.size() < minimumLength) {
        ::mkdirat(dir, level.constData(), 0755);
        const int next = ::openat(dir, level.constData(), O_PATH | O_DIRECTORY);
        ::close(dir);
        dir = next;
        path += '/' + level;
    }
    if (dir >= 0)
        ::close(dir);
    return path;
}

} // namespace

Q_DECLARE_METATYPE(platform::CopyOutcome)

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
    void replaceNeverLeavesTheNameMissing_data();
    void replaceNeverLeavesTheNameMissing();
    void trashTakesEveryName_data();
    void trashTakesEveryName();
    void trashGivesUpAfterBoundedTries_data();
    void trashGivesUpAfterBoundedTries();
    void replaceOnAnotherFileSystemUsesItsTrash();
    void trashRecordRoundTrip_data();
    void trashRecordRoundTrip();
    void changingSourceIsAFailure_data();
    void changingSourceIsAFailure();
    void killedCopyLeavesNothing_data();
    void killedCopyLeavesNothing();
    void staleTemporariesAreSwept_data();
    void staleTemporariesAreSwept();
    void badInput_data();
    void badInput();

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
    removeTree(AT_FDCWD, QFile::encodeName(m_dir->path()).constData());
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
    QTest::newRow("folder made below an existing one") << "src/Util.class"
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
    QVERIFY(QDir().mkpath(path(QStringLiteral("dest"))));
    QVERIFY(testsupport::writeFile(path(source), content));
    QVERIFY(QFile::setPermissions(path(source), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));

    bool asked = false;
    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [&asked](const QString &) { return asked = true; };
    platform::CopyOptions options;
    options.makeFoldersBelow = path(QStringLiteral("dest"));
    const platform::CopyResult result = platform::copyFileInto(path(source), path(folder), callbacks, options);

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
    QVERIFY(QDir().mkpath(path(QStringLiteral("dest"))));
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
    QTest::newRow("no usable trash, no swap") << "no trash, no swap" << true << CopyStep::TrashOld << "dest/a.jar";
    // The server's folders are never made: only a kind's folder inside an
    // existing application folder.
    QTest::newRow("application folder missing") << "no app folder" << false << CopyStep::FolderMissing << "dest/app";
    QTest::newRow("destination missing, nothing may be made") << "nothing may be made" << false
                                                              << CopyStep::FolderMissing << "dest/lib";
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
    else if (situation == QLatin1String("no app folder"))
        folder = path(QStringLiteral("dest/app/WEB-INF/lib"));
    else if (situation == QLatin1String("nothing may be made"))
        folder = path(QStringLiteral("dest/lib"));
    else if (situation.startsWith(QLatin1String("no trash"))) {
        // A data folder that is a plain file cannot hold a trash.
        QVERIFY(testsupport::writeFile(path(QStringLiteral("not-a-folder")), "x"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("not-a-folder"))));
    }

    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [](const QString &) { return true; };
    platform::CopyOptions options;
    options.exchange = !situation.endsWith(QLatin1String("no swap"));
    if (situation == QLatin1String("no app folder"))
        options.makeFoldersBelow = path(QStringLiteral("dest/app"));
    else if (situation != QLatin1String("nothing may be made"))
        options.makeFoldersBelow = path(QStringLiteral("dest"));
    const auto result = platform::copyFileInto(source, folder, callbacks, options);
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

void TestFileCopy::replaceNeverLeavesTheNameMissing_data()
{
    QTest::addColumn<bool>("exchange");
    QTest::addColumn<bool>("unnamed");
    QTest::newRow("swap, unnamed file") << true << true;
    QTest::newRow("swap, hidden temporary file") << true << false;
    QTest::newRow("no swap on this file system: old order") << false << true;
    QTest::newRow("neither swap nor unnamed files") << false << false;
}

void TestFileCopy::replaceNeverLeavesTheNameMissing()
{
    QFETCH(bool, exchange);
    QFETCH(bool, unnamed);
    const QByteArray oldContent = randomBytes(1024 * 1024).toHex();
    const QByteArray newContent = randomBytes(24 * 1024 * 1024 + 5);
    const QString target = path(QStringLiteral("dest/lib.jar"));
    QVERIFY(testsupport::writeFile(target, oldContent));
    QVERIFY(testsupport::writeFile(path(QStringLiteral("src/lib.jar")), newContent));

    // A server polling the name while the copy runs.
    std::atomic<bool> stop{false};
    std::atomic<int> missing{0};
    std::atomic<int> looks{0};
    const QByteArray targetBytes = QFile::encodeName(target);
    std::thread watcher([&] {
        while (!stop) {
            struct stat st;
            if (::stat(targetBytes.constData(), &st) != 0)
                ++missing;
            ++looks;
        }
    });
    QStringList hiddenWhileCopying;
    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [](const QString &) { return true; };
    callbacks.progress = [&](qint64 done, qint64) {
        if (done > 0 && hiddenWhileCopying.isEmpty())
            hiddenWhileCopying = viewtest::leftovers(path(QStringLiteral("dest"))) << QStringLiteral("seen");
        return true;
    };
    platform::CopyOptions options;
    options.exchange = exchange;
    options.unnamedFile = unnamed;
    const auto result = platform::copyFileInto(path(QStringLiteral("src/lib.jar")), path(QStringLiteral("dest")),
                                               callbacks, options);
    stop = true;
    watcher.join();

    QCOMPARE(result.outcome, CopyOutcome::Copied);
    QCOMPARE(testsupport::readFile(target), newContent);
    QCOMPARE(testsupport::readFile(result.trashedOld), oldContent);
    QCOMPARE(recordedPath(result.trashedOld), targetBytes);
    QCOMPARE(viewtest::folderEntries(path(QStringLiteral("dest"))), QStringList{"lib.jar"});
    // The data went to a file with no name at all, or to one hidden name.
    QCOMPARE(hiddenWhileCopying.size(), unnamed ? 1 : 2);
    QVERIFY(looks > 0);
    if (exchange)
        QCOMPARE(int(missing), 0);
}

void TestFileCopy::trashTakesEveryName_data()
{
    QTest::addColumn<QByteArray>("name");
    // The record's name is the file's name plus ".trashinfo": from 246 bytes
    // on it no longer fits, which once made the trash step spin for ever.
    for (int length : {245, 246, 250, 255})
        QTest::addRow("%d bytes", length) << QByteArray(length - 4, 'n') + ".jsp";
    QTest::newRow("255 bytes of Chinese and ASCII") << QString(QStringLiteral("页").repeated(83)).toUtf8() + "ab.jsp";
    QTest::newRow("newline, percent, hash") << QByteArray("line\nbreak 100% #1?.jsp");
    QTest::newRow("255 bytes, no extension") << QByteArray(255, 'x');
}

void TestFileCopy::trashTakesEveryName()
{
    QFETCH(QByteArray, name);
    const QString fileName = QFile::decodeName(name);
    const QString target = path(QStringLiteral("dest/")) + fileName;
    QVERIFY(testsupport::writeFile(target, "old"));
    QVERIFY(testsupport::writeFile(path(QStringLiteral("src/")) + fileName, "new"));

    // Twice, so that the second old file meets the first one's name.
    for (const QByteArray &round : {QByteArray("first"), QByteArray("second")}) {
        QVERIFY(testsupport::writeFile(target, "old " + round));
        platform::CopyCallbacks callbacks;
        callbacks.confirmReplace = [](const QString &) { return true; };
        const auto result = platform::copyFileInto(path(QStringLiteral("src/")) + fileName,
                                                   path(QStringLiteral("dest")), callbacks);
        QCOMPARE(result.outcome, CopyOutcome::Copied);
        QCOMPARE(testsupport::readFile(target), QByteArray("new"));
        QCOMPARE(testsupport::readFile(result.trashedOld), "old " + round);
        // The record names the whole original path, and fits beside the file.
        QCOMPARE(recordedPath(result.trashedOld), QFile::encodeName(target));
        QVERIFY(QFile::encodeName(QFileInfo(result.trashedOld).fileName()).size() + 10 <= 255);
    }
    QCOMPARE(trashed().size(), 2);
    QCOMPARE(viewtest::leftovers(path(QStringLiteral("dest"))), QStringList());
    QCOMPARE(viewtest::leftovers(m_home->dataHome() + QStringLiteral("/Trash/info")), QStringList());
}

void TestFileCopy::trashGivesUpAfterBoundedTries_data()
{
    QTest::addColumn<bool>("exchange");
    QTest::newRow("after a swap") << true;
    QTest::newRow("without a swap") << false;
}

void TestFileCopy::trashGivesUpAfterBoundedTries()
{
    QFETCH(bool, exchange);
    // Every name the trash would try is taken by another record.
    const QString info = m_home->dataHome() + QStringLiteral("/Trash/info/");
    QVERIFY(QDir().mkpath(info));
    QVERIFY(QDir().mkpath(m_home->dataHome() + QStringLiteral("/Trash/files")));
    QVERIFY(testsupport::writeFile(info + QStringLiteral("x.jsp.trashinfo"), "taken"));
    for (int n = 2; n <= 100; ++n)
        QVERIFY(testsupport::writeFile(info + QStringLiteral("x (%1).jsp.trashinfo").arg(n), "taken"));
    QVERIFY(testsupport::writeFile(path(QStringLiteral("dest/x.jsp")), "old"));
    QVERIFY(testsupport::writeFile(path(QStringLiteral("src/x.jsp")), "new"));

    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [](const QString &) { return true; };
    platform::CopyOptions options;
    options.exchange = exchange;
    const auto result = platform::copyFileInto(path(QStringLiteral("src/x.jsp")), path(QStringLiteral("dest")),
                                               callbacks, options);

    QCOMPARE(result.outcome, CopyOutcome::Failed);
    QCOMPARE(result.failedStep, CopyStep::TrashOld);
    QVERIFY(!result.reason.isEmpty());
    QCOMPARE(testsupport::readFile(path(QStringLiteral("dest/x.jsp"))), QByteArray("old"));
    QCOMPARE(viewtest::folderEntries(path(QStringLiteral("dest"))), QStringList{"x.jsp"});
    QCOMPARE(trashed(), QStringList());
    // No record was overwritten, and none of ours was left.
    const QStringList records = viewtest::folderEntries(info);
    QCOMPARE(records.size(), 100);
    for (const QString &record : records)
        QCOMPARE(testsupport::readFile(info + record), QByteArray("taken"));
}

void TestFileCopy::replaceOnAnotherFileSystemUsesItsTrash()
{
    TmpfsMount mount(path(QStringLiteral("mnt")), "16m");
    if (!mount.isValid())
        QSKIP(mount.whyNot().constData());
    const QString folder = path(QStringLiteral("mnt/app"));
    QVERIFY(testsupport::writeFile(folder + QStringLiteral("/a.jsp"), "old"));
    QVERIFY(testsupport::writeFile(path(QStringLiteral("src/a.jsp")), "new"));

    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [](const QString &) { return true; };
    const auto result = platform::copyFileInto(path(QStringLiteral("src/a.jsp")), folder, callbacks);

    QCOMPARE(result.outcome, CopyOutcome::Copied);
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/a.jsp")), QByteArray("new"));
    // The home trash is on another file system: the file's own one takes it,
    // with a path from its top.
    QCOMPARE(result.trashedOld, path(QStringLiteral("mnt/.Trash-%1/files/a.jsp").arg(::getuid())));
    QCOMPARE(testsupport::readFile(result.trashedOld), QByteArray("old"));
    QCOMPARE(recordedPath(result.trashedOld), QByteArray("app/a.jsp"));
    QCOMPARE(QFileInfo(path(QStringLiteral("mnt/.Trash-%1").arg(::getuid()))).permissions() & 0x7077,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(trashed(), QStringList());
}

void TestFileCopy::trashRecordRoundTrip_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QByteArray>("pathLine");
    QTest::newRow("plain") << QByteArray("/srv/app/index.jsp") << QByteArray("Path=/srv/app/index.jsp");
    QTest::newRow("newline") << QByteArray("/a\nb.jsp") << QByteArray("Path=/a%0Ab.jsp");
    QTest::newRow("percent, hash, question mark, space")
        << QByteArray("/x/100% #?.jsp") << QByteArray("Path=/x/100%25%20%23%3F.jsp");
    QTest::newRow("not UTF-8") << QByteArray("/x/\xe9\xff.jsp") << QByteArray("Path=/x/%E9%FF.jsp");
    QTest::newRow("Chinese") << QString(QStringLiteral("/x/页.jsp")).toUtf8() << QByteArray("Path=/x/%E9%A1%B5.jsp");
    QTest::newRow("relative, from a file system's top") << QByteArray("app/a.jsp") << QByteArray("Path=app/a.jsp");
    QTest::newRow("carriage return and a second key") << QByteArray("/a\r\nPath=/etc/passwd")
                                                       << QByteArray("Path=/a%0D%0APath%3D/etc/passwd");
}

void TestFileCopy::trashRecordRoundTrip()
{
    QFETCH(QByteArray, original);
    QFETCH(QByteArray, pathLine);
    const QByteArray record = platform::trashInfoRecord(original, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    QCOMPARE(record, "[Trash Info]\n" + pathLine + "\nDeletionDate=2026-01-02T03:04:05\n");
    QCOMPARE(platform::trashInfoPath(record).value_or("<none>"), original);
    // Malformed records give nothing rather than a wrong path.
    QVERIFY(!platform::trashInfoPath("[Trash Info]\nPath=/a%2\n"));
    QVERIFY(!platform::trashInfoPath("[Other]\nPath=/a\n"));
    QCOMPARE(platform::trashInfoPath("[Trash Info]\r\nPath=/a%20b\r\n").value_or("<none>"), QByteArray("/a b"));
}

void TestFileCopy::changingSourceIsAFailure_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("replacing");
    QTest::addColumn<bool>("unnamed");
    QTest::newRow("shrinks") << "shrinks" << false << true;
    QTest::newRow("shrinks while replacing") << "shrinks" << true << true;
    QTest::newRow("shrinks, hidden temporary file") << "shrinks" << false << false;
    QTest::newRow("grows") << "grows" << false << true;
    QTest::newRow("rewritten at the same size") << "rewritten" << true << true;
    // The open file still gives all of its data: what was chosen is copied.
    QTest::newRow("removed while copying") << "removed" << false << true;
}

void TestFileCopy::changingSourceIsAFailure()
{
    QFETCH(QString, change);
    QFETCH(bool, replacing);
    QFETCH(bool, unnamed);
    const QString source = path(QStringLiteral("src/big.jar"));
    const QByteArray content = randomBytes(24 * 1024 * 1024);
    QVERIFY(testsupport::writeFile(source, content));
    // An hour old, so that a rewrite shows in the time even on coarse clocks.
    const QByteArray sourceBytes = QFile::encodeName(source);
    const timespec anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, sourceBytes.constData(), anHourAgo, 0), 0);
    QVERIFY(QDir().mkpath(path(QStringLiteral("dest"))));
    if (replacing)
        QVERIFY(testsupport::writeFile(path(QStringLiteral("dest/big.jar")), "old"));

    bool changed = false;
    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [](const QString &) { return true; };
    callbacks.progress = [&](qint64 done, qint64) {
        if (done == 0 || changed)
            return true;
        changed = true;
        if (change == QLatin1String("shrinks"))
            ::truncate(sourceBytes.constData(), 16 * 1024 * 1024);
        else if (change == QLatin1String("removed"))
            QFile::remove(source);
        if (change == QLatin1String("grows") || change == QLatin1String("rewritten")) {
            QFile file(source);
            if (file.open(change == QLatin1String("grows") ? QIODevice::Append : QIODevice::ReadWrite))
                file.write("changed");
        }
        return true;
    };
    platform::CopyOptions options;
    options.unnamedFile = unnamed;
    const auto result = platform::copyFileInto(source, path(QStringLiteral("dest")), callbacks, options);

    QVERIFY(changed);
    QCOMPARE(viewtest::leftovers(path(QStringLiteral("dest"))), QStringList());
    if (change == QLatin1String("removed")) {
        QCOMPARE(result.outcome, CopyOutcome::Copied);
        QCOMPARE(testsupport::readFile(path(QStringLiteral("dest/big.jar"))), content);
        return;
    }
    QCOMPARE(result.outcome, CopyOutcome::Failed);
    QCOMPARE(result.failedStep, CopyStep::SourceChanged);
    QCOMPARE(result.failedPath, source);
    QVERIFY(!result.reason.isEmpty());
    // The destination keeps what it had.
    if (replacing)
        QCOMPARE(testsupport::readFile(path(QStringLiteral("dest/big.jar"))), QByteArray("old"));
    else
        QCOMPARE(viewtest::folderEntries(path(QStringLiteral("dest"))), QStringList());
    QCOMPARE(trashed(), QStringList());
}

void TestFileCopy::killedCopyLeavesNothing_data()
{
    QTest::addColumn<bool>("unnamed");
    QTest::newRow("unnamed file") << true;
    QTest::newRow("hidden temporary file, swept by the next copy") << false;
}

void TestFileCopy::killedCopyLeavesNothing()
{
    QFETCH(bool, unnamed);
    const QString source = path(QStringLiteral("src/big.jar"));
    QVERIFY(testsupport::writeFile(source, randomBytes(40 * 1024 * 1024)));
    QVERIFY(QDir().mkpath(path(QStringLiteral("dest"))));
    platform::CopyOptions options;
    options.unnamedFile = unnamed;

    // The child copies and stops half way until it is killed.
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        platform::CopyCallbacks callbacks;
        callbacks.progress = [&](qint64 done, qint64) {
            if (done > 0) {
                (void)::write(ready[1], "x", 1);
                for (;;)
                    ::pause();
            }
            return true;
        };
        platform::copyFileInto(source, path(QStringLiteral("dest")), callbacks, options);
        ::_exit(1);
    }
    ::close(ready[1]);
    pollfd waiting{ready[0], POLLIN, 0};
    QCOMPARE(::poll(&waiting, 1, 60000), 1);
    char byte = 0;
    QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
    ::close(ready[0]);
    QCOMPARE(::kill(child, SIGKILL), 0);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));

    const QStringList left = viewtest::leftovers(path(QStringLiteral("dest")));
    if (unnamed) {
        QCOMPARE(viewtest::folderEntries(path(QStringLiteral("dest"))), QStringList());
    } else {
        QCOMPARE(left.size(), 1);
        // The next copy, a minute and more later, removes it.
        const QByteArray stale = QFile::encodeName(path(QStringLiteral("dest/")) + left.constFirst());
        const timespec old[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, stale.constData(), old, 0), 0);
    }
    QVERIFY(testsupport::writeFile(path(QStringLiteral("src/next.jsp")), "next"));
    const auto next = platform::copyFileInto(path(QStringLiteral("src/next.jsp")), path(QStringLiteral("dest")), {}, options);
    QCOMPARE(next.outcome, CopyOutcome::Copied);
    QCOMPARE(viewtest::folderEntries(path(QStringLiteral("dest"))), QStringList{"next.jsp"});
}

void TestFileCopy::staleTemporariesAreSwept_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<bool>("held");
    QTest::addColumn<bool>("removed");
    QTest::newRow("ours, old, nobody holds it") << ".brewdeck-copy-00000000deadbeef" << 120 << false << true;
    QTest::newRow("ours, under a minute old") << ".brewdeck-copy-00000000deadbeef" << 20 << false << false;
    QTest::newRow("ours, old, a copy still writes it") << ".brewdeck-copy-00000000deadbeef" << 120 << true << false;
    QTest::newRow("someone else's hidden file") << ".partial-download.jar" << 3600 << false << false;
}

void TestFileCopy::staleTemporariesAreSwept()
{
    QFETCH(QString, name);
    QFETCH(int, ageSeconds);
    QFETCH(bool, held);
    QFETCH(bool, removed);
    const QString stale = path(QStringLiteral("dest/")) + name;
    QVERIFY(testsupport::writeFile(stale, "half a copy"));
    const QByteArray staleBytes = QFile::encodeName(stale);
    const timespec when[2] = {{::time(nullptr) - ageSeconds, 0}, {::time(nullptr) - ageSeconds, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, staleBytes.constData(), when, 0), 0);
    const int holder = ::open(staleBytes.constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(holder >= 0);
    if (held)
        QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);
    QVERIFY(testsupport::writeFile(path(QStringLiteral("src/a.jsp")), "a"));

    for (bool unnamed : {true, false}) {
        platform::CopyOptions options;
        options.unnamedFile = unnamed;
        platform::copyFileInto(path(QStringLiteral("src/a.jsp")), path(QStringLiteral("dest")), {}, options);
        QFile::remove(path(QStringLiteral("dest/a.jsp")));
    }
    ::close(holder);

    QCOMPARE(QFileInfo::exists(stale), !removed);
}

void TestFileCopy::badInput_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<CopyStep>("step"); // None: copied, and replaced again
    QTest::addColumn<int>("reasonErrno");

    const auto ok = [](const char *row, const QByteArray &name) {
        QTest::newRow(row) << name << QString() << CopyStep::None << 0;
    };
    ok("spaces", "my page.jsp");
    ok("quotes", "it's \"quoted\".jsp");
    ok("command substitution", "$(touch pwned).jsp");
    ok("semicolon", "a;touch pwned.jsp");
    ok("backquotes", "`touch pwned`.jsp");
    ok("newline", "line\nbreak.jsp");
    ok("leading dash", "-rf.jsp");
    ok("percent", "100%.jsp");
    ok("hash and question mark", "a#b?c.jsp");
    ok("255 bytes", QByteArray(251, 'n') + ".jsp");
    ok("255 bytes of Chinese", QString(QStringLiteral("页").repeated(83)).toUtf8() + "ab.jsp");

    QTest::newRow("not UTF-8") << QByteArray("bad\xe9\xff.jsp") << QString() << CopyStep::NameNotUtf8 << EILSEQ;
    QTest::newRow("source path over 4096 bytes") << QByteArray("deep.jsp") << "deep source" << CopyStep::OpenSource
                                                 << ENAMETOOLONG;
    QTest::newRow("destination path over 4096 bytes") << QByteArray("a.jsp") << "deep destination"
                                                      << CopyStep::CreateCopy << ENAMETOOLONG;
    QTest::newRow("read-only destination, ordinary user") << QByteArray("a.jsp") << "unprivileged"
                                                          << CopyStep::CreateCopy << EACCES;
    QTest::newRow("full file system") << QByteArray("big.jar") << "full" << CopyStep::Transfer << ENOSPC;
    QTest::newRow("source vanished before the copy") << QByteArray("gone.jsp") << "vanished" << CopyStep::OpenSource
                                                     << ENOENT;
    QTest::newRow("a named pipe") << QByteArray("pipe.jsp") << "fifo" << CopyStep::SourceNotFile << EINVAL;
}

void TestFileCopy::badInput()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, situation);
    QFETCH(CopyStep, step);
    QFETCH(int, reasonErrno);

    QVERIFY(QDir().mkpath(path(QStringLiteral("src"))));
    QVERIFY(QDir().mkpath(path(QStringLiteral("dest"))));
    QByteArray sourceBytes = QFile::encodeName(path(QStringLiteral("src/"))) + name;
    QByteArray folderBytes = QFile::encodeName(path(QStringLiteral("dest")));
    QByteArray content = "content of " + name;
    std::unique_ptr<TmpfsMount> mount;
    if (situation == QLatin1String("deep source")) {
        sourceBytes = makeDeepFolder(QFile::encodeName(path(QStringLiteral("src"))), 4200) + '/' + name;
        QVERIFY(sourceBytes.size() > 4096);
    } else if (situation == QLatin1String("deep destination")) {
        folderBytes = makeDeepFolder(folderBytes, 4200);
    } else if (situation == QLatin1String("full")) {
        mount = std::make_unique<TmpfsMount>(path(QStringLiteral("small")), "1m");
        if (!mount->isValid())
            QSKIP(mount->whyNot().constData());
        folderBytes = QFile::encodeName(path(QStringLiteral("small")));
        content = randomBytes(4 * 1024 * 1024);
    }
    if (situation == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(sourceBytes.constData(), 0644), 0);
    } else if (situation != QLatin1String("vanished") && situation != QLatin1String("deep source")) {
        const int fd = ::open(sourceBytes.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
        ::close(fd);
    }
    // The source as the program gets it, from a dialog: text.
    const QString source = QFile::decodeName(sourceBytes);
    const QString folder = QFile::decodeName(folderBytes);

    platform::CopyResult result;
    if (situation == QLatin1String("unprivileged")) {
        // An ordinary user in a child: the folders it must reach are open to
        // all, the destination writable only by root.
        // Run by an ordinary user already, the folder is simply read-only.
        const bool root = ::geteuid() == 0;
        for (const QString &dir : {m_dir->path(), path(QStringLiteral("src")), path(QStringLiteral("dest"))})
            QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                                   | QFile::ExeOther));
        if (!root)
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray answer = inChild([&]() -> QByteArray {
            if (root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                return "cannot drop privileges";
            if (::geteuid() == 0)
                return "still root";
            return describe(platform::copyFileInto(source, folder));
        });
        QCOMPARE(answer, QByteArray::number(int(CopyOutcome::Failed)) + ' ' + QByteArray::number(int(step)) + ' '
                              + qt_error_string(reasonErrno).toUtf8());
        QCOMPARE(viewtest::folderEntries(folder), QStringList());
        return;
    }
    result = platform::copyFileInto(source, folder);

    // Nothing ever ran a name as a command.
    for (const QString &dir : {path(QStringLiteral("cwd")), path(QStringLiteral("src")), folder})
        QVERIFY(!viewtest::folderEntries(dir).contains(QStringLiteral("pwned")));
    QCOMPARE(viewtest::leftovers(folder), QStringList());
    if (step != CopyStep::None) {
        QCOMPARE(result.outcome, CopyOutcome::Failed);
        QCOMPARE(result.failedStep, step);
        QCOMPARE(result.reason, qt_error_string(reasonErrno));
        QCOMPARE(viewtest::folderEntries(folder), QStringList());
        return;
    }

    QCOMPARE(result.outcome, CopyOutcome::Copied);
    const QByteArray target = folderBytes + '/' + name;
    QCOMPARE(QFile::encodeName(result.target), target);
    QCOMPARE(testsupport::readFile(result.target), content);
    QCOMPARE(platform::listMatchingFiles(folder + QStringLiteral("/*.jsp")), QStringList{QFile::decodeName(name)});

    // Replacing it keeps the name, and the trash record gives it back exactly.
    QVERIFY(testsupport::writeFile(source, "newer"));
    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = [](const QString &) { return true; };
    const auto again = platform::copyFileInto(source, folder, callbacks);
    QCOMPARE(again.outcome, CopyOutcome::Copied);
    QCOMPARE(testsupport::readFile(result.target), QByteArray("newer"));
    QCOMPARE(testsupport::readFile(again.trashedOld), content);
    QCOMPARE(recordedPath(again.trashedOld), target);
}

QTEST_GUILESS_MAIN(TestFileCopy)
#include "tst_filecopy.moc"
