#include "View.h"

#include "CommandIds.h"
#include "Document.h"
#include "FrameWindow.h"

namespace fw {

View::View(QWidget *parent) : QWidget(parent)
{
    // A frame with one pane has nowhere else to move the focus to.
    onCommand(ids::ID_NEXT_PANE, [] {});
    onCommand(ids::ID_PREV_PANE, [] {});
}

View::~View()
{
    if (m_document)
        m_document->removeView(this);
}

Document *View::document() const
{
    return m_document;
}

void View::setDocument(Document *document)
{
    m_document = document;
}

FrameWindow *View::parentFrame() const
{
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (auto *frame = qobject_cast<FrameWindow *>(w))
            return frame;
    }
    return nullptr;
}

void View::onInitialUpdate()
{
    onUpdate(nullptr, 0, nullptr);
}

void View::onDocumentUpdate(DocumentView *sender, long hint, QObject *hintObject)
{
    onUpdate(dynamic_cast<View *>(sender), hint, hintObject);
}

void View::onUpdate(View *, long, QObject *)
{
    update();
}

} // namespace fw
