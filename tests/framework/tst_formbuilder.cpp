#include "DialogUnits.h"
#include "FormBuilder.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int IDC_STATIC = -1;
constexpr int kEdit = 2001;
constexpr int kList = 2002;
constexpr int kPlain = 2003;
constexpr int kDefault = 2004;
constexpr int kIconResource = 77;

// A small template of every kind. The frame comes after the controls it
// surrounds, so only lowering it keeps it behind them; labels and frames sit
// between the tab stops and take no part in the tab order.
const fw::DialogResource &sample()
{
    using fw::ControlKind;
    static const fw::DialogResource dialog = {
        42, "Sample", "DejaVu Sans", 9, 200, 100,
        {
            {ControlKind::Icon, IDC_STATIC, "icon", nullptr, 4, 4, 20, 20, fw::NoStyle, kIconResource},
            {ControlKind::Label, IDC_STATIC, "right", "名称", 30, 4, 40, 10, fw::AlignRight},
            {ControlKind::ListBox, kList, "list", nullptr, 30, 20, 60, 50},
            {ControlKind::ReadOnlyEdit, kEdit, "edit", "", 74, 4, 100, 12},
            {ControlKind::PushButton, kPlain, "plain", "+", 100, 80, 14, 14},
            {ControlKind::PushButton, kDefault, "default", "确定", 140, 80, 50, 14, fw::DefaultButton},
            {ControlKind::GroupBox, IDC_STATIC, "frame", "框", 2, 2, 196, 96},
        },
    };
    return dialog;
}

} // namespace

// A form made from its dialog template: every control where the template puts
// it, in its tab order, found by its id, and its buttons reporting their ids.
class TestFormBuilder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controlsByIdAndGeometry_data();
    void controlsByIdAndGeometry();
    void tabOrderFollowsTemplateAndFramesStayBehind();
    void buttonsReportTheirIds();
    void iconIsDrawnAtItsOwnSize();

private:
    QWidget *m_form = nullptr;
    fw::FormControls m_controls;
    QList<int> m_clicked;
    QList<int> m_iconsAsked;
};

void TestFormBuilder::init()
{
    m_clicked.clear();
    m_iconsAsked.clear();
    m_form = new QWidget;
    m_form->setFont(fw::dialogFont(sample()));
    const fw::DialogUnits units(m_form->font());
    m_controls = fw::buildForm(
        m_form, units, sample(),
        [this](int id) {
            m_iconsAsked << id;
            QPixmap image(64, 64);
            image.fill(Qt::red);
            return QIcon(image);
        },
        [this](int id) { m_clicked << id; });
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestFormBuilder::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

void TestFormBuilder::controlsByIdAndGeometry_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("units");

    QTest::newRow("edit") << kEdit << "edit" << "QLineEdit" << QRect(74, 4, 100, 12);
    QTest::newRow("list") << kList << "list" << "fw::ListBox" << QRect(30, 20, 60, 50);
    QTest::newRow("plain button") << kPlain << "plain" << "QPushButton" << QRect(100, 80, 14, 14);
    QTest::newRow("default button") << kDefault << "default" << "QPushButton" << QRect(140, 80, 50, 14);
}

void TestFormBuilder::controlsByIdAndGeometry()
{
    QFETCH(int, id);
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, units);

    QWidget *control = m_controls.byId(id);
    QVERIFY(control);
    QCOMPARE(control->objectName(), name);
    QCOMPARE(control->parentWidget(), m_form);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), className);
    const fw::DialogUnits du(m_form->font());
    QCOMPARE(control->geometry(), du.rect(units.x(), units.y(), units.width(), units.height()));
    // Nothing else answers to the id; the unaddressed ones answer to none.
    QVERIFY(!m_controls.byId(IDC_STATIC));
    QVERIFY(!m_controls.byId(12345));
    QVERIFY(!m_controls.byId<QLabel>(id));
}

void TestFormBuilder::tabOrderFollowsTemplateAndFramesStayBehind()
{
    QWidget *first = m_controls.byId(kList);
    first->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), first);
    QStringList visited;
    for (int i = 0; i < 4; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, (QStringList{"list", "edit", "plain", "default"}));

    // The frame, made last, is at the bottom of the stack.
    const QList<QWidget *> stack = m_form->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(stack.constFirst()->objectName(), QStringLiteral("frame"));
    auto *frame = m_form->findChild<QGroupBox *>(QStringLiteral("frame"));
    QCOMPARE(frame->focusPolicy(), Qt::NoFocus);
    auto *label = m_form->findChild<QLabel *>(QStringLiteral("right"));
    QCOMPARE(label->alignment(), Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QVERIFY(m_controls.byId<QLineEdit>(kEdit)->isReadOnly());
}

void TestFormBuilder::buttonsReportTheirIds()
{
    auto *plain = m_controls.byId<QPushButton>(kPlain);
    auto *byDefault = m_controls.byId<QPushButton>(kDefault);
    QVERIFY(!plain->isDefault());
    QVERIFY(!plain->autoDefault());
    QVERIFY(byDefault->isDefault());

    QTest::mouseClick(plain, Qt::LeftButton);
    QTest::mouseClick(byDefault, Qt::LeftButton);
    QTest::mouseClick(plain, Qt::LeftButton);
    QCOMPARE(m_clicked, (QList<int>{kPlain, kDefault, kPlain}));
}

void TestFormBuilder::iconIsDrawnAtItsOwnSize()
{
    QCOMPARE(m_iconsAsked, QList<int>{kIconResource});
    auto *icon = m_form->findChild<QLabel *>(QStringLiteral("icon"));
    QVERIFY(icon);
    const fw::DialogUnits du(m_form->font());
    // Placed by the template, sized by the icon: 32 pixels, not 20 units.
    QCOMPARE(icon->geometry(), QRect(du.x(4), du.y(4), 32, 32));
    QVERIFY(!icon->pixmap().isNull());
    QCOMPARE(icon->pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
}

QTEST_MAIN(TestFormBuilder)
#include "tst_formbuilder.moc"
