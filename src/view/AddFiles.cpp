#include "BrewdeckView.h"

#include "Application.h"
#include "BrewdeckDoc.h"
#include "FileCopy.h"
#include "NameFilters.h"
#include "StringTable.h"
#include "WebApp.h"
#include "resource.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include <memory>

namespace {

// Files from this size on show their progress, with a cancel button.
constexpr qint64 kShowProgressFrom = 32 * 1024 * 1024;

QString text(int id)
{
    return fw::StringTable::load(id);
}

bool askReplace(const QString &existingFile)
{
    const QFileInfo existing(existingFile);
    QMessageBox box(QMessageBox::Question, fw::Application::appTitle(),
                    text(IDP_REPLACE_QUESTION).arg(existing.path(), existing.fileName()),
                    QMessageBox::Yes | QMessageBox::No, fw::Application::messageParent());
    box.setObjectName(QStringLiteral("replaceQuestion"));
    box.button(QMessageBox::Yes)->setText(text(IDS_YES));
    box.button(QMessageBox::No)->setText(text(IDS_NO));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString failureText(const QString &source, const QString &folder, const platform::CopyResult &result)
{
    QString why;
    switch (result.failedStep) {
    case platform::CopyStep::OpenSource:
        why = text(IDP_COPY_OPEN_SOURCE).arg(result.reason);
        break;
    case platform::CopyStep::NameNotUtf8:
        why = text(IDP_COPY_NAME_NOT_UTF8);
        break;
    case platform::CopyStep::SourceNotFile:
        why = text(IDP_COPY_NOT_A_FILE);
        break;
    case platform::CopyStep::FolderMissing:
        why = text(IDP_COPY_APP_FOLDER_MISSING).arg(result.failedPath);
        break;
    case platform::CopyStep::MakeFolder:
        why = text(IDP_COPY_MAKE_FOLDER).arg(result.failedPath, result.reason);
        break;
    case platform::CopyStep::TargetIsFolder:
        why = text(IDP_COPY_TARGET_IS_FOLDER).arg(result.failedPath);
        break;
    case platform::CopyStep::CreateCopy:
        why = text(IDP_COPY_CREATE).arg(result.failedPath, result.reason);
        break;
    case platform::CopyStep::Transfer:
        why = text(IDP_COPY_TRANSFER).arg(result.reason);
        break;
    case platform::CopyStep::SourceChanged:
        why = text(IDP_COPY_SOURCE_CHANGED).arg(result.reason);
        break;
    case platform::CopyStep::TrashOld:
        why = text(IDP_COPY_TRASH_OLD).arg(result.failedPath, result.reason);
        break;
    case platform::CopyStep::PutInPlace:
        why = text(IDP_COPY_PUT_IN_PLACE).arg(result.failedPath, result.reason);
        break;
    case platform::CopyStep::None:
        why = result.reason;
        break;
    }
    return text(IDP_COPY_FAILED).arg(source, folder, why);
}

} // namespace

bool CBrewdeckView::CopyFileInto(const QString &filter, const QString &destinationDir)
{
    // Qt's own dialog with the system's default title: the same on every
    // desktop, and reachable by tests.
    QFileDialog dialog(fw::Application::messageParent());
    dialog.setObjectName(QStringLiteral("addFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    fw::setNameFilters(dialog, fw::nameFiltersOf(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QString source = dialog.selectedFiles().constFirst();

    std::unique_ptr<QProgressDialog> progress;
    platform::CopyCallbacks callbacks;
    callbacks.confirmReplace = askReplace;
    callbacks.progress = [&progress, &source](qint64 done, qint64 total) {
        if (total < kShowProgressFrom)
            return true;
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(
                text(IDS_COPY_PROGRESS).arg(QFileInfo(source).fileName()), text(IDS_CANCEL), 0, 1000,
                fw::Application::messageParent());
            progress->setObjectName(QStringLiteral("copyProgress"));
            progress->setWindowTitle(fw::Application::appTitle());
            progress->setWindowModality(Qt::ApplicationModal);
            progress->setAutoClose(false);
            progress->setAutoReset(false);
            progress->setMinimumDuration(0);
            progress->show();
        }
        progress->setValue(int(done * 1000 / total));
        QCoreApplication::processEvents();
        return !progress->wasCanceled();
    };
    // The kind's own folder may be made inside the application folder, never
    // the application folder itself or the server's folders above it.
    platform::CopyOptions options;
    if (CWebApp *app = webApp())
        options.makeFoldersBelow = app->GetJspDir();
    const platform::CopyResult result = platform::copyFileInto(source, destinationDir, callbacks, options);
    progress.reset();

    // Declined and cancelled copies were the user's own choice: no message.
    if (result.outcome == platform::CopyOutcome::Failed)
        fw::Application::messageBox(failureText(source, destinationDir, result));
    return result.succeeded();
}

void CBrewdeckView::AddFileOfKind(FileKind kind)
{
    // The three kinds: the dialog's filter and where the server looks for them.
    struct KindInfo
    {
        const char *filter;
        QString (CWebApp::*folder)() const;
    };
    static constexpr KindInfo kKinds[] = {
        {"JSP Files (*.jsp)|*.jsp||", &CWebApp::GetJspDir},
        {"CLASS Files (*.class)|*.class||", &CWebApp::GetClassesDir},
        {"JAR Files (*.jar)|*.jar||", &CWebApp::GetLibDir},
    };
    CWebApp *app = webApp();
    if (!app)
        return;
    const KindInfo &info = kKinds[static_cast<int>(kind)];
    if (CopyFileInto(QString::fromLatin1(info.filter), (app->*info.folder)()))
        GetDocument()->updateAllViews(nullptr, 0, nullptr);
}

void CBrewdeckView::OnAddJsp() { AddFileOfKind(FileKind::Jsp); }
void CBrewdeckView::OnAddClass() { AddFileOfKind(FileKind::Class); }
void CBrewdeckView::OnAddJar() { AddFileOfKind(FileKind::Jar); }
