#pragma once

#include "ApplicationCore.h"
#include "FrameWindow.h"

#include <QMetaObject>
#include <QPointer>
#include <QString>

#include <memory>

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

    int run(int &argc, char **argv);

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
    std::unique_ptr<SingleDocTemplate> m_template;
    QPointer<FrameWindow> m_mainWindow;
    QMetaObject::Connection m_mainWindowGone;
};

} // namespace fw
