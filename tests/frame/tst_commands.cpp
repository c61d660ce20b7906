#include "AboutDlg.h"
#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "CommandIds.h"
#include "DialogUnits.h"
#include "FrameFixture.h"
#include "MainFrame.h"
#include "RecentFileList.h"
#include "TestSupport.h"
#include "resource.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QListView>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a modal dialog looked like when the test answered it.
struct Seen
{
    QString className;
    QString title;
    QString text;
    QStringList filters; // as the dialog's type list shows them
    QString proposed;
};

} // namespace

// The application's commands driven through their keys, the menu and the
// toolbar, with the modal dialogs answered by the test.
class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openAsksForFile_data();
    void openAsksForFile();
    void saveAsksForNameOnce();
    void saveFailureIsReported();
    void openFailureIsReported_data();
    void openFailureIsReported();
    void newOffersToSaveModified_data();
    void newOffersToSaveModified();
    void aboutBoxLayout();
    void aboutBoxCloses_data();
    void aboutBoxCloses();

private:
    CMainFrame *frame() const { return m_fixture->frame(); }
    // A key pressed in the main window, once it is the active window.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers);
    // Answers the next modal dialog with `answer` after noting what it showed.
    void answer(std::function<void(QDialog *)> answer);

    std::unique_ptr<FrameFixture> m_fixture;
    QTemporaryDir m_files;
    QList<Seen> m_seen;
    testsupport::DialogDriver m_dialogs;
};

void TestCommands::init()
{
    m_seen.clear();
    m_dialogs.clear();
    m_fixture = std::make_unique<FrameFixture>();
    QVERIFY(m_fixture->start());
    QVERIFY(QTest::qWaitForWindowExposed(frame()));
    frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame()));
}

void TestCommands::cleanup()
{
    QVERIFY2(m_dialogs.unexpected().isEmpty(), qPrintable(m_dialogs.unexpected().join(QStringLiteral(", "))));
    // A dialog left open by a failed check must not block the next test.
    for (int i = 0; i < 5 && QApplication::activeModalWidget(); ++i) {
        QApplication::activeModalWidget()->close();
        QTest::qWait(20);
    }
    m_fixture.reset();
}

void TestCommands::press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    // The frame takes the keyboard back from every dialog that has ended,
    // as the keys a user presses next are meant for it.
    QTRY_COMPARE(QApplication::activeWindow(), frame());
    QTest::keyClick(frame(), key, modifiers);
}

void TestCommands::answer(std::function<void(QDialog *)> then)
{
    m_dialogs.expect([this, then = std::move(then)](QDialog *modal) {
        Seen seen;
        seen.className = QString::fromLatin1(modal->metaObject()->className());
        seen.title = modal->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            seen.text = box->text();
        if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            if (auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))) {
                for (int i = 0; i < types->count(); ++i)
                    seen.filters << types->itemText(i);
            }
            seen.proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        }
        m_seen << seen;
        then(modal);
    });
}

void TestCommands::openAsksForFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("choose");

    QTest::newRow("chosen") << QStringLiteral("lesson one.bdk") << true;
    QTest::newRow("any extension") << QStringLiteral("笔记.txt") << true;
    // "*.*" is every file, also one whose name has no dot.
    QTest::newRow("no extension") << QStringLiteral("notes") << true;
    QTest::newRow("cancelled") << QStringLiteral("lesson one.bdk") << false;
}

void TestCommands::openAsksForFile()
{
    QFETCH(QString, fileName);
    QFETCH(bool, choose);

    const QString path = m_files.filePath(fileName);
    QVERIFY(testsupport::writeFile(path, "whatever it holds"));
    answer([path, choose](QDialog *modal) {
        if (choose)
            testsupport::chooseFile(path)(modal);
        else
            modal->close();
    });
    press(Qt::Key_O, Qt::ControlModifier);

    QCOMPARE(m_seen.size(), 1);
    QCOMPARE(m_seen.at(0).className, QStringLiteral("QFileDialog"));
    QCOMPARE(m_seen.at(0).title, QStringLiteral("打开"));
    QCOMPARE(m_seen.at(0).filters, (QStringList{"Brewdeck Files (*.bdk)", "所有文件(*.*)"}));
    if (choose) {
        QCOMPARE(frame()->windowTitle(), fileName + QStringLiteral(" - Brewdeck"));
        QCOMPARE(m_fixture->app().recentFileList()->files().value(0), path);
    } else {
        QCOMPARE(frame()->windowTitle(), QStringLiteral("Brewdeck - Brewdeck"));
        QVERIFY(m_fixture->app().recentFileList()->files().isEmpty());
    }
}

void TestCommands::saveAsksForNameOnce()
{
    const QString path = m_files.filePath(QStringLiteral("saved lesson.bdk"));
    answer([path](QDialog *modal) { testsupport::chooseFile(path)(modal); });
    press(Qt::Key_S, Qt::ControlModifier);

    QCOMPARE(m_seen.size(), 1);
    QCOMPARE(m_seen.at(0).title, QStringLiteral("另存为"));
    QCOMPARE(m_seen.at(0).filters, (QStringList{"Brewdeck Files (*.bdk)", "所有文件(*.*)"}));
    QCOMPARE(m_seen.at(0).proposed, QStringLiteral("Brewdeck.bdk"));
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(QFileInfo(path).size(), 0);
    QCOMPARE(frame()->windowTitle(), QStringLiteral("saved lesson.bdk - Brewdeck"));
    QCOMPARE(m_fixture->app().recentFileList()->files().value(0), path);

    // Now that it has a name, Ctrl+S writes it again without asking.
    QVERIFY(QFile::remove(path));
    press(Qt::Key_S, Qt::ControlModifier);
    QTest::qWait(100);
    QCOMPARE(m_seen.size(), 1);
    QVERIFY(QFileInfo::exists(path));
}

void TestCommands::saveFailureIsReported()
{
    // Nobody can create files in /proc, not even root.
    const QString path = QStringLiteral("/proc/brewdeck-cannot-be-here.bdk");
    answer([this, path](QDialog *modal) {
        answer([](QDialog *message) { message->close(); });
        testsupport::chooseFile(path)(modal);
    });
    press(Qt::Key_S, Qt::ControlModifier);

    QTRY_COMPARE(m_seen.size(), 2);
    QCOMPARE(m_seen.at(1).className, QStringLiteral("QMessageBox"));
    QCOMPARE(m_seen.at(1).title, QStringLiteral("Brewdeck"));
    QVERIFY2(m_seen.at(1).text.startsWith(QStringLiteral("无法保存文档“%1”。\n").arg(path)),
             qPrintable(m_seen.at(1).text));
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(frame()->windowTitle(), QStringLiteral("Brewdeck - Brewdeck"));
}

void TestCommands::openFailureIsReported_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::newRow("a folder") << false;
    QTest::newRow("a named pipe nobody writes to") << true;
}

void TestCommands::openFailureIsReported()
{
    QFETCH(bool, pipe);

    // Neither can be read as a document; the pipe must not even be waited on.
    const QString folder = m_files.filePath(pipe ? QStringLiteral("a pipe.bdk") : QStringLiteral("a folder.bdk"));
    if (pipe)
        QCOMPARE(::mkfifo(QFile::encodeName(folder).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkpath(folder));
    // Should opening wait on the pipe, a writer turns up after a while, so
    // that the check fails instead of hanging.
    std::atomic_bool finished = false;
    std::atomic_bool hadToUnblock = false;
    std::thread watchdog([&] {
        for (int i = 0; i < 100 && !finished; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (finished || !pipe)
            return;
        hadToUnblock = true;
        const int writer = ::open(QFile::encodeName(folder).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    });
    const auto stopWatchdog = qScopeGuard([&] {
        finished = true;
        watchdog.join();
    });
    answer([](QDialog *message) { message->close(); });
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder)});
    QDragEnterEvent enter(QPoint(20, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(QPointF(20, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame(), &dropped);

    QTRY_COMPARE(m_seen.size(), 1);
    QVERIFY2(!hadToUnblock, "opening waited for a writer on the pipe");
    QCOMPARE(m_seen.at(0).className, QStringLiteral("QMessageBox"));
    QCOMPARE(m_seen.at(0).text, QStringLiteral("无法打开文档“%1”。\n它不是一个普通文件。").arg(folder));
    // The document stays as it was.
    QCOMPARE(frame()->windowTitle(), QStringLiteral("Brewdeck - Brewdeck"));
    QVERIFY(m_fixture->document()->m_pWebApp);
}

void TestCommands::newOffersToSaveModified_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("renewed");

    QTest::newRow("do not save") << int(QMessageBox::No) << true;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << false;
}

void TestCommands::newOffersToSaveModified()
{
    QFETCH(int, button);
    QFETCH(bool, renewed);

    // Open a file first, so a new document shows in the caption.
    const QString path = m_files.filePath(QStringLiteral("before.bdk"));
    QVERIFY(testsupport::writeFile(path, {}));
    QVERIFY(m_fixture->app().openDocumentFile(path));
    QCOMPARE(frame()->windowTitle(), QStringLiteral("before.bdk - Brewdeck"));
    m_fixture->document()->setModifiedFlag(true);

    answer([button](QDialog *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        box->button(QMessageBox::StandardButton(button))->click();
    });
    press(Qt::Key_N, Qt::ControlModifier);

    QCOMPARE(m_seen.size(), 1);
    QCOMPARE(m_seen.at(0).text, QStringLiteral("是否将更改保存到 before.bdk?"));
    QCOMPARE(frame()->windowTitle(), renewed ? QStringLiteral("Brewdeck - Brewdeck") : QStringLiteral("before.bdk - Brewdeck"));
    QCOMPARE(m_fixture->document()->isModified(), !renewed);
}

void TestCommands::aboutBoxLayout()
{
    CAboutDlg dialog(frame());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("关于 Brewdeck"));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    const fw::DialogUnits units(dialog.font());
    QCOMPARE(dialog.size(), units.size(170, 62));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

    auto *icon = dialog.findChild<QLabel *>(QStringLiteral("aboutIcon"));
    QVERIFY(icon);
    QCOMPARE(icon->pos(), QPoint(units.x(14), units.y(14)));
    QVERIFY(!icon->pixmap().isNull());

    const struct
    {
        const char *name;
        QString text;
        QRect rect;
    } texts[] = {
        {"aboutVersion", QStringLiteral("Brewdeck, Version 1.0"), units.rect(42, 14, 114, 8)},
        {"aboutNotice", QStringLiteral("版权所有 (C) 2026"), units.rect(42, 26, 114, 8)},
    };
    for (const auto &expected : texts) {
        auto *label = dialog.findChild<QLabel *>(QLatin1String(expected.name));
        QVERIFY(label);
        QCOMPARE(label->text(), expected.text);
        QCOMPARE(label->geometry(), expected.rect);
        // The text fits its box: nothing is clipped.
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        QVERIFY(label->fontMetrics().height() <= label->height() + 2);
    }
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("IDOK"));
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("确定"));
    QVERIFY(ok->isDefault());
    QCOMPARE(ok->geometry(), units.rect(113, 41, 50, 14));
}

void TestCommands::aboutBoxCloses_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("fromToolBar");

    QTest::newRow("Escape, menu") << QStringLiteral("escape") << false;
    QTest::newRow("Return, menu") << QStringLiteral("return") << false;
    QTest::newRow("OK clicked, toolbar") << QStringLiteral("click") << true;
    QTest::newRow("close button, toolbar") << QStringLiteral("close") << true;
}

void TestCommands::aboutBoxCloses()
{
    QFETCH(QString, how);
    QFETCH(bool, fromToolBar);

    QPointer<QWidget> shown;
    answer([&shown, how](QDialog *modal) {
        shown = modal;
        if (how == QLatin1String("escape"))
            QTest::keyClick(modal, Qt::Key_Escape);
        else if (how == QLatin1String("return"))
            QTest::keyClick(modal, Qt::Key_Return);
        else if (how == QLatin1String("click"))
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("IDOK")), Qt::LeftButton);
        else
            modal->close();
    });
    if (fromToolBar) {
        auto *button = frame()->findChild<QToolButton *>(QStringLiteral("button_%1").arg(fw::ids::ID_APP_ABOUT));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        // Alt+H opens 帮助(&H); A chooses 关于 Brewdeck(&A)...
        press(Qt::Key_H, Qt::AltModifier);
        QMenu *help = frame()->menuBar()->actions().at(3)->menu();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QTest::keyClick(help, Qt::Key_A);
    }

    // The command returned, so the modal box has ended.
    QCOMPARE(m_seen.size(), 1);
    QCOMPARE(m_seen.at(0).className, QStringLiteral("CAboutDlg"));
    QCOMPARE(m_seen.at(0).title, QStringLiteral("关于 Brewdeck"));
    QTRY_VERIFY(!shown || !shown->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    QTRY_COMPARE(QApplication::activeWindow(), frame());
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
