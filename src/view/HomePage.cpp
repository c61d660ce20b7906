#include "BrewdeckView.h"

#include "BrewdeckDoc.h"
#include "UrlLauncher.h"
#include "WebApp.h"

#include <QListWidget>

void CBrewdeckView::OnSetHome()
{
    CWebApp *app = webApp();
    if (!app)
        return;
    updateData(true);
    const QList<QListWidgetItem *> selected = m_listJsp ? m_listJsp->selectedItems() : QList<QListWidgetItem *>();
    if (selected.isEmpty())
        return;
    m_strHomePage = selected.constFirst()->text();
    app->m_strHomePage = m_strHomePage;
    updateData(false);
}

void CBrewdeckView::OnRun()
{
    CWebApp *app = webApp();
    if (!app)
        return;
    // The server listens on the IPv4 loopback only, and "localhost" may
    // resolve to ::1 first. Name and page go in as they are, unescaped.
    const QString address = QStringLiteral("http://127.0.0.1:8080/%1/%2").arg(app->GetName(), app->GetHomePage());
    platform::openUrl(address);
}
