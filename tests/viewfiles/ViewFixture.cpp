#include "ViewFixture.h"

#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "DocTemplate.h"
#include "FrameWindow.h"
#include "StringTableData.h"
#include "resource.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace viewtest {

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

ViewFixture::ViewFixture(const QString &installDir)
    : m_installDir(installDir.isEmpty() ? m_install.path() : installDir)
{
    res::loadStringTable();
    for (const QString &dir : {classesDir(), libDir()})
        QDir().mkpath(dir);
    m_app = std::make_unique<TestApp>();
    m_app->m_installDir = m_installDir;
    m_app->setRegistryKey(QStringLiteral("brewdeck-view-test"));
    m_template = new fw::SingleDocTemplate(
        IDR_MAINFRAME, [] { return new CBrewdeckDoc; }, [] { return new fw::FrameWindow; },
        [] { return new CBrewdeckView; });
    m_app->addDocTemplate(m_template);
}

ViewFixture::~ViewFixture()
{
    m_template->closeAllDocuments();
    // The frame goes with deleteLater and tells the application when it
    // does; the application must still be there to hear it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_app.reset();
}

bool ViewFixture::isValid() const
{
    return m_home.isValid() && m_install.isValid() && QFileInfo(m_installDir).isDir();
}

QString ViewFixture::appDir() const
{
    return m_installDir + QStringLiteral("/apache-tomcat-7.0.22/webapps/brewdeck");
}

QString ViewFixture::classesDir() const
{
    return appDir() + QStringLiteral("/WEB-INF/classes");
}

QString ViewFixture::libDir() const
{
    return appDir() + QStringLiteral("/WEB-INF/lib");
}

QString ViewFixture::trashDir() const
{
    return m_home.dataHome() + QStringLiteral("/Trash");
}

bool ViewFixture::newDocument()
{
    return m_template->openDocumentFile(QString(), false) != nullptr;
}

bool ViewFixture::openDocument(const QString &path)
{
    return m_template->openDocumentFile(path, false) != nullptr;
}

CBrewdeckDoc *ViewFixture::document() const
{
    return static_cast<CBrewdeckDoc *>(m_template->document());
}

CBrewdeckView *ViewFixture::view() const
{
    return document() ? static_cast<CBrewdeckView *>(document()->views().value(0)) : nullptr;
}

QListWidget *ViewFixture::list(const char *objectName) const
{
    return view() ? view()->findChild<QListWidget *>(QLatin1String(objectName)) : nullptr;
}

QStringList ViewFixture::items(const char *objectName) const
{
    QStringList texts;
    if (QListWidget *l = list(objectName)) {
        for (int i = 0; i < l->count(); ++i)
            texts << l->item(i)->text();
    }
    return texts;
}

QString ViewFixture::editText(const char *objectName) const
{
    auto *edit = view() ? view()->findChild<QLineEdit *>(QLatin1String(objectName)) : nullptr;
    return edit ? edit->text() : QStringLiteral("<no edit %1>").arg(QLatin1String(objectName));
}

bool ViewFixture::select(const char *listName, const QString &text) const
{
    QListWidget *l = list(listName);
    const QList<QListWidgetItem *> found = l ? l->findItems(text, Qt::MatchExactly) : QList<QListWidgetItem *>();
    if (found.isEmpty())
        return false;
    l->setCurrentItem(found.constFirst(), QItemSelectionModel::ClearAndSelect);
    return true;
}

QString ViewFixture::selected(const char *listName) const
{
    QListWidget *l = list(listName);
    const QList<QListWidgetItem *> items = l ? l->selectedItems() : QList<QListWidgetItem *>();
    return items.isEmpty() ? QString() : items.constFirst()->text();
}

void ViewFixture::click(const char *buttonName) const
{
    if (auto *button = view() ? view()->findChild<QPushButton *>(QLatin1String(buttonName)) : nullptr)
        button->click();
    else
        qWarning("no button %s on the form", buttonName);
}

} // namespace viewtest
