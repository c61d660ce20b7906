#include "BrewdeckApp.h"

#include "AutomationIds.h"
#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "CommandIds.h"
#include "DocTemplate.h"
#include "ExecutablePath.h"
#include "MainFrame.h"
#include "ShellRegistration.h"
#include "StringTableData.h"
#include "TypeLibrary.h"
#include "resource.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

#include <cstdio>

// The key text of the per-user settings store.
static const char kRegistryKey[] = "应用程序向导生成的本地应用程序";

// A document named on the command line is remembered by its full path, so the
// recent-file list still finds it from another folder.
static QString absolutePath(const QString &path)
{
    return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
}

// Another program's file at one of our registration paths stays as it is; a
// register run, which the user started to register, says which ones.
static void reportLeftAlone(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QByteArray line = "brewdeck: " + QStringLiteral("未改动 ").toUtf8() + QFile::encodeName(path)
            + QStringLiteral("：该文件不是 Brewdeck 注册时写入的，已保留原样。\n").toUtf8();
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    }
}

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
    InitLanguage();
    // Qt's widgets need no preparing of the common controls.
    fw::Application::initInstance();

    const std::optional<QString> exe = platform::executablePath();
    if (!exe)
        return false;
    const std::optional<QString> folder = platform::folderOf(*exe);
    if (!folder)
        return false;
    m_strExecutable = *exe;
    m_strInstallDir = *folder;

    // Loads the interface description the automation layer serves. It touches
    // no bus: only an automation run connects, so an ordinary run never
    // depends on the session bus.
    if (!startAutomationRuntime()) {
        reportMessage(IDP_OLE_INIT_FAILED);
        setExitCode(1);
        return false;
    }

    fw::SingleDocTemplate *docTemplate = InitSettingsAndTemplate();

    // Nothing is registered with the bus yet: only an automation run offers
    // the class object.
    m_server.connectTemplate(CLSID_BrewdeckDoc, docTemplate);

    // The desktop entry hands files over as arguments, so there is no shell
    // conversation to enable. The file type is registered at every start,
    // before the command line is looked at; failures are skipped.
    const QStringList leftAlone = shellreg::registerShellFileTypes(*docTemplate, m_strExecutable);

    CCommandLineInfo cmdInfo;
    cmdInfo.ParseCommandLine(arguments());
    setUserControl(cmdInfo.m_bUserControl);

    if (cmdInfo.m_bRunEmbedded || cmdInfo.m_bRunAutomated) {
        // Serve automation clients: no command, no document, no window. Wins
        // over every other switch.
        if (!m_server.registerRunning()) {
            reportMessage(IDP_OLE_INIT_FAILED);
            setExitCode(1);
            return false;
        }
        return true;
    }
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::AppUnregister) {
        // The automation class goes in the unregister step below.
        shellreg::unregisterShellFileTypes(*docTemplate);
        unregisterTypeLib(LIBID_Brewdeck, kTypeLibraryMajor, kTypeLibraryMinor);
    } else {
        // The one class object has no name of its own beyond the class's, so
        // its activation file is all there is to write for it.
        QStringList notOurs = leftAlone;
        if (m_server.updateRegistry(m_strExecutable) == platform::FileUpdate::NotOurs)
            notOurs << m_server.activationFilePath();
        QString typeLibrary;
        if (registerTypeLib(LIBID_Brewdeck, &typeLibrary) == platform::FileUpdate::NotOurs)
            notOurs << typeLibrary;
        if (cmdInfo.m_nShellCommand == CCommandLineInfo::AppRegister)
            reportLeftAlone(notOurs);
    }

    if (!ProcessShellCommand(cmdInfo))
        return false;

    if (fw::FrameWindow *frame = mainWindow()) {
        frame->show();
        frame->update();
        frame->dragAcceptFiles(true);
    }
    return true;
}

void CBrewdeckApp::InitLanguage()
{
    setUiLanguage(QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China));
}

fw::SingleDocTemplate *CBrewdeckApp::InitSettingsAndTemplate()
{
    setRegistryKey(QString::fromUtf8(kRegistryKey));
    loadStdProfileSettings(4);

    auto *docTemplate = new fw::SingleDocTemplate(
        IDR_MAINFRAME, [] { return new CBrewdeckDoc; }, [] { return new CMainFrame; },
        [] { return new CBrewdeckView; });
    addDocTemplate(docTemplate);
    return docTemplate;
}

bool CBrewdeckApp::ProcessShellCommand(CCommandLineInfo &cmdInfo)
{
    switch (cmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        onFileNew();
        return mainWindow() != nullptr;
    case CCommandLineInfo::FileOpen:
        return openDocumentFile(absolutePath(cmdInfo.m_strFileName)) != nullptr;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        // Nothing in the program prints: the document opens without a window,
        // the print command finds no handler, and the program ends.
        if (docTemplate()->openDocumentFile(absolutePath(cmdInfo.m_strFileName), false)) {
            if (fw::FrameWindow *frame = mainWindow())
                frame->routeCommand(fw::ids::ID_FILE_PRINT_DIRECT);
        }
        return false;
    case CCommandLineInfo::FileDDE:
        // No shell conversation follows on this desktop, so the window the
        // user asked for opens with a new document and is the user's.
        onFileNew();
        setUserControl(true);
        return mainWindow() != nullptr;
    case CCommandLineInfo::AppRegister:
        setWriteProfileAtExit(false);
        return false;
    case CCommandLineInfo::AppUnregister:
        m_server.unregister();
        deleteProfile();
        setWriteProfileAtExit(false);
        reportMessage(fw::ids::IDP_UNREG_DONE);
        return false;
    case CCommandLineInfo::FileNothing:
        return true;
    }
    return false;
}
