#pragma once

class QObject;

namespace fw {

class Document;

// What a document knows of a view that shows it. Views are widgets (View);
// the document reaches them only through this, so it needs no widgets.
class DocumentView
{
public:
    DocumentView() = default;
    DocumentView(const DocumentView &) = delete;
    DocumentView &operator=(const DocumentView &) = delete;
    virtual ~DocumentView() = default;

    // Set by the document when it adds or removes the view.
    virtual void setDocument(Document *document) = 0;
    // Called when a document has been set up (new or opened).
    virtual void onInitialUpdate() = 0;
    // Called by Document::updateAllViews; sender is the view that changed the
    // document, or null.
    virtual void onDocumentUpdate(DocumentView *sender, long hint, QObject *hintObject) = 0;
};

} // namespace fw
