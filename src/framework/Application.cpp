#include "Application.h"

#include "CommandIds.h"
#include "DocTemplate.h"
#include "Document.h"
#include "FrameWindow.h"
#include "NameFilters.h"
#include "StringTable.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QShortcut>
#include <QTranslator>

#include <utility>

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
    m_arguments.clear();
    for (int i = 1; i < argc; ++i)
        m_arguments << QFile::decodeName(argv[i]);
    static char fallbackName[] = "brewdeck";
    int qtArgc = 1;
    char *qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    QApplication qtApp(qtArgc, qtArgv);
    // The program ends when its main window goes, not when the last visible
    // window closes: an automation run has no visible window at all.
    QApplication::setQuitOnLastWindowClosed(false);
    int code = 0;
    if (initInstance())
        code = QApplication::exec();
    const int exitCode = exitInstance();
    // Anything still alive that belongs to Qt must go before the Qt
    // application object does. The template made the document and its frame,
    // so it takes them down; a frame it destroys goes at the next deferred
    // delete, which is now. What is left is a main window of no template's.
    if (m_template)
        m_template->closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete m_mainWindow.data();
    m_template.reset();
    closeSettings();
    m_fileDialogTranslator.reset();
    m_qtTranslator.reset();
    return code != 0 ? code : exitCode;
}

namespace {

// Qt 6.4's Chinese catalogue lacks the file dialog's type column texts
// (context QAbstractFileIconProvider), so a folder would read "Folder".
class ChineseFileDialogTexts : public QTranslator
{
public:
    bool isEmpty() const override { return false; }

    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        struct Text
        {
            const char *context;
            const char *source;
            const char *text;
        };
        static constexpr Text kTexts[] = {
            {"QAbstractFileIconProvider", "Drive", "驱动器"},
            {"QAbstractFileIconProvider", "Folder", "文件夹"},
            {"QAbstractFileIconProvider", "Unknown", "未知"},
        };
        for (const Text &entry : kTexts) {
            if (qstrcmp(context, entry.context) == 0 && qstrcmp(sourceText, entry.source) == 0)
                return QString::fromUtf8(entry.text);
        }
        return {};
    }
};

} // namespace

bool Application::setUiLanguage(const QLocale &language)
{
    QLocale::setDefault(language);
    auto translator = std::make_unique<QTranslator>();
    // qtbase holds the texts of every widget and dialog the program uses.
    if (!translator->load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    for (auto *old : {m_qtTranslator.get(), m_fileDialogTranslator.get()}) {
        if (old)
            QCoreApplication::removeTranslator(old);
    }
    m_fileDialogTranslator.reset();
    QCoreApplication::installTranslator(translator.get());
    m_qtTranslator = std::move(translator);
    if (language.language() == QLocale::Chinese) {
        m_fileDialogTranslator = std::make_unique<ChineseFileDialogTexts>();
        QCoreApplication::installTranslator(m_fileDialogTranslator.get());
    }
    return true;
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
        // Replaced whenever the main window changes and dropped when the
        // application object goes first (as a test's may), so it fires only
        // for the current main window. By then the object is a bare QObject:
        // nothing here may look at it as a frame.
        m_mainWindowGone = QObject::connect(frame, &QObject::destroyed, qApp, [] { QCoreApplication::quit(); });
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
    // The document type's entry, then all files, in the file-filter list form
    // the "+" dialogs use too.
    QString filterList;
    if (docTemplate) {
        const QString filterName = docTemplate->string(DocTemplateField::FilterName);
        const QString filterExt = docTemplate->string(DocTemplateField::FilterExt);
        if (!filterName.isEmpty() && !filterExt.isEmpty())
            filterList += filterName + QStringLiteral("|*") + filterExt + QLatin1Char('|');
    }
    filterList += StringTable::load(ids::IDS_ALLFILTER) + QStringLiteral("|*.*||");

    QFileDialog dialog(messageParent(), StringTable::load(open ? ids::IDS_OPENFILE : ids::IDS_SAVEFILE));
    dialog.setObjectName(open ? QStringLiteral("openFileDialog") : QStringLiteral("saveFileDialog"));
    // Qt's own dialog: the same on every desktop, and reachable by tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    setNameFilters(dialog, nameFiltersOf(filterList));
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
    // Ctrl+C puts the message on the clipboard, so a user can paste it into
    // a question or a bug report; Qt's own message box does not do it here.
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
