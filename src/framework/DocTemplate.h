#pragma once

#include <QPointer>
#include <QString>

#include <functional>

namespace fw {

class Document;
class FrameWindow;
class View;

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

// Binds a document class, a frame class and a view class for a program with
// one document at a time: the first new or opened document makes all three,
// every later one reuses them.
class SingleDocTemplate
{
public:
    using DocumentFactory = std::function<Document *()>;
    using FrameFactory = std::function<FrameWindow *()>;
    using ViewFactory = std::function<View *()>;

    SingleDocTemplate(int resourceId, DocumentFactory makeDocument, FrameFactory makeFrame,
                      ViewFactory makeView);
    ~SingleDocTemplate();
    SingleDocTemplate(const SingleDocTemplate &) = delete;
    SingleDocTemplate &operator=(const SingleDocTemplate &) = delete;

    int resourceId() const { return m_resourceId; }
    QString string(DocTemplateField field) const;

    Document *document() const;
    FrameWindow *frame() const;

    // An empty path makes the document new; otherwise the file is opened into
    // it. Offers to save a modified document first. Null when it fails, in
    // which case a message has been shown where there is one to show.
    Document *openDocumentFile(const QString &path, bool makeVisible = true);

    // Makes a document with its frame and view without running its new or
    // open step; for automation clients, which get a hidden frame.
    Document *createDocumentWithFrame();
    // Gives the frame's views their initial update and shows it if asked.
    void initialUpdateFrame(FrameWindow *frame, Document *document, bool makeVisible);

    void closeAllDocuments();

    // Called by the document while it closes.
    void destroyFrame(Document *document);
    void removeDocument(Document *document);

private:
    FrameWindow *createNewFrame(Document *document);
    void setDefaultTitle(Document *document) const;

    int m_resourceId;
    DocumentFactory m_makeDocument;
    FrameFactory m_makeFrame;
    ViewFactory m_makeView;
    // Guarded: the frame may be destroyed by Qt or by the application's
    // teardown, and the document by its own close, while the template lives.
    QPointer<Document> m_document;
    QPointer<FrameWindow> m_frame;
};

} // namespace fw
