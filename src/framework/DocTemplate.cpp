#include "DocTemplate.h"

#include "Application.h"
#include "CommandIds.h"
#include "Document.h"
#include "FrameWindow.h"
#include "View.h"

namespace fw {

SingleDocTemplate::SingleDocTemplate(int resourceId, DocumentFactory makeDocument,
                                     FrameFactory makeFrame, ViewFactory makeView)
    : DocumentTemplate(resourceId, std::move(makeDocument)),
      m_makeFrame(std::move(makeFrame)),
      m_makeView(std::move(makeView))
{
}

SingleDocTemplate::~SingleDocTemplate()
{
    if (m_frame)
        m_frame->setDocTemplate(nullptr);
}

FrameWindow *SingleDocTemplate::frame() const
{
    return m_frame;
}

FrameWindow *SingleDocTemplate::createNewFrame(Document *document)
{
    FrameWindow *frame = m_makeFrame();
    if (!frame)
        return nullptr;
    frame->setDocTemplate(this);
    View *view = m_makeView();
    if (view) {
        frame->setView(view);
        document->addView(view);
    }
    if (!frame->onCreate()) {
        delete frame;
        return nullptr;
    }
    QObject::connect(document, &Document::titleChanged, frame, &FrameWindow::updateFrameTitle);
    return frame;
}

bool SingleDocTemplate::createFrame(Document *document)
{
    FrameWindow *frame = createNewFrame(document);
    if (!frame) {
        Application::reportMessage(ids::IDP_FAILED_TO_CREATE_DOC);
        return false;
    }
    m_frame = frame;
    if (Application *app = Application::current(); app && !app->mainWindow())
        app->setMainWindow(frame);
    return true;
}

void SingleDocTemplate::initialUpdate(Document *document, bool makeVisible)
{
    initialUpdateFrame(m_frame, document, makeVisible);
}

void SingleDocTemplate::initialUpdateFrame(FrameWindow *frame, Document *document, bool makeVisible)
{
    if (!frame || !document)
        return;
    DocumentTemplate::initialUpdate(document, makeVisible);
    frame->updateFrameTitle();
    if (makeVisible)
        frame->show();
}

void SingleDocTemplate::destroyFrame(Document *document)
{
    if (document != this->document() || !m_frame)
        return;
    FrameWindow *frame = m_frame;
    m_frame = nullptr;
    for (DocumentView *view : document->views())
        document->removeView(view);
    frame->hide();
    frame->setDocTemplate(nullptr);
    frame->deleteLater();
}

} // namespace fw
