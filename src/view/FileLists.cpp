#include "BrewdeckView.h"

#include "BrewdeckDoc.h"
#include "FolderListing.h"
#include "WebApp.h"

#include <QListWidget>

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
    if (m_listJsp)
        m_listJsp->addItems(platform::listMatchingFiles(pattern));
    pattern = app->GetClassesDir() + QStringLiteral("/*.class");
    if (m_listClass)
        m_listClass->addItems(platform::listMatchingFiles(pattern));
    pattern = app->GetLibDir() + QStringLiteral("/*.jar");
    if (m_listJar)
        m_listJar->addItems(platform::listMatchingFiles(pattern));

    updateData(false);
}
