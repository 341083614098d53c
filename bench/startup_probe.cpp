// Start-up probe: starts Xvfb once (and openbox with --wm), then starts the program and the bare
// window alternately, each `--starts` times after one unmeasured warm-up start of each; without a
// window manager the bare window at its own, smaller size is measured as well, for reference. Every
// start runs with KALU_EXIT_AFTER_FIRST_FRAME set, so the started process prints a line once its
// main window's first frame is on the display and then quits. The time is taken here, from just
// before fork() to the moment that line arrives, so it covers loading the executable and its
// libraries as well. The peak memory is the child's ru_maxrss from wait4() after it has ended.
// The program runs in one temporary data folder for the whole run: the warm-up start creates
// its best lists, the measured starts find them, as at every start after the first in a
// classroom.
//
//   startup_probe --program PATH --bare PATH [--starts N] [--wm]

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

pid_t spawn(const std::vector<std::string>& args, const char* folder, int stdoutFd,
            bool quiet = false) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (quiet) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            close(null);
        }
        if (folder && chdir(folder) != 0)
            _exit(126);
        if (stdoutFd >= 0) {
            dup2(stdoutFd, STDOUT_FILENO);
            close(stdoutFd);
        }
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Reads from fd until the text contains `wanted` or the time is up; returns what was read.
std::string readUntil(int fd, const char* wanted, int timeoutMs, bool* found) {
    std::string text;
    const double deadline = nowMs() + timeoutMs;
    *found = false;
    while (nowMs() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, int(deadline - nowMs()) + 1) <= 0)
            break;
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, std::size_t(n));
        if (text.find(wanted) != std::string::npos) {
            *found = true;
            break;
        }
    }
    return text;
}

struct Start {
    bool ok = false;
    double ms = 0;
    double maxRssMib = 0;
    double hwmAtFrameMib = 0;
};

Start measure(const std::vector<std::string>& command, const char* folder) {
    Start start;
    int fds[2];
    if (pipe(fds) != 0)
        return start;
    const double begin = nowMs();
    const pid_t pid = spawn(command, folder, fds[1]);
    close(fds[1]);
    bool found = false;
    const std::string text = readUntil(fds[0], "first-frame", 20000, &found);
    const double end = nowMs();
    close(fds[0]);
    if (!found)
        kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    start.ok = found && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    start.ms = end - begin;
    start.maxRssMib = usage.ru_maxrss / 1024.0;
    const std::size_t at = text.find("hwm_kib=");
    if (at != std::string::npos)
        start.hwmAtFrameMib = std::atol(text.c_str() + at + 8) / 1024.0;
    return start;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Series {
    std::vector<double> ms, rss, hwm;
    void add(const Start& s) {
        ms.push_back(s.ms);
        rss.push_back(s.maxRssMib);
        hwm.push_back(s.hwmAtFrameMib);
    }
    void print(const char* name) const {
        std::printf("%-9s first frame: median %6.1f ms (%.1f .. %.1f)   peak memory: median "
                    "%5.1f MiB (%.1f .. %.1f), at first frame %5.1f MiB\n",
                    name, median(ms), *std::min_element(ms.begin(), ms.end()),
                    *std::max_element(ms.begin(), ms.end()), median(rss),
                    *std::min_element(rss.begin(), rss.end()),
                    *std::max_element(rss.begin(), rss.end()), median(hwm));
    }
};

double loadAverage() {
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

} // namespace

int main(int argc, char** argv) {
    std::string program, bare;
    int starts = 7;
    bool withWindowManager = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--program" && i + 1 < argc)
            program = argv[++i];
        else if (a == "--bare" && i + 1 < argc)
            bare = argv[++i];
        else if (a == "--starts" && i + 1 < argc)
            starts = std::max(1, std::atoi(argv[++i]));
        else if (a == "--wm")
            withWindowManager = true;
    }
    if (program.empty() || bare.empty()) {
        std::fprintf(stderr, "usage: %s --program PATH --bare PATH [--starts N] [--wm]\n", argv[0]);
        return 2;
    }
    program = std::filesystem::absolute(program);
    bare = std::filesystem::absolute(bare);

    // Xvfb picks a free display and writes its number to the pipe once it accepts clients.
    int displayPipe[2];
    if (pipe(displayPipe) != 0)
        return 2;
    const pid_t xvfb = spawn({"Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-screen", "0",
                              "1280x1024x24", "-nolisten", "tcp"},
                             nullptr, -1);
    close(displayPipe[1]);
    bool found = false;
    std::string display = readUntil(displayPipe[0], "\n", 10000, &found);
    close(displayPipe[0]);
    if (!found) {
        std::fprintf(stderr, "Xvfb did not start\n");
        kill(xvfb, SIGTERM);
        return 2;
    }
    char displayName[32];
    std::snprintf(displayName, sizeof displayName, ":%d", std::atoi(display.c_str()));
    display = displayName;
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("KALU_EXIT_AFTER_FIRST_FRAME", "1", 1);
    pid_t openbox = -1;
    if (withWindowManager) {
        openbox = spawn({"openbox", "--sm-disable"}, nullptr, -1, true);
        usleep(500 * 1000);
    }

    char folderTemplate[] = "/tmp/kalu-startup-XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (!folder) {
        std::fprintf(stderr, "no temporary folder: %s\n", std::strerror(errno));
        return 2;
    }

    // Qt wants a private runtime folder; without one it warns at every start.
    char runtimeTemplate[] = "/tmp/kalu-runtime-XXXXXX";
    const char* runtimeFolder = mkdtemp(runtimeTemplate);
    if (runtimeFolder)
        setenv("XDG_RUNTIME_DIR", runtimeFolder, 1);

    std::printf("Start-up to the first frame of the main window, Xvfb %s%s, %d starts each, "
                "alternated, after one warm-up start each; load average before: %.2f\n",
                display.c_str(), withWindowManager ? " with openbox" : "", starts, loadAverage());
    // For reference only, without a window manager: the bare window at its own size, as
    // maximizing leaves it there. It paints about a quarter of the pixels the main window paints.
    struct Subject {
        const char* name;
        std::vector<std::string> command;
        Series series;
    };
    std::vector<Subject> subjects = {{"program", {program}, {}}, {"bare", {bare}, {}}};
    if (!withWindowManager)
        subjects.push_back({"bare-own", {bare, "--own-size"}, {}});
    bool allOk = true;
    for (const Subject& subject : subjects)
        allOk = measure(subject.command, folder).ok && allOk;
    for (int i = 0; i < starts; ++i) {
        // Which one goes first changes every round, so a drift in the machine's load falls on
        // all alike.
        for (std::size_t k = 0; k < subjects.size(); ++k) {
            Subject& subject = subjects[(k + std::size_t(i)) % subjects.size()];
            const Start s = measure(subject.command, folder);
            allOk = allOk && s.ok;
            subject.series.add(s);
            std::printf("  %-8s %6.1f ms  %5.1f MiB%s\n", subject.name, s.ms, s.maxRssMib,
                        s.ok ? "" : "  (no first frame reported)");
        }
    }
    std::printf("load average after: %.2f\n", loadAverage());
    for (const Subject& subject : subjects)
        subject.series.print(subject.name);
    const Series& programSeries = subjects[0].series;
    const Series& bareSeries = subjects[1].series;
    const double ratio = median(programSeries.ms) / median(bareSeries.ms);
    const double extra = median(programSeries.rss) - median(bareSeries.rss);
    std::printf("time ratio program / bare: %.2f (at most 1.10: %s)\n", ratio,
                ratio <= 1.1 ? "met" : "NOT met");
    std::printf("peak memory program - bare: %+.1f MiB (at most +8.0 MiB: %s)\n", extra,
                extra <= 8.0 ? "met" : "NOT met");
    if (subjects.size() > 2)
        std::printf("for reference, program / bare window at its own size: %.2f\n",
                    median(programSeries.ms) / median(subjects[2].series.ms));

    // The window manager ends before the display it runs on.
    if (openbox > 0) {
        kill(openbox, SIGTERM);
        waitpid(openbox, nullptr, 0);
    }
    kill(xvfb, SIGTERM);
    while (wait(nullptr) > 0) {
    }
    std::filesystem::remove_all(folder);
    if (runtimeFolder)
        std::filesystem::remove_all(runtimeFolder);
    if (!allOk)
        std::fprintf(stderr, "some starts reported no first frame\n");
    return allOk ? 0 : 1;
}
