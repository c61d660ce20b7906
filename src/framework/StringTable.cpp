#include "StringTable.h"

#include <QHash>

namespace fw {

namespace {

QHash<int, QString> &table()
{
    static QHash<int, QString> strings;
    return strings;
}

} // namespace

void StringTable::insert(int id, const QString &text)
{
    table().insert(id, text);
}

void StringTable::insert(std::initializer_list<std::pair<int, const char *>> utf8Entries)
{
    for (const auto &[id, text] : utf8Entries)
        table().insert(id, QString::fromUtf8(text));
}

bool StringTable::contains(int id)
{
    return table().contains(id);
}

QString StringTable::load(int id)
{
    return table().value(id);
}

QString StringTable::prompt(int id)
{
    const QString text = load(id);
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    return newline < 0 ? text : text.left(newline);
}

QString StringTable::tip(int id)
{
    const QString text = load(id);
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    return newline < 0 ? QString() : text.mid(newline + 1);
}

QString StringTable::field(int id, int index)
{
    return load(id).split(QLatin1Char('\n')).value(index);
}

} // namespace fw
