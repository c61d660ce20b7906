#include "CommandLineInfo.h"

#include <QString>

#include <algorithm>
#include <iterator>

namespace {

enum class Case { Exact, Any };

enum class Effect { PrintTo, Print, Register, RegisterPerUser, Unregister, UnregisterPerUser, Dde, Embedding, Automation };

struct Switch
{
    QLatin1String name;
    Case comparison;
    Effect effect;
};

// Every switch, in the order in which they are tried; the first match wins.
constexpr Switch kSwitches[] = {
    {QLatin1String("pt"), Case::Exact, Effect::PrintTo},
    {QLatin1String("p"), Case::Exact, Effect::Print},
    {QLatin1String("Register"), Case::Any, Effect::Register},
    {QLatin1String("Regserver"), Case::Any, Effect::Register},
    {QLatin1String("RegisterPerUser"), Case::Any, Effect::RegisterPerUser},
    {QLatin1String("RegserverPerUser"), Case::Any, Effect::RegisterPerUser},
    {QLatin1String("Unregister"), Case::Any, Effect::Unregister},
    {QLatin1String("Unregserver"), Case::Any, Effect::Unregister},
    {QLatin1String("UnregisterPerUser"), Case::Any, Effect::UnregisterPerUser},
    {QLatin1String("UnregserverPerUser"), Case::Any, Effect::UnregisterPerUser},
    {QLatin1String("dde"), Case::Exact, Effect::Dde},
    {QLatin1String("Embedding"), Case::Any, Effect::Embedding},
    {QLatin1String("Automation"), Case::Any, Effect::Automation},
};

char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// Only ASCII letters fold: the switches were always compared as narrow
// strings, where no other character could stand for a letter of theirs.
bool equalsIgnoringAsciiCase(const QString &text, QLatin1String name)
{
    if (text.size() != name.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (asciiLower(text.at(i).unicode()) != asciiLower(static_cast<unsigned char>(name.at(i).toLatin1())))
            return false;
    }
    return true;
}

bool matches(const QString &param, const Switch &known)
{
    return known.comparison == Case::Exact ? param == known.name : equalsIgnoringAsciiCase(param, known.name);
}

} // namespace

bool CCommandLineInfo::IsSwitch(const QString &argument)
{
    if (argument.startsWith(QLatin1Char('-')))
        return true;
    if (!argument.startsWith(QLatin1Char('/')))
        return false;
    // "/P" still counts as a switch, one that then matches nothing: only the
    // names decide, not their case.
    const QString rest = argument.mid(1);
    for (const Switch &known : kSwitches) {
        if (equalsIgnoringAsciiCase(rest, known.name))
            return true;
    }
    return false;
}

void CCommandLineInfo::ParseCommandLine(const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool isSwitch = IsSwitch(argument);
        ParseParam(isSwitch ? argument.mid(1) : argument, isSwitch, i + 1 == arguments.size());
    }
}

void CCommandLineInfo::ParseParam(const QString &param, bool isSwitch, bool isLast)
{
    if (isSwitch)
        ParseParamFlag(param);
    else
        ParseParamNotFlag(param);
    ParseLast(isLast);
}

void CCommandLineInfo::ParseParamFlag(const QString &param)
{
    const Switch *known = std::find_if(std::begin(kSwitches), std::end(kSwitches),
                                       [&](const Switch &candidate) { return matches(param, candidate); });
    if (known == std::end(kSwitches))
        return;
    switch (known->effect) {
    case Effect::PrintTo:
        m_nShellCommand = FilePrintTo;
        break;
    case Effect::Print:
        m_nShellCommand = FilePrint;
        break;
    case Effect::RegisterPerUser:
        m_bRegisterPerUser = true;
        [[fallthrough]];
    case Effect::Register:
        m_nShellCommand = AppRegister;
        break;
    case Effect::UnregisterPerUser:
        m_bRegisterPerUser = true;
        [[fallthrough]];
    case Effect::Unregister:
        m_nShellCommand = AppUnregister;
        break;
    case Effect::Dde:
        m_nShellCommand = FileDDE;
        m_bUserControl = false;
        break;
    case Effect::Embedding:
        m_bRunEmbedded = true;
        m_bShowSplash = false;
        m_bUserControl = false;
        break;
    case Effect::Automation:
        m_bRunAutomated = true;
        m_bShowSplash = false;
        m_bUserControl = false;
        break;
    }
}

void CCommandLineInfo::ParseParamNotFlag(const QString &param)
{
    if (m_strFileName.isEmpty())
        m_strFileName = param;
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.isEmpty())
        m_strPrinterName = param;
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.isEmpty())
        m_strDriverName = param;
    else if (m_nShellCommand == FilePrintTo && m_strPortName.isEmpty())
        m_strPortName = param;
}

void CCommandLineInfo::ParseLast(bool isLast)
{
    if (!isLast)
        return;
    if (m_nShellCommand == FileNew && !m_strFileName.isEmpty())
        m_nShellCommand = FileOpen;
    m_bShowSplash = !m_bRunEmbedded && !m_bRunAutomated;
}
