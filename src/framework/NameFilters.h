#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QFileDialog;

namespace fw {

// One entry of a file dialog's type list.
struct NameFilter
{
    // What the type list shows, e.g. "所有文件(*.*)".
    QString label;
    // The wildcards that the entry lets through, in Qt's syntax.
    QStringList patterns;
    // What QFileDialog is given: the label itself when Qt reads exactly these
    // patterns from it, else the label followed by "(patterns)".
    QString qtFilter;
};

// Turns a filter list "Description|patterns|Description|patterns||" (the
// patterns of one entry separated by ';') into file dialog entries. The list
// ends at an empty description or a missing pair. A description that does
// not show its patterns gets them appended in parentheses. "*.*" lets every
// name through, with or without a dot, as the label promises. Control
// characters in a label become spaces, and patterns that Qt's filter syntax
// cannot carry (spaces, parentheses, non-ASCII) are left out; an entry with
// no pattern left is left out too.
QList<NameFilter> nameFiltersOf(const QString &filterList);

// The patterns Qt's file dialog reads from one of its name filters, by its
// own rule; empty when the filter has no "(patterns)" at its end.
QStringList qtPatternsOf(const QString &qtFilter);

// Gives Qt's own (not the desktop's) file dialog the entries, each shown by
// its label. The first entry is selected; selectNameFilter() and
// selectedNameFilter() then speak of an entry by its label.
void setNameFilters(QFileDialog &dialog, const QList<NameFilter> &filters);

} // namespace fw
