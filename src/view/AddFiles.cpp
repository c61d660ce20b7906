#include "BrewdeckView.h"

#include "Application.h"
#include "BrewdeckDoc.h"
#include "FileCopy.h"
#include "NameFilters.h"
#include "WebApp.h"

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

bool askReplace(const QString &existingFile)
{
    const QFileInfo existing(existingFile);
    QMessageBox box(QMessageBox::Question, fw::Application::appTitle(),
                    QStringLiteral("文件夹“%1”中已有名为“%2”的文件。\n\n要替换它吗？原有的文件将移到回收站。")
                        .arg(existing.path(), existing.fileName()),
                    QMessageBox::Yes | QMessageBox::No, fw::Application::messageParent());
    box.setObjectName(QStringLiteral("replaceQuestion"));
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString failureText(const QString &source, const QString &folder, const platform::CopyResult &result)
{
    QString why;
    switch (result.failedStep) {
    case platform::CopyStep::OpenSource:
        why = QStringLiteral("无法读取这个文件：%1").arg(result.reason);
        break;
    case platform::CopyStep::SourceNotFile:
        why = QStringLiteral("它不是一个普通文件。");
        break;
    case platform::CopyStep::MakeFolder:
        why = QStringLiteral("无法建立文件夹“%1”：%2").arg(result.failedPath, result.reason);
        break;
    case platform::CopyStep::TargetIsFolder:
        why = QStringLiteral("目标位置已有一个同名的文件夹“%1”。").arg(result.failedPath);
        break;
    case platform::CopyStep::CreateCopy:
        why = QStringLiteral("无法在文件夹“%1”中写入：%2").arg(result.failedPath, result.reason);
        break;
    case platform::CopyStep::Transfer:
        why = QStringLiteral("复制数据时出错：%1").arg(result.reason);
        break;
    case platform::CopyStep::TrashOld:
        why = QStringLiteral("无法把原有的“%1”移到回收站：%2").arg(result.failedPath, result.reason);
        break;
    case platform::CopyStep::PutInPlace:
        why = QStringLiteral("无法把复制好的文件放到“%1”：%2").arg(result.failedPath, result.reason);
        break;
    case platform::CopyStep::None:
        why = result.reason;
        break;
    }
    return QStringLiteral("无法把文件“%1”复制到“%2”。\n%3").arg(source, folder, why);
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
                QStringLiteral("正在复制“%1”…").arg(QFileInfo(source).fileName()), QStringLiteral("取消"), 0, 1000,
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
    const platform::CopyResult result = platform::copyFileInto(source, destinationDir, callbacks);
    progress.reset();

    // Declined and cancelled copies were the user's own choice: no message.
    if (result.outcome == platform::CopyOutcome::Failed)
        fw::Application::messageBox(failureText(source, destinationDir, result));
    return result.succeeded();
}

void CBrewdeckView::OnAddJsp()
{
    CWebApp *app = webApp();
    if (!app)
        return;
    const QString folder = app->GetJspDir();
    if (CopyFileInto(QStringLiteral("JSP Files (*.jsp)|*.jsp||"), folder))
        GetDocument()->updateAllViews(nullptr, 0, nullptr);
}

void CBrewdeckView::OnAddClass()
{
    CWebApp *app = webApp();
    if (!app)
        return;
    const QString folder = app->GetClassesDir();
    if (CopyFileInto(QStringLiteral("CLASS Files (*.class)|*.class||"), folder))
        GetDocument()->updateAllViews(nullptr, 0, nullptr);
}

void CBrewdeckView::OnAddJar()
{
    CWebApp *app = webApp();
    if (!app)
        return;
    const QString folder = app->GetLibDir();
    if (CopyFileInto(QStringLiteral("JAR Files (*.jar)|*.jar||"), folder))
        GetDocument()->updateAllViews(nullptr, 0, nullptr);
}
