#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for: the shell command, the document file and
// the switches that start an automation run.
class CCommandLineInfo
{
public:
    enum ShellCommand {
        FileNew = 0,
        FileOpen = 1,
        FilePrint = 2,
        FilePrintTo = 3,
        FileDDE = 4,
        AppRegister = 5,
        AppUnregister = 6,
        FileNothing = 7,
    };

    bool m_bShowSplash = true;
    bool m_bRunEmbedded = false;
    bool m_bRunAutomated = false;
    bool m_bRegisterPerUser = false;
    ShellCommand m_nShellCommand = FileNew;
    QString m_strFileName;
    QString m_strPrinterName;
    QString m_strDriverName;
    QString m_strPortName;
    // Cleared by the switches that hand the program to an automation client.
    bool m_bUserControl = true;

    // Fills the fields from the arguments after the program name.
    void ParseCommandLine(const QStringList &arguments);

private:
    void ParseParam(const QString &param, bool isSwitch, bool isLast);
};
