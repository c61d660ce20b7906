#include "CommandLineInfo.h"

#include <QTest>

// The command-line parser over the whole switch table, the case rules, the
// printer arguments and the rule that lets an absolute path be a file.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

namespace {

struct Expected
{
    CCommandLineInfo::ShellCommand command = CCommandLineInfo::FileNew;
    QString file;
    QStringList printTo; // printer, driver, port
    bool embedded = false;
    bool automated = false;
    bool perUser = false;
    bool userControl = true;
};

Expected command(CCommandLineInfo::ShellCommand shellCommand, const QString &file = QString())
{
    Expected expected;
    expected.command = shellCommand;
    expected.file = file;
    return expected;
}

Expected perUser(CCommandLineInfo::ShellCommand shellCommand)
{
    Expected expected = command(shellCommand);
    expected.perUser = true;
    return expected;
}

Expected notUserControlled(Expected expected)
{
    expected.userControl = false;
    return expected;
}

} // namespace

Q_DECLARE_METATYPE(Expected)

void TestCommandLine::parse_data()
{
    using C = CCommandLineInfo;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Expected>("expected");

    const QString doc = QStringLiteral("/home/u/a.bdk");

    QTest::newRow("no arguments") << QStringList{} << Expected{};
    QTest::newRow("absolute file path") << QStringList{doc} << command(C::FileOpen, doc);
    QTest::newRow("relative file path") << QStringList{QStringLiteral("a.bdk")} << command(C::FileOpen, QStringLiteral("a.bdk"));
    QTest::newRow("absolute path ending in a switch name")
        << QStringList{QStringLiteral("/tmp/Register")} << command(C::FileOpen, QStringLiteral("/tmp/Register"));
    QTest::newRow("first file wins") << QStringList{doc, QStringLiteral("/home/u/b.bdk")} << command(C::FileOpen, doc);
    QTest::newRow("unknown switches are ignored")
        << QStringList{QStringLiteral("-foo"), QStringLiteral("--help"), QStringLiteral("-"), doc} << command(C::FileOpen, doc);

    QTest::newRow("-p file") << QStringList{QStringLiteral("-p"), doc} << command(C::FilePrint, doc);
    QTest::newRow("file /p") << QStringList{doc, QStringLiteral("/p")} << command(C::FilePrint, doc);
    QTest::newRow("/P file opens it") << QStringList{QStringLiteral("/P"), doc} << command(C::FileOpen, doc);
    QTest::newRow("-P file opens it") << QStringList{QStringLiteral("-P"), doc} << command(C::FileOpen, doc);
    Expected printTo = command(C::FilePrintTo, doc);
    printTo.printTo = QStringList{QStringLiteral("Laser 5"), QStringLiteral("winspool"), QStringLiteral("LPT1:")};
    QTest::newRow("-pt file printer driver port")
        << QStringList{QStringLiteral("-pt"), doc, QStringLiteral("Laser 5"), QStringLiteral("winspool"), QStringLiteral("LPT1:")}
        << printTo;
    QTest::newRow("file /pt printer driver port, extra ignored")
        << QStringList{doc, QStringLiteral("/pt"), QStringLiteral("Laser 5"), QStringLiteral("winspool"),
                       QStringLiteral("LPT1:"), QStringLiteral("extra")}
        << printTo;
    QTest::newRow("-PT is no print-to: the printer is no file")
        << QStringList{QStringLiteral("-PT"), doc, QStringLiteral("Laser 5")} << command(C::FileOpen, doc);
    QTest::newRow("printer arguments only follow pt")
        << QStringList{QStringLiteral("-p"), doc, QStringLiteral("Laser 5")} << command(C::FilePrint, doc);

    QTest::newRow("/Register") << QStringList{QStringLiteral("/Register")} << command(C::AppRegister);
    QTest::newRow("-REGISTER") << QStringList{QStringLiteral("-REGISTER")} << command(C::AppRegister);
    QTest::newRow("/regserver") << QStringList{QStringLiteral("/regserver")} << command(C::AppRegister);
    QTest::newRow("-RegisterPerUser") << QStringList{QStringLiteral("-RegisterPerUser")} << perUser(C::AppRegister);
    QTest::newRow("/REGSERVERPERUSER") << QStringList{QStringLiteral("/REGSERVERPERUSER")} << perUser(C::AppRegister);
    QTest::newRow("/Unregister") << QStringList{QStringLiteral("/Unregister")} << command(C::AppUnregister);
    QTest::newRow("-unregserver") << QStringList{QStringLiteral("-unregserver")} << command(C::AppUnregister);
    QTest::newRow("/UnregisterPerUser") << QStringList{QStringLiteral("/UnregisterPerUser")} << perUser(C::AppUnregister);
    QTest::newRow("-unregserverperuser") << QStringList{QStringLiteral("-unregserverperuser")} << perUser(C::AppUnregister);
    // Only ASCII letters fold: a long s is no s.
    QTest::newRow("-Regi\u017Fter is no switch") << QStringList{QStringLiteral("-Regi\u017Fter")} << Expected{};
    QTest::newRow("/Regi\u017Fter is a file") << QStringList{QStringLiteral("/Regi\u017Fter")}
                                               << command(C::FileOpen, QStringLiteral("/Regi\u017Fter"));

    QTest::newRow("-dde") << QStringList{QStringLiteral("-dde")} << notUserControlled(command(C::FileDDE));
    QTest::newRow("/DDE is ignored") << QStringList{QStringLiteral("/DDE")} << Expected{};

    Expected embedded = notUserControlled(Expected{});
    embedded.embedded = true;
    QTest::newRow("-Embedding") << QStringList{QStringLiteral("-Embedding")} << embedded;
    QTest::newRow("/embedding") << QStringList{QStringLiteral("/embedding")} << embedded;
    Expected automated = notUserControlled(Expected{});
    automated.automated = true;
    QTest::newRow("/Automation") << QStringList{QStringLiteral("/Automation")} << automated;
    QTest::newRow("-AUTOMATION") << QStringList{QStringLiteral("-AUTOMATION")} << automated;

    // Both are kept; start-up lets the automation run win.
    Expected automatedUnregister = automated;
    automatedUnregister.command = C::AppUnregister;
    QTest::newRow("/Automation /Unregister")
        << QStringList{QStringLiteral("/Automation"), QStringLiteral("/Unregister")} << automatedUnregister;
    Expected embeddedUnregister = embedded;
    embeddedUnregister.command = C::AppUnregister;
    QTest::newRow("/Embedding /Unregister")
        << QStringList{QStringLiteral("/Embedding"), QStringLiteral("/Unregister")} << embeddedUnregister;
    Expected embeddedFile = embedded;
    embeddedFile.command = C::FileOpen;
    embeddedFile.file = doc;
    QTest::newRow("-Embedding file") << QStringList{QStringLiteral("-Embedding"), doc} << embeddedFile;
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(Expected, expected);

    CCommandLineInfo info;
    info.ParseCommandLine(arguments);

    QCOMPARE(info.m_nShellCommand, expected.command);
    QCOMPARE(info.m_strFileName, expected.file);
    const QStringList printTo = expected.printTo.isEmpty() ? QStringList{QString(), QString(), QString()} : expected.printTo;
    QCOMPARE(info.m_strPrinterName, printTo.at(0));
    QCOMPARE(info.m_strDriverName, printTo.at(1));
    QCOMPARE(info.m_strPortName, printTo.at(2));
    QCOMPARE(info.m_bRunEmbedded, expected.embedded);
    QCOMPARE(info.m_bRunAutomated, expected.automated);
    QCOMPARE(info.m_bRegisterPerUser, expected.perUser);
    QCOMPARE(info.m_bUserControl, expected.userControl);
    QCOMPARE(info.m_bShowSplash, !expected.embedded && !expected.automated);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
