// Times refreshing the file lists against `find DIR -maxdepth 1 -name '*.jsp'`
// on the same folders, and copying a 256 MiB JAR into the web application
// against `cp`, side by side in one run. Prints the medians and the ratios.
//
// usage: bench_files [WORK_FOLDER]   (a temporary folder when none is given;
// the copy needs about 800 MiB free there)

#include "Application.h"
#include "BrewdeckDoc.h"
#include "BrewdeckView.h"
#include "DocTemplate.h"
#include "FileCopy.h"
#include "FolderListing.h"
#include "FrameWindow.h"
#include "StringTableData.h"
#include "resource.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr int kRounds = 7;

class BenchApp : public fw::Application
{
public:
    QString installDirectory() const override { return m_installDir; }
    QString m_installDir;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs a program with its output thrown away and waits for it; false when
// it could not run or failed.
bool runQuietly(const std::vector<QByteArray> &argv)
{
    std::vector<char *> args;
    for (const QByteArray &arg : argv)
        args.push_back(const_cast<char *>(arg.constData()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

bool makeFiles(const QString &folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        // Mostly pages, some other files the JSP list must skip.
        const QString name = QStringLiteral("%1/page-%2.%3")
                                 .arg(folder)
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                                 .arg(i % 10 == 0 ? QStringLiteral("txt") : QStringLiteral("jsp"));
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

void benchLists(const QString &work)
{
    std::printf("File lists: a view refresh against find DIR -maxdepth 1 -name '*.jsp' (median of %d, ms)\n", kRounds);
    std::printf("%10s %12s %14s %10s %8s\n", "files", "find", "refresh", "listing", "ratio");
    double previous = 0;
    for (const int count : {10000, 100000}) {
        const QString install = QStringLiteral("%1/lists-%2").arg(work).arg(count);
        const QString appDir = install + QStringLiteral("/apache-tomcat-7.0.22/webapps/brewdeck");
        if (!makeFiles(appDir, count) || !QDir().mkpath(appDir + QStringLiteral("/WEB-INF/classes"))
            || !QDir().mkpath(appDir + QStringLiteral("/WEB-INF/lib"))) {
            std::printf("cannot make the files in %s\n", qPrintable(appDir));
            return;
        }

        BenchApp app;
        app.m_installDir = install;
        auto *docTemplate = new fw::SingleDocTemplate(
            IDR_MAINFRAME, [] { return new CBrewdeckDoc; }, [] { return new fw::FrameWindow; },
            [] { return new CBrewdeckView; });
        app.addDocTemplate(docTemplate);
        docTemplate->openDocumentFile(QString(), true);
        auto *doc = static_cast<CBrewdeckDoc *>(docTemplate->document());
        QCoreApplication::processEvents();

        const QByteArray dir = QFile::encodeName(appDir);
        std::vector<double> find, refresh, listing;
        for (int round = 0; round < kRounds; ++round) {
            find.push_back(timeMs([&] { runQuietly({"find", dir, "-maxdepth", "1", "-name", "*.jsp"}); }));
            // The refresh as the user sees it: the update and the event loop
            // laying out the lists.
            refresh.push_back(timeMs([&] {
                doc->updateAllViews(nullptr);
                QCoreApplication::processEvents();
            }));
            listing.push_back(timeMs([&] { platform::listMatchingFiles(appDir + QStringLiteral("/*.jsp")); }));
        }
        auto *view = static_cast<CBrewdeckView *>(doc->views().value(0));
        auto *list = view ? view->findChild<QListWidget *>(QStringLiteral("IDC_LIST_JSP")) : nullptr;
        const double ratio = median(refresh) / median(find);
        std::printf("%10d %12.1f %14.1f %10.1f %7.2fx   (%d listed)\n", count, median(find), median(refresh),
                    median(listing), ratio, list ? list->count() : -1);
        if (previous > 0)
            std::printf("%10s refresh grew %.1fx for 10x the files\n", "", median(refresh) / previous);
        previous = median(refresh);

        docTemplate->closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QDir(install).removeRecursively();
    }
}

void benchCopy(const QString &work)
{
    constexpr qint64 kSize = 256 * 1024 * 1024;
    const QString source = work + QStringLiteral("/source/big.jar");
    QDir().mkpath(work + QStringLiteral("/source"));
    {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly)) {
            std::printf("cannot write %s\n", qPrintable(source));
            return;
        }
        QByteArray block(4 * 1024 * 1024, Qt::Uninitialized);
        for (qint64 written = 0; written < kSize; written += block.size()) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
            file.write(block);
        }
    }
    const QString ours = work + QStringLiteral("/lib-ours");
    const QString theirs = work + QStringLiteral("/lib-cp");
    QDir().mkpath(ours);
    QDir().mkpath(theirs);

    std::printf("\nCopying a 256 MiB JAR into a folder (median of %d, ms)\n", kRounds);
    std::vector<double> cp, copy;
    for (int round = 0; round < kRounds; ++round) {
        QFile::remove(theirs + QStringLiteral("/big.jar"));
        QFile::remove(ours + QStringLiteral("/big.jar"));
        ::sync();
        cp.push_back(timeMs([&] { runQuietly({"cp", QFile::encodeName(source), QFile::encodeName(theirs + "/")}); }));
        ::sync();
        // With the progress reports the program's own copy makes.
        platform::CopyCallbacks callbacks;
        callbacks.progress = [](qint64, qint64) {
            QCoreApplication::processEvents();
            return true;
        };
        copy.push_back(timeMs([&] { platform::copyFileInto(source, ours, callbacks); }));
    }
    const bool same = QFile(ours + QStringLiteral("/big.jar")).size() == kSize;
    std::printf("%12s %12s %8s\n", "cp", "ours", "ratio");
    std::printf("%12.1f %12.1f %7.2fx   (%s)\n", median(cp), median(copy), median(copy) / median(cp),
                same ? "complete" : "INCOMPLETE");
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir scratch;
    const QString work = argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.path();
    // The program's settings and trash stay in the scratch folder.
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        ::setenv(name, QFile::encodeName(work + QStringLiteral("/home")).constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    res::loadStringTable();

    benchLists(work);
    benchCopy(work);
    return 0;
}
