#pragma once

#include <QListWidget>

namespace fw {

// A single-selection list that keeps its keyboard the way a desktop list box
// does: the item that shows the focus is always the selected one. Tabbing
// into it selects the item the focus lands on, every navigation key (arrows,
// Home, End, Page Up, Page Down) selects the item it reaches, even when that
// is the one already current, the selection cannot be taken away with Ctrl or
// a click beside the items, and an empty list with the focus draws it.
class ListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
};

} // namespace fw
