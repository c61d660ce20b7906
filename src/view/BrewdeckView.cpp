#include "BrewdeckView.h"

#include "BrewdeckDoc.h"
#include "CommandUi.h"
#include "FormResources.h"
#include "FrameWindow.h"
#include "resource.h"

#include <QLineEdit>
#include <QListWidget>

CBrewdeckView::CBrewdeckView() : fw::FormView(res::dialogTemplate(IDD_WORKSPACE_FORM))
{
    setObjectName(QStringLiteral("IDD_WORKSPACE_FORM"));
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
    fw::ddxText(dx, control<QLineEdit>(IDC_APP_NAME), m_strAppName);
    fw::ddxText(dx, control<QLineEdit>(IDC_HOME_PAGE), m_strHomePage);
    // The list members are bound to their controls the first time.
    if (!m_listJsp)
        m_listJsp = control<QListWidget>(IDC_LIST_JSP);
    if (!m_listClass)
        m_listClass = control<QListWidget>(IDC_LIST_CLASS);
    if (!m_listJar)
        m_listJar = control<QListWidget>(IDC_LIST_JAR);
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
