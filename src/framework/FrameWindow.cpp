#include "FrameWindow.h"

#include "Application.h"
#include "CommandIds.h"
#include "CommandUi.h"
#include "DocTemplate.h"
#include "Document.h"
#include "StatusBar.h"
#include "StringTable.h"
#include "View.h"
#include "X11WindowHints.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QShowEvent>
#include <QStatusTipEvent>
#include <QThread>
#include <QUrl>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <map>

namespace fw {

FrameWindow::FrameWindow(QWidget *parent) : QMainWindow(parent)
{
    if (auto *dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &FrameWindow::onIdle);
}

FrameWindow::~FrameWindow() = default;

bool FrameWindow::onCreate()
{
    return true;
}

void FrameWindow::setView(View *view)
{
    m_view = view;
    setCentralWidget(view);
}

Document *FrameWindow::activeDocument() const
{
    return m_view ? m_view->document() : nullptr;
}

void FrameWindow::updateFrameTitle()
{
    const QString appPart = m_template ? m_template->string(DocTemplateField::WindowTitle)
                                       : StringTable::load(ids::IDS_APP_TITLE);
    const Document *document = activeDocument();
    if (document && !document->title().isEmpty())
        setWindowTitle(document->title() + QStringLiteral(" - ") + appPart);
    else
        setWindowTitle(appPart);
}

QAction *FrameWindow::commandAction(int id)
{
    if (QAction *existing = m_actions.value(id))
        return existing;
    auto *action = new QAction(this);
    action->setObjectName(QStringLiteral("command_%1").arg(id));
    action->setData(id);
    action->setText(StringTable::prompt(id));
    action->setStatusTip(StringTable::prompt(id));
    action->setToolTip(StringTable::tip(id));
    connect(action, &QAction::triggered, this, [this, id] { executeCommand(id); });
    addAction(action);
    m_actions.insert(id, action);
    return action;
}

bool FrameWindow::loadMenu(const MenuResource &menu)
{
    if (menu.empty())
        return false;
    QMenuBar *bar = menuBar();
    for (const MenuPopup &popup : menu) {
        QMenu *popupMenu = bar->addMenu(QString::fromUtf8(popup.text));
        // Separators are drawn where the table puts them, even first.
        popupMenu->setSeparatorsCollapsible(false);
        for (const MenuItem &item : popup.items) {
            if (item.id == ids::ID_SEPARATOR) {
                popupMenu->addSeparator();
                continue;
            }
            QAction *action = commandAction(item.id);
            action->setText(QString::fromUtf8(item.text));
            popupMenu->addAction(action);
        }
        updateBeforeShowing(popupMenu);
        popupMenu->installEventFilter(this);
        // The prompt of the last highlighted item must not outlive the menu.
        connect(popupMenu, &QMenu::aboutToHide, this, [this] { setMessageText(QString()); });
    }
    return true;
}

bool FrameWindow::loadAccelerators(const AcceleratorResource &accelerators)
{
    // Keys grouped per command, in table order, since one action carries
    // all the keys of its command.
    std::map<int, QList<QKeySequence>> keys;
    QList<int> order;
    for (const Accelerator &accelerator : accelerators) {
        if (!keys.contains(accelerator.id))
            order.append(accelerator.id);
        keys[accelerator.id].append(QKeySequence(accelerator.key));
    }
    for (int id : order)
        commandAction(id)->setShortcuts(keys[id]);
    return !accelerators.empty();
}

bool FrameWindow::executeCommand(int id)
{
    CommandUi ui(id);
    routeUpdate(ui);
    if (QAction *action = m_actions.value(id)) {
        // Only actions that a menu or toolbar shows reflect the state; one
        // reached by keys alone stays armed and is checked here each time.
        if (action->associatedObjects().size() > 1)
            action->setEnabled(ui.isEnabled());
    }
    if (!ui.isEnabled())
        return false;
    return routeCommand(id);
}

QList<CommandTarget *> FrameWindow::commandChain() const
{
    QList<CommandTarget *> chain;
    if (m_view) {
        chain.append(m_view.data());
        if (Document *document = m_view->document())
            chain.append(document);
    }
    chain.append(const_cast<FrameWindow *>(this));
    if (Application *app = Application::current())
        chain.append(app);
    return chain;
}

bool FrameWindow::routeCommand(int id)
{
    // A handler that routes the same command again would see itself first;
    // refuse the re-entry instead of running anything twice.
    if (m_routing.contains(id))
        return false;
    m_routing.append(id);
    bool handled = false;
    for (CommandTarget *target : commandChain()) {
        if (target->handlesCommand(id)) {
            target->runCommand(id);
            handled = true;
            break;
        }
    }
    m_routing.removeOne(id);
    return handled;
}

void FrameWindow::routeUpdate(CommandUi &ui)
{
    const QList<CommandTarget *> chain = commandChain();
    for (CommandTarget *target : chain) {
        if (target->runUpdate(ui))
            return;
    }
    bool handled = false;
    for (CommandTarget *target : chain)
        handled = handled || target->handlesCommand(ui.id());
    ui.enable(handled);
}

void FrameWindow::updateAction(QAction *action)
{
    CommandUi ui(action->data().toInt());
    routeUpdate(ui);
    action->setEnabled(ui.isEnabled());
    if (ui.checkSet()) {
        action->setCheckable(true);
        action->setChecked(ui.isChecked());
    }
}

void FrameWindow::updateBeforeShowing(QMenu *menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator() && !action->menu() && m_actions.value(action->data().toInt()) == action)
                updateAction(action);
        }
    });
}

void FrameWindow::updateWhenIdle(QAction *action)
{
    if (!m_idleActions.contains(action))
        m_idleActions.append(action);
}

void FrameWindow::onIdle()
{
    for (QAction *action : std::as_const(m_idleActions))
        updateAction(action);
}

void FrameWindow::registerControlBar(int id, QWidget *bar)
{
    m_bars.insert(id, bar);
    // A bar's own hidden flag, not its visibility, which is also false
    // while the frame itself is hidden.
    onCommand(id, [this, id] {
        if (QWidget *b = m_bars.value(id))
            b->setVisible(b->isHidden());
    });
    onUpdateCommand(id, [this, id](CommandUi &ui) {
        QWidget *b = m_bars.value(id);
        ui.enable(b != nullptr);
        ui.setCheck(b && !b->isHidden());
    });
}

void FrameWindow::resizeFrame(const QSize &size)
{
    if (minimumSize() == maximumSize())
        setFixedSize(size);
    else
        resize(size);
}

void FrameWindow::recalcLayout()
{
    // Bars that have never been shown are not yet polished, and their size
    // hints would leave out what the style adds.
    ensurePolished();
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children)
        child->ensurePolished();
    // Bars whose contents changed have only asked to be laid out again.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // Activating an invalidated layout places the menu bar, the bars and
    // the view within the frame's current size.
    if (QLayout *frameLayout = layout()) {
        frameLayout->invalidate();
        frameLayout->activate();
    }
}

StatusBar *FrameWindow::messageBar() const
{
    return findChild<StatusBar *>(QString(), Qt::FindDirectChildrenOnly);
}

void FrameWindow::setMessageText(const QString &text)
{
    if (StatusBar *bar = messageBar())
        bar->setMessage(text);
}

void FrameWindow::dragAcceptFiles(bool accept)
{
    setAcceptDrops(accept);
}

QMenu *FrameWindow::createPopupMenu()
{
    return nullptr;
}

bool FrameWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Qt's menus cannot make a disabled item current and so send no prompt
    // for it; the pointer resting on one must still explain it. Looked at
    // once the menu has handled the move, which may clear the message.
    if (event->type() == QEvent::MouseMove) {
        if (auto *menu = qobject_cast<QMenu *>(watched)) {
            const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
            QMetaObject::invokeMethod(
                this,
                [this, menu = QPointer<QMenu>(menu), at] {
                    if (!menu || !menu->isVisible())
                        return;
                    const QAction *item = menu->actionAt(at);
                    if (!item || item->isSeparator())
                        setMessageText(QString());
                    else if (!item->isEnabled())
                        setMessageText(item->statusTip());
                },
                Qt::QueuedConnection);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool FrameWindow::event(QEvent *event)
{
    // Menu items and toolbar buttons send their prompt when highlighted and
    // an empty one when left; the message pane then shows the idle text.
    if (event->type() == QEvent::StatusTip && messageBar()) {
        setMessageText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    // When a modal dialog ends, its owner takes the keyboard back; window
    // managers do that, but without one nobody would.
    if (event->type() == QEvent::WindowUnblocked && isVisible()
        && (!QGuiApplication::focusWindow() || !QGuiApplication::focusWindow()->isVisible())) {
        const bool handled = QMainWindow::event(event);
        activateWindow();
        return handled;
    }
    return QMainWindow::event(event);
}

namespace {

QStringList localFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files.append(url.toLocalFile());
    }
    return files;
}

} // namespace

void FrameWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FrameWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FrameWindow::dropEvent(QDropEvent *event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    activateWindow();
    // Opened once the drop is over: opening may ask questions in modal
    // dialogs, which must not run while the drag source waits for an answer.
    QMetaObject::invokeMethod(
        this,
        [files] {
            for (const QString &file : files) {
                if (Application *app = Application::current())
                    app->openDocumentFile(file);
            }
        },
        Qt::QueuedConnection);
}

void FrameWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The size hints (minimum = maximum) already say so; Qt's Motif hints
    // would still offer resizing, which some window managers believe.
    if (isWindow() && minimumSize() == maximumSize() && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            platform::forbidResizing(x11->display(), winId());
    }
}

void FrameWindow::closeEvent(QCloseEvent *event)
{
    Document *document = activeDocument();
    if (document && !document->saveModified()) {
        event->ignore();
        return;
    }
    event->accept();
    // Closing the frame ends its document; the document in turn destroys
    // the frame and, being the main window, that ends the program.
    if (m_template)
        m_template->closeAllDocuments();
}

} // namespace fw
