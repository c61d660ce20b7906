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
