#include "ToolBar.h"

#include "CommandIds.h"
#include "FrameWindow.h"
#include "StringTable.h"

#include <QAction>
#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <QToolTip>

namespace fw {

namespace {

// The gripper at the left end. A fixed Qt toolbar draws no handle of its
// own, so this widget draws the style's handle without making it a handle.
class Gripper : public QWidget
{
public:
    explicit Gripper(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("toolBarGripper"));
        const int extent = style()->pixelMetric(QStyle::PM_ToolBarHandleExtent, nullptr, this);
        setFixedWidth(extent);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QStyleOption option;
        option.initFrom(this);
        option.state |= QStyle::State_Horizontal;
        style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &option, &painter, this);
    }
};

} // namespace

ToolBar::ToolBar(FrameWindow *frame) : QToolBar(frame), m_frame(frame)
{
    setObjectName(QStringLiteral("toolBar"));
    setMovable(false);
    setFloatable(false);
    setAllowedAreas(Qt::TopToolBarArea);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    addWidget(new Gripper(this));
}

ToolBar::~ToolBar() = default;

bool ToolBar::loadToolBar(const ToolBarResource &resource, const std::function<QIcon(int)> &imageFor)
{
    if (resource.ids.empty() || resource.imageSize.isEmpty())
        return false;
    setIconSize(resource.imageSize);
    for (int id : resource.ids) {
        if (id == ids::ID_SEPARATOR) {
            addSeparator();
            continue;
        }
        QAction *action = m_frame->commandAction(id);
        action->setIcon(imageFor(id));
        // The images belong to the toolbar; menu items stay plain text.
        action->setIconVisibleInMenu(false);
        addAction(action);
        m_frame->updateWhenIdle(action);
        QWidget *button = widgetForAction(action);
        if (!button)
            return false;
        button->setObjectName(QStringLiteral("button_%1").arg(id));
        button->setFixedSize(resource.imageSize + QSize(7, 7));
        button->installEventFilter(this);
    }
    return true;
}

QList<int> ToolBar::buttonIds() const
{
    QList<int> result;
    for (QAction *action : actions()) {
        if (action->isSeparator())
            result.append(ids::ID_SEPARATOR);
        else if (widgetForAction(action) && qobject_cast<QToolButton *>(widgetForAction(action)))
            result.append(action->data().toInt());
    }
    return result;
}

bool ToolBar::eventFilter(QObject *watched, QEvent *event)
{
    // Qt falls back to the action's text for a missing tooltip; a command
    // whose string has no tooltip part must show none at all.
    if (event->type() == QEvent::ToolTip) {
        if (auto *button = qobject_cast<QToolButton *>(watched)) {
            const QAction *action = button->defaultAction();
            if (action && StringTable::tip(action->data().toInt()).isEmpty()) {
                QToolTip::hideText();
                event->accept();
                return true;
            }
        }
    }
    return QToolBar::eventFilter(watched, event);
}

} // namespace fw
