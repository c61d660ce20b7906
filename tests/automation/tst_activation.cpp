#include "BlockingRefreshTools.h"
#include "ProgramUnderX.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

#include <csignal>
#include <memory>
#include <optional>

namespace {

const QString kBusName = QStringLiteral("Brewdeck.Document");
const QString kClassInterface = QStringLiteral("Brewdeck.ClassObject");
const QString kDocumentInterface = QStringLiteral("Brewdeck.IBrewdeck");
const QString kOleFailed = QStringLiteral("OLE 初始化失败。请确保 OLE 库是正确的版本。");

QString underTest()
{
    return qEnvironmentVariable("BREWDECK_UNDER_TEST");
}

QString dataFile(const QString &relative)
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QLatin1Char('/') + relative;
}

// The suite's own view of the bus, for questions about names and processes.
QDBusConnectionInterface *daemon()
{
    return QDBusConnection::sessionBus().interface();
}

bool processEnded(qint64 pid)
{
    // A process that has ended but is not reaped yet is a zombie: "Z".
    const QByteArray stat = testsupport::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.isEmpty())
        return true;
    const qsizetype close = stat.lastIndexOf(')');
    return close >= 0 && stat.mid(close + 2, 1) == "Z";
}

QStringList visibleWindowsOf(qint64 pid)
{
    QString windows;
    testsupport::xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                          QString::number(pid), QStringLiteral("--name"), QStringLiteral(".")},
                         &windows);
    return windows.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// One client of the bus: a connection of its own, so that it can leave.
class Client
{
public:
    explicit Client(const QString &name)
        : m_name(name), m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name))
    {
    }
    ~Client() { leave(); }
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    bool isConnected() const { return m_bus && m_bus->isConnected(); }

    QDBusMessage call(const QString &service, const QString &path, const QString &interface,
                      const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        return m_bus ? m_bus->call(message, QDBus::Block, 60000) : QDBusMessage();
    }

    QDBusMessage createInstance(const QString &service = kBusName)
    {
        return call(service, QStringLiteral("/"), kClassInterface, QStringLiteral("CreateInstance"));
    }

    // Closing the connection is the client's final release. The connection
    // closes once no handle to it is left, this one included.
    void leave()
    {
        if (m_bus) {
            m_bus.reset();
            QDBusConnection::disconnectFromBus(m_name);
        }
    }

private:
    QString m_name;
    std::optional<QDBusConnection> m_bus;
};

struct Instance
{
    QString uniqueName;
    qint64 pid = 0;
};

} // namespace

// Automation clients of "Brewdeck.Document" on a private session bus that
// starts the real executable from the activation file that "-Register" wrote.
class TestActivation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void eachClientGetsItsOwnHiddenInstance();
    void documentOffersAnEmptyInterface();
    void callsThroughTheDocumentFail_data();
    void callsThroughTheDocumentFail();
    void instanceWithoutClientKeepsServing();
    void automationRunWinsOverUnregister();
    void automationRunWithoutBusReportsAndFails_data();
    void automationRunWithoutBusReportsAndFails();
    void activationDoesNotWaitForTheDesktopDatabases();

private:
    // The instance that answered a CreateInstance; fails the test when the
    // call did not succeed.
    Instance instanceOf(const QDBusMessage &reply);
    void verifyEnds(const Instance &instance);

    QSet<qint64> m_instances;
};

void TestActivation::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "these checks need an X server (run under xvfb-run)");
    QVERIFY2(QFileInfo(underTest()).isExecutable(), "run through run-on-private-bus.sh");
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    // The bus is to start the program that registered itself, and nothing
    // else is to hold the name yet.
    const QString activation =
        QString::fromUtf8(testsupport::readFile(dataFile(QStringLiteral("dbus-1/services/Brewdeck.Document.service"))));
    QVERIFY2(activation.contains(QStringLiteral("Name=Brewdeck.Document\n")), qPrintable(activation));
    QVERIFY2(activation.contains(QStringLiteral(" -Embedding\n")), qPrintable(activation));
    QVERIFY(!daemon()->isServiceRegistered(kBusName).value());
}

void TestActivation::cleanup()
{
    // Whatever a failed test left running goes by its process id.
    for (qint64 pid : std::as_const(m_instances)) {
        if (!processEnded(pid))
            ::kill(static_cast<pid_t>(pid), SIGTERM);
    }
    m_instances.clear();
}

Instance TestActivation::instanceOf(const QDBusMessage &reply)
{
    Instance instance;
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning("CreateInstance failed: %s %s", qPrintable(reply.errorName()), qPrintable(reply.errorMessage()));
        return instance;
    }
    instance.uniqueName = reply.service();
    instance.pid = daemon()->servicePid(instance.uniqueName).value();
    if (instance.pid > 0)
        m_instances.insert(instance.pid);
    return instance;
}

void TestActivation::verifyEnds(const Instance &instance)
{
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()
           && (daemon()->isServiceRegistered(instance.uniqueName).value() || !processEnded(instance.pid)))
        QTest::qWait(50);
    QVERIFY2(!daemon()->isServiceRegistered(instance.uniqueName).value(), "the instance is still on the bus");
    QVERIFY2(processEnded(instance.pid), "the instance's process is still running");
}

void TestActivation::eachClientGetsItsOwnHiddenInstance()
{
    Client first(QStringLiteral("first client"));
    Client second(QStringLiteral("second client"));
    QVERIFY(first.isConnected() && second.isConnected());

    const QDBusMessage firstReply = first.createInstance();
    const Instance one = instanceOf(firstReply);
    QVERIFY(one.pid > 0);
    QCOMPARE(firstReply.arguments().value(0).value<QDBusObjectPath>().path(), QStringLiteral("/Document"));
    const QDBusMessage secondReply = second.createInstance();
    const Instance two = instanceOf(secondReply);
    QVERIFY(two.pid > 0);
    QVERIFY(one.pid != two.pid);

    for (const Instance &instance : {one, two}) {
        QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(instance.pid)).symLinkTarget(), underTest());
        QCOMPARE(visibleWindowsOf(instance.pid), QStringList());
    }

    // Each instance lives exactly as long as its client holds on.
    first.leave();
    verifyEnds(one);
    QVERIFY(daemon()->isServiceRegistered(two.uniqueName).value());
    QVERIFY(!processEnded(two.pid));
    second.leave();
    verifyEnds(two);
}

void TestActivation::documentOffersAnEmptyInterface()
{
    Client client(QStringLiteral("introspecting client"));
    const QDBusMessage reply = client.createInstance();
    const Instance instance = instanceOf(reply);
    QVERIFY(instance.pid > 0);

    const QDBusMessage introspection = client.call(instance.uniqueName, QStringLiteral("/Document"),
                                                   QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                                   QStringLiteral("Introspect"));
    QCOMPARE(introspection.type(), QDBusMessage::ReplyMessage);
    QXmlStreamReader xml(introspection.arguments().value(0).toString());
    bool found = false;
    QStringList members;
    QStringList annotations;
    int depth = 0;
    int interfaceDepth = -1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (xml.name() == QLatin1String("interface")
                && xml.attributes().value(QLatin1String("name")) == kDocumentInterface) {
                found = true;
                interfaceDepth = depth;
            } else if (interfaceDepth > 0 && depth == interfaceDepth + 1) {
                if (xml.name() == QLatin1String("annotation"))
                    annotations << xml.attributes().value(QLatin1String("value")).toString();
                else
                    members << xml.name().toString();
            }
        } else if (xml.isEndElement()) {
            if (depth == interfaceDepth)
                interfaceDepth = -1;
            --depth;
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY2(found, "the document does not offer Brewdeck.IBrewdeck");
    QCOMPARE(members, QStringList());
    QVERIFY(annotations.contains(QStringLiteral("{4D35AF0C-EC6E-4031-9D54-4F6C61CEB3B7}")));
    QCOMPARE(visibleWindowsOf(instance.pid), QStringList());
    client.leave();
    verifyEnds(instance);
}

void TestActivation::callsThroughTheDocumentFail_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("interface");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("arguments");

    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    QTest::newRow("a method of IBrewdeck") << QStringLiteral("/Document") << kDocumentInterface
                                           << QStringLiteral("Quit") << QVariantList{};
    QTest::newRow("reading a property") << QStringLiteral("/Document") << properties << QStringLiteral("Get")
                                        << QVariantList{kDocumentInterface, QStringLiteral("Name")};
    QTest::newRow("setting a property")
        << QStringLiteral("/Document") << properties << QStringLiteral("Set")
        << QVariantList{kDocumentInterface, QStringLiteral("Name"), QVariant::fromValue(QDBusVariant(1))};
    // Single use: the class object made its one document.
    QTest::newRow("a second CreateInstance") << QStringLiteral("/") << kClassInterface
                                             << QStringLiteral("CreateInstance") << QVariantList{};
}

void TestActivation::callsThroughTheDocumentFail()
{
    QFETCH(QString, path);
    QFETCH(QString, interface);
    QFETCH(QString, method);
    QFETCH(QVariantList, arguments);

    Client client(QStringLiteral("calling client"));
    const Instance instance = instanceOf(client.createInstance());
    QVERIFY(instance.pid > 0);
    const QDBusMessage reply = client.call(instance.uniqueName, path, interface, method, arguments);
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    // The failed call neither ended the instance nor made a window.
    QVERIFY(daemon()->isServiceRegistered(instance.uniqueName).value());
    QCOMPARE(visibleWindowsOf(instance.pid), QStringList());
    client.leave();
    verifyEnds(instance);
}

void TestActivation::instanceWithoutClientKeepsServing()
{
    auto starter = std::make_unique<Client>(QStringLiteral("starting client"));
    const QDBusMessage started = starter->call(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                               QStringLiteral("org.freedesktop.DBus"),
                                               QStringLiteral("StartServiceByName"), {kBusName, 0u});
    QCOMPARE(started.type(), QDBusMessage::ReplyMessage);
    const QString owner = daemon()->serviceOwner(kBusName).value();
    QVERIFY(!owner.isEmpty());
    const qint64 pid = daemon()->servicePid(owner).value();
    m_instances.insert(pid);
    // The client that only started it leaves without making anything.
    starter.reset();

    Client later(QStringLiteral("later client"));
    const Instance instance = instanceOf(later.createInstance());
    QCOMPARE(instance.pid, pid);
    QCOMPARE(instance.uniqueName, owner);
    later.leave();
    verifyEnds(instance);
}

void TestActivation::automationRunWinsOverUnregister()
{
    const QStringList registration = {QStringLiteral("dbus-1/services/Brewdeck.Document.service"),
                                      QStringLiteral("dbus-1/interfaces/Brewdeck.IBrewdeck.xml"),
                                      QStringLiteral("applications/brewdeck.desktop"),
                                      QStringLiteral("mime/packages/brewdeck.xml")};
    QMap<QString, QByteArray> before;
    for (const QString &file : registration)
        before.insert(file, testsupport::readFile(dataFile(file)));

    testsupport::ProgramUnderX program(underTest());
    QVERIFY(program.start({QStringLiteral("/Embedding"), QStringLiteral("/Unregister")}));
    m_instances.insert(program.processId());
    // It serves: the bus name becomes its own.
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && program.isRunning()
           && daemon()->servicePid(daemon()->serviceOwner(kBusName).value()).value() != program.processId())
        QTest::qWait(50);
    QVERIFY2(program.isRunning(), "the automation run ended by itself");
    QCOMPARE(daemon()->servicePid(daemon()->serviceOwner(kBusName).value()).value(), program.processId());
    // Nothing removed, no message, no window.
    for (const QString &file : registration)
        QCOMPARE(testsupport::readFile(dataFile(file)), before.value(file));
    QCOMPARE(program.visibleWindows(), QStringList());

    Client client(QStringLiteral("client of the started run"));
    const Instance instance = instanceOf(client.createInstance());
    QCOMPARE(instance.pid, program.processId());
    client.leave();
    QVERIFY2(program.waitForExit(), "the run did not end when its client left");
    QCOMPARE(program.exitCode(), 0);
}

void TestActivation::automationRunWithoutBusReportsAndFails_data()
{
    QTest::addColumn<QString>("automationSwitch");
    QTest::newRow("-Embedding") << QStringLiteral("-Embedding");
    QTest::newRow("/Automation") << QStringLiteral("/Automation");
}

void TestActivation::automationRunWithoutBusReportsAndFails()
{
    QFETCH(QString, automationSwitch);
    testsupport::ProgramUnderX program(underTest());
    program.setVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                        QStringLiteral("unix:path=") + qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/no-bus"));
    QVERIFY(program.start({automationSwitch}));
    const QString box = program.waitForWindow(QStringLiteral("Brewdeck"));
    QVERIFY2(!box.isEmpty(), "no message box appeared");
    QCOMPARE(program.visibleWindows().size(), 1);
    const QString text = program.readAndAcceptMessageBox(box);
    QVERIFY2(text.contains(kOleFailed), qPrintable(text));
    QVERIFY(program.waitForExit());
    QVERIFY(program.exitCode() != 0);
}

// Sets variables in the environment of the programs that the bus starts.
static bool setActivationEnvironment(const QMap<QString, QString> &variables)
{
    qDBusRegisterMetaType<QMap<QString, QString>>();
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("UpdateActivationEnvironment"));
    message << QVariant::fromValue(variables);
    return QDBusConnection::sessionBus().call(message).type() == QDBusMessage::ReplyMessage;
}

void TestActivation::activationDoesNotWaitForTheDesktopDatabases()
{
    // Our MIME package and desktop entry gone, so the instance that the bus
    // starts writes them again and has both databases rebuilt, by tools that
    // block for a minute: far beyond the bus's wait for an activation.
    testsupport::BlockingRefreshTools tools;
    QVERIFY(tools.isValid());
    QVERIFY(setActivationEnvironment({{QStringLiteral("PATH"), tools.path()}}));
    for (const char *file : {"mime/packages/brewdeck.xml", "applications/brewdeck.desktop"})
        QVERIFY(QFile::remove(dataFile(QLatin1String(file))));

    Client client(QStringLiteral("client beside blocking tools"));
    const QDBusMessage reply = client.createInstance();
    QVERIFY(setActivationEnvironment({{QStringLiteral("PATH"), qEnvironmentVariable("PATH")}}));
    const Instance instance = instanceOf(reply);
    QVERIFY2(instance.pid > 0, "the activated instance did not answer its client");
    QVERIFY(QFileInfo::exists(dataFile(QStringLiteral("mime/packages/brewdeck.xml"))));

    QTRY_COMPARE_WITH_TIMEOUT(tools.started().size(), 2, 20000);
    for (qint64 tool : tools.started()) {
        QVERIFY2(testsupport::BlockingRefreshTools::isBlocking(tool), "a stand-in ended before the client's answer");
        QVERIFY(testsupport::BlockingRefreshTools::parentOf(tool) != instance.pid);
    }
    QCOMPARE(testsupport::BlockingRefreshTools::zombieChildrenOf(instance.pid), QList<qint64>());
    client.leave();
    verifyEnds(instance);
}

QTEST_MAIN(TestActivation)
#include "tst_activation.moc"
