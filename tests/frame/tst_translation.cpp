#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "CommandIds.h"
#include "FrameFixture.h"
#include "MainFrame.h"
#include "TestSupport.h"
#include "WebApp.h"
#include "resource.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

bool hasHan(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff)
            return true;
    }
    return false;
}

// Every visible text of the widget's buttons and labels, with where it is.
QStringList englishTexts(QWidget *dialog)
{
    QStringList english;
    for (auto *button : dialog->findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(dialog) && !button->text().isEmpty() && !hasHan(button->text()))
            english << QStringLiteral("button ") + button->text();
    }
    for (auto *label : dialog->findChildren<QLabel *>()) {
        // Labels that show a file's name or a folder are no words.
        if (label->isVisibleTo(dialog) && label->text().contains(QRegularExpression(QStringLiteral("[A-Za-z]{3}")))
            && !hasHan(label->text()))
            english << QStringLiteral("label ") + label->text();
    }
    return english;
}

} // namespace

// Qt's own texts speak the program's language whatever the user's locale:
// the suite runs once under LANG=C and once under LANG=en_US.UTF-8, and opens
// the real dialogs as the user does.
class TestTranslation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void fileDialogs_data();
    void fileDialogs();
    void messageBoxButtons();
    void progressDialog();
    void editContextMenu();
    void fileTypeColumn();

private:
    std::unique_ptr<FrameFixture> m_fixture;
    QTemporaryDir m_files;
    testsupport::DialogDriver m_dialogs;
};

void TestTranslation::initTestCase()
{
    qInfo("LANG=%s LC_ALL=%s", qgetenv("LANG").constData(), qgetenv("LC_ALL").constData());
    m_fixture = std::make_unique<FrameFixture>();
    m_fixture->app().InitLanguage();
    QVERIFY(m_fixture->start());
    QVERIFY(QTest::qWaitForWindowExposed(m_fixture->frame()));
}

void TestTranslation::cleanup()
{
    QVERIFY2(m_dialogs.unexpected().isEmpty(), qPrintable(m_dialogs.unexpected().join(QStringLiteral(", "))));
    m_dialogs.clear();
    for (int i = 0; i < 5 && QApplication::activeModalWidget(); ++i) {
        QApplication::activeModalWidget()->close();
        QTest::qWait(20);
    }
}

void TestTranslation::fileDialogs_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("title"); // empty: Qt's own default title

    QTest::newRow("Open") << int(fw::ids::ID_FILE_OPEN) << QStringLiteral("打开");
    QTest::newRow("Save As (untitled)") << int(fw::ids::ID_FILE_SAVE) << QStringLiteral("另存为");
    QTest::newRow("+ JSP") << int(IDC_ADD_JSP) << QString();
    QTest::newRow("+ CLASS") << int(IDC_ADD_CLASS) << QString();
    QTest::newRow("+ JAR") << int(IDC_ADD_JAR) << QString();
}

void TestTranslation::fileDialogs()
{
    QFETCH(int, command);
    QFETCH(QString, title);

    QString seenTitle;
    QStringList english;
    QStringList labels;
    m_dialogs.expect([&](QDialog *modal) {
        seenTitle = modal->windowTitle();
        english = englishTexts(modal);
        for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
            if (auto *label = modal->findChild<QLabel *>(QLatin1String(name)))
                labels << label->text();
        }
        modal->close();
    });
    m_fixture->frame()->routeCommand(command);

    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(", "))));
    QCOMPARE(labels.size(), 3);
    for (const QString &label : std::as_const(labels))
        QVERIFY2(hasHan(label), qPrintable(label));
    // The "+" dialogs have no title of the program's: Qt's own, in Chinese.
    QVERIFY2(hasHan(seenTitle), qPrintable(seenTitle));
    if (!title.isEmpty())
        QCOMPARE(seenTitle, title);
}

void TestTranslation::messageBoxButtons()
{
    // New on a modified document asks with Qt's standard buttons.
    m_fixture->document()->setModifiedFlag(true);
    QStringList buttons;
    m_dialogs.expect([&](QDialog *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        for (QAbstractButton *button : box->buttons())
            buttons << button->text();
        box->button(QMessageBox::Cancel)->click();
    });
    m_fixture->frame()->routeCommand(fw::ids::ID_FILE_NEW);
    m_fixture->document()->setModifiedFlag(false);

    QCOMPARE(buttons.size(), 3);
    for (const QString &text : std::as_const(buttons))
        QVERIFY2(hasHan(text), qPrintable(text));

    // The framework's own message box has Qt's OK button.
    QString ok;
    m_dialogs.expect([&](QDialog *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        ok = box->buttons().value(0) ? box->buttons().value(0)->text() : QString();
        modal->close();
    });
    fw::Application::messageBox(QStringLiteral("x"));
    QVERIFY2(hasHan(ok), qPrintable(ok));
}

void TestTranslation::progressDialog()
{
    // A file large enough to show the copy's progress.
    QVERIFY(QDir().mkpath(m_fixture->document()->m_pWebApp->GetLibDir()));
    const QString source = m_files.filePath(QStringLiteral("big.jar"));
    {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(40 * 1024 * 1024));
    }
    QStringList english;
    bool seen = false;
    m_dialogs.expect(testsupport::chooseFile(source));
    m_dialogs.expect([&](QDialog *modal) {
        if (auto *progress = qobject_cast<QProgressDialog *>(modal); progress && progress->isVisible()) {
            seen = true;
            english = englishTexts(progress);
        }
    });
    m_fixture->frame()->routeCommand(IDC_ADD_JAR);
    QFile::remove(m_fixture->document()->m_pWebApp->GetLibDir() + QStringLiteral("/big.jar"));

    // A failed copy says why in a message box that nobody expected.
    const QStringList unexpected = m_dialogs.unexpected();
    m_dialogs.clear();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QStringLiteral(", "))));
    QVERIFY2(seen, "no progress dialog showed");
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(", "))));
}

void TestTranslation::editContextMenu()
{
    auto *edit = m_fixture->view()->form()->findChild<QLineEdit *>(QStringLiteral("IDC_APP_NAME"));
    QVERIFY(edit);
    std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
    QStringList english;
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator() && !hasHan(action->text()))
            english << action->text();
    }
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(", "))));
}

// The file dialog's type column names a folder through the icon provider.
void TestTranslation::fileTypeColumn()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(QFileIconProvider().type(QFileInfo(dir.path())), QStringLiteral("文件夹"));
}

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
