#include "Application.h"
#include "DocTemplate.h"
#include "Document.h"
#include "FrameWindow.h"
#include "View.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QTest>

#include <functional>
#include <vector>

namespace {

// An application whose start-up is the test's; it never enters the event
// loop, as a start-up that returns false does not.
class ProbeApp : public fw::Application
{
public:
    std::function<void(ProbeApp &)> start;
    bool initInstance() override
    {
        if (start)
            start(*this);
        return false;
    }
};

// Runs the application as main would, with these arguments after the name.
int runWith(ProbeApp &app, const QStringList &arguments)
{
    std::vector<QByteArray> storage{QByteArrayLiteral("brewdeck")};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int argc = int(storage.size());
    return app.run(argc, argv.data());
}

// What Qt itself made of a start-up.
struct QtState
{
    QString style;
    QString styleSheet;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    QString platform;
    bool sessionRestored = false;
    QString windowTitle;
    QRect windowGeometry;
};

QtState observe()
{
    QtState state;
    state.style = QApplication::style()->name();
    state.styleSheet = qApp->styleSheet();
    state.direction = QGuiApplication::layoutDirection();
    state.platform = QGuiApplication::platformName();
    state.sessionRestored = qApp->isSessionRestored();
    QWidget window;
    window.resize(200, 100);
    window.show();
    state.windowTitle = window.windowHandle() ? window.windowHandle()->title() : QString();
    state.windowGeometry = window.geometry();
    return state;
}

int g_framesAlive = 0;
int g_documentsAlive = 0;

class CountedFrame : public fw::FrameWindow
{
public:
    CountedFrame() { ++g_framesAlive; }
    ~CountedFrame() override { --g_framesAlive; }
};

class CountedDocument : public fw::Document
{
public:
    CountedDocument() { ++g_documentsAlive; }
    ~CountedDocument() override { --g_documentsAlive; }
};

} // namespace

// The application object's run: which arguments the program gets, what Qt
// takes from them, and what is left once it ends.
class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void qtTakesNoArgument_data();
    void qtTakesNoArgument();
    void endingTearsDownTheTemplatesFrame_data();
    void endingTearsDownTheTemplatesFrame();

private:
    QtState m_plain;
};

void TestApplication::initTestCase()
{
    ProbeApp app;
    app.start = [this](ProbeApp &) { m_plain = observe(); };
    runWith(app, {});
    QCOMPARE(m_plain.direction, Qt::LeftToRight);
}

void TestApplication::qtTakesNoArgument_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("-reverse") << QStringList{"-reverse", "a.bdk"};
    QTest::newRow("-style NAME") << QStringList{"-style", "windows", "a.bdk"};
    QTest::newRow("-style=NAME") << QStringList{"-style=windows", "a.bdk"};
    QTest::newRow("-style FILE swallows nothing") << QStringList{"-style", "lesson.bdk"};
    QTest::newRow("-stylesheet") << QStringList{"-stylesheet", "/tmp/no.qss", "a.bdk"};
    QTest::newRow("-platform") << QStringList{"-platform", "minimal", "a.bdk"};
    QTest::newRow("-session") << QStringList{"-session", "abc_1", "a.bdk"};
    QTest::newRow("-qwindowtitle") << QStringList{"-qwindowtitle", "Hijacked", "a.bdk"};
    QTest::newRow("-qwindowgeometry") << QStringList{"-qwindowgeometry", "40x30+5+5", "a.bdk"};
    QTest::newRow("-geometry") << QStringList{"-geometry", "40x30+5+5", "a.bdk"};
    QTest::newRow("-display and -name") << QStringList{"-display", ":99", "-name", "other", "a.bdk"};
    QTest::newRow("-platformtheme, -plugin") << QStringList{"-platformtheme", "gtk3", "-plugin", "evdevmouse", "a.bdk"};
    QTest::newRow("-nograb -dograb -sync -widgetcount")
        << QStringList{"-nograb", "-dograb", "-sync", "-widgetcount", "a.bdk"};
    QTest::newRow("-qmljsdebugger=") << QStringList{"-qmljsdebugger=port:1234", "a.bdk"};
    QTest::newRow("names with spaces, quotes and $( )")
        << QStringList{"-style", "a b.bdk", "it's \"q\".bdk", "$(touch x)"};
}

void TestApplication::qtTakesNoArgument()
{
    QFETCH(QStringList, arguments);

    ProbeApp app;
    QStringList seen;
    QtState state;
    app.start = [&](ProbeApp &self) {
        seen = self.arguments();
        state = observe();
    };
    runWith(app, arguments);

    // The program gets every argument, in order, and Qt acts on none.
    QCOMPARE(seen, arguments);
    QCOMPARE(state.direction, Qt::LeftToRight);
    QCOMPARE(state.style, m_plain.style);
    QCOMPARE(state.styleSheet, QString());
    QCOMPARE(state.platform, m_plain.platform);
    QVERIFY(!state.sessionRestored);
    QCOMPARE(state.windowTitle, m_plain.windowTitle);
    QCOMPARE(state.windowGeometry.size(), m_plain.windowGeometry.size());
}

void TestApplication::endingTearsDownTheTemplatesFrame_data()
{
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("mainWindowGoesFirst");

    // As a print run leaves it: the document open in a hidden frame.
    QTest::newRow("hidden frame, document open") << false << false;
    QTest::newRow("shown frame, document open") << true << false;
    QTest::newRow("frame destroyed by someone else first") << false << true;
}

void TestApplication::endingTearsDownTheTemplatesFrame()
{
    QFETCH(bool, visible);
    QFETCH(bool, mainWindowGoesFirst);

    g_framesAlive = 0;
    g_documentsAlive = 0;
    QPointer<fw::FrameWindow> frame;
    {
        ProbeApp app;
        app.start = [&](ProbeApp &self) {
            auto *docTemplate = new fw::SingleDocTemplate(
                0, [] { return new CountedDocument; }, [] { return new CountedFrame; },
                [] { return new fw::View; });
            self.addDocTemplate(docTemplate);
            QVERIFY(docTemplate->openDocumentFile(QString(), visible));
            frame = self.mainWindow();
            QVERIFY(frame);
            if (mainWindowGoesFirst) {
                delete frame.data();
                QCOMPARE(docTemplate->frame(), nullptr);
            }
        };
        QCOMPARE(runWith(app, {}), 0);
        // Everything the template made went with the Qt application.
        QCOMPARE(g_framesAlive, 0);
        QCOMPARE(g_documentsAlive, 0);
    }
    QVERIFY(!frame);
}

QTEST_APPLESS_MAIN(TestApplication)
#include "tst_application.moc"
