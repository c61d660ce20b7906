#include "FrameFixture.h"

#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "DocTemplate.h"
#include "MainFrame.h"
#include "StringTableData.h"

#include <QCoreApplication>
#include <QEvent>

FrameFixture::FrameFixture()
{
    m_app.m_strInstallDir = m_installDir.path();
}

FrameFixture::~FrameFixture()
{
    if (fw::SingleDocTemplate *docTemplate = m_app.docTemplate())
        docTemplate->closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool FrameFixture::start()
{
    res::loadStringTable();
    m_app.InitSettingsAndTemplate();
    m_app.onFileNew();
    if (!frame() || !view() || !document())
        return false;
    // As start-up does once the window is shown.
    frame()->show();
    frame()->dragAcceptFiles(true);
    return true;
}

CMainFrame *FrameFixture::frame() const
{
    return qobject_cast<CMainFrame *>(m_app.mainWindow());
}

CBrewdeckView *FrameFixture::view() const
{
    return frame() ? qobject_cast<CBrewdeckView *>(frame()->activeView()) : nullptr;
}

CBrewdeckDoc *FrameFixture::document() const
{
    return view() ? view()->GetDocument() : nullptr;
}
