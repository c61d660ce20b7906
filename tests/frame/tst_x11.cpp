#include "CommandIds.h"
#include "FrameFixture.h"
#include "MainFrame.h"
#include "ProgramUnderX.h"
#include "StatusBar.h"
#include "TestSupport.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

using namespace fw::ids;

namespace {

using testsupport::xdotool;

QString xprop(const QString &window, const QString &property)
{
    QProcess tool;
    tool.start(QStringLiteral("xprop"), {QStringLiteral("-id"), window, property});
    if (!tool.waitForFinished(30000))
        return {};
    return QString::fromUtf8(tool.readAllStandardOutput());
}

} // namespace

// What only a real X server shows: the lock-key indicators following the
// keyboard, and the hints that keep the real program's window fixed. Keys
// pressed here reach the whole display, so these checks hold it alone.
class TestX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void lockKeyIndicators_data();
    void lockKeyIndicators();
    void realWindowIsFixedForTheWindowManager();

private:
    FrameFixture m_fixture;
};

void TestX11::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "these checks need an X server (run under xvfb-run)");
    QVERIFY(m_fixture.start());
    QVERIFY(QTest::qWaitForWindowExposed(m_fixture.frame()));
}

void TestX11::lockKeyIndicators_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("pane");
    QTest::addColumn<QString>("text");

    QTest::newRow("Caps Lock") << QStringLiteral("Caps_Lock") << ID_INDICATOR_CAPS << QStringLiteral("CAP");
    QTest::newRow("Num Lock") << QStringLiteral("Num_Lock") << ID_INDICATOR_NUM << QStringLiteral("NUM");
}

void TestX11::lockKeyIndicators()
{
    QFETCH(QString, key);
    QFETCH(int, pane);
    QFETCH(QString, text);

    fw::StatusBar *bar = m_fixture.frame()->m_wndStatusBar;
    const int index = bar->commandToIndex(pane);
    QVERIFY(index > 0);
    const bool initiallyOn = !bar->paneText(index).isEmpty();
    int presses = 0;
    // Whatever happens, the display's keyboard ends as it began.
    const auto restore = qScopeGuard([&] {
        if (presses % 2 != 0)
            xdotool({QStringLiteral("key"), key});
    });

    for (const bool on : {!initiallyOn, initiallyOn}) {
        QVERIFY(xdotool({QStringLiteral("key"), key}));
        ++presses;
        QTRY_COMPARE(bar->paneText(index), on ? text : QString());
    }
    // The pane keeps its width whether it shows its text or not.
    QVERIFY(bar->findChild<QWidget *>(QStringLiteral("pane_%1").arg(pane))->minimumWidth()
            >= bar->fontMetrics().horizontalAdvance(text));
}

void TestX11::realWindowIsFixedForTheWindowManager()
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(BREWDECK_EXECUTABLE), {});
    QVERIFY(program.waitForStarted(10000));
    const auto ending = qScopeGuard([&program] {
        program.terminate();
        if (!program.waitForFinished(5000)) {
            program.kill();
            program.waitForFinished();
        }
    });

    QString window;
    for (int attempt = 0; attempt < 300 && window.isEmpty(); ++attempt) {
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                 QString::number(program.processId()), QStringLiteral("--name"), QStringLiteral("Brewdeck")},
                &window);
        if (window.isEmpty())
            QTest::qWait(100);
    }
    window = window.section(QLatin1Char('\n'), 0, 0);
    QVERIFY2(!window.isEmpty(), "no main window appeared");

    // The size hints: a minimum and a maximum, both the window's size.
    const QString hints = xprop(window, QStringLiteral("WM_NORMAL_HINTS"));
    const QRegularExpression minimum(QStringLiteral("minimum size: (\\d+) by (\\d+)"));
    const QRegularExpression maximum(QStringLiteral("maximum size: (\\d+) by (\\d+)"));
    const auto min = minimum.match(hints);
    const auto max = maximum.match(hints);
    QVERIFY2(min.hasMatch() && max.hasMatch(), qPrintable(hints));
    QCOMPARE(min.captured(1), max.captured(1));
    QCOMPARE(min.captured(2), max.captured(2));
    QString geometry;
    QVERIFY(xdotool({QStringLiteral("getwindowgeometry"), window}, &geometry));
    QVERIFY2(geometry.contains(QStringLiteral("Geometry: %1x%2").arg(min.captured(1), min.captured(2))),
             qPrintable(geometry));

    // The Motif hints leave out resizing and maximising, as function and as
    // decoration.
    const QString motif = xprop(window, QStringLiteral("_MOTIF_WM_HINTS"));
    const QRegularExpression values(QStringLiteral("= (0x[0-9a-f]+|\\d+), (0x[0-9a-f]+|\\d+), (0x[0-9a-f]+|\\d+)"));
    const auto match = values.match(motif);
    QVERIFY2(match.hasMatch(), qPrintable(motif));
    const uint flags = match.captured(1).toUInt(nullptr, 0);
    const uint functions = match.captured(2).toUInt(nullptr, 0);
    const uint decorations = match.captured(3).toUInt(nullptr, 0);
    QVERIFY2(flags & 1u, "the functions are not given");
    const uint all = 1u, resize = 2u, maximize = 16u;
    QVERIFY(!(functions & all));
    QVERIFY(!(functions & resize));
    QVERIFY(!(functions & maximize));
    if (flags & 2u) {
        const uint decorAll = 1u, resizeHandle = 4u, maximizeButton = 64u;
        QVERIFY(!(decorations & decorAll));
        QVERIFY(!(decorations & resizeHandle));
        QVERIFY(!(decorations & maximizeButton));
    }
}

QTEST_MAIN(TestX11)
#include "tst_x11.moc"
