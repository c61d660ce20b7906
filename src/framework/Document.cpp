#include "Document.h"

#include "ApplicationCore.h"
#include "CommandIds.h"
#include "DocumentTemplate.h"
#include "DocumentView.h"
#include "RegularFile.h"
#include "StringTable.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace fw {

Document::Document()
{
    // The framework's own document command: save.
    onCommand(ids::ID_FILE_SAVE, [this] { doFileSave(); });
}

Document::~Document() = default;

void Document::setTitle(const QString &title)
{
    m_title = title;
    emit titleChanged(m_title);
}

void Document::setPathName(const QString &path, bool addToRecentFiles)
{
    m_pathName = QFileInfo(path).absoluteFilePath();
    setTitle(QFileInfo(m_pathName).fileName());
    if (addToRecentFiles) {
        if (ApplicationCore *app = ApplicationCore::current())
            app->addToRecentFileList(m_pathName);
    }
}

void Document::clearPathName()
{
    m_pathName.clear();
}

bool Document::onNewDocument()
{
    deleteContents();
    clearPathName();
    setModifiedFlag(false);
    return true;
}

bool Document::onOpenDocument(const QString &path)
{
    // Only a regular file is a document: a named pipe or a device would
    // leave the window waiting for data that may never come.
    const platform::RegularFile opened = platform::openRegularFile(path);
    if (opened.result != platform::RegularFileOpen::Opened) {
        const QString reason = opened.result == platform::RegularFileOpen::NotRegular
            ? QStringLiteral("它不是一个普通文件。")
            : opened.reason;
        reportFileError(ids::IDP_FAILED_TO_OPEN_DOC, path, reason);
        return false;
    }
    QFile file;
    if (!file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(opened.fd);
        reportFileError(ids::IDP_FAILED_TO_OPEN_DOC, path, file.errorString());
        return false;
    }
    deleteContents();
    // Marked while reading, so that a failure half-way is not taken for the
    // untouched document it was before.
    setModifiedFlag(true);
    serialize(file, false);
    if (file.error() != QFileDevice::NoError) {
        reportFileError(ids::IDP_FAILED_TO_OPEN_DOC, path, file.errorString());
        deleteContents();
        return false;
    }
    setModifiedFlag(false);
    return true;
}

bool Document::onSaveDocument(const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reportFileError(ids::IDP_FAILED_TO_SAVE_DOC, path, file.errorString());
        return false;
    }
    serialize(file, true);
    if (!file.commit()) {
        reportFileError(ids::IDP_FAILED_TO_SAVE_DOC, path, file.errorString());
        return false;
    }
    setModifiedFlag(false);
    return true;
}

void Document::onCloseDocument()
{
    // Keep the object alive until the end even when a view's destruction
    // would otherwise be the last thing that refers to it.
    const bool deleteAfter = m_autoDelete;
    m_autoDelete = false;
    if (m_template)
        m_template->destroyFrame(this);
    m_views.clear();
    deleteContents();
    m_autoDelete = deleteAfter;
    if (m_template)
        m_template->removeDocument(this);
    if (deleteAfter)
        delete this;
}

void Document::reportFileError(int stringId, const QString &path, const QString &reason)
{
    if (ApplicationCore *app = ApplicationCore::current())
        app->reportFileError(stringId, path, reason);
}

void Document::deleteContents()
{
}

void Document::serialize(QIODevice &, bool)
{
}

bool Document::saveModified()
{
    if (!isModified())
        return true;
    const QString name = m_title.isEmpty() ? StringTable::load(ids::IDS_UNTITLED) : m_title;
    ApplicationCore *app = ApplicationCore::current();
    const auto answer = app ? app->askSaveChanges(name) : ApplicationCore::SaveAnswer::Cancel;
    if (answer == ApplicationCore::SaveAnswer::Cancel)
        return false;
    if (answer == ApplicationCore::SaveAnswer::Save)
        return doFileSave();
    return true;
}

bool Document::doFileSave()
{
    return doSave(m_pathName);
}

bool Document::doSave(const QString &path, bool replace)
{
    QString target = path;
    if (target.isEmpty()) {
        QString proposed = m_title;
        const QString ext = m_template ? m_template->string(DocTemplateField::FilterExt) : QString();
        if (!proposed.isEmpty() && !ext.isEmpty() && !proposed.endsWith(ext))
            proposed += ext;
        ApplicationCore *app = ApplicationCore::current();
        if (!app || !app->doPromptFileName(proposed, false, m_template))
            return false;
        target = proposed;
    }
    if (!onSaveDocument(target))
        return false;
    if (replace)
        setPathName(target);
    return true;
}

void Document::addView(DocumentView *view)
{
    if (!m_views.contains(view)) {
        m_views.append(view);
        view->setDocument(this);
    }
}

void Document::removeView(DocumentView *view)
{
    m_views.removeAll(view);
    view->setDocument(nullptr);
}

void Document::updateAllViews(DocumentView *sender, long hint, QObject *hintObject)
{
    for (DocumentView *view : std::as_const(m_views)) {
        if (view != sender)
            view->onDocumentUpdate(sender, hint, hintObject);
    }
}

} // namespace fw
