#pragma once

#include <QList>
#include <QStatusBar>

class QLabel;

namespace platform {
class LockKeyMonitor;
struct LockKeyState;
} // namespace platform

namespace fw {

// A status bar of panes given by string ids: ID_SEPARATOR is the message
// pane, which takes the remaining width and shows the idle message or the
// prompt of the command under the pointer; every other id is an indicator
// pane as wide as its string. The lock-key indicators follow the keyboard
// where the display server tells its state, and stay empty elsewhere.
class StatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit StatusBar(QWidget *parent = nullptr);
    ~StatusBar() override;

    // Makes one pane per id, in order; false when the list is empty or holds
    // the message pane more than once.
    bool setIndicators(const QList<int> &ids);

    int paneCount() const { return int(m_panes.size()); }
    int paneId(int index) const;
    int commandToIndex(int id) const;
    QString paneText(int index) const;
    void setPaneText(int index, const QString &text);

    // The message pane: a text, or the idle message for an empty one.
    void setMessage(const QString &text);
    QString message() const;

private:
    void showLockKeys(const platform::LockKeyState &state);

    struct Pane
    {
        int id;
        QLabel *label;
    };
    QList<Pane> m_panes;
    QLabel *m_messagePane = nullptr;
    platform::LockKeyMonitor *m_lockKeys = nullptr;
};

} // namespace fw
