#pragma once

#include "CommandTarget.h"
#include "MenuResources.h"
#include "View.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QMenu;

namespace fw {

class CommandUi;
class Document;
class SingleDocTemplate;
class StatusBar;

// The main window of a document/view program. It owns one QAction per command
// id (shared by the menu item, the toolbar button and the keys), routes every
// command along the chain of targets, and runs the update handlers that enable
// and check the actions. It also shows the prompt of the command under the
// pointer in its status bar and opens files dropped on it.
class FrameWindow : public QMainWindow, public CommandTarget
{
    Q_OBJECT

public:
    explicit FrameWindow(QWidget *parent = nullptr);
    ~FrameWindow() override;

    // Builds the bars and the menu; false makes the template give up on the
    // frame. Called once, right after construction.
    virtual bool onCreate();

    View *activeView() const { return m_view; }
    void setView(View *view);
    Document *activeDocument() const;

    SingleDocTemplate *docTemplate() const { return m_template; }
    void setDocTemplate(SingleDocTemplate *docTemplate) { m_template = docTemplate; }

    // The caption: the document's title, " - ", then the application part.
    void updateFrameTitle();

    // The one action of a command, made on first use with its prompt as
    // status tip and the text after "\n" of its string as tooltip.
    QAction *commandAction(int id);

    // The menu bar from a menu table: each item is its command's action,
    // named by the table's text.
    bool loadMenu(const MenuResource &menu);
    // Each command's keys become the shortcuts of its action.
    bool loadAccelerators(const AcceleratorResource &accelerators);
    QList<int> commandIds() const { return m_actions.keys(); }

    // Carries out a command as a menu item or key would: the update handler
    // runs first and a command that it disables is dropped. True when some
    // target handled it.
    bool executeCommand(int id);

    // Routing. The order is: the active view, its document, this frame, the
    // application; the first target with a handler for the id runs it and the
    // command goes no further, so no command is ever handled twice.
    bool routeCommand(int id);
    // The first update handler along the same chain decides; without one, a
    // command is enabled exactly when some target would handle it.
    void routeUpdate(CommandUi &ui);
    // Runs the update for one action and applies enable and check to it.
    void updateAction(QAction *action);

    // The menu runs its items' update handlers just before it shows.
    void updateBeforeShowing(QMenu *menu);
    // These actions are brought up to date whenever the event loop goes idle.
    void updateWhenIdle(QAction *action);

    // A control bar that the show/hide commands of the same id toggle.
    void registerControlBar(int id, QWidget *bar);
    QWidget *controlBar(int id) const { return m_bars.value(id); }

    // Resizes the window, also when it is of fixed size.
    virtual void resizeFrame(const QSize &size);
    // Lays out the bars and the view now, so the view's size is known before
    // the frame is first shown.
    void recalcLayout();

    // The status bar's message pane: the prompt of the command under the
    // pointer, or the idle message when there is none.
    void setMessageText(const QString &text);
    StatusBar *messageBar() const;

    // Files dropped on the window are opened, one after the other, as the
    // application's document; with one document the last one stays.
    void dragAcceptFiles(bool accept = true);

    // The bars are shown and hidden by their commands only, never by Qt's
    // own context menu of the main window.
    QMenu *createPopupMenu() override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A frame of fixed size also tells an X window manager that it cannot
    // be resized or maximised.
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void onIdle();
    QList<CommandTarget *> commandChain() const;

    QPointer<View> m_view;
    SingleDocTemplate *m_template = nullptr;
    QHash<int, QAction *> m_actions;
    QList<QAction *> m_idleActions;
    QHash<int, QWidget *> m_bars;
    QList<int> m_routing;
};

} // namespace fw
