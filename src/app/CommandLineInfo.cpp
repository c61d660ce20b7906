#include "CommandLineInfo.h"

void CCommandLineInfo::ParseCommandLine(const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        const bool isLast = i + 1 == arguments.size();
        if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
            ParseParam(arg.mid(1), true, isLast);
        else
            ParseParam(arg, false, isLast);
    }
}

void CCommandLineInfo::ParseParam(const QString &param, bool isSwitch, bool isLast)
{
    if (!isSwitch && m_strFileName.isEmpty())
        m_strFileName = param;
    if (isLast) {
        if (m_nShellCommand == FileNew && !m_strFileName.isEmpty())
            m_nShellCommand = FileOpen;
        m_bShowSplash = !m_bRunEmbedded && !m_bRunAutomated;
    }
}
