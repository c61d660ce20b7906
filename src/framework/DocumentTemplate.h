#pragma once

#include <QPointer>
#include <QString>

#include <functional>

namespace fw {

class Document;

// The "\n"-separated fields of a document template's string.
enum class DocTemplateField {
    WindowTitle = 0,
    DocName = 1,
    FileNewName = 2,
    FilterName = 3,
    FilterExt = 4,
    RegFileTypeId = 5,
    RegFileTypeName = 6,
};

// Binds a document class to its resource string for a program with one
// document at a time: the first new or opened document is made, every later
// one reuses it. On its own it keeps a document without any window; the
// widget side (SingleDocTemplate) gives the document its frame and view.
class DocumentTemplate
{
public:
    using DocumentFactory = std::function<Document *()>;

    DocumentTemplate(int resourceId, DocumentFactory makeDocument);
    virtual ~DocumentTemplate();
    DocumentTemplate(const DocumentTemplate &) = delete;
    DocumentTemplate &operator=(const DocumentTemplate &) = delete;

    int resourceId() const { return m_resourceId; }
    QString string(DocTemplateField field) const;

    Document *document() const;

    // An empty path makes the document new; otherwise the file is opened into
    // it. Offers to save a modified document first. Null when it fails, in
    // which case a message has been shown where there is one to show.
    Document *openDocumentFile(const QString &path, bool makeVisible = true);

    // Makes a document (with its frame and view, where there are windows)
    // without running its new or open step; for automation clients, which get
    // a hidden frame.
    Document *createDocumentWithFrame();

    void closeAllDocuments();

    // Called by the document while it closes.
    virtual void destroyFrame(Document *document);
    void removeDocument(Document *document);

protected:
    // Makes the new document's frame and view; false, with the failure
    // reported, when it cannot. Without windows there is nothing to make.
    virtual bool createFrame(Document *document);
    // Gives the document's views their initial update and shows its frame if
    // asked.
    virtual void initialUpdate(Document *document, bool makeVisible);

private:
    void setDefaultTitle(Document *document) const;

    int m_resourceId;
    DocumentFactory m_makeDocument;
    // Guarded: the document may be deleted by its own close while the
    // template lives.
    QPointer<Document> m_document;
};

} // namespace fw
