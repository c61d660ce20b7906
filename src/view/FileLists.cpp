#include "BrewdeckView.h"

#include "BrewdeckDoc.h"
#include "FolderListing.h"
#include "WebApp.h"

#include <QListWidget>

namespace {

void fill(QListWidget *list, const QString &pattern)
{
    if (!list)
        return;
    // Every item is one line of plain text; telling the list so spares it
    // measuring each one, which with many thousands of files takes longer
    // than reading the folder.
    list->setUniformItemSizes(true);
    list->addItems(platform::listMatchingFiles(pattern));
}

} // namespace

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
    QString pattern = app->GetJspDir() + QStringLiteral("/*.jsp");
    fill(m_listJsp, pattern);
    pattern = app->GetClassesDir() + QStringLiteral("/*.class");
    fill(m_listClass, pattern);
    pattern = app->GetLibDir() + QStringLiteral("/*.jar");
    fill(m_listJar, pattern);

    updateData(false);
}
