// Times programs from process start to their main window first shown on the
// X server (its MapNotify), and takes their peak memory (maximum resident
// set size once the window has settled), over several runs that take turns
// in a rotating order. Prints the medians and the ratios of the first
// program to each of the others.
//
// usage: bench_startup [--runs N] [--settle-ms MS] NAME=PROGRAM NAME=PROGRAM...
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Program
{
    std::string name;
    std::string path;
    std::vector<double> startMs;
    std::vector<double> peakMiB;
};

struct Sample
{
    double startMs;
    double peakMiB;
};

// The process id a client put on its window, or -1.
long windowPid(Display *display, Window window, Atom pidAtom)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data)
            == Success
        && data) {
        if (format == 32 && count == 1)
            pid = static_cast<long>(*reinterpret_cast<unsigned long *>(data));
        XFree(data);
    }
    return pid;
}

// Waits for the next X event at most until the deadline.
bool nextEvent(Display *display, XEvent &event, Clock::time_point deadline)
{
    while (XPending(display) == 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(std::min<long long>(left, 100)));
    }
    XNextEvent(display, &event);
    return true;
}

std::optional<Sample> runOnce(Display *display, Atom pidAtom, const std::string &path, int settleMs)
{
    // Drop whatever an earlier run left in the queue.
    XSync(display, True);

    char *argv[] = {const_cast<char *>(path.c_str()), nullptr};
    pid_t pid = 0;
    const auto started = Clock::now();
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) {
        std::fprintf(stderr, "bench_startup: cannot start %s: %s\n", path.c_str(), std::strerror(errno));
        return std::nullopt;
    }

    std::optional<double> shownMs;
    const auto deadline = started + std::chrono::seconds(30);
    XEvent event;
    while (!shownMs && nextEvent(display, event, deadline)) {
        if (event.type == MapNotify && windowPid(display, event.xmap.window, pidAtom) == pid)
            shownMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    }
    if (shownMs) {
        // Let it draw and settle before its peak memory is taken.
        std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    } else {
        std::fprintf(stderr, "bench_startup: %s showed no window\n", path.c_str());
    }

    kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return std::nullopt;
    if (!shownMs)
        return std::nullopt;
    // ru_maxrss is in kilobytes on Linux.
    return Sample{*shownMs, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

} // namespace

int main(int argc, char *argv[])
{
    int runs = 11;
    int settleMs = 500;
    std::vector<Program> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--settle-ms" && i + 1 < argc) {
            settleMs = std::max(0, std::atoi(argv[++i]));
        } else if (const auto eq = arg.find('='); eq != std::string::npos) {
            programs.push_back({arg.substr(0, eq), arg.substr(eq + 1), {}, {}});
        } else {
            std::fprintf(stderr, "usage: bench_startup [--runs N] [--settle-ms MS] NAME=PROGRAM NAME=PROGRAM...\n");
            return 2;
        }
    }
    if (programs.size() < 2) {
        std::fprintf(stderr, "usage: bench_startup [--runs N] [--settle-ms MS] NAME=PROGRAM NAME=PROGRAM...\n");
        return 2;
    }

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_startup: no X server (set DISPLAY or run under xvfb-run)\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);

    // One unmeasured run each fills the page cache and lets a program do
    // its first-start work; then each round starts them all, each round in
    // a different order, so none always follows the same one.
    for (Program &program : programs) {
        if (!runOnce(display, pidAtom, program.path, settleMs))
            return 1;
    }
    for (int run = 0; run < runs; ++run) {
        for (size_t k = 0; k < programs.size(); ++k) {
            Program &program = programs[(k + static_cast<size_t>(run)) % programs.size()];
            const auto sample = runOnce(display, pidAtom, program.path, settleMs);
            if (!sample)
                return 1;
            program.startMs.push_back(sample->startMs);
            program.peakMiB.push_back(sample->peakMiB);
        }
    }
    XCloseDisplay(display);

    std::printf("start-up to main window shown, and peak memory; medians of %d runs\n", runs);
    std::printf("%-12s %12s %14s\n", "program", "start (ms)", "peak RSS (MiB)");
    for (const Program &program : programs)
        std::printf("%-12s %12.1f %14.1f\n", program.name.c_str(), median(program.startMs), median(program.peakMiB));
    for (size_t k = 1; k < programs.size(); ++k) {
        const double timeRatio = median(programs[0].startMs) / median(programs[k].startMs);
        const double memoryRatio = median(programs[0].peakMiB) / median(programs[k].peakMiB);
        std::printf("ratio %s/%s: start-up %.2f, peak memory %.2f\n", programs[0].name.c_str(),
                    programs[k].name.c_str(), timeRatio, memoryRatio);
    }
    return 0;
}
