#include "MainFrame.h"

#include "CommandIds.h"
#include "FrameResources.h"
#include "StatusBar.h"
#include "ToolBar.h"
#include "resource.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// The status bar's panes: the message pane, then the three lock keys.
const QList<int> &indicators()
{
    using namespace fw::ids;
    static const QList<int> panes = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
    return panes;
}

// The size a new main window starts with, before the form shrinks it: three
// quarters of the screen, as desktops size a window that names no size.
QSize defaultFrameSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    return available * 3 / 4;
}

} // namespace

CMainFrame::CMainFrame()
{
    setObjectName(QStringLiteral("CMainFrame"));
    // A caption, a system menu, minimise and close; no maximise button. With
    // the fixed size below the window manager offers no resizing border.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(res::loadIcon(IDR_MAINFRAME));
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::onCreate()
{
    if (!fw::FrameWindow::onCreate())
        return false;
    if (!loadMenu(res::mainMenu()) || !loadAccelerators(res::mainAccelerators()))
        return false;

    m_wndToolBar = new fw::ToolBar(this);
    if (!m_wndToolBar->loadToolBar(res::mainToolBar(), &res::toolBarImage))
        return false;
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    registerControlBar(fw::ids::ID_VIEW_TOOLBAR, m_wndToolBar);

    m_wndStatusBar = new fw::StatusBar(this);
    setStatusBar(m_wndStatusBar);
    if (!m_wndStatusBar->setIndicators(indicators()))
        return false;
    registerControlBar(fw::ids::ID_VIEW_STATUS_BAR, m_wndStatusBar);

    // Fixed from the start (min = max, which the window manager is told too);
    // only the program itself resizes it, through resizeFrame.
    setFixedSize(defaultFrameSize());
    return true;
}
