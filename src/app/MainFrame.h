#pragma once

#include "FrameWindow.h"

namespace fw {
class StatusBar;
class ToolBar;
} // namespace fw

// The program's main window: menu, keys, toolbar and status bar around the
// form. It cannot be resized by the user and has no maximise button; the
// form's initial update shrinks it to the form.
class CMainFrame : public fw::FrameWindow
{
    Q_OBJECT

public:
    CMainFrame();
    ~CMainFrame() override;

    // Loads the menu and keys, then makes the toolbar and the status bar;
    // false when any of them cannot be made.
    bool onCreate() override;

    fw::StatusBar *m_wndStatusBar = nullptr;
    fw::ToolBar *m_wndToolBar = nullptr;
};
