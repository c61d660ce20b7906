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

    testsupport::DialogDriver &dialogs() { return m_dialogs; }

private:
    testsupport::SandboxedHome m_home;
    QTemporaryDir m_install;
    QString m_installDir;
    std::unique_ptr<TestApp> m_app;
    fw::SingleDocTemplate *m_template = nullptr;
    testsupport::DialogDriver m_dialogs;
};

} // namespace viewtest
