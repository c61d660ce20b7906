#include "NameFilters.h"

#include <QComboBox>
#include <QFileDialog>
#include <QRegularExpression>

#include <algorithm>

namespace fw {

namespace {

// The characters Qt's file dialog accepts inside a filter's parentheses, and
// its rule for finding them (QPlatformFileDialogHelper::filterRegExp).
constexpr char kQtPatternChars[] = "a-zA-Z0-9_.,*? +;#\\-\\[\\]@\\{\\}/!<>\\$%&=^~:\\|";

const QRegularExpression &qtFilterRule()
{
    static const QRegularExpression rule(QStringLiteral("^(.*)\\(([%1]*)\\)$").arg(QLatin1String(kQtPatternChars)));
    return rule;
}

bool isQtPatternChar(QChar c)
{
    if (c.unicode() > 0x7e || c == QLatin1Char(' '))
        return false;
    if (c.isLetterOrNumber())
        return true;
    static const QString others = QStringLiteral("_.,*?+;#-[]@{}/!<>$%&=^~:|");
    return others.contains(c);
}

bool isLineBreakOrControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || u == 0x7f || u == 0x85 || u == 0x2028 || u == 0x2029;
}

QString withoutControls(QString text)
{
    for (QChar &c : text) {
        if (isLineBreakOrControl(c))
            c = QLatin1Char(' ');
    }
    return text;
}

QStringList usablePatterns(const QString &patternText)
{
    QStringList patterns;
    const QStringList tokens = patternText.split(QRegularExpression(QStringLiteral("[; ]")), Qt::SkipEmptyParts);
    for (const QString &token : tokens) {
        if (!std::all_of(token.cbegin(), token.cend(), isQtPatternChar))
            continue;
        // Qt matches "*.*" literally, which would hide every name without a
        // dot (README, a document saved as "notes").
        const QString pattern = token == QLatin1String("*.*") ? QStringLiteral("*") : token;
        if (!patterns.contains(pattern))
            patterns << pattern;
    }
    return patterns;
}

} // namespace

QStringList qtPatternsOf(const QString &qtFilter)
{
    const QRegularExpressionMatch match = qtFilterRule().match(qtFilter);
    if (!match.hasMatch())
        return {};
    return match.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QList<NameFilter> nameFiltersOf(const QString &filterList)
{
    QList<NameFilter> filters;
    const QStringList parts = filterList.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts.at(i);
        if (description.isEmpty())
            break;
        NameFilter filter;
        filter.patterns = usablePatterns(parts.at(i + 1));
        if (filter.patterns.isEmpty())
            continue;
        QString shownPatterns = parts.at(i + 1);
        shownPatterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString shown = QLatin1Char('(') + shownPatterns + QLatin1Char(')');
        filter.label = withoutControls(description.endsWith(shown) ? description
                                                                   : description + QLatin1Char(' ') + shown);
        filter.qtFilter = qtPatternsOf(filter.label) == filter.patterns
            ? filter.label
            : filter.label + QStringLiteral(" (") + filter.patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        filters << filter;
    }
    return filters;
}

void setNameFilters(QFileDialog &dialog, const QList<NameFilter> &filters)
{
    QStringList qtFilters;
    for (const NameFilter &filter : filters)
        qtFilters << filter.qtFilter;
    dialog.setNameFilters(qtFilters);
    // Qt's dialog shows each filter as given; where Qt needs patterns that
    // the label does not show, its type list gets the label back. The
    // dialog picks filters by position, so the text is only what is shown.
    auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    if (!types || types->count() != filters.size())
        return;
    for (qsizetype i = 0; i < filters.size(); ++i)
        types->setItemText(int(i), filters.at(i).label);
}

} // namespace fw
