#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for: the shell command, the document file, the
// printer arguments and the switches that start an automation run.
//
// An argument that begins with "-" is a switch; one that begins with "/" is a
// switch only when the rest names a known switch (in any case), so that an
// absolute path is a file. A switch that matches nothing is ignored.
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
    // Cleared by the switches that hand the program to an automation client
    // ("Embedding", "Automation") or to a shell conversation ("dde").
    bool m_bUserControl = true;

    // Fills the fields from the arguments after the program name.
    void ParseCommandLine(const QStringList &arguments);

    // Whether the argument is a switch, by the rule above.
    static bool IsSwitch(const QString &argument);

private:
    void ParseParam(const QString &param, bool isSwitch, bool isLast);
    void ParseParamFlag(const QString &param);
    void ParseParamNotFlag(const QString &param);
    void ParseLast(bool isLast);
};
