#include "CommandIds.h"
#include "FrameFixture.h"
#include "MainFrame.h"
#include "StatusBar.h"
#include "StringTable.h"
#include "ToolBar.h"
#include "resource.h"

#include <QAction>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

using namespace fw::ids;

// What the main window carries: its menu, keys, toolbar, prompts, tooltips
// and the shell's strings, each checked as a table.
class TestFrameResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void menuItems_data();
    void menuItems();
    void menuHoldsNothingElse();
    void accelerators_data();
    void accelerators();
    void toolBarButtons();
    void buttonPromptsAndTooltips_data();
    void buttonPromptsAndTooltips();
    void strings_data();
    void strings();

private:
    QMenu *popup(int index) const;
    QToolButton *button(int id) const;

    FrameFixture m_fixture;
};

void TestFrameResources::initTestCase()
{
    QVERIFY(m_fixture.start());
    QVERIFY(QTest::qWaitForWindowExposed(m_fixture.frame()));
}

QMenu *TestFrameResources::popup(int index) const
{
    const QList<QAction *> popups = m_fixture.frame()->menuBar()->actions();
    return index < popups.size() ? popups.at(index)->menu() : nullptr;
}

QToolButton *TestFrameResources::button(int id) const
{
    return m_fixture.frame()->findChild<QToolButton *>(QStringLiteral("button_%1").arg(id));
}

void TestFrameResources::menuItems_data()
{
    QTest::addColumn<int>("popupIndex");
    QTest::addColumn<QString>("popupText");
    QTest::addColumn<int>("itemIndex");
    QTest::addColumn<QString>("itemText");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("prompt");

    QTest::newRow("file: separator first") << 0 << "文件(&F)" << 0 << QString() << 0 << QString();
    QTest::newRow("file: exit") << 0 << "文件(&F)" << 1 << "退出(&X)" << ID_APP_EXIT << "退出应用程序；提示保存文档";
    QTest::newRow("view: toolbar") << 1 << "视图(&V)" << 0 << "工具栏(&T)" << ID_VIEW_TOOLBAR << "显示或隐藏工具栏";
    QTest::newRow("view: status bar") << 1 << "视图(&V)" << 1 << "状态栏(&S)" << ID_VIEW_STATUS_BAR
                                      << "显示或隐藏状态栏";
    // The items have a blank before "WEB"; the prompts have none.
    QTest::newRow("web: start") << 2 << "WEB服务(&W)" << 0 << "启动 WEB服务" << ID_WEB_START << "启动WEB服务";
    QTest::newRow("web: stop") << 2 << "WEB服务(&W)" << 1 << "停止 WEB服务" << ID_WEB_STOP << "停止WEB服务";
    QTest::newRow("help: about") << 3 << "帮助(&H)" << 0 << "关于 Brewdeck(&A)..." << ID_APP_ABOUT
                                 << "显示程序信息、版本号和版权";
}

void TestFrameResources::menuItems()
{
    QFETCH(int, popupIndex);
    QFETCH(QString, popupText);
    QFETCH(int, itemIndex);
    QFETCH(QString, itemText);
    QFETCH(int, id);
    QFETCH(QString, prompt);

    QMenu *menu = popup(popupIndex);
    QVERIFY(menu);
    QCOMPARE(menu->title(), popupText);
    QVERIFY(itemIndex < menu->actions().size());
    QAction *item = menu->actions().at(itemIndex);
    if (id == ID_SEPARATOR) {
        QVERIFY(item->isSeparator());
        // Shown, although it is the first item.
        QVERIFY(!menu->separatorsCollapsible());
        return;
    }
    QCOMPARE(item->text(), itemText);
    QCOMPARE(item->data().toInt(), id);
    QCOMPARE(item->statusTip(), prompt);
    // One action per command: the menu item is the frame's action.
    QCOMPARE(item, m_fixture.frame()->commandAction(id));
}

void TestFrameResources::menuHoldsNothingElse()
{
    // New, Open and Save have keys only; there are no recent-file items.
    QCOMPARE(m_fixture.frame()->menuBar()->actions().size(), 4);
    const int sizes[] = {2, 2, 2, 1};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(popup(i)->actions().size(), sizes[i]);
}

void TestFrameResources::accelerators_data()
{
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<int>("id");

    QTest::newRow("Ctrl+N") << QKeySequence(Qt::CTRL | Qt::Key_N) << ID_FILE_NEW;
    QTest::newRow("Ctrl+O") << QKeySequence(Qt::CTRL | Qt::Key_O) << ID_FILE_OPEN;
    QTest::newRow("Ctrl+S") << QKeySequence(Qt::CTRL | Qt::Key_S) << ID_FILE_SAVE;
    QTest::newRow("Ctrl+Z") << QKeySequence(Qt::CTRL | Qt::Key_Z) << ID_EDIT_UNDO;
    QTest::newRow("Ctrl+X") << QKeySequence(Qt::CTRL | Qt::Key_X) << ID_EDIT_CUT;
    QTest::newRow("Ctrl+C") << QKeySequence(Qt::CTRL | Qt::Key_C) << ID_EDIT_COPY;
    QTest::newRow("Ctrl+V") << QKeySequence(Qt::CTRL | Qt::Key_V) << ID_EDIT_PASTE;
    QTest::newRow("Alt+Backspace") << QKeySequence(Qt::ALT | Qt::Key_Backspace) << ID_EDIT_UNDO;
    QTest::newRow("Shift+Delete") << QKeySequence(Qt::SHIFT | Qt::Key_Delete) << ID_EDIT_CUT;
    QTest::newRow("Ctrl+Insert") << QKeySequence(Qt::CTRL | Qt::Key_Insert) << ID_EDIT_COPY;
    QTest::newRow("Shift+Insert") << QKeySequence(Qt::SHIFT | Qt::Key_Insert) << ID_EDIT_PASTE;
    QTest::newRow("F6") << QKeySequence(Qt::Key_F6) << ID_NEXT_PANE;
    QTest::newRow("Shift+F6") << QKeySequence(Qt::SHIFT | Qt::Key_F6) << ID_PREV_PANE;
}

void TestFrameResources::accelerators()
{
    QFETCH(QKeySequence, key);
    QFETCH(int, id);

    // Exactly one action of the frame answers the key, and it is the
    // command's own.
    QList<QAction *> owners;
    int keys = 0;
    for (QAction *action : m_fixture.frame()->actions()) {
        keys += int(action->shortcuts().size());
        if (action->shortcuts().contains(key))
            owners << action;
    }
    QCOMPARE(owners.size(), 1);
    QCOMPARE(owners.constFirst(), m_fixture.frame()->commandAction(id));
    QCOMPARE(owners.constFirst()->shortcutContext(), Qt::WindowShortcut);
    // And no keys beyond the table's.
    QCOMPARE(keys, 13);
}

void TestFrameResources::toolBarButtons()
{
    fw::ToolBar *bar = m_fixture.frame()->m_wndToolBar;
    QVERIFY(bar);
    QCOMPARE(bar->buttonIds(), (QList<int>{ID_WEB_START, ID_WEB_STOP, ID_SEPARATOR, ID_APP_ABOUT}));
    QCOMPARE(m_fixture.frame()->toolBarArea(bar), Qt::TopToolBarArea);
    QVERIFY(!bar->isMovable());
    QVERIFY(!bar->isFloatable());
    QVERIFY(bar->findChild<QWidget *>(QStringLiteral("toolBarGripper"))->isVisible());
    for (int id : {ID_WEB_START, ID_WEB_STOP, ID_APP_ABOUT}) {
        QToolButton *b = button(id);
        QVERIFY2(b, qPrintable(QString::number(id)));
        QCOMPARE(b->size(), QSize(23, 23));
        QCOMPARE(b->defaultAction(), m_fixture.frame()->commandAction(id));
        QVERIFY(!b->icon().isNull());
        QVERIFY(!b->icon().pixmap(16, 16).isNull());
    }
}

void TestFrameResources::buttonPromptsAndTooltips_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("tooltip");

    QTest::newRow("start") << ID_WEB_START << "启动WEB服务" << QString();
    QTest::newRow("stop") << ID_WEB_STOP << "停止WEB服务" << QString();
    QTest::newRow("about") << ID_APP_ABOUT << "显示程序信息、版本号和版权" << "关于";
}

void TestFrameResources::buttonPromptsAndTooltips()
{
    QFETCH(int, id);
    QFETCH(QString, prompt);
    QFETCH(QString, tooltip);

    CMainFrame *frame = m_fixture.frame();
    QToolButton *b = button(id);
    QVERIFY(b);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    QCOMPARE(frame->m_wndStatusBar->message(), QStringLiteral("就绪"));

    // The pointer comes to rest on the button: its prompt in the message
    // pane, and its tooltip, or none at all.
    const QPoint inside = b->rect().center();
    const auto leaving = qScopeGuard([b] {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(b, &leave);
    });
    QEnterEvent enter(inside, b->mapTo(frame, inside), b->mapToGlobal(inside));
    QCoreApplication::sendEvent(b, &enter);
    QCOMPARE(frame->m_wndStatusBar->message(), prompt);
    QHelpEvent help(QEvent::ToolTip, inside, b->mapToGlobal(inside));
    QCoreApplication::sendEvent(b, &help);
    if (tooltip.isEmpty()) {
        QVERIFY(!QToolTip::isVisible());
    } else {
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), tooltip);
    }

    // It leaves: the idle message again.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(b, &leave);
    QCOMPARE(frame->m_wndStatusBar->message(), QStringLiteral("就绪"));
}

void TestFrameResources::strings_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");

    QTest::newRow("100 OLE start-up") << IDP_OLE_INIT_FAILED << "OLE 初始化失败。请确保 OLE 库是正确的版本。";
    QTest::newRow("128 document template")
        << IDR_MAINFRAME << "Brewdeck\n\nBrewdeck\nBrewdeck Files (*.bdk)\n.bdk\nBrewdeck.Document\nBrewdeck.Document";
    QTest::newRow("32772 start") << ID_WEB_START << "启动WEB服务";
    QTest::newRow("32773 stop") << ID_WEB_STOP << "停止WEB服务";
    QTest::newRow("57344 title") << IDS_APP_TITLE << "Brewdeck";
    QTest::newRow("57345 idle") << IDS_IDLEMESSAGE << "就绪";
    QTest::newRow("57664 about") << ID_APP_ABOUT << "显示程序信息、版本号和版权\n关于";
    QTest::newRow("57665 exit") << ID_APP_EXIT << "退出应用程序；提示保存文档\n退出";
    QTest::newRow("59392 toolbar") << ID_VIEW_TOOLBAR << "显示或隐藏工具栏\n切换工具栏";
    QTest::newRow("59393 status bar") << ID_VIEW_STATUS_BAR << "显示或隐藏状态栏\n切换状态栏";
    QTest::newRow("59137 caps") << ID_INDICATOR_CAPS << "CAP";
    QTest::newRow("59138 num") << ID_INDICATOR_NUM << "NUM";
    QTest::newRow("59139 scroll") << ID_INDICATOR_SCRL << "SCRL";
    QTest::newRow("open title") << IDS_OPENFILE << "打开";
    QTest::newRow("save as title") << IDS_SAVEFILE << "另存为";
    QTest::newRow("all files") << IDS_ALLFILTER << "所有文件(*.*)";
}

void TestFrameResources::strings()
{
    QFETCH(int, id);
    QFETCH(QString, text);

    QCOMPARE(fw::StringTable::load(id), text);
}

QTEST_MAIN(TestFrameResources)
#include "tst_frameresources.moc"
