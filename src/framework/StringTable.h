#pragma once

#include <QString>

#include <initializer_list>
#include <utility>

namespace fw {

// The process-wide string table: texts keyed by the same ids as commands and
// messages. The program fills it once at start-up from its resource tables.
class StringTable
{
public:
    static void insert(int id, const QString &text);
    static void insert(std::initializer_list<std::pair<int, const char *>> utf8Entries);
    static bool contains(int id);

    // The whole string, or an empty one when the id is unknown.
    static QString load(int id);
    // For a command: the text before the first "\n", shown in the status bar.
    static QString prompt(int id);
    // For a command: the text after the first "\n", its tooltip (empty without one).
    static QString tip(int id);
    // One "\n"-separated field of a string, such as the document template's.
    static QString field(int id, int index);
};

} // namespace fw
