#include "BrewdeckView.h"

#include "BrewdeckDoc.h"
#include "CommandUi.h"
#include "FrameWindow.h"
#include "ListBox.h"
#include "resource.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// The form's font. Fontconfig picks the nearest installed face when it is
// missing; the dialog units follow whatever face that is.
QFont formFont()
{
    QFont font(QStringLiteral("Microsoft Sans Serif"));
    font.setPointSize(8);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// The form's size in dialog units.
constexpr int kFormWidth = 313;
constexpr int kFormHeight = 211;

} // namespace

CBrewdeckView::CBrewdeckView() : fw::FormView(formFont(), QSize(kFormWidth, kFormHeight))
{
    setObjectName(QStringLiteral("IDD_WORKSPACE_FORM"));
    createControls();
    bindCommands();
}

CBrewdeckView::~CBrewdeckView() = default;

CBrewdeckDoc *CBrewdeckView::GetDocument() const
{
    return static_cast<CBrewdeckDoc *>(document());
}

CWebApp *CBrewdeckView::webApp() const
{
    const CBrewdeckDoc *doc = GetDocument();
    return doc ? doc->m_pWebApp.get() : nullptr;
}

void CBrewdeckView::createControls()
{
    // Controls in template order, which is also their tab order. Group boxes
    // are kept at the bottom of the stack so they never take a click meant
    // for a control drawn inside them.
    QList<QWidget *> tabStops;

    auto groupBox = [this](const char *name, const QString &title, int x, int y, int w, int h) {
        auto *box = new QGroupBox(title);
        box->setObjectName(QLatin1String(name));
        box->setFocusPolicy(Qt::NoFocus);
        place(box, x, y, w, h);
        box->lower();
        return box;
    };
    auto label = [this](const char *name, const QString &text, Qt::Alignment align, int x, int y, int w, int h) {
        auto *l = new QLabel(text);
        l->setObjectName(QLatin1String(name));
        l->setAlignment(align | Qt::AlignVCenter);
        l->setTextFormat(Qt::PlainText);
        place(l, x, y, w, h);
        return l;
    };
    auto edit = [this, &tabStops](const char *name, int x, int y, int w, int h) {
        auto *e = new QLineEdit;
        e->setObjectName(QLatin1String(name));
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::StrongFocus);
        // Files dropped here go to the frame, which opens them.
        e->setAcceptDrops(false);
        place(e, x, y, w, h);
        tabStops << e;
        return e;
    };
    auto list = [this, &tabStops](const char *name, int x, int y, int w, int h) {
        // Its keyboard works as a desktop list box's: what shows the focus
        // is what "H" takes.
        auto *l = new fw::ListBox;
        l->setObjectName(QLatin1String(name));
        l->setSortingEnabled(false);
        // A vertical scroll bar when the files do not fit, never a
        // horizontal one.
        l->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->setFocusPolicy(Qt::StrongFocus);
        place(l, x, y, w, h);
        tabStops << l;
        return l;
    };
    auto button = [this, &tabStops](const char *name, const QString &text, int id, int x, int y, int w, int h) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setFocusPolicy(Qt::StrongFocus);
        place(b, x, y, w, h);
        tabStops << b;
        connect(b, &QPushButton::clicked, this, [this, id] {
            if (fw::FrameWindow *frame = parentFrame())
                frame->routeCommand(id);
            else
                runCommand(id);
        });
        return b;
    };

    const Qt::Alignment right = Qt::AlignRight;
    const Qt::Alignment left = Qt::AlignLeft;

    groupBox("groupWebApp", QStringLiteral("WEB 应用"), 7, 7, 299, 54);
    label("labelAppName", QStringLiteral("WEB应用名称"), right, 13, 22, 53, 11);
    edit("IDC_APP_NAME", 74, 22, 192, 12);
    label("labelHomePage", QStringLiteral("主页"), right, 13, 39, 53, 11);
    edit("IDC_HOME_PAGE", 74, 39, 192, 12);
    list("IDC_LIST_CLASS", 91, 95, 75, 85);
    list("IDC_LIST_JAR", 168, 95, 75, 85);
    list("IDC_LIST_JSP", 14, 95, 75, 85);
    label("labelJsp", QStringLiteral("-JSP 文件"), left, 18, 81, 58, 11);
    label("labelClass", QStringLiteral("-CLASS 文件"), left, 95, 81, 58, 11);
    label("labelJar", QStringLiteral("-JAR 文件"), left, 172, 81, 58, 11);
    button("IDC_ADD_JSP", QStringLiteral("+"), IDC_ADD_JSP, 14, 183, 14, 14);
    button("IDC_ADD_CLASS", QStringLiteral("+"), IDC_ADD_CLASS, 90, 183, 14, 14);
    button("IDC_ADD_JAR", QStringLiteral("+"), IDC_ADD_JAR, 168, 183, 14, 14);
    groupBox("groupPages", QStringLiteral("页面"), 7, 67, 248, 137);
    button("IDC_RUN", QStringLiteral("运行"), IDC_RUN, 271, 22, 24, 14);
    groupBox("groupSide", QString(), 264, 67, 42, 137);
    button("IDC_SET_HOME", QStringLiteral("H"), IDC_SET_HOME, 27, 183, 14, 14);

    for (qsizetype i = 1; i < tabStops.size(); ++i)
        QWidget::setTabOrder(tabStops.at(i - 1), tabStops.at(i));
}

void CBrewdeckView::bindCommands()
{
    onCommand(IDC_ADD_JSP, [this] { OnAddJsp(); });
    onCommand(IDC_ADD_CLASS, [this] { OnAddClass(); });
    onCommand(IDC_ADD_JAR, [this] { OnAddJar(); });
    onCommand(ID_WEB_START, [this] { OnWebStart(); });
    onCommand(ID_WEB_STOP, [this] { OnWebStop(); });
    onUpdateCommand(ID_WEB_START, [this](fw::CommandUi &ui) { OnUpdateWebStart(ui); });
    onUpdateCommand(ID_WEB_STOP, [this](fw::CommandUi &ui) { OnUpdateWebStop(ui); });
    onCommand(IDC_RUN, [this] { OnRun(); });
    onCommand(IDC_SET_HOME, [this] { OnSetHome(); });
}

void CBrewdeckView::doDataExchange(fw::DataExchange &dx)
{
    fw::ddxText(dx, form()->findChild<QLineEdit *>(QStringLiteral("IDC_APP_NAME")), m_strAppName);
    fw::ddxText(dx, form()->findChild<QLineEdit *>(QStringLiteral("IDC_HOME_PAGE")), m_strHomePage);
    // The list members are bound to their controls the first time.
    if (!m_listJsp)
        m_listJsp = form()->findChild<QListWidget *>(QStringLiteral("IDC_LIST_JSP"));
    if (!m_listClass)
        m_listClass = form()->findChild<QListWidget *>(QStringLiteral("IDC_LIST_CLASS"));
    if (!m_listJar)
        m_listJar = form()->findChild<QListWidget *>(QStringLiteral("IDC_LIST_JAR"));
}

void CBrewdeckView::onInitialUpdate()
{
    fw::FormView::onInitialUpdate();
    // The bars take their room first, so the view's size is what is left.
    if (fw::FrameWindow *frame = parentFrame())
        frame->recalcLayout();
    // Shrink only: a frame smaller than the form keeps its size and the
    // form scrolls.
    resizeParentToFit(true);
}
