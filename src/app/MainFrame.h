#pragma once

#include "FrameWindow.h"

// The program's main window: menu, toolbar and status bar around the form.
// It cannot be resized by the user and has no maximise button.
class CMainFrame : public fw::FrameWindow
{
    Q_OBJECT

public:
    CMainFrame();
    ~CMainFrame() override;

    bool onCreate() override;
};
