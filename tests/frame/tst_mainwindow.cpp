#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "CommandIds.h"
#include "FrameFixture.h"
#include "MainFrame.h"
#include "RecentFileList.h"
#include "StatusBar.h"
#include "TestSupport.h"
#include "ToolBar.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace fw::ids;

// The main window as a user meets it: its fixed size and the shrinking to
// the form, its caption, the message pane, the bar toggles, dropped files,
// the edit keys in the form and the enabling of the web service commands.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fixedSizeWithoutMaximiseButton();
    void initialUpdateOnlyShrinks_data();
    void initialUpdateOnlyShrinks();
    void menuPromptsInMessagePane_data();
    void menuPromptsInMessagePane();
    void barTogglesThroughMenu_data();
    void barTogglesThroughMenu();
    void droppedFilesOpenInTurn();
    void dropsOverAnyControlReachTheFrame();
    void dropWithoutFilesIsRefused();
    void editKeysInReadOnlyEdit_data();
    void editKeysInReadOnlyEdit();
    void webServiceEnablingFollowsRunningFlag();

private:
    CMainFrame *frame() const { return m_fixture->frame(); }
    CBrewdeckView *view() const { return m_fixture->view(); }
    QMenu *popup(int index) const { return frame()->menuBar()->actions().at(index)->menu(); }
    // Opens a menu of the menu bar as the user does, by its Alt key.
    QMenu *openMenu(Qt::Key mnemonic, int index);
    bool drop(QWidget *target, const QList<QUrl> &urls);

    std::unique_ptr<FrameFixture> m_fixture;
    QTemporaryDir m_files;
};

void TestMainWindow::init()
{
    m_fixture = std::make_unique<FrameFixture>();
    QVERIFY(m_fixture->start());
    QVERIFY(QTest::qWaitForWindowExposed(frame()));
    frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame()));
}

void TestMainWindow::cleanup()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        modal->close();
    if (QWidget *popupWidget = QApplication::activePopupWidget())
        popupWidget->close();
    m_fixture.reset();
}

QMenu *TestMainWindow::openMenu(Qt::Key mnemonic, int index)
{
    QTest::keyClick(frame(), mnemonic, Qt::AltModifier);
    QMenu *menu = popup(index);
    if (!QTest::qWaitForWindowExposed(menu))
        return nullptr;
    return menu;
}

void TestMainWindow::fixedSizeWithoutMaximiseButton()
{
    const Qt::WindowFlags flags = frame()->windowFlags();
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    // Fixed: the window manager is told the same minimum and maximum.
    QCOMPARE(frame()->minimumSize(), frame()->size());
    QCOMPARE(frame()->maximumSize(), frame()->size());
    QVERIFY(!frame()->m_wndStatusBar->isSizeGripEnabled());
    QCOMPARE(frame()->windowTitle(), QStringLiteral("Brewdeck - Brewdeck"));
    // Started from a larger default, the first initial update made the view
    // exactly the form's size.
    QCOMPARE(view()->size(), view()->formSize());
}

void TestMainWindow::initialUpdateOnlyShrinks_data()
{
    QTest::addColumn<QSize>("change");

    QTest::newRow("larger both ways") << QSize(120, 90);
    QTest::newRow("wider only") << QSize(120, 0);
    QTest::newRow("taller only") << QSize(0, 90);
    QTest::newRow("narrower and taller") << QSize(-60, 90);
    QTest::newRow("smaller both ways") << QSize(-60, -45);
}

void TestMainWindow::initialUpdateOnlyShrinks()
{
    QFETCH(QSize, change);

    const QSize fitted = frame()->size();
    frame()->resizeFrame(fitted + change);
    QCOMPARE(frame()->size(), fitted + change);

    // Ctrl+N runs the view's initial update again.
    QTest::keyClick(frame(), Qt::Key_N, Qt::ControlModifier);

    const QSize expected(change.width() > 0 ? fitted.width() : fitted.width() + change.width(),
                         change.height() > 0 ? fitted.height() : fitted.height() + change.height());
    QCOMPARE(frame()->size(), expected);
    QCOMPARE(frame()->minimumSize(), expected);
    QCOMPARE(frame()->maximumSize(), expected);
    if (change.width() > 0)
        QCOMPARE(view()->width(), view()->formSize().width());
    if (change.height() > 0)
        QCOMPARE(view()->height(), view()->formSize().height());
}

void TestMainWindow::menuPromptsInMessagePane_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("popupIndex");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("prompt");

    QTest::newRow("exit") << int(Qt::Key_F) << 0 << ID_APP_EXIT << "退出应用程序；提示保存文档";
    QTest::newRow("toolbar") << int(Qt::Key_V) << 1 << ID_VIEW_TOOLBAR << "显示或隐藏工具栏";
    QTest::newRow("status bar") << int(Qt::Key_V) << 1 << ID_VIEW_STATUS_BAR << "显示或隐藏状态栏";
    QTest::newRow("start") << int(Qt::Key_W) << 2 << ID_WEB_START << "启动WEB服务";
    // Disabled after start-up, and still explained.
    QTest::newRow("stop") << int(Qt::Key_W) << 2 << ID_WEB_STOP << "停止WEB服务";
    QTest::newRow("about") << int(Qt::Key_H) << 3 << ID_APP_ABOUT << "显示程序信息、版本号和版权";
}

void TestMainWindow::menuPromptsInMessagePane()
{
    QFETCH(int, key);
    QFETCH(int, popupIndex);
    QFETCH(int, id);
    QFETCH(QString, prompt);

    fw::StatusBar *bar = frame()->m_wndStatusBar;
    QCOMPARE(bar->message(), QStringLiteral("就绪"));
    QMenu *menu = openMenu(Qt::Key(key), popupIndex);
    QVERIFY(menu);
    // The pointer rests on the item.
    QTest::mouseMove(menu, menu->actionGeometry(frame()->commandAction(id)).center());
    QTRY_COMPARE(bar->message(), prompt);

    QTest::keyClick(menu, Qt::Key_Escape);
    QTest::keyClick(frame()->menuBar(), Qt::Key_Escape);
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(bar->message(), QStringLiteral("就绪"));
}

void TestMainWindow::barTogglesThroughMenu_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("itemKey");

    QTest::newRow("toolbar") << ID_VIEW_TOOLBAR << int(Qt::Key_T);
    QTest::newRow("status bar") << ID_VIEW_STATUS_BAR << int(Qt::Key_S);
}

void TestMainWindow::barTogglesThroughMenu()
{
    QFETCH(int, id);
    QFETCH(int, itemKey);

    QWidget *bar = id == ID_VIEW_TOOLBAR ? static_cast<QWidget *>(frame()->m_wndToolBar)
                                         : static_cast<QWidget *>(frame()->m_wndStatusBar);
    QAction *item = frame()->commandAction(id);
    const QSize frameSize = frame()->size();
    const QSize viewSize = view()->size();

    for (const bool shown : {false, true}) {
        QMenu *menu = openMenu(Qt::Key_V, 1);
        QVERIFY(menu);
        QVERIFY(item->isCheckable());
        QCOMPARE(item->isChecked(), !shown);
        QTest::keyClick(menu, Qt::Key(itemKey));
        QTRY_VERIFY(!menu->isVisible());
        QCOMPARE(bar->isVisible(), shown);
        // The frame keeps its size; the view takes the bar's room.
        QCOMPARE(frame()->size(), frameSize);
        QTRY_COMPARE(view()->height() > viewSize.height(), !shown);
    }
    QMenu *menu = openMenu(Qt::Key_V, 1);
    QVERIFY(menu);
    QVERIFY(item->isChecked());
    QTest::keyClick(menu, Qt::Key_Escape);
}

bool TestMainWindow::drop(QWidget *target, const QList<QUrl> &urls)
{
    // Qt gives a drag to the first widget under the pointer that accepts
    // drops; the form's controls must leave that to the frame.
    QWidget *receiver = target;
    while (receiver && !receiver->acceptDrops())
        receiver = receiver->parentWidget();
    if (receiver != frame())
        return false;

    QMimeData data;
    data.setUrls(urls);
    const QPointF at = frame()->mapFromGlobal(target->mapToGlobal(target->rect().center()));
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame(), &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame(), &move);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame(), &dropped);
    return dropped.isAccepted();
}

void TestMainWindow::droppedFilesOpenInTurn()
{
    const QString first = m_files.filePath(QStringLiteral("first lesson.bdk"));
    const QString second = m_files.filePath(QStringLiteral("第二课.bdk"));
    QVERIFY(testsupport::writeFile(first, {}));
    QVERIFY(testsupport::writeFile(second, "anything at all"));

    QVERIFY(drop(view()->form()->findChild<QWidget *>(QStringLiteral("IDC_LIST_JSP")),
                 {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));

    // Both were opened, one after the other; the last one stays.
    QTRY_COMPARE(frame()->windowTitle(), QStringLiteral("第二课.bdk - Brewdeck"));
    QCOMPARE(m_fixture->document()->pathName(), second);
    QCOMPARE(m_fixture->app().recentFileList()->files(), (QStringList{second, first}));
}

void TestMainWindow::dropsOverAnyControlReachTheFrame()
{
    const QString file = m_files.filePath(QStringLiteral("over a control.bdk"));
    QVERIFY(testsupport::writeFile(file, {}));
    const QList<QWidget *> controls = view()->form()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(controls.size() >= 18);
    for (QWidget *control : controls)
        QVERIFY2(drop(control, {QUrl::fromLocalFile(file)}), qPrintable(control->objectName()));
    QTRY_COMPARE(frame()->windowTitle(), QStringLiteral("over a control.bdk - Brewdeck"));
}

void TestMainWindow::dropWithoutFilesIsRefused()
{
    QVERIFY(!drop(view(), {QUrl(QStringLiteral("http://127.0.0.1:8080/brewdeck/index.jsp"))}));
    QMimeData text;
    text.setText(QStringLiteral("/etc/hostname"));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame(), &enter);
    QVERIFY(!enter.isAccepted());
    QTest::qWait(50);
    QCOMPARE(frame()->windowTitle(), QStringLiteral("Brewdeck - Brewdeck"));
}

void TestMainWindow::editKeysInReadOnlyEdit_data()
{
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<bool>("copies");

    QTest::newRow("Ctrl+C copies") << QKeySequence(Qt::CTRL | Qt::Key_C) << true;
    QTest::newRow("Ctrl+Insert copies") << QKeySequence(Qt::CTRL | Qt::Key_Insert) << true;
    QTest::newRow("Ctrl+X changes nothing") << QKeySequence(Qt::CTRL | Qt::Key_X) << false;
    QTest::newRow("Shift+Delete changes nothing") << QKeySequence(Qt::SHIFT | Qt::Key_Delete) << false;
    QTest::newRow("Ctrl+V changes nothing") << QKeySequence(Qt::CTRL | Qt::Key_V) << false;
    QTest::newRow("Shift+Insert changes nothing") << QKeySequence(Qt::SHIFT | Qt::Key_Insert) << false;
    QTest::newRow("Ctrl+Z changes nothing") << QKeySequence(Qt::CTRL | Qt::Key_Z) << false;
}

void TestMainWindow::editKeysInReadOnlyEdit()
{
    QFETCH(QKeySequence, key);
    QFETCH(bool, copies);

    auto *edit = view()->form()->findChild<QLineEdit *>(QStringLiteral("IDC_APP_NAME"));
    QVERIFY(edit);
    view()->m_strAppName = QStringLiteral("brewdeck");
    view()->updateData(false);
    QApplication::clipboard()->setText(QStringLiteral("on the clipboard before"));
    edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), edit);
    edit->setSelection(0, 4);

    const QKeyCombination combination = key[0];
    QTest::keyClick(edit, combination.key(), combination.keyboardModifiers());

    QCOMPARE(edit->text(), QStringLiteral("brewdeck"));
    QCOMPARE(QApplication::clipboard()->text(), copies ? QStringLiteral("brew") : QStringLiteral("on the clipboard before"));
}

void TestMainWindow::webServiceEnablingFollowsRunningFlag()
{
    QAction *start = frame()->commandAction(ID_WEB_START);
    QAction *stop = frame()->commandAction(ID_WEB_STOP);
    for (const bool running : {false, true, false}) {
        view()->m_bServerRunning = running;
        QMenu *menu = openMenu(Qt::Key_W, 2);
        QVERIFY(menu);
        QCOMPARE(start->isEnabled(), !running);
        QCOMPARE(stop->isEnabled(), running);
        QTest::keyClick(menu, Qt::Key_Escape);
        QTest::keyClick(frame()->menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(!menu->isVisible());
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
