#include "BrewdeckView.h"

#include "Application.h"
#include "BrewdeckDoc.h"
#include "FolderListing.h"
#include "StringTable.h"
#include "WebApp.h"
#include "resource.h"

#include <QListWidget>
#include <QTimer>

namespace {

// A name that is not UTF-8 as a reader can tell it apart: its valid
// characters as they are, every other byte as \xNN.
QString shownName(const QByteArray &name)
{
    QString shown;
    qsizetype i = 0;
    while (i < name.size()) {
        const auto lead = static_cast<unsigned char>(name.at(i));
        const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        const QByteArray piece = length > 0 ? name.mid(i, length) : QByteArray();
        if (length > 0 && piece.size() == length && platform::isUtf8Name(piece)) {
            shown += QString::fromUtf8(piece);
            i += length;
        } else {
            shown += QStringLiteral("\\x") + QString::number(lead, 16).toUpper().rightJustified(2, QLatin1Char('0'));
            ++i;
        }
    }
    return shown;
}

} // namespace

void CBrewdeckView::fillList(QListWidget *list, const QString &folder, const QString &wildcard, QStringList &leftOut)
{
    QList<QByteArray> notUtf8;
    const QStringList names = platform::listMatchingFiles(folder + QLatin1Char('/') + wildcard, &notUtf8);
    for (const QByteArray &name : notUtf8)
        leftOut << folder + QLatin1Char('/') + shownName(name);
    if (!list)
        return;
    // Every item is one line of plain text; telling the list so spares it
    // measuring each one, which with many thousands of files takes longer
    // than reading the folder.
    list->setUniformItemSizes(true);
    list->addItems(names);
}

void CBrewdeckView::reportLeftOut(const QStringList &leftOut)
{
    QStringList fresh;
    for (const QString &path : leftOut) {
        if (!m_reportedLeftOut.contains(path))
            fresh << path;
    }
    if (fresh.isEmpty())
        return;
    for (const QString &path : fresh)
        m_reportedLeftOut.insert(path);
    // Told after the update has finished and the window shows the lists.
    QTimer::singleShot(0, this, [fresh] {
        fw::Application::messageBox(fw::StringTable::load(IDP_NAMES_NOT_LISTED).arg(fresh.join(QLatin1Char('\n'))));
    });
}

void CBrewdeckView::onUpdate(fw::View *, long, QObject *)
{
    CWebApp *app = webApp();

    for (QListWidget *list : {m_listJsp, m_listClass, m_listJar}) {
        if (list)
            list->clear();
    }
    if (!app)
        return;

    // The edits first get the members as they stand (the previous values),
    // then the new ones at the end.
    updateData(false);
    m_strAppName = app->GetName();
    m_strHomePage = app->GetHomePage();

    // The lists are read afresh from the folders every time.
    QStringList leftOut;
    fillList(m_listJsp, app->GetJspDir(), QStringLiteral("*.jsp"), leftOut);
    fillList(m_listClass, app->GetClassesDir(), QStringLiteral("*.class"), leftOut);
    fillList(m_listJar, app->GetLibDir(), QStringLiteral("*.jar"), leftOut);

    updateData(false);
    reportLeftOut(leftOut);
}
