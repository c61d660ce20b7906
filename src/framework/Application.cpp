#include "Application.h"

#include "CommandIds.h"
#include "DocTemplate.h"
#include "Document.h"
#include "FrameWindow.h"
#include "StringTable.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMessageBox>
#include <QShortcut>

namespace fw {

namespace {

Application *g_current = nullptr;

} // namespace

Application::Application()
{
    g_current = this;
    onCommand(ids::ID_APP_EXIT, [this] { onAppExit(); });
}

Application::~Application()
{
    QObject::disconnect(m_mainWindowGone);
    if (g_current == this)
        g_current = nullptr;
}

Application *Application::current()
{
    return g_current;
}

int Application::run(int &argc, char **argv)
{
    QApplication qtApp(argc, argv);
    // The program ends when its main window goes, not when the last visible
    // window closes: an automation run has no visible window at all.
    QApplication::setQuitOnLastWindowClosed(false);
    int code = 0;
    if (initInstance())
        code = QApplication::exec();
    const int exitCode = exitInstance();
    // Anything still alive that belongs to Qt must go before the Qt
    // application object does.
    delete m_mainWindow.data();
    m_template.reset();
    closeSettings();
    return code != 0 ? code : exitCode;
}

void Application::addDocTemplate(SingleDocTemplate *docTemplate)
{
    m_template.reset(docTemplate);
}

void Application::setMainWindow(FrameWindow *frame)
{
    QObject::disconnect(m_mainWindowGone);
    m_mainWindow = frame;
    if (frame) {
        // Disconnected again when the application object goes first, as a
        // test's may, so the frame's late destruction never reaches it.
        m_mainWindowGone = QObject::connect(frame, &QObject::destroyed, qApp, [this, frame] {
            if (m_mainWindow == nullptr || m_mainWindow == frame)
                QCoreApplication::quit();
        });
    }
}

void Application::onFileNew()
{
    if (!m_template)
        return;
    m_template->openDocumentFile(QString());
}

void Application::onFileOpen()
{
    QString fileName;
    if (!doPromptFileName(fileName, true, m_template.get()))
        return;
    openDocumentFile(fileName);
}

void Application::onAppExit()
{
    if (m_mainWindow)
        m_mainWindow->close();
}

Document *Application::openDocumentFile(const QString &path)
{
    return m_template ? m_template->openDocumentFile(path) : nullptr;
}

bool Application::doPromptFileName(QString &fileName, bool open, DocumentTemplate *docTemplate)
{
    QStringList filters;
    if (docTemplate) {
        const QString filterName = docTemplate->string(DocTemplateField::FilterName);
        if (!filterName.isEmpty())
            filters << filterName;
    }
    filters << StringTable::load(ids::IDS_ALLFILTER);

    QFileDialog dialog(messageParent(), StringTable::load(open ? ids::IDS_OPENFILE : ids::IDS_SAVEFILE));
    dialog.setObjectName(open ? QStringLiteral("openFileDialog") : QStringLiteral("saveFileDialog"));
    // Qt's own dialog: the same on every desktop, and reachable by tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(filters);
    if (open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (docTemplate) {
            QString ext = docTemplate->string(DocTemplateField::FilterExt);
            if (ext.startsWith(QLatin1Char('.')))
                ext.remove(0, 1);
            dialog.setDefaultSuffix(ext);
        }
        if (!fileName.isEmpty())
            dialog.selectFile(fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    return true;
}

void Application::onLastLockReleased()
{
    if (m_mainWindow) {
        if (m_mainWindow->isEnabled())
            m_mainWindow->deleteLater();
    } else {
        QCoreApplication::quit();
    }
}

int Application::messageBox(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, appTitle(), text, QMessageBox::Ok, messageParent());
    box.setObjectName(QStringLiteral("messageBox"));
    // Ctrl+C copies the message, as it does in every message box of Windows
    // (Qt's own does so only there).
    QShortcut copy(QKeySequence::Copy, &box);
    QObject::connect(&copy, &QShortcut::activated, &box,
                     [text] { QGuiApplication::clipboard()->setText(text); });
    return box.exec();
}

void Application::reportMessage(int stringId)
{
    messageBox(StringTable::load(stringId));
}

void Application::reportFileError(int stringId, const QString &path, const QString &reason)
{
    messageBox(StringTable::load(stringId).arg(QDir::toNativeSeparators(path), reason));
}

Application::SaveAnswer Application::askSaveChanges(const QString &documentName)
{
    const auto answer = QMessageBox::question(messageParent(), appTitle(),
                                              StringTable::load(ids::IDS_SAVE_CHANGES).arg(documentName),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                              QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return SaveAnswer::Save;
    if (answer == QMessageBox::No)
        return SaveAnswer::Discard;
    return SaveAnswer::Cancel;
}

QWidget *Application::messageParent()
{
    Application *app = current();
    if (app && app->m_mainWindow && app->m_mainWindow->isVisible())
        return app->m_mainWindow;
    return nullptr;
}

} // namespace fw
