#pragma once

#include "DocumentTemplate.h"

#include <QPointer>

namespace fw {

class FrameWindow;
class View;

// The document template of a program with windows: the first new or opened
// document also makes a frame and a view, which every later one reuses.
class SingleDocTemplate : public DocumentTemplate
{
public:
    using FrameFactory = std::function<FrameWindow *()>;
    using ViewFactory = std::function<View *()>;

    SingleDocTemplate(int resourceId, DocumentFactory makeDocument, FrameFactory makeFrame,
                      ViewFactory makeView);
    ~SingleDocTemplate() override;

    FrameWindow *frame() const;

    // Gives the frame's views their initial update and shows it if asked.
    void initialUpdateFrame(FrameWindow *frame, Document *document, bool makeVisible);

    void destroyFrame(Document *document) override;

protected:
    bool createFrame(Document *document) override;
    void initialUpdate(Document *document, bool makeVisible) override;

private:
    FrameWindow *createNewFrame(Document *document);

    FrameFactory m_makeFrame;
    ViewFactory m_makeView;
    // Guarded: the frame may be destroyed by Qt or by the application's
    // teardown while the template lives.
    QPointer<FrameWindow> m_frame;
};

} // namespace fw
