#pragma once

#include "CommandTarget.h"
#include "FrameWindow.h"

#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QLocale;
class QSettings;
class QTranslator;
class QWidget;

namespace fw {

class Document;
class RecentFileList;
class SingleDocTemplate;

// The application object: one per process, made before main runs. run()
// creates the Qt application, calls initInstance, runs the event loop while
// it returned true, and finishes with exitInstance.
class Application : public CommandTarget
{
public:
    Application();
    ~Application() override;

    static Application *current();

    // Qt is given only the program's name: every other argument is the
    // program's, so Qt takes none of its own options (-style, -reverse,
    // -platform ...) out of the command line. Qt's settings come from its
    // environment variables (QT_QPA_PLATFORM and the like) instead.
    int run(int &argc, char **argv);
    // The arguments after the program's name, exactly as given.
    QStringList arguments() const { return m_arguments; }
    void setArguments(const QStringList &arguments) { m_arguments = arguments; }

    // Loads Qt's own translation for the language (its dialogs, buttons and
    // context menus) from Qt's translations folder and makes the language the
    // default locale, whatever the user's locale is. False when Qt has no
    // translation for it installed.
    bool setUiLanguage(const QLocale &language);

    virtual bool initInstance();
    // Writes the recent-file list back, unless profile writing was switched
    // off; returns the process exit code.
    virtual int exitInstance();

    // The program's install folder, for documents that build from it.
    virtual QString installDirectory() const;

    // The application title, string IDS_APP_TITLE.
    static QString appTitle();

    // Per-user settings: an INI file named by the key text and the title,
    // $XDG_CONFIG_HOME/<key>/<title>.conf.
    void setRegistryKey(const QString &key);
    QString registryKey() const { return m_registryKey; }
    QString settingsFilePath() const;
    QSettings *settings();
    // Reads the recent-file list of the given size.
    void loadStdProfileSettings(int recentFiles);
    RecentFileList *recentFileList() const { return m_recentFiles.get(); }
    void addToRecentFileList(const QString &path);
    // Register and unregister runs end without writing settings.
    void setWriteProfileAtExit(bool on) { m_writeProfileAtExit = on; }
    // The process's exit status; a start-up that fails for a reason other
    // programs should see sets it non-zero.
    void setExitCode(int code) { m_exitCode = code; }
    // Removes the per-user settings file and, when nothing else is left in
    // it, the key folder.
    bool deleteProfile();

    void addDocTemplate(SingleDocTemplate *docTemplate);
    SingleDocTemplate *docTemplate() const { return m_template.get(); }

    FrameWindow *mainWindow() const { return m_mainWindow; }
    // Destroying the main window ends the program.
    void setMainWindow(FrameWindow *frame);

    // The framework's own command handlers, for a message map to bind.
    void onFileNew();
    void onFileOpen();
    void onAppExit();
    Document *openDocumentFile(const QString &path);

    // The framework's Open and Save As dialogs; fileName is the proposal on
    // entry and the choice on return.
    virtual bool doPromptFileName(QString &fileName, bool open, SingleDocTemplate *docTemplate);

    // Objects that keep the program alive (documents). When the count falls
    // to zero while no user controls the program, it ends.
    void lockApp();
    void unlockApp();
    int lockCount() const { return m_lockCount; }
    bool userControl() const { return m_userControl; }
    void setUserControl(bool on) { m_userControl = on; }

    // A message box titled with the application title, owned by the main
    // window when there is one.
    static int messageBox(const QString &text);
    static void reportMessage(int stringId);
    static void reportFileError(int stringId, const QString &path, const QString &reason);
    static QWidget *messageParent();

private:
    QStringList m_arguments;
    std::unique_ptr<QTranslator> m_qtTranslator;
    QString m_registryKey;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<RecentFileList> m_recentFiles;
    std::unique_ptr<SingleDocTemplate> m_template;
    QPointer<FrameWindow> m_mainWindow;
    QMetaObject::Connection m_mainWindowGone;
    bool m_writeProfileAtExit = true;
    int m_exitCode = 0;
    int m_lockCount = 0;
    bool m_userControl = true;
};

} // namespace fw
