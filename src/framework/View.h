#pragma once

#include "CommandTarget.h"
#include "DocumentView.h"

#include <QPointer>
#include <QWidget>

namespace fw {

class Document;
class FrameWindow;

// A window that shows a document. It is the first target of every command the
// frame routes, and is told of changes through onUpdate.
class View : public QWidget, public CommandTarget, public DocumentView
{
    Q_OBJECT

public:
    explicit View(QWidget *parent = nullptr);
    ~View() override;

    Document *document() const;
    // Set by the document when it adds or removes the view.
    void setDocument(Document *document) override;

    FrameWindow *parentFrame() const;

    // Called when a document has been set up (new or opened); by default an
    // update with no sender.
    void onInitialUpdate() override;
    // Called by Document::updateAllViews.
    virtual void onUpdate(View *sender, long hint, QObject *hintObject);
    // The document's notice, handed on to onUpdate.
    void onDocumentUpdate(DocumentView *sender, long hint, QObject *hintObject) final;

private:
    // Either may go first: a view leaves its document's list when destroyed
    // with its frame, and forgets a document that was deleted.
    QPointer<Document> m_document;
};

} // namespace fw
