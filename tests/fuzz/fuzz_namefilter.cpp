// The file-dialog filter converter against what Qt's file dialog reads back.
// For any filter list: Qt reads from each entry exactly the patterns the
// entry lets through, never none; the label the type list shows carries no
// line break and stays the start of what Qt is given; "*.*" lets names
// without a dot through; and converting an entry's own label and patterns
// again gives the same patterns.
#include "NameFilters.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "name filter invariant broken: %s\n", what);
        std::abort();
    }
}

bool matchesWildcard(const QString &pattern, const QString &name)
{
    const QRegularExpression rule = QRegularExpression::fromWildcard(pattern, Qt::CaseSensitive);
    return rule.isValid() && rule.match(name).hasMatch();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<fw::NameFilter> filters = fw::nameFiltersOf(input);

    // The entries before the first empty description; "*.*" among them.
    const QStringList parts = input.split(QLatin1Char('|'));
    qsizetype entries = 0;
    qsizetype allFiles = 0;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts.at(i).isEmpty(); i += 2) {
        ++entries;
        if (parts.at(i + 1).split(QLatin1Char(';')).contains(QStringLiteral("*.*"))
            || parts.at(i + 1).split(QLatin1Char(' ')).contains(QStringLiteral("*.*")))
            ++allFiles;
    }
    check(filters.size() <= entries, "more entries out than in");

    qsizetype matchingAll = 0;
    for (const fw::NameFilter &filter : filters) {
        check(!filter.patterns.isEmpty(), "an entry lets nothing through");
        check(fw::qtPatternsOf(filter.qtFilter) == filter.patterns, "Qt reads other patterns than meant");
        check(filter.qtFilter == filter.label || filter.qtFilter.startsWith(filter.label + QStringLiteral(" (")),
              "what Qt is given does not start with the label");
        for (const QChar c : filter.label)
            check(c.unicode() >= 0x20 && c.unicode() != 0x7f && c.unicode() != 0x85 && c.unicode() != 0x2028
                      && c.unicode() != 0x2029,
                  "a control character in a label");
        for (const QString &pattern : filter.patterns)
            check(!pattern.isEmpty() && !pattern.contains(QLatin1Char(' ')), "an empty or split pattern");
        if (filter.patterns.contains(QStringLiteral("*"))) {
            ++matchingAll;
            check(matchesWildcard(QStringLiteral("*"), QStringLiteral("README")), "\"*\" misses a dotless name");
        }

        const QList<fw::NameFilter> again =
            fw::nameFiltersOf(filter.label + QLatin1Char('|') + filter.patterns.join(QLatin1Char(';')) + QStringLiteral("||"));
        check(again.size() == 1 && again.constFirst().patterns == filter.patterns, "a round trip changes the patterns");
    }
    check(matchingAll >= allFiles, "a \"*.*\" entry does not let every name through");
    return 0;
}
