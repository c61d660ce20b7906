#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "CommandIds.h"
#include "FrameFixture.h"
#include "MainFrame.h"
#include "WebApp.h"
#include "resource.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeySequence>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

// The workspace form: every control of its table, the tab order, the data
// exchange and the commands that the view takes.
class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void controls_data();
    void controls();
    void formFontAndSize();
    void tabOrder_data();
    void tabOrder();
    void dataExchange();
    void controlsFoundById_data();
    void controlsFoundById();
    void eachNewShowsItsOwnRecord();
    void viewTakesItsCommands_data();
    void viewTakesItsCommands();
    void listKeyboardSelectsWhatShowsFocus_data();
    void listKeyboardSelectsWhatShowsFocus();
    void emptyListShowsFocus();

private:
    CBrewdeckView *view() const { return m_fixture.view(); }

    FrameFixture m_fixture;
};

void TestForm::initTestCase()
{
    QVERIFY(m_fixture.start());
    QVERIFY(QTest::qWaitForWindowExposed(m_fixture.frame()));
    m_fixture.frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_fixture.frame()));
}

void TestForm::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("units");

    // In template order.
    QTest::newRow("group WEB 应用") << "groupWebApp" << "QGroupBox" << "WEB 应用" << QRect(7, 7, 299, 54);
    QTest::newRow("label name") << "labelAppName" << "QLabel" << "WEB应用名称" << QRect(13, 22, 53, 11);
    QTest::newRow("1000 name") << "IDC_APP_NAME" << "QLineEdit" << "" << QRect(74, 22, 192, 12);
    QTest::newRow("label home page") << "labelHomePage" << "QLabel" << "主页" << QRect(13, 39, 53, 11);
    QTest::newRow("1003 home page") << "IDC_HOME_PAGE" << "QLineEdit" << "" << QRect(74, 39, 192, 12);
    QTest::newRow("1005 CLASS list") << "IDC_LIST_CLASS" << "fw::ListBox" << "" << QRect(91, 95, 75, 85);
    QTest::newRow("1009 JAR list") << "IDC_LIST_JAR" << "fw::ListBox" << "" << QRect(168, 95, 75, 85);
    QTest::newRow("1010 JSP list") << "IDC_LIST_JSP" << "fw::ListBox" << "" << QRect(14, 95, 75, 85);
    QTest::newRow("label JSP") << "labelJsp" << "QLabel" << "-JSP 文件" << QRect(18, 81, 58, 11);
    QTest::newRow("label CLASS") << "labelClass" << "QLabel" << "-CLASS 文件" << QRect(95, 81, 58, 11);
    QTest::newRow("label JAR") << "labelJar" << "QLabel" << "-JAR 文件" << QRect(172, 81, 58, 11);
    QTest::newRow("1006 add JSP") << "IDC_ADD_JSP" << "QPushButton" << "+" << QRect(14, 183, 14, 14);
    QTest::newRow("1011 add CLASS") << "IDC_ADD_CLASS" << "QPushButton" << "+" << QRect(90, 183, 14, 14);
    QTest::newRow("1012 add JAR") << "IDC_ADD_JAR" << "QPushButton" << "+" << QRect(168, 183, 14, 14);
    QTest::newRow("group 页面") << "groupPages" << "QGroupBox" << "页面" << QRect(7, 67, 248, 137);
    QTest::newRow("1007 run") << "IDC_RUN" << "QPushButton" << "运行" << QRect(271, 22, 24, 14);
    QTest::newRow("untitled group") << "groupSide" << "QGroupBox" << "" << QRect(264, 67, 42, 137);
    QTest::newRow("1008 set home") << "IDC_SET_HOME" << "QPushButton" << "H" << QRect(27, 183, 14, 14);
}

void TestForm::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, caption);
    QFETCH(QRect, units);

    auto *control = view()->form()->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
    QVERIFY(control);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), className);
    QVERIFY(control->isVisible());
    QCOMPARE(control->geometry(), view()->units().rect(units.x(), units.y(), units.width(), units.height()));

    if (auto *box = qobject_cast<QGroupBox *>(control)) {
        QCOMPARE(box->title(), caption);
        QCOMPARE(box->focusPolicy(), Qt::NoFocus);
    } else if (auto *label = qobject_cast<QLabel *>(control)) {
        QCOMPARE(label->text(), caption);
        // Name and home page labels are right-aligned, the list captions
        // left-aligned; all are centred vertically.
        const Qt::Alignment horizontal = name.startsWith(QLatin1String("labelApp")) || name == QLatin1String("labelHomePage")
            ? Qt::AlignRight
            : Qt::AlignLeft;
        QCOMPARE(label->alignment(), horizontal | Qt::AlignVCenter);
        QVERIFY2(label->fontMetrics().horizontalAdvance(caption) <= label->width(), "the caption is clipped");
    } else if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        QVERIFY(edit->isReadOnly());
        QVERIFY(edit->hasFrame());
        QCOMPARE(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QCOMPARE(edit->focusPolicy(), Qt::StrongFocus);
    } else if (auto *list = qobject_cast<QListWidget *>(control)) {
        QVERIFY(!list->isSortingEnabled());
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(list->focusPolicy(), Qt::StrongFocus);
    } else if (auto *button = qobject_cast<QPushButton *>(control)) {
        QCOMPARE(button->text(), caption);
        // No button of the form is a default button.
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
        QVERIFY2(button->fontMetrics().horizontalAdvance(caption) < button->width(), "the caption is clipped");
    }
}

void TestForm::formFontAndSize()
{
    const QFont font = view()->form()->font();
    QCOMPARE(font.family(), QStringLiteral("Microsoft Sans Serif"));
    QCOMPARE(font.pointSize(), 8);
    QCOMPARE(view()->formSize(), view()->units().size(313, 211));
    // The group boxes never cover a control drawn inside them.
    const QList<QWidget *> stack = view()->form()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < stack.size(); ++i) {
        if (qobject_cast<QGroupBox *>(stack.at(i)))
            continue;
        for (qsizetype j = i + 1; j < stack.size(); ++j)
            QVERIFY2(!qobject_cast<QGroupBox *>(stack.at(j)), qPrintable(stack.at(j)->objectName()));
    }
}

void TestForm::tabOrder_data()
{
    QTest::addColumn<bool>("backwards");

    QTest::newRow("Tab") << false;
    QTest::newRow("Shift+Tab") << true;
}

void TestForm::tabOrder()
{
    QFETCH(bool, backwards);

    QStringList expected = {"IDC_APP_NAME", "IDC_HOME_PAGE", "IDC_LIST_CLASS", "IDC_LIST_JAR", "IDC_LIST_JSP",
                            "IDC_ADD_JSP", "IDC_ADD_CLASS", "IDC_ADD_JAR", "IDC_RUN", "IDC_SET_HOME"};
    if (backwards)
        std::reverse(expected.begin() + 1, expected.end());
    auto *first = view()->form()->findChild<QWidget *>(expected.constFirst());
    first->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), first);

    // Once round the form and back to the name edit; nothing else of the
    // window takes the focus on the way.
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
    }
    QCOMPARE(visited, expected);
    QCOMPARE(QApplication::focusWidget(), first);
}

void TestForm::dataExchange()
{
    auto *name = view()->form()->findChild<QLineEdit *>(QStringLiteral("IDC_APP_NAME"));
    auto *home = view()->form()->findChild<QLineEdit *>(QStringLiteral("IDC_HOME_PAGE"));

    // Members to controls.
    view()->m_strAppName = QStringLiteral("我的 app");
    view()->m_strHomePage = QStringLiteral("a b.jsp");
    view()->updateData(false);
    QCOMPARE(name->text(), QStringLiteral("我的 app"));
    QCOMPARE(home->text(), QStringLiteral("a b.jsp"));

    // Controls to members: the whole text, spaces and all.
    name->setText(QStringLiteral("  other  "));
    home->setText(QString());
    view()->updateData(true);
    QCOMPARE(view()->m_strAppName, QStringLiteral("  other  "));
    QCOMPARE(view()->m_strHomePage, QString());

    // The list members are the form's list boxes.
    QCOMPARE(view()->m_listJsp, view()->form()->findChild<QListWidget *>(QStringLiteral("IDC_LIST_JSP")));
    QCOMPARE(view()->m_listClass, view()->form()->findChild<QListWidget *>(QStringLiteral("IDC_LIST_CLASS")));
    QCOMPARE(view()->m_listJar, view()->form()->findChild<QListWidget *>(QStringLiteral("IDC_LIST_JAR")));
}

void TestForm::controlsFoundById_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");

    QTest::newRow("1000") << IDC_APP_NAME << "IDC_APP_NAME";
    QTest::newRow("1003") << IDC_HOME_PAGE << "IDC_HOME_PAGE";
    QTest::newRow("1005") << IDC_LIST_CLASS << "IDC_LIST_CLASS";
    QTest::newRow("1006") << IDC_ADD_JSP << "IDC_ADD_JSP";
    QTest::newRow("1007") << IDC_RUN << "IDC_RUN";
    QTest::newRow("1008") << IDC_SET_HOME << "IDC_SET_HOME";
    QTest::newRow("1009") << IDC_LIST_JAR << "IDC_LIST_JAR";
    QTest::newRow("1010") << IDC_LIST_JSP << "IDC_LIST_JSP";
    QTest::newRow("1011") << IDC_ADD_CLASS << "IDC_ADD_CLASS";
    QTest::newRow("1012") << IDC_ADD_JAR << "IDC_ADD_JAR";
    // Labels and frames share -1: none of them is addressed.
    QTest::newRow("-1 static") << -1 << "";
    QTest::newRow("100 not on this form") << IDD_ABOUTBOX << "";
}

void TestForm::controlsFoundById()
{
    QFETCH(int, id);
    QFETCH(QString, name);

    QWidget *control = view()->control(id);
    if (name.isEmpty()) {
        QVERIFY(!control);
        return;
    }
    QVERIFY(control);
    QCOMPARE(control, view()->form()->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly));
}

void TestForm::eachNewShowsItsOwnRecord()
{
    // The one view serves every new document, showing the record that new
    // document built afresh from the install folder.
    m_fixture.document()->m_pWebApp->m_strHomePage = QStringLiteral("hello.jsp");
    m_fixture.document()->updateAllViews(nullptr);
    QCOMPARE(view()->m_strHomePage, QStringLiteral("hello.jsp"));

    m_fixture.app().onFileNew();

    QCOMPARE(m_fixture.document()->m_pWebApp->GetHomePage(), QStringLiteral("index.jsp"));
    QCOMPARE(view()->m_strAppName, QStringLiteral("brewdeck"));
    QCOMPARE(view()->m_strHomePage, QStringLiteral("index.jsp"));
    QCOMPARE(view()->control<QLineEdit>(IDC_HOME_PAGE)->text(), QStringLiteral("index.jsp"));
}

void TestForm::viewTakesItsCommands_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("hasUpdate");

    QTest::newRow("1006 add JSP") << IDC_ADD_JSP << false;
    QTest::newRow("1011 add CLASS") << IDC_ADD_CLASS << false;
    QTest::newRow("1012 add JAR") << IDC_ADD_JAR << false;
    QTest::newRow("32772 start") << ID_WEB_START << true;
    QTest::newRow("32773 stop") << ID_WEB_STOP << true;
    QTest::newRow("1007 run") << IDC_RUN << false;
    QTest::newRow("1008 set home") << IDC_SET_HOME << false;
}

void TestForm::viewTakesItsCommands()
{
    QFETCH(int, id);
    QFETCH(bool, hasUpdate);

    // The view, first along the routing, is the one target that handles it.
    QVERIFY(view()->handlesCommand(id));
    QCOMPARE(view()->handlesUpdate(id), hasUpdate);
    QVERIFY(!m_fixture.document()->handlesCommand(id));
    QVERIFY(!m_fixture.frame()->handlesCommand(id));
    QVERIFY(!m_fixture.app().handlesCommand(id));
}

void TestForm::listKeyboardSelectsWhatShowsFocus_data()
{
    // The keys pressed once Tab has brought the focus into the JSP list
    // (holding a.jsp to e.jsp), whether the lists are refilled first while
    // it keeps the focus, and the row that must then be selected.
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("refill");
    QTest::addColumn<int>("row");

    QTest::newRow("Tab alone") << QStringList{} << false << 0;
    QTest::newRow("Home on the first item") << QStringList{"Home"} << false << 0;
    QTest::newRow("Up on the first item") << QStringList{"Up"} << false << 0;
    QTest::newRow("PgUp on the first item") << QStringList{"PgUp"} << false << 0;
    QTest::newRow("Down") << QStringList{"Down"} << false << 1;
    QTest::newRow("End") << QStringList{"End"} << false << 4;
    QTest::newRow("End on the last item") << QStringList{"End", "End"} << false << 4;
    QTest::newRow("Down on the last item") << QStringList{"End", "Down"} << false << 4;
    QTest::newRow("PgDn") << QStringList{"PgDown", "PgDown"} << false << 4;
    QTest::newRow("Home after End") << QStringList{"End", "Home"} << false << 0;
    QTest::newRow("Ctrl+Space keeps it") << QStringList{"Down", "Ctrl+Space"} << false << 1;
    QTest::newRow("Ctrl+Down") << QStringList{"Ctrl+Down"} << false << 1;
    QTest::newRow("refilled, then Down") << QStringList{"Down"} << true << 0;
    QTest::newRow("refilled, then Home") << QStringList{"Home"} << true << 0;
    QTest::newRow("refilled, then End") << QStringList{"End"} << true << 4;
    QTest::newRow("refilled, then PgDn") << QStringList{"PgDown"} << true << 4;
    QTest::newRow("refilled, Tab away and back") << QStringList{"Shift+Tab", "Tab"} << true << 0;
}

void TestForm::listKeyboardSelectsWhatShowsFocus()
{
    QFETCH(QStringList, keys);
    QFETCH(bool, refill);
    QFETCH(int, row);

    const QStringList pages = {"a.jsp", "b.jsp", "c.jsp", "d.jsp", "e.jsp"};
    CWebApp *app = m_fixture.document()->m_pWebApp.get();
    QVERIFY(app);
    QVERIFY(QDir().mkpath(app->GetJspDir()));
    for (const QString &page : pages)
        QVERIFY(testsupport::writeFile(app->GetJspDir() + QLatin1Char('/') + page, {}));
    m_fixture.document()->updateAllViews(nullptr);
    auto *home = view()->form()->findChild<QLineEdit *>(QStringLiteral("IDC_HOME_PAGE"));
    const QString homeBefore = home->text();

    auto *jars = view()->form()->findChild<QListWidget *>(QStringLiteral("IDC_LIST_JAR"));
    jars->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), jars);
    QTest::keyClick(jars, Qt::Key_Tab);
    QListWidget *list = view()->m_listJsp;
    QCOMPARE(QApplication::focusWidget(), list);
    if (refill) {
        m_fixture.document()->updateAllViews(nullptr);
        QCOMPARE(QApplication::focusWidget(), list);
        QVERIFY(list->selectedItems().isEmpty());
    }
    for (const QString &key : keys) {
        const QKeyCombination combination = QKeySequence::fromString(key)[0];
        QTest::keyClick(QApplication::focusWidget(), combination.key(), combination.keyboardModifiers());
    }

    // The item that shows the focus is the one selected, and "H" takes it.
    QCOMPARE(QApplication::focusWidget(), list);
    QCOMPARE(list->currentRow(), row);
    QCOMPARE(list->selectedItems(), QList<QListWidgetItem *>{list->currentItem()});
    QTest::mouseClick(view()->form()->findChild<QPushButton *>(QStringLiteral("IDC_SET_HOME")), Qt::LeftButton);
    QCOMPARE(home->text(), pages.at(row));
    QCOMPARE(app->GetHomePage(), pages.at(row));
    app->m_strHomePage = homeBefore;
    for (const QString &page : pages)
        QVERIFY(QFile::remove(app->GetJspDir() + QLatin1Char('/') + page));
    m_fixture.document()->updateAllViews(nullptr);
}

void TestForm::emptyListShowsFocus()
{
    // Nothing else is drawn inside an empty list: what the focus adds is
    // the focus frame.
    QListWidget *list = view()->m_listJar;
    QCOMPARE(list->count(), 0);
    view()->form()->findChild<QWidget *>(QStringLiteral("IDC_APP_NAME"))->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(!list->hasFocus());
    const QImage without = list->viewport()->grab().toImage();
    list->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(list->hasFocus());
    const QImage with = list->viewport()->grab().toImage();
    QVERIFY2(with != without, "the focused empty list looks the same as an unfocused one");
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
