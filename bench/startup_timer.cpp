// Times programs from their start to their window being mapped, as an X
// client watching the display from outside: nothing in the programs changes.
// The programs take turns, each round in the other order, so both see the
// machine alike; a settings file can be put back before every start, so each
// start reads the same file. Prints every program's median, fastest and
// slowest start, and each median against the first program's.
//
//   startup_timer [--runs N] [--settings PRISTINE LIVE] --window TITLE PROGRAM ...
//
// A window of another title mapping first (a report box, say) fails the run.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    std::string title;
    std::string path;
    std::vector<double> ms;
};

[[noreturn]] void fail(const std::string& why)
{
    std::fprintf(stderr, "startup_timer: %s\n", why.c_str());
    std::exit(1);
}

std::string windowTitle(Display* display, Window window)
{
    const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
    for (const Atom property : { name, XA_WM_NAME }) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(
                display, window, property, 0, 1024, False, AnyPropertyType, &type, &format, &count, &after, &data)
                == Success
            && data) {
            std::string title(reinterpret_cast<char*>(data), count);
            XFree(data);
            if (format == 8)
                return title;
        }
    }
    return {};
}

// Starts `program` and waits for its first ordinary window to map; answers
// the milliseconds from just before the start.
double timeOneStart(Display* display, const Program& program, pid_t& child)
{
    XSync(display, False);
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
    }
    const auto start = Clock::now();
    child = fork();
    if (child < 0)
        fail("could not start a process");
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execl(program.path.c_str(), program.path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = start + std::chrono::seconds(60);
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.override_redirect)
                continue;
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            const std::string title = windowTitle(display, event.xmap.window);
            if (title != program.title)
                fail(program.path + " showed \"" + title + "\" first, not \"" + program.title + "\"");
            return ms;
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
            fail(program.path + " ended before its window showed");
        if (Clock::now() > deadline)
            fail(program.path + " showed no window within a minute");
        pollfd watch { ConnectionNumber(display), POLLIN, 0 };
        poll(&watch, 1, 20);
    }
}

// Asks the program to end as a desktop would, and waits for it: its close
// (saving included) is not timed, but must be over before the next start.
void endProgram(const Program& program, pid_t child)
{
    kill(child, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) != child) {
        if (Clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            fail(program.path + " did not end within a minute of being asked to");
        }
        usleep(2000);
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 21;
    std::string pristine;
    std::string live;
    std::vector<Program> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (option == "--settings" && i + 2 < argc) {
            pristine = argv[++i];
            live = argv[++i];
        } else if (option == "--window" && i + 2 < argc) {
            programs.push_back({ argv[i + 1], argv[i + 2], {} });
            i += 2;
        } else
            fail("usage: startup_timer [--runs N] [--settings PRISTINE LIVE] --window TITLE PROGRAM ...");
    }
    if (programs.empty() || runs < 1)
        fail("nothing to time");
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        fail("no X display");
    fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    for (int round = 0; round < runs; ++round) {
        for (size_t k = 0; k < programs.size(); ++k) {
            Program& program = programs[round % 2 ? programs.size() - 1 - k : k];
            if (!pristine.empty())
                std::filesystem::copy_file(pristine, live, std::filesystem::copy_options::overwrite_existing);
            pid_t child = 0;
            program.ms.push_back(timeOneStart(display, program, child));
            endProgram(program, child);
        }
    }
    const double yardstick = median(programs.front().ms);
    std::printf("%-12s %10s %10s %10s %8s\n", "window", "median ms", "fastest", "slowest", "ratio");
    for (const Program& program : programs) {
        const double m = median(program.ms);
        std::printf("%-12s %10.1f %10.1f %10.1f %7.2fx\n", program.title.c_str(), m,
            *std::min_element(program.ms.begin(), program.ms.end()),
            *std::max_element(program.ms.begin(), program.ms.end()), m / yardstick);
    }
    XCloseDisplay(display);
    return 0;
}
