#pragma once

#include "Application.h"
#include "TestSupport.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class CBrewdeckDoc;
class CBrewdeckView;
class QDialog;
class QLineEdit;
class QListWidget;

namespace fw {
class SingleDocTemplate;
}

namespace viewtest {

// An application whose install folder is a temporary folder of the test.
class TestApp : public fw::Application
{
public:
    QString installDirectory() const override { return m_installDir; }
    QString m_installDir;
};

// Answers dialogs as they open, in the order the test queued its answers.
// It watches every Show event, so it works for exec()'d dialogs and for a
// progress dialog alike, and needs no polling. A dialog that no answer was
// queued for is recorded and rejected, so a stray message fails the test
// instead of hanging it.
class DialogDriver : public QObject
{
    Q_OBJECT

public:
    using Answer = std::function<void(QDialog *)>;

    DialogDriver();
    ~DialogDriver() override;

    void expect(Answer answer);
    // Answers still waiting for their dialog, and dialogs nobody expected.
    int pendingAnswers() const { return int(m_answers.size()); }
    QStringList unexpected() const { return m_unexpected; }
    void clear();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::vector<Answer> m_answers;
    QStringList m_unexpected;
};

// What a test saw of an open-file dialog.
struct FileDialogSeen
{
    bool shown = false;
    QString title;
    QStringList nameFilters;
    QString defaultTitle; // what Qt's own dialog shows when nobody sets one
};

// Answers for the driver.
// Chooses a file the way a user does: the dialog goes to the file's folder,
// the file is selected in its list and "Open" is pressed.
DialogDriver::Answer chooseFile(const QString &path, FileDialogSeen *seen = nullptr);
DialogDriver::Answer cancelFileDialog(FileDialogSeen *seen = nullptr);
// Presses the message box's button of the given role and keeps its text.
DialogDriver::Answer answerMessage(int standardButton, QString *text = nullptr);

// A program with its document template and a sandboxed home. Its install
// folder is the one given or else a temporary one whose web application
// folders exist (empty).
class ViewFixture
{
public:
    explicit ViewFixture(const QString &installDir = QString());
    ~ViewFixture();

    bool isValid() const;
    QString installDir() const { return m_installDir; }
    QString appDir() const;
    QString classesDir() const;
    QString libDir() const;
    QString trashDir() const;
    testsupport::SandboxedHome &home() { return m_home; }

    // The template's New; Open with a path.
    bool newDocument();
    bool openDocument(const QString &path);

    CBrewdeckDoc *document() const;
    CBrewdeckView *view() const;
    QListWidget *list(const char *objectName) const;
    QStringList items(const char *objectName) const;
    QString editText(const char *objectName) const;
    // Selects the list's item with this text; false when there is none.
    bool select(const char *listName, const QString &text) const;
    QString selected(const char *listName) const;
    // Clicks the form's button, which routes its id through the frame.
    void click(const char *buttonName) const;

    DialogDriver &dialogs() { return m_dialogs; }

private:
    testsupport::SandboxedHome m_home;
    QTemporaryDir m_install;
    QString m_installDir;
    std::unique_ptr<TestApp> m_app;
    fw::SingleDocTemplate *m_template = nullptr;
    DialogDriver m_dialogs;
};

} // namespace viewtest
