#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QWindow>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTest>
#include <QTimer>

namespace testsupport {

namespace {

// The patterns of a name filter such as "JSP 文件 (*.jsp *.jspf)".
QStringList filterPatterns(const QString &filter)
{
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    const QString inside = open >= 0 && close > open ? filter.mid(open + 1, close - open - 1) : filter;
    return inside.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

void noteFileDialog(QFileDialog *dialog, FileDialogSeen *seen)
{
    if (!seen)
        return;
    seen->shown = true;
    seen->title = dialog->windowTitle();
    seen->nameFilters = dialog->nameFilters();
    QFileDialog reference;
    reference.setOption(QFileDialog::DontUseNativeDialog);
    reference.setAcceptMode(QFileDialog::AcceptOpen);
    reference.setFileMode(QFileDialog::ExistingFile);
    seen->defaultTitle = reference.windowTitle();
}

} // namespace

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
        // Past the bound it is answered all the same, and the test's own
        // checks tell what went wrong.
        if (guard && guard->isModal())
            (void)QTest::qWaitFor(
                [&guard] { return !guard || QGuiApplication::focusWindow() == guard->windowHandle(); }, 2000);
        if (guard)
            answer(guard);
    });
    return false;
}

DialogDriver::Answer chooseFile(const QString &path, FileDialogSeen *seen)
{
    return [path, seen](QDialog *d) {
        // A dialog that cannot be answered so is cancelled, and the check fails.
        const auto cancelLeftOver = qScopeGuard([d] {
            if (d->isVisible())
                d->reject();
        });
        auto *dialog = qobject_cast<QFileDialog *>(d);
        QVERIFY2(dialog, d->metaObject()->className());
        noteFileDialog(dialog, seen);
        const QFileInfo file(path);
        dialog->setDirectory(file.absolutePath());
        // In the type list as the user sees it: the first type that names the
        // file, else the last, which is every file.
        if (auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")); types && types->count() > 0) {
            QString chosen = types->itemText(types->count() - 1);
            for (int i = 0; i < types->count(); ++i) {
                if (QDir::match(filterPatterns(types->itemText(i)), file.fileName())) {
                    chosen = types->itemText(i);
                    break;
                }
            }
            dialog->selectNameFilter(chosen);
        }
        auto *listView = dialog->findChild<QListView *>(QStringLiteral("listView"));
        auto *model = listView ? qobject_cast<QFileSystemModel *>(listView->model()) : nullptr;
        QVERIFY(model);
        if (file.exists()) {
            // The folder's contents arrive from a worker thread. Selecting the
            // file in the list, as a click does, works for every name; a typed
            // name with quotes would read as a list of names. A file that the
            // type hides never shows, and the check fails.
            QTRY_VERIFY_WITH_TIMEOUT(model->index(file.absoluteFilePath()).isValid(), 5000);
            listView->selectionModel()->select(model->index(file.absoluteFilePath()),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        } else {
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(file.fileName());
        }
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QVERIFY(buttons);
        QPushButton *accept = buttons->button(dialog->acceptMode() == QFileDialog::AcceptOpen ? QDialogButtonBox::Open
                                                                                             : QDialogButtonBox::Save);
        QVERIFY(accept);
        QVERIFY(accept->isEnabled());
        accept->click();
    };
}

DialogDriver::Answer cancelFileDialog(FileDialogSeen *seen)
{
    return [seen](QDialog *d) {
        if (auto *dialog = qobject_cast<QFileDialog *>(d))
            noteFileDialog(dialog, seen);
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
