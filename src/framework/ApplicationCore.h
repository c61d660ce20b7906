#pragma once

#include "CommandTarget.h"

#include <QString>

#include <memory>

class QSettings;

namespace fw {

class DocumentTemplate;
class RecentFileList;

// What a program knows without any window: its install folder, its per-user
// settings and recent-file list, the objects that keep it alive, and the few
// questions a document asks its user. The widget application (Application)
// answers those questions with dialogs; a program without windows, such as a
// test of the model, answers them itself.
class ApplicationCore : public CommandTarget
{
public:
    ApplicationCore();
    ~ApplicationCore() override;

    static ApplicationCore *current();

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

    // Objects that keep the program alive (documents). When the count falls
    // to zero while no user controls the program, it ends.
    void lockApp();
    void unlockApp();
    int lockCount() const { return m_lockCount; }
    bool userControl() const { return m_userControl; }
    void setUserControl(bool on) { m_userControl = on; }

    // How a document tells its user of a failure or asks before it goes on.
    enum class SaveAnswer { Save, Discard, Cancel };
    // Reports the framework's message stringId about a file and the reason.
    // Without windows it goes to the log.
    virtual void reportFileError(int stringId, const QString &path, const QString &reason);
    // Asks whether to save the changes of the named document first. Without
    // windows there is nobody to ask, and nothing is lost: Cancel.
    virtual SaveAnswer askSaveChanges(const QString &documentName);
    // The Open and Save As questions; fileName is the proposal on entry and
    // the choice on return. Without windows nothing is chosen.
    virtual bool doPromptFileName(QString &fileName, bool open, DocumentTemplate *docTemplate);

protected:
    // The settings store goes before the Qt application object does.
    void closeSettings();
    // The last lock went while no user controls the program: end it.
    virtual void onLastLockReleased();

private:
    QString m_registryKey;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<RecentFileList> m_recentFiles;
    bool m_writeProfileAtExit = true;
    int m_exitCode = 0;
    int m_lockCount = 0;
    bool m_userControl = true;
};

} // namespace fw
