#pragma once

#include "ApplicationCore.h"
#include "FrameWindow.h"

#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QLocale;
class QTranslator;
class QWidget;

namespace fw {

class Document;
class SingleDocTemplate;

// The application object of a program with windows: one per process, made
// before main runs. run() creates the Qt application, calls initInstance,
// runs the event loop while it returned true, and finishes with exitInstance.
// It asks the user what a document needs to know in dialogs.
class Application : public ApplicationCore
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

    void addDocTemplate(SingleDocTemplate *docTemplate);
    SingleDocTemplate *docTemplate() const { return m_template.get(); }

    FrameWindow *mainWindow() const { return m_mainWindow; }
    // Destroying the main window ends the program.
    void setMainWindow(FrameWindow *frame);

    // The framework's own command handlers, for a command table to bind.
    void onFileNew();
    void onFileOpen();
    void onAppExit();
    Document *openDocumentFile(const QString &path);

    // The framework's Open and Save As dialogs; fileName is the proposal on
    // entry and the choice on return.
    bool doPromptFileName(QString &fileName, bool open, DocumentTemplate *docTemplate) override;

    // A message box titled with the application title, owned by the main
    // window when there is one.
    static int messageBox(const QString &text);
    static void reportMessage(int stringId);
    void reportFileError(int stringId, const QString &path, const QString &reason) override;
    // The question with Yes, No and Cancel, Yes the default.
    SaveAnswer askSaveChanges(const QString &documentName) override;
    static QWidget *messageParent();

protected:
    // The main window goes (while it is enabled); without one, the program ends.
    void onLastLockReleased() override;

private:
    QStringList m_arguments;
    std::unique_ptr<QTranslator> m_qtTranslator;
    std::unique_ptr<QTranslator> m_fileDialogTranslator;
    std::unique_ptr<SingleDocTemplate> m_template;
    QPointer<FrameWindow> m_mainWindow;
    QMetaObject::Connection m_mainWindowGone;
};

} // namespace fw
