#include "ProgramUnderX.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// What the real executable does with each shell command: which ones open the
// main window on which document, and which ones end by themselves.
class TestShellCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shellCommand_data();
    void shellCommand();
    void nonRegularFileIsRefused_data();
    void nonRegularFileIsRefused();

private:
    testsupport::SandboxedHome m_home;
};

void TestShellCommands::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "these checks need an X server (run under xvfb-run)");
    QVERIFY(m_home.isValid());
}

void TestShellCommands::shellCommand_data()
{
    // "@FILE@" stands for a document in a scratch folder; an empty caption
    // means the program must end by itself, with status 0, without a window.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("caption");

    const QString file = QStringLiteral("@FILE@");
    QTest::newRow("no arguments") << QStringList{} << QStringLiteral("Brewdeck - Brewdeck");
    QTest::newRow("absolute file path") << QStringList{file} << QStringLiteral("lesson.bdk - Brewdeck");
    QTest::newRow("/P file: no print, the file opens")
        << QStringList{QStringLiteral("/P"), file} << QStringLiteral("lesson.bdk - Brewdeck");
    QTest::newRow("-dde: a new document") << QStringList{QStringLiteral("-dde")} << QStringLiteral("Brewdeck - Brewdeck");
    QTest::newRow("-p file") << QStringList{QStringLiteral("-p"), file} << QString();
    QTest::newRow("/pt file printer driver port")
        << QStringList{QStringLiteral("/pt"), file, QStringLiteral("Laser"), QStringLiteral("drv"), QStringLiteral("lp0")}
        << QString();

    // Qt's own options are the program's arguments like any other: unknown
    // switches, ignored, and the next argument is the file.
    const QString opened = QStringLiteral("lesson.bdk - Brewdeck");
    for (const char *option : {"-style", "-stylesheet", "-platform", "-platformtheme", "-plugin", "-session",
                               "-qwindowtitle", "-qwindowgeometry", "-qwindowicon", "-geometry", "-display",
                               "-name", "-title", "-visual", "-reverse", "-nograb", "--frobnicate"}) {
        QTest::addRow("%s file", option) << QStringList{QString::fromLatin1(option), file} << opened;
    }
    QTest::newRow("-style=fusion -reverse file")
        << QStringList{QStringLiteral("-style=fusion"), QStringLiteral("-reverse"), file} << opened;
    QTest::newRow("-qwindowtitle alone: a new document")
        << QStringList{QStringLiteral("-qwindowtitle")} << QStringLiteral("Brewdeck - Brewdeck");
}

void TestShellCommands::shellCommand()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, caption);

    QTemporaryDir scratch;
    const QString document = scratch.filePath(QStringLiteral("lesson.bdk"));
    QVERIFY(testsupport::writeFile(document, "kept as it is"));
    arguments.replaceInStrings(QStringLiteral("@FILE@"), document);

    testsupport::ProgramUnderX program(QStringLiteral(BREWDECK_EXECUTABLE));
    QVERIFY(program.start(arguments));
    if (caption.isEmpty()) {
        QVERIFY2(program.waitForExit(), "the program did not end by itself");
        QCOMPARE(program.exitCode(), 0);
    } else {
        const QString window = program.waitForWindow(caption);
        QVERIFY2(!window.isEmpty(), "no main window with the expected caption appeared");
        QCOMPARE(program.visibleWindows().size(), 1);
    }
    // Opening never writes the document.
    QCOMPARE(testsupport::readFile(document), QByteArray("kept as it is"));
}

void TestShellCommands::nonRegularFileIsRefused_data()
{
    QTest::addColumn<QString>("path"); // empty: a named pipe nobody writes to

    QTest::newRow("a named pipe") << QString();
    QTest::newRow("a character device") << QStringLiteral("/dev/zero");
}

void TestShellCommands::nonRegularFileIsRefused()
{
    QFETCH(QString, path);

    QTemporaryDir scratch;
    if (path.isEmpty()) {
        path = scratch.filePath(QStringLiteral("pipe.bdk"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }

    // The program names the file in its open-failure message at once, and
    // ends once it is answered, as for any file it cannot open.
    testsupport::ProgramUnderX program(QStringLiteral(BREWDECK_EXECUTABLE));
    QVERIFY(program.start({path}));
    const QString box = program.waitForWindow(QStringLiteral("Brewdeck"), 15000);
    QVERIFY2(!box.isEmpty(), "no message appeared: the program waits on the file");
    QCOMPARE(program.readAndAcceptMessageBox(box), QStringLiteral("无法打开文档“%1”。\n它不是一个普通文件。").arg(path));
    QVERIFY2(program.waitForExit(), "the program did not end by itself");
}

QTEST_MAIN(TestShellCommands)
#include "tst_shellcommands.moc"
