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
    // resolve to ::1 first. Name and page go in as they are, except the three
    // characters that would make the page another resource: '%' starts an
    // escape, '?' and '#' end the path.
    QString page = app->GetHomePage();
    page.replace(QLatin1Char('%'), QLatin1String("%25"));
    page.replace(QLatin1Char('#'), QLatin1String("%23"));
    page.replace(QLatin1Char('?'), QLatin1String("%3F"));
    const QString address = QStringLiteral("http://127.0.0.1:8080/%1/%2").arg(app->GetName(), page);
    platform::openUrl(address);
}
