#include "BrewdeckView.h"

#include "WebApp.h"

#include <QListWidget>

void CBrewdeckView::onUpdate(fw::View *, long, QObject *)
{
    for (QListWidget *list : {m_listJsp, m_listClass, m_listJar}) {
        if (list)
            list->clear();
    }
    CWebApp *app = webApp();
    if (!app)
        return;
    updateData(false);
    m_strAppName = app->GetName();
    m_strHomePage = app->GetHomePage();
    updateData(false);
}
