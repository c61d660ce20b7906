#pragma once

#include "Application.h"
#include "AutomationServer.h"
#include "CommandLineInfo.h"

#include <QString>

namespace fw {
class SingleDocTemplate;
}

// The application object. Its start-up works out the install folder, starts
// the automation layer, names the settings store, binds document, frame and
// view, registers the document type and then, by the command line, serves one
// automation client without a window, unregisters, or registers and opens the
// main window.
class CBrewdeckApp : public fw::Application
{
public:
    CBrewdeckApp();
    ~CBrewdeckApp() override;

    bool initInstance() override;

    // The program speaks Simplified Chinese in every locale, and so do Qt's
    // own dialogs, buttons and context menus in it.
    void InitLanguage();
    // Names the settings store, reads the recent-file list and binds the
    // document, frame and view in the program's one template.
    fw::SingleDocTemplate *InitSettingsAndTemplate();
    QString installDirectory() const override { return m_strInstallDir; }

    void OnAppAbout();

    // Runs what the command line asks for; false ends the program.
    bool ProcessShellCommand(CCommandLineInfo &cmdInfo);

    // The executable's folder without a trailing separator; empty for an
    // executable in the root folder.
    QString m_strInstallDir;
    // The class object of the document's automation class.
    AutomationServer m_server;

private:
    // The executable's own path, which registration writes into the desktop
    // entry and the activation file.
    QString m_strExecutable;
};
