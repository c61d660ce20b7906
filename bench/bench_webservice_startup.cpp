// Times the start command, from the moment it is given to the first HTTP 200
// of the home page, against starting the same server with its own
// `catalina.sh start` from a shell, alternately in one run. Each start is
// followed by a stop and a wait until the server is gone. A first round of
// each warms the disk cache and compiles the JSP page; it is not counted.
//
// usage: bench_webservice_startup [ROUNDS]   (default 5)
// Starts the real server on ports 8080 and 8005: run it under the port lock
// (bench/webservice-startup.sh does).

#include "BrewdeckApp.h"
#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "DocTemplate.h"
#include "MainFrame.h"
#include "ServerPaths.h"
#include "StringTableData.h"
#include "resource.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

const QString kInstallDir = QStringLiteral(BREWDECK_RUNTIME_DIR);
const QString kTomcatHome = kInstallDir + QLatin1Char('/') + QLatin1String(kTomcatFolderName);
constexpr char kRequest[] = "GET /brewdeck/index.jsp HTTP/1.0\r\nHost: 127.0.0.1:8080\r\n\r\n";
// Bounds for a server that never comes up or never goes.
constexpr qint64 kStartLimitMs = 240000;
constexpr qint64 kStopLimitMs = 120000;

// Whether something accepts connections on a loopback port.
bool listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(quint16(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// The status of one request for the home page; 0 when nothing answers.
int homePageStatus()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    timeval timeout{30, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(8080);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int status = 0;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0
        && ::send(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL) == ssize_t(sizeof kRequest - 1)) {
        QByteArray head;
        char buffer[512];
        ssize_t n;
        while (!head.contains('\n') && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            head.append(buffer, n);
        // "HTTP/1.1 200 ..."
        const QList<QByteArray> parts = head.left(head.indexOf('\n')).split(' ');
        if (parts.size() > 1)
            status = parts.at(1).toInt();
    }
    ::close(fd);
    return status;
}

// The server JVMs of this server home.
QList<qint64> serverProcesses()
{
    QList<qint64> found;
    const QByteArray argument = QFile::encodeName(QStringLiteral("-Dcatalina.base=") + kTomcatHome);
    for (const QString &name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const qint64 pid = name.toLongLong(&ok);
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(name));
        if (ok && cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().split('\0').contains(argument))
            found << pid;
    }
    return found;
}

// Polls every 5 ms, the same way for both ways of starting.
bool waitUntil(const std::function<bool()> &condition, qint64 limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limitMs)
            return false;
        QThread::msleep(5);
    }
    return true;
}

bool serverGone()
{
    return !listening(8080) && !listening(8005) && serverProcesses().isEmpty();
}

// Whatever happens, no server of this bench outlives it.
void killLeftovers()
{
    for (qint64 pid : serverProcesses())
        ::kill(pid_t(pid), SIGKILL);
}

// catalina.sh as one types it in a shell in the server's bin folder, with
// the three variables set for that command; the shell waits for it.
bool runCatalina(const QString &command)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("JRE_HOME"), g_szJreHome);
    env.insert(QStringLiteral("JAVA_HOME"), g_szJdkHome);
    env.insert(QStringLiteral("CATALINA_HOME"), g_szTomcatHome);
    QProcess shell;
    shell.setProcessEnvironment(env);
    shell.setWorkingDirectory(kTomcatHome + QStringLiteral("/bin"));
    shell.setStandardInputFile(QProcess::nullDevice());
    shell.setStandardOutputFile(QProcess::nullDevice());
    shell.setStandardErrorFile(QProcess::nullDevice());
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("catalina.sh"), command});
    return shell.waitForFinished(-1) && shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    if (rounds < 1) {
        std::fprintf(stderr, "usage: bench_webservice_startup [ROUNDS]\n");
        return 2;
    }
    // The program's settings go to a scratch home, never the user's.
    QTemporaryDir scratch;
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
        qputenv(name, QFile::encodeName(scratch.path()));
    for (const char *name : {"JRE_HOME", "JAVA_HOME", "CATALINA_HOME", "CATALINA_BASE", "CATALINA_OPTS",
                             "CATALINA_PID", "JAVA_OPTS"})
        qunsetenv(name);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication qtApp(argc, argv);
    if (!QFile::exists(kTomcatHome + QStringLiteral("/bin/startup.sh"))) {
        std::fprintf(stderr, "no server in %s: build the runtime target first\n", qPrintable(kTomcatHome));
        return 1;
    }
    if (!serverGone()) {
        std::fprintf(stderr, "ports 8080/8005 are in use or this server already runs\n");
        return 1;
    }

    CBrewdeckApp app;
    app.m_strInstallDir = kInstallDir;
    res::loadStringTable();
    app.addDocTemplate(new fw::SingleDocTemplate(
        IDR_MAINFRAME, [] { return new CBrewdeckDoc; }, [] { return new CMainFrame; },
        [] { return new CBrewdeckView; }));
    app.onFileNew();
    auto *frame = qobject_cast<CMainFrame *>(app.mainWindow());
    if (!frame) {
        std::fprintf(stderr, "the main window could not be made\n");
        return 1;
    }
    frame->show();
    QCoreApplication::processEvents();

    // How long the start command itself takes to come back: the program's
    // whole share of the start, before the server's own work.
    std::vector<double> commandTimes;
    auto program = [&]() -> double {
        QElapsedTimer clock;
        clock.start();
        frame->executeCommand(ID_WEB_START);
        commandTimes.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (!waitUntil([] { return homePageStatus() == 200; }, kStartLimitMs))
            return -1;
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        frame->executeCommand(ID_WEB_STOP);
        return waitUntil(serverGone, kStopLimitMs) ? ms : -1;
    };
    auto shell = [&]() -> double {
        QElapsedTimer clock;
        clock.start();
        if (!runCatalina(QStringLiteral("start")))
            return -1;
        if (!waitUntil([] { return homePageStatus() == 200; }, kStartLimitMs))
            return -1;
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        runCatalina(QStringLiteral("stop"));
        return waitUntil(serverGone, kStopLimitMs) ? ms : -1;
    };

    std::vector<double> programTimes;
    std::vector<double> shellTimes;
    std::printf("round  program ms  catalina.sh ms\n");
    for (int round = 0; round <= rounds; ++round) {
        // Alternate which goes first, so neither always meets a warmer machine.
        double p = 0;
        double s = 0;
        if (round % 2) {
            s = shell();
            p = s < 0 ? -1 : program();
        } else {
            p = program();
            s = p < 0 ? -1 : shell();
        }
        if (p < 0 || s < 0) {
            std::fprintf(stderr, "the server did not come up or did not stop in time\n");
            killLeftovers();
            return 1;
        }
        std::printf("%5s  %10.1f  %14.1f\n", round == 0 ? "warm" : qPrintable(QString::number(round)), p, s);
        std::fflush(stdout);
        if (round > 0) {
            programTimes.push_back(p);
            shellTimes.push_back(s);
        }
    }
    killLeftovers();

    const double programMedian = median(programTimes);
    const double shellMedian = median(shellTimes);
    std::printf("median start to first 200: program %.1f ms, catalina.sh start %.1f ms\n", programMedian,
                shellMedian);
    std::printf("ratio program / catalina.sh start: %.3f (goal <= 1.05)\n", programMedian / shellMedian);
    // Each round's pair ran back to back, so its ratio is less swayed by
    // other load on the machine that comes and goes.
    std::vector<double> pairRatios;
    for (size_t i = 0; i < programTimes.size(); ++i)
        pairRatios.push_back(programTimes[i] / shellTimes[i]);
    std::printf("median of the rounds' own ratios: %.3f\n", median(pairRatios));
    std::printf("median time for the start command to return: %.2f ms\n", median(commandTimes));

    if (fw::SingleDocTemplate *docTemplate = app.docTemplate())
        docTemplate->closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
