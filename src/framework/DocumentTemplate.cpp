#include "DocumentTemplate.h"

#include "CommandIds.h"
#include "Document.h"
#include "DocumentView.h"
#include "StringTable.h"

namespace fw {

DocumentTemplate::DocumentTemplate(int resourceId, DocumentFactory makeDocument)
    : m_resourceId(resourceId), m_makeDocument(std::move(makeDocument))
{
}

DocumentTemplate::~DocumentTemplate()
{
    if (m_document)
        m_document->setDocTemplate(nullptr);
}

Document *DocumentTemplate::document() const
{
    return m_document;
}

QString DocumentTemplate::string(DocTemplateField field) const
{
    return StringTable::field(m_resourceId, static_cast<int>(field));
}

void DocumentTemplate::setDefaultTitle(Document *document) const
{
    QString title = string(DocTemplateField::DocName);
    if (title.isEmpty())
        title = StringTable::load(ids::IDS_UNTITLED);
    document->setTitle(title);
}

bool DocumentTemplate::createFrame(Document *)
{
    return true;
}

Document *DocumentTemplate::createDocumentWithFrame()
{
    if (m_document)
        return nullptr;
    Document *document = m_makeDocument();
    if (!document)
        return nullptr;
    document->setDocTemplate(this);
    if (!createFrame(document)) {
        delete document;
        return nullptr;
    }
    m_document = document;
    return document;
}

Document *DocumentTemplate::openDocumentFile(const QString &path, bool makeVisible)
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
                    initialUpdate(document, makeVisible);
            }
            return nullptr;
        }
        document->setPathName(path);
    }
    initialUpdate(document, makeVisible);
    return document;
}

void DocumentTemplate::initialUpdate(Document *document, bool)
{
    for (DocumentView *view : document->views())
        view->onInitialUpdate();
}

void DocumentTemplate::closeAllDocuments()
{
    if (m_document)
        m_document->onCloseDocument();
}

void DocumentTemplate::destroyFrame(Document *)
{
}

void DocumentTemplate::removeDocument(Document *document)
{
    if (document == m_document)
        m_document = nullptr;
}

} // namespace fw
