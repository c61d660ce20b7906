#include "ProgramUnderX.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

using testsupport::ProgramUnderX;

namespace {

const QString kMimeType = QStringLiteral("application/x-brewdeck-document");
const QString kUnregisterMessage = QStringLiteral("系统注册项已被移除并且相应的 INI 文件(如存在)也被删除。");

// What registration writes, relative to $XDG_DATA_HOME.
const QString kDesktopEntry = QStringLiteral("applications/brewdeck.desktop");
const QString kMimePackage = QStringLiteral("mime/packages/brewdeck.xml");
const QString kAppIcon = QStringLiteral("icons/hicolor/scalable/apps/brewdeck.svg");
const QString kDocumentIcon = QStringLiteral("icons/hicolor/scalable/mimetypes/application-x-brewdeck-document.svg");
const QString kActivationFile = QStringLiteral("dbus-1/services/Brewdeck.Document.service");
const QString kInterfaceFile = QStringLiteral("dbus-1/interfaces/Brewdeck.IBrewdeck.xml");

QString executable()
{
    return QFileInfo(QStringLiteral(BREWDECK_EXECUTABLE)).canonicalFilePath();
}

QByteArray resource(const QString &relative)
{
    return testsupport::readFile(QStringLiteral(BREWDECK_RES_DIR "/") + relative);
}

// Runs a desktop tool with an argument vector; its output, or nothing when it
// failed.
std::optional<QString> runTool(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAll());
}

// Lines "weight:type:pattern" of a compiled MIME database that name the glob.
QStringList typesForGlob(const QString &mimeFolder, const QString &glob)
{
    QStringList types;
    const QStringList lines = QString::fromUtf8(testsupport::readFile(mimeFolder + QStringLiteral("/globs2")))
                                  .split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QStringList fields = line.split(QLatin1Char(':'));
        if (fields.size() >= 3 && fields.at(2) == glob)
            types << fields.at(1);
    }
    return types;
}

// The marker comment that registration puts into the XML files it writes.
const QByteArray kMarkerComment =
    "<!-- Registered for this user by Brewdeck; \"brewdeck -Unregister\" removes it. -->\n";

// A registered copy of one of our XML resources: the resource with the
// marker comment after its XML declaration (or first).
QByteArray markedCopy(const QByteArray &xml)
{
    QByteArray copy = xml;
    const qsizetype at = xml.startsWith("<?xml") ? xml.indexOf('\n') + 1 : 0;
    return copy.insert(at, kMarkerComment);
}

// The desktop database tools that a start or an unregister run left running
// in the background on this data folder.
QList<qint64> refreshesRunningOn(const QString &dataHome)
{
    QList<qint64> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QList<QByteArray> arguments =
            testsupport::readFile(QStringLiteral("/proc/%1/cmdline").arg(entry)).split('\0');
        for (const QByteArray &argument : arguments) {
            if (argument.startsWith(QFile::encodeName(dataHome + QLatin1Char('/'))))
                pids << pid;
        }
    }
    return pids;
}

const char kForeignPackage[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <mime-type type=\"application/x-other-bdk\">\n"
    "    <comment>Another program's .bdk files</comment>\n"
    "    <glob pattern=\"*.bdk\"/>\n"
    "  </mime-type>\n"
    "</mime-info>\n";

} // namespace

// Registration at start-up, "-Register" and its forms, "-Unregister" and its
// forms, each with a fresh sandboxed home, checked through the files written
// and the desktop tools that read them; other programs' files at our paths;
// and, under strace, what a start with nothing to register does.
class TestRegistration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startRegistersEverything_data();
    void startRegistersEverything();
    void perUserFormsWriteTheSame_data();
    void perUserFormsWriteTheSame();
    void secondStartWritesNothing_data();
    void secondStartWritesNothing();
    void desktopOpensDocumentsWithTheProgram_data();
    void desktopOpensDocumentsWithTheProgram();
    void foreignClaimOnTheExtensionIsLeftAlone_data();
    void foreignClaimOnTheExtensionIsLeftAlone();
    void unregisterRemovesExactlyOurs_data();
    void unregisterRemovesExactlyOurs();
    void unregisterNeverRemovesAnotherProgramsFiles();
    void foreignFilesAtOurPathsAreLeftAlone_data();
    void foreignFilesAtOurPathsAreLeftAlone();
    void startWithNothingToRegisterDoesNoWork_data();
    void startWithNothingToRegisterDoesNoWork();

private:
    QString data(const QString &relative) const { return m_home->dataHome() + QLatin1Char('/') + relative; }
    QString settingsFile() const
    {
        return m_home->configHome() + QStringLiteral("/应用程序向导生成的本地应用程序/Brewdeck.conf");
    }
    // Runs the program with the arguments; an ordinary start is left once its
    // main window shows, any other must end by itself with status 0.
    void runProgram(const QStringList &arguments, const QString &exe = executable());
    void verifyRegistered(const QString &exe);
    void unregisterAndReadMessage(const QStringList &arguments);
    // A "-Register" run without a window; its standard error.
    QString registerRun(const QStringList &arguments = {QStringLiteral("-Register")});
    // Waits until the database rebuilds that the program started in the
    // background have ended.
    void waitForRefreshes();

    std::unique_ptr<testsupport::SandboxedHome> m_home;
};

void TestRegistration::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "these checks need an X server (run under xvfb-run)");
    QVERIFY(!executable().isEmpty());
}

void TestRegistration::init()
{
    m_home = std::make_unique<testsupport::SandboxedHome>();
    QVERIFY(m_home->isValid());
}

void TestRegistration::cleanup()
{
    m_home.reset();
    qunsetenv("XDG_DATA_DIRS");
}

void TestRegistration::runProgram(const QStringList &arguments, const QString &exe)
{
    ProgramUnderX program(exe);
    QVERIFY(program.start(arguments));
    if (arguments.isEmpty()) {
        QVERIFY2(!program.waitForWindow(QStringLiteral("Brewdeck")).isEmpty(), "no main window appeared");
        return;
    }
    QVERIFY2(program.waitForExit(), "the program did not end by itself");
    QCOMPARE(program.exitCode(), 0);
}

QString TestRegistration::registerRun(const QStringList &arguments)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(executable(), arguments);
    if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0) {
        program.kill();
        program.waitForFinished();
        qWarning("the register run failed or hung");
        return QStringLiteral("(failed)");
    }
    return QString::fromUtf8(program.readAllStandardError());
}

void TestRegistration::waitForRefreshes()
{
    QTRY_VERIFY_WITH_TIMEOUT(refreshesRunningOn(m_home->dataHome()).isEmpty(), 60000);
}

void TestRegistration::verifyRegistered(const QString &exe)
{
    waitForRefreshes();
    // The desktop entry: valid, opening one file with this executable.
    const std::optional<QString> validation =
        runTool(QStringLiteral("desktop-file-validate"), {data(kDesktopEntry)});
    QVERIFY2(validation, "desktop-file-validate rejects the desktop entry");
    const QString entry = QString::fromUtf8(testsupport::readFile(data(kDesktopEntry)));
    QVERIFY(entry.contains(QStringLiteral("\nMimeType=%1;\n").arg(kMimeType)));
    QVERIFY(entry.contains(QStringLiteral("\nIcon=brewdeck\n")));
    QVERIFY(entry.contains(QStringLiteral("\nX-Brewdeck-Version=1.0.0.1\n")));
    QVERIFY(entry.contains(QStringLiteral(" %f\n")));
    // The desktop database was rebuilt after the entry was written.
    QVERIFY(testsupport::readFile(data(QStringLiteral("applications/mimeinfo.cache")))
                .contains((kMimeType + QStringLiteral("=brewdeck.desktop;")).toUtf8()));

    // The MIME type binds *.bdk, and the compiled database says so.
    const QByteArray package = testsupport::readFile(data(kMimePackage));
    QVERIFY(package.contains("<mime-type type=\"application/x-brewdeck-document\">"));
    QVERIFY(package.contains("<comment>Brewdeck.Document</comment>"));
    QVERIFY(package.contains("<glob pattern=\"*.bdk\"/>"));
    QCOMPARE(typesForGlob(data(QStringLiteral("mime")), QStringLiteral("*.bdk")), QStringList{kMimeType});

    QCOMPARE(testsupport::readFile(data(kAppIcon)), markedCopy(resource(QStringLiteral("icons/brewdeck.svg"))));
    QCOMPARE(testsupport::readFile(data(kDocumentIcon)),
             markedCopy(resource(QStringLiteral("icons/brewdeck-document.svg"))));

    // The automation class: the bus starts this executable with -Embedding.
    const QString activation = QString::fromUtf8(testsupport::readFile(data(kActivationFile)));
    QVERIFY(activation.contains(QStringLiteral("[D-BUS Service]\nName=Brewdeck.Document\n")));
    QVERIFY2(activation.contains(QStringLiteral("\nExec=%1 -Embedding\n").arg(exe)), qPrintable(activation));

    // The interface description is the one the program carries, with the
    // identifiers that every registration ever made refers to.
    const QByteArray description = testsupport::readFile(data(kInterfaceFile));
    QCOMPARE(description, markedCopy(resource(QStringLiteral("dbus/Brewdeck.IBrewdeck.xml"))));
    QVERIFY(description.contains("<interface name=\"Brewdeck.IBrewdeck\">"));
    QVERIFY(description.contains("\"Brewdeck.TypeLibrary.Id\" value=\"{D9B135CE-01B7-4E87-9F71-D4BA85AF129A}\""));
    QVERIFY(description.contains("\"Brewdeck.Interface.Id\" value=\"{4D35AF0C-EC6E-4031-9D54-4F6C61CEB3B7}\""));
    QVERIFY(description.contains("\"Brewdeck.Class.Id\" value=\"{1354FDD9-0132-441B-B167-C219ED16A485}\""));
    QVERIFY(description.contains("\"Brewdeck.TypeLibrary.Version\" value=\"1.0\""));
}

void TestRegistration::startRegistersEverything_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("ordinary start") << QStringList{};
    QTest::newRow("-Register") << QStringList{QStringLiteral("-Register")};
    QTest::newRow("/Regserver") << QStringList{QStringLiteral("/Regserver")};
    QTest::newRow("-regserver") << QStringList{QStringLiteral("-regserver")};
}

void TestRegistration::startRegistersEverything()
{
    QFETCH(QStringList, arguments);
    runProgram(arguments);
    if (QTest::currentTestFailed())
        return;
    verifyRegistered(executable());
    // A register run ends without writing its settings.
    if (!arguments.isEmpty())
        QVERIFY(!QFileInfo::exists(settingsFile()));
}

void TestRegistration::perUserFormsWriteTheSame_data()
{
    QTest::addColumn<QString>("perUserSwitch");
    QTest::newRow("-RegisterPerUser") << QStringLiteral("-RegisterPerUser");
    QTest::newRow("/regserverperuser") << QStringLiteral("/regserverperuser");
}

void TestRegistration::perUserFormsWriteTheSame()
{
    QFETCH(QString, perUserSwitch);
    runProgram({QStringLiteral("-Register")});
    waitForRefreshes();
    const auto registered = testsupport::snapshotFiles(m_home->dataHome());
    QVERIFY(registered.contains(kActivationFile));

    // The old sandbox puts the environment back before the new one is made.
    m_home.reset();
    m_home = std::make_unique<testsupport::SandboxedHome>();
    runProgram({perUserSwitch});
    waitForRefreshes();
    QCOMPARE(testsupport::snapshotFiles(m_home->dataHome()), registered);
    QVERIFY(!QFileInfo::exists(settingsFile()));
}

void TestRegistration::secondStartWritesNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("ordinary start") << QStringList{};
    QTest::newRow("-Register") << QStringList{QStringLiteral("-Register")};
}

void TestRegistration::secondStartWritesNothing()
{
    QFETCH(QStringList, arguments);
    runProgram(arguments);
    waitForRefreshes();
    testsupport::ageFiles(m_home->dataHome());
    const auto before = testsupport::fileStamps(m_home->dataHome());
    QVERIFY(before.contains(kMimePackage) && before.contains(QStringLiteral("mime/mime.cache")));

    runProgram(arguments);
    QCOMPARE(refreshesRunningOn(m_home->dataHome()), QList<qint64>());
    QCOMPARE(testsupport::fileStamps(m_home->dataHome()), before);
}

void TestRegistration::desktopOpensDocumentsWithTheProgram_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::newRow("build folder") << QString();
    // No "%": GLib looks for the program before it undoes the "%%" that the
    // Desktop Entry Specification asks for, so it cannot start one there.
    QTest::newRow("quotes, dollar, backquote, backslash, chinese")
        << QStringLiteral("my \"tools\" it's $HOME `x` \\n 工具");
}

void TestRegistration::desktopOpensDocumentsWithTheProgram()
{
    QFETCH(QString, folderName);
    QTemporaryDir scratch;
    QString exe = executable();
    if (!folderName.isEmpty()) {
        const QString folder = scratch.filePath(folderName);
        QVERIFY(QDir().mkpath(folder));
        exe = folder + QStringLiteral("/brewdeck");
        QVERIFY(QFile::copy(executable(), exe));
    }
    runProgram({QStringLiteral("-Register")}, exe);
    waitForRefreshes();

    // GLib calls every empty file text/plain whatever its name, so the
    // document holds something; any readable file opens.
    const QString document = scratch.filePath(QStringLiteral("lesson one.bdk"));
    QVERIFY(testsupport::writeFile(document, "notes"));
    // The desktop's own reading of the MIME database and the desktop entry.
    const std::optional<QString> info =
        runTool(QStringLiteral("gio"), {QStringLiteral("info"), QStringLiteral("-a"),
                                        QStringLiteral("standard::content-type"), document});
    QVERIFY(info);
    QVERIFY2(info->contains(QStringLiteral("standard::content-type: ") + kMimeType), qPrintable(*info));
    QVERIFY(runTool(QStringLiteral("gio"), {QStringLiteral("launch"), data(kDesktopEntry), document}));

    QString windows;
    for (int attempt = 0; attempt < 300 && windows.isEmpty(); ++attempt) {
        testsupport::xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                              QStringLiteral("^lesson one\\.bdk - Brewdeck$")},
                             &windows);
        if (windows.isEmpty())
            QTest::qWait(100);
    }
    QVERIFY2(!windows.isEmpty(), "the desktop entry did not open the document in the program");
    QString pid;
    QVERIFY(testsupport::xdotool({QStringLiteral("getwindowpid"), windows.section(QLatin1Char('\n'), 0, 0)}, &pid));
    QVERIFY(pid.toLongLong() > 0);
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget(), exe);
    // The desktop started it, not this test; it is ended by its process id.
    QProcess::execute(QStringLiteral("kill"), {pid});
}

void TestRegistration::foreignClaimOnTheExtensionIsLeftAlone_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("package in the user's data folder") << QStringLiteral("user");
    QTest::newRow("compiled database of a system data folder") << QStringLiteral("compiled");
    // No database knows it yet; the package is a link, as packages often are.
    QTest::newRow("uncompiled package linked into a system data folder") << QStringLiteral("linked");
}

void TestRegistration::foreignClaimOnTheExtensionIsLeftAlone()
{
    QFETCH(QString, where);
    const bool inSystemFolder = where != QLatin1String("user");
    QTemporaryDir system;
    QString foreignPackage = data(QStringLiteral("mime/packages/other-bdk.xml"));
    if (where == QLatin1String("compiled")) {
        foreignPackage = system.filePath(QStringLiteral("mime/packages/other-bdk.xml"));
        QVERIFY(testsupport::writeFile(foreignPackage, kForeignPackage));
        QVERIFY(runTool(QStringLiteral("update-mime-database"), {system.filePath(QStringLiteral("mime"))}));
        // Only the compiled database is left to tell of the claim.
        QVERIFY(QFile::remove(foreignPackage));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(system.path() + QStringLiteral(":/usr/share")));
    } else if (where == QLatin1String("linked")) {
        const QString target = system.filePath(QStringLiteral("elsewhere/other-bdk.xml"));
        QVERIFY(testsupport::writeFile(target, kForeignPackage));
        QVERIFY(QDir().mkpath(system.filePath(QStringLiteral("mime/packages"))));
        QVERIFY(QFile::link(target, system.filePath(QStringLiteral("mime/packages/other-bdk.xml"))));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(system.path() + QStringLiteral(":/usr/share")));
    } else {
        QVERIFY(testsupport::writeFile(foreignPackage, kForeignPackage));
    }
    testsupport::ageFiles(system.path());
    const auto systemBefore = testsupport::fileStamps(system.path());

    runProgram({QStringLiteral("-Register")});
    waitForRefreshes();
    const QByteArray package = testsupport::readFile(data(kMimePackage));
    QVERIFY(package.contains("<mime-type type=\"application/x-brewdeck-document\">"));
    QVERIFY2(!package.contains("<glob"), package.constData());
    if (!inSystemFolder) {
        QCOMPARE(testsupport::readFile(foreignPackage), QByteArray(kForeignPackage));
        QCOMPARE(typesForGlob(data(QStringLiteral("mime")), QStringLiteral("*.bdk")),
                 QStringList{QStringLiteral("application/x-other-bdk")});
    }
    QCOMPARE(testsupport::fileStamps(system.path()), systemBefore);

    unregisterAndReadMessage({QStringLiteral("-Unregister")});
    waitForRefreshes();
    QVERIFY(!QFileInfo::exists(data(kMimePackage)));
    if (!inSystemFolder)
        QCOMPARE(testsupport::readFile(foreignPackage), QByteArray(kForeignPackage));
    QCOMPARE(testsupport::fileStamps(system.path()), systemBefore);
}

void TestRegistration::unregisterAndReadMessage(const QStringList &arguments)
{
    ProgramUnderX program(executable());
    QVERIFY(program.start(arguments));
    const QString box = program.waitForWindow(QStringLiteral("Brewdeck"));
    QVERIFY2(!box.isEmpty(), "no message box appeared");
    QCOMPARE(program.visibleWindows().size(), 1);
    const QString text = program.readAndAcceptMessageBox(box);
    QVERIFY2(text.contains(kUnregisterMessage), qPrintable(text));
    QVERIFY2(program.waitForExit(), "the program did not end after its message");
    QCOMPARE(program.exitCode(), 0);
}

void TestRegistration::unregisterRemovesExactlyOurs_data()
{
    QTest::addColumn<QString>("unregisterSwitch");
    QTest::newRow("-Unregister") << QStringLiteral("-Unregister");
    QTest::newRow("/Unregserver") << QStringLiteral("/Unregserver");
    QTest::newRow("-unregserver") << QStringLiteral("-unregserver");
    QTest::newRow("/UnregisterPerUser") << QStringLiteral("/UnregisterPerUser");
}

void TestRegistration::unregisterRemovesExactlyOurs()
{
    QFETCH(QString, unregisterSwitch);
    // Other programs' files beside ours, and the settings of an earlier run.
    const QMap<QString, QByteArray> foreign = {
        {QStringLiteral("applications/other.desktop"), "[Desktop Entry]\nType=Application\nName=Other\nExec=other\n"},
        {QStringLiteral("dbus-1/services/org.example.Other.service"), "[D-BUS Service]\nName=org.example.Other\nExec=/bin/true\n"},
        {QStringLiteral("dbus-1/interfaces/org.example.Other.xml"), "<node><interface name=\"org.example.Other\"/></node>\n"},
        {QStringLiteral("icons/hicolor/scalable/apps/other.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\"/>\n"},
    };
    for (auto it = foreign.cbegin(); it != foreign.cend(); ++it)
        QVERIFY(testsupport::writeFile(data(it.key()), it.value()));
    runProgram({QStringLiteral("-Register")});
    QVERIFY(testsupport::writeFile(settingsFile(), "[Recent File List]\nFile1=/tmp/a.bdk\n"));

    unregisterAndReadMessage({unregisterSwitch});
    waitForRefreshes();
    for (const QString &ours : {kDesktopEntry, kMimePackage, kAppIcon, kDocumentIcon, kActivationFile, kInterfaceFile})
        QVERIFY2(!QFileInfo::exists(data(ours)), qPrintable(ours));
    for (auto it = foreign.cbegin(); it != foreign.cend(); ++it)
        QCOMPARE(testsupport::readFile(data(it.key())), it.value());
    // The databases no longer know the type.
    QVERIFY(typesForGlob(data(QStringLiteral("mime")), QStringLiteral("*.bdk")).isEmpty());
    QVERIFY(!testsupport::readFile(data(QStringLiteral("applications/mimeinfo.cache"))).contains(kMimeType.toUtf8()));
    // The settings go, with their key folder, and are not written again.
    QVERIFY(!QFileInfo::exists(settingsFile()));
    QVERIFY(!QFileInfo::exists(QFileInfo(settingsFile()).absolutePath()));
}

void TestRegistration::unregisterNeverRemovesAnotherProgramsFiles()
{
    // Another program's activation file and interface description under the very
    // names we register. (The file type is registered anew by every start,
    // this one too, before it unregisters.)
    const QMap<QString, QByteArray> foreign = {
        {kActivationFile, "[D-BUS Service]\nName=Brewdeck.Document\nExec=/opt/other/brewdeck -Embedding\n"},
        {kInterfaceFile, "<node><interface name=\"Brewdeck.IBrewdeck\">"
                         "<annotation name=\"Brewdeck.TypeLibrary.Id\" value=\"{00000000-0000-0000-0000-000000000001}\"/>"
                         "<annotation name=\"Brewdeck.TypeLibrary.Version\" value=\"1.0\"/></interface></node>\n"},
    };
    for (auto it = foreign.cbegin(); it != foreign.cend(); ++it)
        QVERIFY(testsupport::writeFile(data(it.key()), it.value()));
    unregisterAndReadMessage({QStringLiteral("-Unregister")});
    for (auto it = foreign.cbegin(); it != foreign.cend(); ++it)
        QCOMPARE(testsupport::readFile(data(it.key())), it.value());
}

void TestRegistration::foreignFilesAtOurPathsAreLeftAlone_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("content"); // empty: a named pipe
    QTest::newRow("desktop entry") << kDesktopEntry
                                   << QByteArray("[Desktop Entry]\nType=Application\nName=Other\nExec=other %f\n");
    QTest::newRow("MIME package") << kMimePackage
                                  << QByteArray("<?xml version=\"1.0\"?>\n<mime-info xmlns=\"http://www.freedesktop.org/"
                                                "standards/shared-mime-info\"><mime-type type=\"text/x-other\">"
                                                "<glob pattern=\"*.other\"/></mime-type></mime-info>\n");
    QTest::newRow("application icon") << kAppIcon << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"/>\n");
    QTest::newRow("document icon") << kDocumentIcon << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"/>\n");
    QTest::newRow("activation file") << kActivationFile
                                     << QByteArray("[D-BUS Service]\nName=Brewdeck.Document\nExec=/opt/other -Embedding\n");
    QTest::newRow("interface file") << kInterfaceFile
                                    << QByteArray("<node><interface name=\"Brewdeck.IBrewdeck\"/></node>\n");
    // Opening it for reading would block for ever.
    QTest::newRow("named pipe at the desktop entry") << kDesktopEntry << QByteArray();
}

void TestRegistration::foreignFilesAtOurPathsAreLeftAlone()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, content);
    if (content.isEmpty()) {
        QVERIFY(QDir().mkpath(QFileInfo(data(path)).absolutePath()));
        QCOMPARE(::mkfifo(QFile::encodeName(data(path)).constData(), 0600), 0);
    } else {
        QVERIFY(testsupport::writeFile(data(path), content));
    }
    auto unchanged = [&] {
        struct stat info {};
        if (::lstat(QFile::encodeName(data(path)).constData(), &info) != 0)
            return false;
        return content.isEmpty() ? S_ISFIFO(info.st_mode) : testsupport::readFile(data(path)) == content;
    };

    // The register run says which file it left, and writes all the others.
    const QString errors = registerRun();
    QVERIFY2(errors.contains(data(path)) && errors.contains(QStringLiteral("不是 Brewdeck 注册时写入的")),
             qPrintable(errors));
    QCOMPARE(errors.count(QStringLiteral("不是 Brewdeck 注册时写入的")), 1);
    QVERIFY(unchanged());
    for (const QString &ours : {kDesktopEntry, kMimePackage, kAppIcon, kDocumentIcon, kActivationFile, kInterfaceFile}) {
        if (ours != path)
            QVERIFY2(testsupport::readFile(data(ours)).contains("Registered for this user by Brewdeck"), qPrintable(ours));
    }

    // An ordinary start and an unregister run leave it too, while ours go.
    runProgram({});
    QVERIFY(unchanged());
    unregisterAndReadMessage({QStringLiteral("-Unregister")});
    waitForRefreshes();
    QVERIFY(unchanged());
    for (const QString &ours : {kDesktopEntry, kMimePackage, kAppIcon, kDocumentIcon, kActivationFile, kInterfaceFile}) {
        if (ours != path)
            QVERIFY2(!QFileInfo::exists(data(ours)), qPrintable(ours));
    }
}

void TestRegistration::startWithNothingToRegisterDoesNoWork_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("ordinary start") << QStringList{};
    QTest::newRow("-Register") << QStringList{QStringLiteral("-Register")};
}

void TestRegistration::startWithNothingToRegisterDoesNoWork()
{
    QFETCH(QStringList, arguments);
    // A system data folder with an up-to-date database, beside the user's.
    QTemporaryDir system;
    QVERIFY(testsupport::writeFile(system.filePath(QStringLiteral("mime/packages/other.xml")), kForeignPackage));
    QVERIFY(runTool(QStringLiteral("update-mime-database"), {system.filePath(QStringLiteral("mime"))}));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(system.path() + QStringLiteral(":/usr/share")));
    runProgram(arguments);
    waitForRefreshes();

    // The second start under strace: every process it makes, every file it
    // opens, in every thread.
    const QString trace = m_home->root() + QStringLiteral("/second-start.trace");
    ProgramUnderX program(QStringLiteral("strace"));
    // LeakSanitizer cannot run under ptrace; in a sanitizer build the traced
    // program checks everything else.
    const QByteArray asanOptions = qgetenv("ASAN_OPTIONS");
    program.setVariable(QStringLiteral("ASAN_OPTIONS"),
                        QString::fromLocal8Bit(asanOptions.isEmpty() ? QByteArray("detect_leaks=0")
                                                                     : asanOptions + ":detect_leaks=0"));
    QVERIFY(program.start(QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"), trace,
                                      QStringLiteral("-e"), QStringLiteral("trace=process,open,openat,openat2,creat"),
                                      QStringLiteral("--"), executable()}
                          + arguments));
    if (arguments.isEmpty()) {
        // The window belongs to the traced program, not to strace.
        QString windows;
        for (int attempt = 0; attempt < 300 && windows.isEmpty(); ++attempt) {
            testsupport::xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                  QStringLiteral("^Brewdeck - Brewdeck$")},
                                 &windows);
            if (windows.isEmpty())
                QTest::qWait(100);
        }
        QVERIFY2(!windows.isEmpty(), "no main window appeared");
        QString pid;
        QVERIFY(testsupport::xdotool({QStringLiteral("getwindowpid"), windows.section(QLatin1Char('\n'), 0, 0)}, &pid));
        QVERIFY(pid.toLongLong() > 0);
        QProcess::execute(QStringLiteral("kill"), {pid});
        // strace ends the way its program did: by the signal.
        program.waitForExit();
    } else {
        QVERIFY2(program.waitForExit(), "the traced program did not end");
    }
    QVERIFY(!program.isRunning());

    // Our own package is one of the few files of ours that it reads.
    const QByteArray ownPackage = QFile::encodeName(data(kMimePackage));
    const QList<QByteArray> lines = testsupport::readFile(trace).split('\n');
    QVERIFY2(lines.size() > 10, "strace recorded nothing");
    int execs = 0;
    for (const QByteArray &line : lines) {
        if (line.contains(" execve(") && !line.contains("resumed>"))
            ++execs;
        // Threads are fine; a new process is not.
        const bool newProcess = line.contains(" fork(") || line.contains(" vfork(")
            || ((line.contains(" clone(") || line.contains(" clone3(")) && !line.contains("CLONE_THREAD"));
        QVERIFY2(!newProcess, line.constData());
        QVERIFY2(!line.contains("/mime/packages/") || line.contains("\"" + ownPackage + "\""), line.constData());
    }
    // strace's own start of the program.
    QCOMPARE(execs, 1);
}

QTEST_MAIN(TestRegistration)
#include "tst_registration.moc"
