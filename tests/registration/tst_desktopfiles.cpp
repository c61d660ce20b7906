#include "DesktopRegistration.h"
#include "ProgramUnderX.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The readers of the MIME caches and packages that decide whether another
// type claims our extension, and the writing of our own files beside other
// programs' files, on real files.
class TestDesktopFiles : public QObject
{
    Q_OBJECT

private slots:
    void globs2Claims_data();
    void globs2Claims();
    void mimePackageClaims_data();
    void mimePackageClaims();
    void writeOwnFile_data();
    void writeOwnFile();
    void staleDatabase();
};

void TestDesktopFiles::globs2Claims_data()
{
    QTest::addColumn<QByteArray>("globs2");
    QTest::addColumn<QStringList>("types");
    QTest::newRow("comments and other patterns")
        << QByteArray("# made by update-mime-database\n50:text/plain:*.txt\n") << QStringList{};
    QTest::newRow("two claims, in file order")
        << QByteArray("50:text/x-a:*.bdk\n60:text/x-b:*.txt\n40:text/x-c:*.bdk\n")
        << QStringList{QStringLiteral("text/x-a"), QStringLiteral("text/x-c")};
    QTest::newRow("ASCII case folds") << QByteArray("50:text/x-a:*.BdK\n") << QStringList{QStringLiteral("text/x-a")};
    QTest::newRow("case-sensitive upper case does not claim") << QByteArray("50:text/x-a:*.BDK:cs\n") << QStringList{};
    QTest::newRow("case-sensitive exact case claims")
        << QByteArray("50:text/x-a:*.bdk:cs\n") << QStringList{QStringLiteral("text/x-a")};
    QTest::newRow("other flags") << QByteArray("50:text/x-a:*.BDK:foo,bar\n") << QStringList{QStringLiteral("text/x-a")};
    QTest::newRow("longer pattern") << QByteArray("50:text/x-a:*.bdkx\n50:text/x-b:x*.bdk\n") << QStringList{};
    QTest::newRow("missing fields and blank lines") << QByteArray("\n:\n50\n50:text/x-a\n::\n") << QStringList{};
    QTest::newRow("spaces and carriage returns around")
        << QByteArray("  50:text/x-a:*.bdk \r\n") << QStringList{QStringLiteral("text/x-a")};
    QTest::newRow("last line without line break")
        << QByteArray("50:text/x-a:*.bdk") << QStringList{QStringLiteral("text/x-a")};
    QTest::newRow("non-ASCII type name")
        << QByteArray("50:text/x-\xe5\x90\x8d:*.bdk\n") << QStringList{QStringLiteral("text/x-名")};
    // Only ASCII letters fold: a Kelvin sign is no "k".
    QTest::newRow("Kelvin sign") << QByteArray("50:text/x-a:*.bd\xe2\x84\xaa\n") << QStringList{};
}

void TestDesktopFiles::globs2Claims()
{
    QFETCH(QByteArray, globs2);
    QFETCH(QStringList, types);
    QCOMPARE(platform::globs2Claims(globs2, QStringLiteral("*.bdk")), types);
}

void TestDesktopFiles::mimePackageClaims_data()
{
    QTest::addColumn<QByteArray>("package");
    QTest::addColumn<QStringList>("types");
    const QByteArray head = "<?xml version=\"1.0\"?>\n"
                            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">";
    QTest::newRow("one claim") << head + "<mime-type type=\"a/b\"><glob pattern=\"*.bdk\"/></mime-type></mime-info>"
                               << QStringList{QStringLiteral("a/b")};
    QTest::newRow("upper case and character references")
        << head + "<mime-type type=\"a/&#98;\"><glob pattern=\"&#42;.BDK\"/></mime-type></mime-info>"
        << QStringList{QStringLiteral("a/b")};
    QTest::newRow("case-sensitive glob in another case")
        << head + "<mime-type type=\"a/b\"><glob pattern=\"*.BDK\" case-sensitive=\"true\"/></mime-type></mime-info>"
        << QStringList{};
    QTest::newRow("glob outside a type") << head + "<glob pattern=\"*.bdk\"/><mime-type type=\"a/b\"/></mime-info>"
                                         << QStringList{};
    QTest::newRow("glob after its type closed")
        << head + "<mime-type type=\"a/b\"></mime-type><glob pattern=\"*.bdk\"/></mime-info>" << QStringList{};
    QTest::newRow("type without a name") << head + "<mime-type><glob pattern=\"*.bdk\"/></mime-type></mime-info>"
                                         << QStringList{};
    QTest::newRow("claims before an XML error count")
        << head + "<mime-type type=\"a/b\"><glob pattern=\"*.bdk\"/></mime-type><mime-type type=\"c/d\"><glob pat"
        << QStringList{QStringLiteral("a/b")};
    QTest::newRow("not XML") << QByteArray("50:text/x-a:*.bdk\n") << QStringList{};
}

void TestDesktopFiles::mimePackageClaims()
{
    QFETCH(QByteArray, package);
    QFETCH(QStringList, types);
    QCOMPARE(platform::mimePackageClaims(package, QStringLiteral("*.bdk")), types);
}

void TestDesktopFiles::writeOwnFile_data()
{
    QTest::addColumn<QString>("existing"); // what is at the path beforehand
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("holdsOurs"); // the path holds our content afterwards
    QTest::newRow("nothing") << QStringLiteral("none") << int(platform::FileUpdate::Written) << true;
    QTest::newRow("an older file of ours") << QStringLiteral("ours-old") << int(platform::FileUpdate::Written) << true;
    QTest::newRow("this very content") << QStringLiteral("ours-same") << int(platform::FileUpdate::Unchanged) << true;
    QTest::newRow("another program's file") << QStringLiteral("foreign") << int(platform::FileUpdate::NotOurs) << false;
    QTest::newRow("a named pipe") << QStringLiteral("fifo") << int(platform::FileUpdate::NotOurs) << false;
    QTest::newRow("a link to a file of ours") << QStringLiteral("link") << int(platform::FileUpdate::NotOurs) << false;
    QTest::newRow("a folder") << QStringLiteral("folder") << int(platform::FileUpdate::NotOurs) << false;
}

void TestDesktopFiles::writeOwnFile()
{
    QFETCH(QString, existing);
    QFETCH(int, expected);
    QFETCH(bool, holdsOurs);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/brewdeck.desktop"));
    const QByteArray ours = "# OURS\n[Desktop Entry]\nName=New\n";
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    QVERIFY(testsupport::writeFile(elsewhere, "# OURS\nold\n"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("sub"))));
    if (existing == QLatin1String("ours-old"))
        QVERIFY(testsupport::writeFile(path, "# OURS\n[Desktop Entry]\nName=Old\n"));
    else if (existing == QLatin1String("ours-same"))
        QVERIFY(testsupport::writeFile(path, ours));
    else if (existing == QLatin1String("foreign"))
        QVERIFY(testsupport::writeFile(path, "[Desktop Entry]\nName=Other\n"));
    else if (existing == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (existing == QLatin1String("link"))
        QVERIFY(QFile::link(elsewhere, path));
    else if (existing == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));

    const auto isOurs = [](const QByteArray &content) { return content.startsWith("# OURS\n"); };
    QCOMPARE(int(platform::writeOwnFile(path, ours, isOurs)), expected);
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &info), 0);
    QCOMPARE(S_ISREG(info.st_mode) && testsupport::readFile(path) == ours, holdsOurs);
    // A link's target is never written through.
    QCOMPARE(testsupport::readFile(elsewhere), QByteArray("# OURS\nold\n"));

    // Removal takes only a regular file of ours, and never blocks on a pipe.
    QCOMPARE(platform::removeFileIf(path, isOurs), holdsOurs);
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &info) == 0, !holdsOurs);
}

void TestDesktopFiles::staleDatabase()
{
    QTemporaryDir dir;
    const QString mime = dir.filePath(QStringLiteral("mime"));
    QVERIFY(!platform::mimeDatabaseIsStale(mime)); // no packages at all
    QVERIFY(testsupport::writeFile(mime + QStringLiteral("/packages/a.xml"), "<mime-info/>"));
    QVERIFY(platform::mimeDatabaseIsStale(mime)); // never compiled
    QVERIFY(testsupport::writeFile(mime + QStringLiteral("/globs2"), ""));
    // Compiled as late as the packages were written: up to date.
    testsupport::ageFiles(mime);
    QVERIFY(!platform::mimeDatabaseIsStale(mime));
    // A package added or rewritten after the last compile.
    QVERIFY(testsupport::writeFile(mime + QStringLiteral("/packages/b.xml"), "<mime-info/>"));
    QVERIFY(platform::mimeDatabaseIsStale(mime));
}

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_desktopfiles.moc"
