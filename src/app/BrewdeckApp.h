#pragma once

#include "Application.h"
#include "CommandLineInfo.h"

#include <QString>

// The application object. Its start-up works out the install folder, names
// the settings store, binds document, frame and view, and opens the window.
class CBrewdeckApp : public fw::Application
{
public:
    CBrewdeckApp();
    ~CBrewdeckApp() override;

    bool initInstance() override;
    QString installDirectory() const override { return m_strInstallDir; }

    void OnAppAbout();

    // Runs what the command line asks for; false ends the program.
    bool ProcessShellCommand(CCommandLineInfo &cmdInfo);

    // The executable's folder without a trailing separator; empty for an
    // executable in the root folder.
    QString m_strInstallDir;
};
