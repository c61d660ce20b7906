#include "ProgramUnderX.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

// What the real executable does with each shell command: which ones open the
// main window on which document, and which ones end by themselves.
class TestShellCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shellCommand_data();
    void shellCommand();

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

QTEST_MAIN(TestShellCommands)
#include "tst_shellcommands.moc"
