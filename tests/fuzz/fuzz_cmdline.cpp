#include "CommandLineInfo.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// The command-line parser against a reference model of the switch table.
// The input is an argument vector: arguments separated by NUL bytes, each
// decoded from UTF-8 as the program decodes its own argv.

namespace {

enum class Command { New = 0, Open = 1, Print = 2, PrintTo = 3, Dde = 4, Register = 5, Unregister = 6 };

struct Outcome
{
    Command command = Command::New;
    std::u16string file, printer, driver, port;
    bool embedded = false;
    bool automated = false;
    bool perUser = false;
    bool userControl = true;
    bool splash = true;

    bool operator==(const Outcome &) const = default;
};

std::u16string foldAscii(std::u16string text)
{
    for (char16_t &c : text) {
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
    }
    return text;
}

// The known switches by their folded name. The print and conversation
// switches only count in the exact spelling given; the others in any
// ASCII case.
struct KnownSwitch
{
    std::u16string folded;
    std::optional<std::u16string> onlySpelling;
    void (*apply)(Outcome &);
};

const std::vector<KnownSwitch> &knownSwitches()
{
    static const std::vector<KnownSwitch> table = [] {
        auto reg = [](Outcome &o) { o.command = Command::Register; };
        auto regUser = [](Outcome &o) { o.command = Command::Register; o.perUser = true; };
        auto unreg = [](Outcome &o) { o.command = Command::Unregister; };
        auto unregUser = [](Outcome &o) { o.command = Command::Unregister; o.perUser = true; };
        return std::vector<KnownSwitch>{
            {u"pt", u"pt", [](Outcome &o) { o.command = Command::PrintTo; }},
            {u"p", u"p", [](Outcome &o) { o.command = Command::Print; }},
            {u"dde", u"dde", [](Outcome &o) { o.command = Command::Dde; o.userControl = false; }},
            {u"register", std::nullopt, reg},
            {u"regserver", std::nullopt, reg},
            {u"registerperuser", std::nullopt, regUser},
            {u"regserverperuser", std::nullopt, regUser},
            {u"unregister", std::nullopt, unreg},
            {u"unregserver", std::nullopt, unreg},
            {u"unregisterperuser", std::nullopt, unregUser},
            {u"unregserverperuser", std::nullopt, unregUser},
            {u"embedding", std::nullopt, [](Outcome &o) { o.embedded = true; o.userControl = false; }},
            {u"automation", std::nullopt, [](Outcome &o) { o.automated = true; o.userControl = false; }},
        };
    }();
    return table;
}

const KnownSwitch *findByFoldedName(const std::u16string &name)
{
    const std::u16string folded = foldAscii(name);
    for (const KnownSwitch &known : knownSwitches()) {
        if (known.folded == folded)
            return &known;
    }
    return nullptr;
}

// "-" always starts a switch; "/" only before a known name in any case,
// because "/" also starts every absolute path.
bool modelIsSwitch(const std::u16string &argument)
{
    if (argument.empty())
        return false;
    if (argument[0] == u'-')
        return true;
    return argument[0] == u'/' && findByFoldedName(argument.substr(1)) != nullptr;
}

Outcome model(const std::vector<std::u16string> &arguments)
{
    Outcome o;
    for (const std::u16string &argument : arguments) {
        if (modelIsSwitch(argument)) {
            const std::u16string name = argument.substr(1);
            const KnownSwitch *known = findByFoldedName(name);
            if (known && (!known->onlySpelling || *known->onlySpelling == name))
                known->apply(o);
            continue;
        }
        // A plain argument fills the first empty field: the file, then the
        // printer, driver and port, but only while printing to a printer.
        std::u16string *fields[] = {&o.file, &o.printer, &o.driver, &o.port};
        const std::size_t usable = o.command == Command::PrintTo ? 4 : 1;
        for (std::size_t i = 0; i < usable; ++i) {
            if (fields[i]->empty()) {
                *fields[i] = argument;
                break;
            }
        }
    }
    if (!arguments.empty()) {
        if (o.command == Command::New && !o.file.empty())
            o.command = Command::Open;
        o.splash = !o.embedded && !o.automated;
    }
    return o;
}

Outcome parsed(const CCommandLineInfo &info)
{
    Outcome o;
    o.command = static_cast<Command>(info.m_nShellCommand);
    o.file = info.m_strFileName.toStdU16String();
    o.printer = info.m_strPrinterName.toStdU16String();
    o.driver = info.m_strDriverName.toStdU16String();
    o.port = info.m_strPortName.toStdU16String();
    o.embedded = info.m_bRunEmbedded;
    o.automated = info.m_bRunAutomated;
    o.perUser = info.m_bRegisterPerUser;
    o.userControl = info.m_bUserControl;
    o.splash = info.m_bShowSplash;
    return o;
}

void fail(const char *what, const QStringList &arguments)
{
    std::fprintf(stderr, "command line parser disagrees with the model (%s) for:\n", what);
    for (const QString &argument : arguments)
        std::fprintf(stderr, "  [%s]\n", argument.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QStringList arguments;
    std::vector<std::u16string> modelArguments;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size && arguments.size() < 32; ++i) {
        if (i == size || data[i] == 0) {
            const QString argument = QString::fromUtf8(reinterpret_cast<const char *>(data + start), qsizetype(i - start));
            arguments.append(argument);
            modelArguments.push_back(argument.toStdU16String());
            start = i + 1;
        }
    }
    if (size == 0) {
        arguments.clear();
        modelArguments.clear();
    }

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (CCommandLineInfo::IsSwitch(arguments.at(i)) != modelIsSwitch(modelArguments[std::size_t(i)]))
            fail("which arguments are switches", arguments);
    }

    CCommandLineInfo info;
    info.ParseCommandLine(arguments);
    if (!(parsed(info) == model(modelArguments)))
        fail("parsed fields", arguments);
    return 0;
}
