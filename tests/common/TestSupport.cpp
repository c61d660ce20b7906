#include "TestSupport.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWindow>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace testsupport {

DialogDriver::DialogDriver()
{
    qApp->installEventFilter(this);
}

DialogDriver::~DialogDriver()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void DialogDriver::expect(Answer answer)
{
    m_answers.push_back(std::move(answer));
}

void DialogDriver::clear()
{
    m_answers.clear();
    m_unexpected.clear();
}

bool DialogDriver::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show || event->spontaneous())
        return false;
    auto *dialog = qobject_cast<QDialog *>(watched);
    if (!dialog || !dialog->isWindow())
        return false;
    Answer answer;
    if (!m_answers.empty()) {
        answer = std::move(m_answers.front());
        m_answers.erase(m_answers.begin());
    } else {
        QString what = QString::fromLatin1(dialog->metaObject()->className());
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            what += QStringLiteral(": ") + box->text();
        m_unexpected << what;
        answer = [](QDialog *d) { d->reject(); };
    }
    // Answered from the dialog's own event loop: a dialog closed while it is
    // still being shown would leave exec() waiting for ever.
    QPointer<QDialog> guard(dialog);
    QTimer::singleShot(0, dialog, [guard, answer = std::move(answer)] {
        // A modal dialog is answered once it has the keyboard, as a user
        // answers it: one closed before its activation arrives leaves no
        // window active after it.
        if (guard && guard->isModal())
            QTest::qWaitFor([&guard] { return !guard || QGuiApplication::focusWindow() == guard->windowHandle(); }, 2000);
        if (guard)
            answer(guard);
    });
    return false;
}

DialogDriver::Answer chooseFile(const QString &path, FileDialogSeen *seen)
{
    return [path, seen](QDialog *d) {
        auto *dialog = qobject_cast<QFileDialog *>(d);
        if (!dialog) {
            d->reject();
            return;
        }
        if (seen) {
            seen->shown = true;
            seen->title = dialog->windowTitle();
            seen->nameFilters = dialog->nameFilters();
            QFileDialog reference;
            reference.setOption(QFileDialog::DontUseNativeDialog);
            reference.setAcceptMode(QFileDialog::AcceptOpen);
            reference.setFileMode(QFileDialog::ExistingFile);
            seen->defaultTitle = reference.windowTitle();
        }
        const QFileInfo file(path);
        dialog->setDirectory(file.absolutePath());
        // Selecting the file in the list, as a click does, works for every
        // name; a typed name with quotes would read as a list of names.
        auto *listView = dialog->findChild<QListView *>(QStringLiteral("listView"));
        auto *model = listView ? qobject_cast<QFileSystemModel *>(listView->model()) : nullptr;
        const QModelIndex index = model ? model->index(file.absoluteFilePath()) : QModelIndex();
        if (index.isValid())
            listView->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        else if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(file.fileName());
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QPushButton *open = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
        if (open && open->isEnabled())
            open->click();
        if (dialog->isVisible())
            dialog->reject();
    };
}

DialogDriver::Answer cancelFileDialog(FileDialogSeen *seen)
{
    return [seen](QDialog *d) {
        if (auto *dialog = qobject_cast<QFileDialog *>(d); dialog && seen) {
            seen->shown = true;
            seen->title = dialog->windowTitle();
            seen->nameFilters = dialog->nameFilters();
        }
        auto *buttons = d->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QPushButton *cancel = buttons ? buttons->button(QDialogButtonBox::Cancel) : nullptr;
        if (cancel)
            cancel->click();
        if (d->isVisible())
            d->reject();
    };
}

DialogDriver::Answer answerMessage(int standardButton, QString *text)
{
    return [standardButton, text](QDialog *d) {
        auto *box = qobject_cast<QMessageBox *>(d);
        if (text)
            *text = box ? box->text() : QStringLiteral("<not a message box: %1>").arg(QLatin1String(d->metaObject()->className()));
        QAbstractButton *button = box ? box->button(QMessageBox::StandardButton(standardButton)) : nullptr;
        if (button)
            button->click();
        if (d->isVisible())
            d->reject();
    };
}

} // namespace testsupport
