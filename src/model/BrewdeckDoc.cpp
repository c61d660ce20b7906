#include "BrewdeckDoc.h"

#include "ApplicationCore.h"
#include "ServerPaths.h"

CBrewdeckDoc::CBrewdeckDoc()
{
    // A document keeps the program alive while it exists; this is what ends
    // an automation run once its client lets go.
    if (fw::ApplicationCore *app = fw::ApplicationCore::current())
        app->lockApp();
}

CBrewdeckDoc::~CBrewdeckDoc()
{
    if (fw::ApplicationCore *app = fw::ApplicationCore::current())
        app->unlockApp();
}

bool CBrewdeckDoc::onNewDocument()
{
    if (!fw::Document::onNewDocument())
        return false;

    const fw::ApplicationCore *app = fw::ApplicationCore::current();
    const QString installDir = app ? app->installDirectory() : QString();

    m_pWebApp.reset();
    m_pWebApp = std::make_unique<CWebApp>();
    InitWebApp(installDir, m_pWebApp.get());
    WriteServerPaths(installDir);

    setTitle(QStringLiteral("Brewdeck"));
    return true;
}

void CBrewdeckDoc::onCloseDocument()
{
    // The record goes before the views do.
    m_pWebApp.reset();
    fw::Document::onCloseDocument();
}

void CBrewdeckDoc::serialize(QIODevice &, bool)
{
    // Document files carry nothing: saving writes an empty file and opening
    // accepts any readable file.
}
