#include "BrewdeckApp.h"

#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "CommandIds.h"
#include "DocTemplate.h"
#include "ExecutablePath.h"
#include "MainFrame.h"
#include "StringTableData.h"
#include "resource.h"

#include <QApplication>

// The key text of the per-user settings store.
static const char kRegistryKey[] = "应用程序向导生成的本地应用程序";

CBrewdeckApp::CBrewdeckApp()
{
    onCommand(fw::ids::ID_APP_ABOUT, [this] { OnAppAbout(); });
    onCommand(fw::ids::ID_FILE_NEW, [this] { onFileNew(); });
    onCommand(fw::ids::ID_FILE_OPEN, [this] { onFileOpen(); });
}

CBrewdeckApp::~CBrewdeckApp() = default;

bool CBrewdeckApp::initInstance()
{
    res::loadStringTable();
    fw::Application::initInstance();

    const std::optional<QString> exe = platform::executablePath();
    if (!exe)
        return false;
    const std::optional<QString> folder = platform::folderOf(*exe);
    if (!folder)
        return false;
    m_strInstallDir = *folder;

    setRegistryKey(QString::fromUtf8(kRegistryKey));
    loadStdProfileSettings(4);

    auto *docTemplate = new fw::SingleDocTemplate(
        IDR_MAINFRAME, [] { return new CBrewdeckDoc; }, [] { return new CMainFrame; },
        [] { return new CBrewdeckView; });
    addDocTemplate(docTemplate);

    CCommandLineInfo cmdInfo;
    cmdInfo.ParseCommandLine(QApplication::arguments().mid(1));

    if (!ProcessShellCommand(cmdInfo))
        return false;

    if (fw::FrameWindow *frame = mainWindow()) {
        frame->show();
        frame->update();
    }
    return true;
}

bool CBrewdeckApp::ProcessShellCommand(CCommandLineInfo &cmdInfo)
{
    switch (cmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        onFileNew();
        return mainWindow() != nullptr;
    case CCommandLineInfo::FileOpen:
        return openDocumentFile(cmdInfo.m_strFileName) != nullptr;
    default:
        return false;
    }
}
