#include "ProgramRun.h"

#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "DocTemplate.h"
#include "MainFrame.h"
#include "StringTableData.h"

#include <QCoreApplication>
#include <QEvent>

ProgramRun::ProgramRun(const QString &installDir)
{
    m_app.m_strInstallDir = installDir;
}

ProgramRun::~ProgramRun()
{
    if (!m_ended) {
        if (fw::SingleDocTemplate *docTemplate = m_app.docTemplate())
            docTemplate->closeAllDocuments();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool ProgramRun::setUp()
{
    res::loadStringTable();
    m_app.InitSettingsAndTemplate();
    return true;
}

bool ProgramRun::showFrame()
{
    if (!frame() || !view() || !document())
        return false;
    frame()->show();
    return true;
}

bool ProgramRun::startNew()
{
    setUp();
    m_app.onFileNew();
    return showFrame();
}

bool ProgramRun::startWithFile(const QString &path)
{
    setUp();
    m_app.openDocumentFile(path);
    return showFrame();
}

void ProgramRun::end()
{
    if (CMainFrame *mainFrame = frame())
        mainFrame->close();
    m_app.exitInstance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_ended = true;
}

CMainFrame *ProgramRun::frame() const
{
    return qobject_cast<CMainFrame *>(m_app.mainWindow());
}

CBrewdeckView *ProgramRun::view() const
{
    return frame() ? qobject_cast<CBrewdeckView *>(frame()->activeView()) : nullptr;
}

CBrewdeckDoc *ProgramRun::document() const
{
    return view() ? view()->GetDocument() : nullptr;
}
