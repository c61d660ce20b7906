#include "MainFrame.h"

CMainFrame::CMainFrame()
{
    setObjectName(QStringLiteral("CMainFrame"));
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::onCreate()
{
    return fw::FrameWindow::onCreate();
}
