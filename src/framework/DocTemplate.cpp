#include "DocTemplate.h"

#include "Application.h"
#include "CommandIds.h"
#include "Document.h"
#include "FrameWindow.h"
#include "StringTable.h"
#include "View.h"

namespace fw {

SingleDocTemplate::SingleDocTemplate(int resourceId, DocumentFactory makeDocument,
                                     FrameFactory makeFrame, ViewFactory makeView)
    : m_resourceId(resourceId),
      m_makeDocument(std::move(makeDocument)),
      m_makeFrame(std::move(makeFrame)),
      m_makeView(std::move(makeView))
{
}

SingleDocTemplate::~SingleDocTemplate()
{
    if (m_document)
        m_document->setDocTemplate(nullptr);
    if (m_frame)
        m_frame->setDocTemplate(nullptr);
}

Document *SingleDocTemplate::document() const
{
    return m_document;
}

FrameWindow *SingleDocTemplate::frame() const
{
    return m_frame;
}

QString SingleDocTemplate::string(DocTemplateField field) const
{
    return StringTable::field(m_resourceId, static_cast<int>(field));
}

void SingleDocTemplate::setDefaultTitle(Document *document) const
{
    QString title = string(DocTemplateField::DocName);
    if (title.isEmpty())
        title = StringTable::load(ids::IDS_UNTITLED);
    document->setTitle(title);
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

Document *SingleDocTemplate::createDocumentWithFrame()
{
    if (m_document)
        return nullptr;
    Document *document = m_makeDocument();
    if (!document)
        return nullptr;
    document->setDocTemplate(this);
    FrameWindow *frame = createNewFrame(document);
    if (!frame) {
        Application::reportMessage(ids::IDP_FAILED_TO_CREATE_DOC);
        delete document;
        return nullptr;
    }
    m_document = document;
    m_frame = frame;
    if (Application *app = Application::current(); app && !app->mainWindow())
        app->setMainWindow(frame);
    return document;
}

Document *SingleDocTemplate::openDocumentFile(const QString &path, bool makeVisible)
{
    Document *document = m_document;
    bool created = false;
    if (document) {
        if (!document->saveModified())
            return nullptr;
    } else {
        document = createDocumentWithFrame();
        if (!document)
            return nullptr;
        created = true;
    }
    FrameWindow *frame = m_frame;

    if (path.isEmpty()) {
        setDefaultTitle(document);
        if (!document->onNewDocument()) {
            if (created)
                document->onCloseDocument();
            return nullptr;
        }
    } else {
        const bool wasModified = document->isModified();
        // The document marks itself modified once it has begun to read, so a
        // failure that leaves it unmarked left its contents untouched.
        document->setModifiedFlag(false);
        if (!document->onOpenDocument(path)) {
            if (created) {
                document->onCloseDocument();
            } else if (!document->isModified()) {
                document->setModifiedFlag(wasModified);
            } else {
                setDefaultTitle(document);
                if (!document->onNewDocument())
                    document->onCloseDocument();
                else
                    initialUpdateFrame(frame, document, makeVisible);
            }
            return nullptr;
        }
        document->setPathName(path);
    }
    initialUpdateFrame(frame, document, makeVisible);
    return document;
}

void SingleDocTemplate::initialUpdateFrame(FrameWindow *frame, Document *document, bool makeVisible)
{
    if (!frame || !document)
        return;
    for (View *view : document->views())
        view->onInitialUpdate();
    frame->updateFrameTitle();
    if (makeVisible)
        frame->show();
}

void SingleDocTemplate::closeAllDocuments()
{
    if (m_document)
        m_document->onCloseDocument();
}

void SingleDocTemplate::destroyFrame(Document *document)
{
    if (document != m_document || !m_frame)
        return;
    FrameWindow *frame = m_frame;
    m_frame = nullptr;
    for (View *view : document->views())
        document->removeView(view);
    frame->hide();
    frame->setDocTemplate(nullptr);
    frame->deleteLater();
}

void SingleDocTemplate::removeDocument(Document *document)
{
    if (document == m_document)
        m_document = nullptr;
}

} // namespace fw
