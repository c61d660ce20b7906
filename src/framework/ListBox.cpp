#include "ListBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace fw {

namespace {

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

ListBox::ListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void ListBox::focusInEvent(QFocusEvent *event)
{
    // Qt puts the focus frame on the first item without selecting it, and
    // a refilled list has no current item at all; either way the user would
    // see one item marked while the program sees none chosen. A click
    // selects what it hits by itself.
    QListWidget::focusInEvent(event);
    if (event->reason() == Qt::MouseFocusReason || count() == 0 || !selectedItems().isEmpty())
        return;
    // Coming back to the window leaves a refilled list as it is: no item
    // shows the focus there until a key picks one.
    const Qt::FocusReason reason = event->reason();
    const bool byKeyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
        || reason == Qt::ShortcutFocusReason;
    if (QListWidgetItem *current = currentItem())
        setCurrentItem(current);
    else if (byKeyboard)
        setCurrentItem(item(0));
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    if (!isNavigationKey(event->key()) || count() == 0) {
        QListWidget::keyPressEvent(event);
        return;
    }
    if (!currentItem()) {
        // Nothing marked yet: the keys towards the end land on the last
        // item, every other one on the first.
        const bool towardsEnd = event->key() == Qt::Key_End || event->key() == Qt::Key_PageDown;
        setCurrentItem(item(towardsEnd ? count() - 1 : 0));
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
    // Qt selects nothing when the key cannot move (Home on the first item,
    // End on the last).
    if (QListWidgetItem *current = currentItem(); current && !current->isSelected())
        setCurrentItem(current);
}

void ListBox::paintEvent(QPaintEvent *event)
{
    QListWidget::paintEvent(event);
    // Qt draws the focus only around an item; a list with none to draw it
    // on still shows that the keyboard is here, one line high at the top.
    if (!hasFocus() || currentItem())
        return;
    QPainter painter(viewport());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Base);
    option.rect = QRect(0, 0, viewport()->width(), fontMetrics().height() + 2);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    // One item stays selected once one is: a click beside the items and
    // Ctrl on the selected one keep it.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (command & QItemSelectionModel::Deselect)
        return QItemSelectionModel::NoUpdate;
    return command;
}

} // namespace fw
