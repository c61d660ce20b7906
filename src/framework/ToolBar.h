#pragma once

#include "MenuResources.h"

#include <QToolBar>

#include <functional>

class QIcon;

namespace fw {

class FrameWindow;

// A toolbar that stays along the top edge of its frame: its gripper is drawn
// but it cannot be dragged, floated or docked elsewhere. Its buttons are the
// frame's command actions, so a button and its menu item are one action.
class ToolBar : public QToolBar
{
    Q_OBJECT

public:
    explicit ToolBar(FrameWindow *frame);
    ~ToolBar() override;

    // Adds one button per command id (a gap for ID_SEPARATOR), each image
    // plus 7 pixels square, with the image that imageFor gives its id.
    // Buttons whose command string has no tooltip part show no tooltip.
    bool loadToolBar(const ToolBarResource &resource, const std::function<QIcon(int)> &imageFor);

    QList<int> buttonIds() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FrameWindow *m_frame;
};

} // namespace fw
