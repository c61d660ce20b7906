#include "DesktopRegistration.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// The Exec quoting of the desktop entry and of the D-Bus activation file,
// read back the way their readers do: the key file's escapes first, then
// the desktop entry's quoting rules (and, as GLib launches it, shell-style
// splitting), or dbus-daemon's shell-style splitting. Every argument must
// come back exactly. The input holds up to four arguments separated by NUL
// bytes (a path never contains NUL).

namespace {

using Args = std::vector<std::string>;

[[noreturn]] void fail(const char *what, const Args &arguments, const std::string &line)
{
    std::fprintf(stderr, "Exec quoting: %s\nline: [%s]\n", what, line.c_str());
    for (const std::string &argument : arguments)
        std::fprintf(stderr, "  argument [%s]\n", argument.c_str());
    std::abort();
}

// A key file value: one line, whose \s \n \t \r \\ escapes are undone; any
// other escape is an error for GLib and for dbus-daemon alike.
std::optional<std::string> unescapeKeyFileValue(const std::string &value)
{
    if (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        return std::nullopt; // a reader would drop it
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\n' || c == '\r' || c == '\0')
            return std::nullopt; // would end or cut the line
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

// The desktop entry's own rules, strictly: arguments separated by spaces;
// an argument with a reserved character is in double quotes, inside which
// only " ` $ and \ are escaped with a backslash; "%%" stands for "%" and any
// other "%x" is a field code, returned as it stands.
struct DesktopArgument
{
    std::string text;
    bool fieldCode = false;
};

std::optional<std::vector<DesktopArgument>> parseDesktopExec(const std::string &exec)
{
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::vector<DesktopArgument> result;
    std::size_t i = 0;
    while (i < exec.size()) {
        std::string raw;
        if (exec[i] == '"') {
            ++i;
            for (;;) {
                if (i == exec.size())
                    return std::nullopt; // unclosed quote
                const char c = exec[i++];
                if (c == '"')
                    break;
                if (c == '\\') {
                    if (i == exec.size())
                        return std::nullopt;
                    const char next = exec[i++];
                    if (next != '"' && next != '`' && next != '$' && next != '\\')
                        return std::nullopt;
                    raw += next;
                } else if (c == '`' || c == '$') {
                    return std::nullopt; // must be escaped inside quotes
                } else {
                    raw += c;
                }
            }
            if (i < exec.size() && exec[i] != ' ')
                return std::nullopt; // a quote ends its argument
        } else {
            while (i < exec.size() && exec[i] != ' ') {
                if (reserved.find(exec[i]) != std::string::npos)
                    return std::nullopt; // needed quoting
                raw += exec[i++];
            }
        }
        DesktopArgument argument;
        for (std::size_t k = 0; k < raw.size(); ++k) {
            if (raw[k] != '%') {
                argument.text += raw[k];
            } else if (k + 1 < raw.size() && raw[k + 1] == '%') {
                argument.text += '%';
                ++k;
            } else if (k == 0 && raw.size() == 2) {
                argument.fieldCode = true;
                argument.text = raw;
                break;
            } else {
                return std::nullopt; // a stray field code inside an argument
            }
        }
        result.push_back(argument);
        if (i < exec.size()) {
            ++i; // the one separating space
            if (i == exec.size() || exec[i] == ' ')
                return std::nullopt; // empty arguments are not written so
        }
    }
    return result;
}

// Shell-style splitting as g_shell_parse_argv and dbus-daemon do it: blanks
// and newlines separate words; single quotes keep everything; inside double
// quotes a backslash escapes only $ ` " \ and newline; elsewhere it escapes
// any character. dbus-daemon starts a comment at any unquoted "#", GLib only
// at the start of a word.
enum class Comments { AtWordStart, Anywhere };

std::optional<Args> shellSplit(const std::string &line, Comments comments)
{
    Args words;
    std::string word;
    bool inWord = false;
    std::size_t i = 0;
    auto endWord = [&] {
        if (inWord)
            words.push_back(word);
        word.clear();
        inWord = false;
    };
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            endWord();
            ++i;
        } else if (c == '#' && (!inWord || comments == Comments::Anywhere)) {
            endWord();
            while (i < line.size() && line[i] != '\n')
                ++i;
        } else if (c == '\'') {
            inWord = true;
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string::npos)
                return std::nullopt;
            word += line.substr(i + 1, close - i - 1);
            i = close + 1;
        } else if (c == '"') {
            inWord = true;
            ++i;
            for (;;) {
                if (i == line.size())
                    return std::nullopt;
                const char q = line[i++];
                if (q == '"')
                    break;
                if (q == '\\' && i < line.size()) {
                    const char next = line[i];
                    if (next == '$' || next == '`' || next == '"' || next == '\\' || next == '\n') {
                        word += next;
                        ++i;
                        continue;
                    }
                }
                word += q;
            }
        } else if (c == '\\') {
            inWord = true;
            if (i + 1 == line.size())
                return std::nullopt;
            if (line[i + 1] != '\n')
                word += line[i + 1];
            i += 2;
        } else {
            inWord = true;
            word += c;
            ++i;
        }
    }
    endWord();
    return words;
}

void checkDesktop(const QStringList &arguments, const Args &expected)
{
    QString exec;
    for (const QString &argument : arguments)
        exec += platform::desktopExecArgument(argument) + QLatin1Char(' ');
    exec += QLatin1String("%f");
    const std::string line = exec.toStdString();

    const std::optional<std::string> value = unescapeKeyFileValue(line);
    if (!value)
        fail("the desktop entry's Exec is not a valid key file value", expected, line);

    const auto strict = parseDesktopExec(*value);
    if (!strict)
        fail("the desktop entry's Exec breaks its quoting rules", expected, line);
    if (strict->size() != expected.size() + 1 || !strict->back().fieldCode || strict->back().text != "%f")
        fail("the desktop entry's Exec splits into other arguments", expected, line);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if ((*strict)[i].fieldCode || (*strict)[i].text != expected[i])
            fail("the desktop entry's Exec gives another argument", expected, line);
    }

    // GLib splits first and expands "%%" inside each word afterwards.
    const std::optional<Args> words = shellSplit(*value, Comments::AtWordStart);
    if (!words || words->size() != expected.size() + 1 || words->back() != "%f")
        fail("the desktop entry's Exec splits otherwise in the shell's way", expected, line);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        std::string word;
        const std::string &quoted = (*words)[i];
        for (std::size_t k = 0; k < quoted.size(); ++k) {
            word += quoted[k];
            if (quoted[k] == '%' && k + 1 < quoted.size() && quoted[k + 1] == '%')
                ++k;
        }
        if (word != expected[i])
            fail("the desktop entry's Exec gives another argument in the shell's way", expected, line);
    }
}

void checkDbus(const QStringList &arguments, const Args &expected)
{
    QString exec;
    for (const QString &argument : arguments)
        exec += platform::dbusExecArgument(argument) + QLatin1Char(' ');
    exec += QLatin1String("-Embedding");
    const std::string line = exec.toStdString();

    const std::optional<std::string> value = unescapeKeyFileValue(line);
    if (!value)
        fail("the D-Bus Exec is not a valid key file value", expected, line);
    Args want = expected;
    want.push_back("-Embedding");
    const std::optional<Args> words = shellSplit(*value, Comments::Anywhere);
    if (!words || *words != want)
        fail("dbus-daemon would split the D-Bus Exec into other arguments", expected, line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QStringList arguments;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size && arguments.size() < 4; ++i) {
        if (i == size || data[i] == 0) {
            arguments.append(QString::fromUtf8(reinterpret_cast<const char *>(data + start), qsizetype(i - start)));
            start = i + 1;
        }
    }
    // What reaches the file is the UTF-8 form, so that is what must come back.
    Args expected;
    for (const QString &argument : arguments)
        expected.push_back(argument.toStdString());

    checkDesktop(arguments, expected);
    checkDbus(arguments, expected);
    return 0;
}
