#include "Application.h"
#include "CommandIds.h"
#include "CommandUi.h"
#include "Document.h"
#include "FrameWindow.h"
#include "StringTable.h"
#include "View.h"

#include <QAction>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

namespace {

// The commands of this suite; none of them is known to the framework.
constexpr int kCommand = 40001;
constexpr int kKeyOnlyCommand = 40002;
constexpr int kToolCommand = 40003;

// Where each target records the handlers that ran, in order.
QStringList g_ran;

// One target of each kind, able to take a handler for any id.
template<typename Base>
class Target : public Base
{
public:
    explicit Target(QString name) : m_name(std::move(name)) {}

    void bind(int id) { this->onCommand(id, [this] { g_ran << m_name; }); }
    void bindWith(int id, std::function<void()> handler) { this->onCommand(id, std::move(handler)); }
    // The command is enabled exactly while m_enabled is set.
    void bindUpdate(int id) { this->onUpdateCommand(id, [this](fw::CommandUi &ui) { ui.enable(m_enabled); }); }

    bool m_enabled = true;

private:
    QString m_name;
};

using TestApp = Target<fw::Application>;
using TestDocument = Target<fw::Document>;
using TestView = Target<fw::View>;
using TestFrame = Target<fw::FrameWindow>;

// Runs the event loop until it has nothing left to do and would wait; that
// is when the frame updates its toolbar. (QTest::qWait never waits so.)
void runUntilIdle()
{
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
}

enum Bound { OnView = 1, OnDocument = 2, OnFrame = 4, OnApplication = 8 };

} // namespace

// Commands travel view -> document -> frame -> application, stop at the
// first handler, and are dropped when their update handler disables them,
// whether they come from a menu, the keys or the toolbar.
class TestRouting : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstHandlerAlongTheChainRuns_data();
    void firstHandlerAlongTheChainRuns();
    void handlerThatRoutesItsOwnCommandRunsOnce();
    void disabledCommandIsDropped_data();
    void disabledCommandIsDropped();
    void menuShowsStateOfUpdateHandlers();
    void toolbarFollowsUpdateHandlersWhenIdle();
    void barToggleShowsAndChecks();

private:
    std::unique_ptr<TestApp> m_app;
    QPointer<TestFrame> m_frame;
    TestView *m_view = nullptr;
    TestDocument *m_document = nullptr;
};

void TestRouting::init()
{
    g_ran.clear();
    fw::StringTable::insert(kCommand, QStringLiteral("Run the test command\nTest"));
    m_app = std::make_unique<TestApp>(QStringLiteral("application"));
    m_frame = new TestFrame(QStringLiteral("frame"));
    m_view = new TestView(QStringLiteral("view"));
    m_document = new TestDocument(QStringLiteral("document"));
    m_document->setAutoDelete(false);
    m_frame->setView(m_view);
    m_document->addView(m_view);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));
}

void TestRouting::cleanup()
{
    delete m_frame.data();
    delete m_document;
    m_document = nullptr;
    m_view = nullptr;
    m_app.reset();
}

void TestRouting::firstHandlerAlongTheChainRuns_data()
{
    QTest::addColumn<int>("bound");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("view before all") << (OnView | OnDocument | OnFrame | OnApplication) << QStringList{"view"};
    QTest::newRow("view before application") << (OnView | OnApplication) << QStringList{"view"};
    QTest::newRow("document before frame") << (OnDocument | OnFrame | OnApplication) << QStringList{"document"};
    QTest::newRow("frame before application") << (OnFrame | OnApplication) << QStringList{"frame"};
    QTest::newRow("application last") << int(OnApplication) << QStringList{"application"};
    QTest::newRow("nobody") << 0 << QStringList{};
}

void TestRouting::firstHandlerAlongTheChainRuns()
{
    QFETCH(int, bound);
    QFETCH(QStringList, expected);

    if (bound & OnView)
        m_view->bind(kCommand);
    if (bound & OnDocument)
        m_document->bind(kCommand);
    if (bound & OnFrame)
        m_frame->bind(kCommand);
    if (bound & OnApplication)
        m_app->bind(kCommand);

    QCOMPARE(m_frame->executeCommand(kCommand), !expected.isEmpty());
    QCOMPARE(g_ran, expected);
}

void TestRouting::handlerThatRoutesItsOwnCommandRunsOnce()
{
    // A view handler that passes its command on must not see it again, nor
    // may the command then reach the application as well.
    m_view->bindWith(kCommand, [this] {
        g_ran << QStringLiteral("view");
        m_frame->routeCommand(kCommand);
    });
    m_app->bind(kCommand);

    QVERIFY(m_frame->executeCommand(kCommand));
    QCOMPARE(g_ran, QStringList{"view"});
}

void TestRouting::disabledCommandIsDropped_data()
{
    QTest::addColumn<bool>("fromMenu");

    QTest::newRow("menu item") << true;
    QTest::newRow("keys") << false;
}

void TestRouting::disabledCommandIsDropped()
{
    QFETCH(bool, fromMenu);

    const int id = fromMenu ? kCommand : kKeyOnlyCommand;
    m_view->bind(id);
    m_view->bindUpdate(id);
    m_app->bind(id);
    QAction *action = m_frame->commandAction(id);
    QMenu *menu = nullptr;
    if (fromMenu) {
        menu = m_frame->menuBar()->addMenu(QStringLiteral("&Test"));
        menu->addAction(action);
        m_frame->updateBeforeShowing(menu);
    } else {
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame));
    }

    // The item is shown enabled each time; between showing and choosing
    // it, the second time, its state changes, and choosing must see that.
    for (const bool enabledWhenChosen : {true, false}) {
        g_ran.clear();
        m_view->m_enabled = true;
        if (fromMenu) {
            menu->popup(m_frame->mapToGlobal(QPoint(10, 10)));
            QVERIFY(QTest::qWaitForWindowExposed(menu));
            QVERIFY(action->isEnabled());
            m_view->m_enabled = enabledWhenChosen;
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            m_view->m_enabled = enabledWhenChosen;
            QTest::keyClick(m_frame, Qt::Key_K, Qt::ControlModifier);
        }
        // Dropped: neither the disabling target nor anyone further on ran it.
        QCOMPARE(g_ran, enabledWhenChosen ? QStringList{"view"} : QStringList{});
    }
}

void TestRouting::menuShowsStateOfUpdateHandlers()
{
    m_view->bind(kCommand);
    m_view->bindUpdate(kCommand);
    QAction *action = m_frame->commandAction(kCommand);
    QMenu *menu = m_frame->menuBar()->addMenu(QStringLiteral("&Test"));
    menu->addAction(action);
    m_frame->updateBeforeShowing(menu);

    for (const bool enabled : {false, true, false}) {
        m_view->m_enabled = enabled;
        menu->popup(m_frame->mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QCOMPARE(action->isEnabled(), enabled);
        menu->hide();
    }
}

void TestRouting::toolbarFollowsUpdateHandlersWhenIdle()
{
    m_view->bind(kToolCommand);
    m_view->bindUpdate(kToolCommand);
    QAction *action = m_frame->commandAction(kToolCommand);
    auto *bar = new QToolBar(m_frame);
    m_frame->addToolBar(bar);
    bar->addAction(action);
    m_frame->updateWhenIdle(action);

    for (const bool enabled : {false, true, false}) {
        m_view->m_enabled = enabled;
        runUntilIdle();
        QCOMPARE(action->isEnabled(), enabled);
    }
}

void TestRouting::barToggleShowsAndChecks()
{
    auto *bar = new QToolBar(m_frame);
    m_frame->addToolBar(bar);
    bar->show();
    m_frame->registerControlBar(fw::ids::ID_VIEW_TOOLBAR, bar);
    QAction *action = m_frame->commandAction(fw::ids::ID_VIEW_TOOLBAR);
    QMenu *menu = m_frame->menuBar()->addMenu(QStringLiteral("&View"));
    menu->addAction(action);
    m_frame->updateBeforeShowing(menu);

    for (const bool visible : {false, true}) {
        QVERIFY(m_frame->executeCommand(fw::ids::ID_VIEW_TOOLBAR));
        QCOMPARE(bar->isVisible(), visible);
        menu->popup(m_frame->mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QVERIFY(action->isCheckable());
        QCOMPARE(action->isChecked(), visible);
        menu->hide();
    }
}

QTEST_MAIN(TestRouting)
#include "tst_routing.moc"
