// Starts a program on the X display and watches it from outside: how long until its first window is
// mapped (wall time, and the CPU time the program had spent by then), and its peak memory a moment
// later. Prints "WALL_MS CPU_MS PEAK_KB" on one line; exits non-zero when the program shows no window.
//
//     start_watch SETTLE_MS PROGRAM [ARGUMENTS...]
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto GiveUpAfter = std::chrono::seconds(60);

struct Connection {
    xcb_connection_t *x = nullptr;
    ~Connection() { xcb_disconnect(x); }
};

xcb_atom_t atomNamed(xcb_connection_t *x, const char *name)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The process id a window names as its owner (_NET_WM_PID), or 0.
pid_t windowOwner(xcb_connection_t *x, xcb_window_t window, xcb_atom_t pidAtom)
{
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(x, xcb_get_property(x, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr), &free);
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return 0;
    return pid_t(*static_cast<const uint32_t *>(xcb_get_property_value(reply.get())));
}

// CPU time of every thread of the process so far, in nanoseconds, from the scheduler's own count.
long long cpuNanoseconds(pid_t pid)
{
    long long total = 0;
    std::error_code gone;
    for (const auto &task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", gone)) {
        std::ifstream stat(task.path() / "schedstat");
        long long running = 0;
        if (stat >> running)
            total += running;
    }
    return total;
}

long peakKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmHWM:" && status >> value)
            return value;
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

[[noreturn]] void runProgram(char **argv)
{
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    execvp(argv[0], argv);
    _exit(127);
}

// Waits for the first ordinary window of pid to be mapped; false when the program ended or took too long.
bool waitForWindow(xcb_connection_t *x, pid_t pid, Clock::time_point start)
{
    const xcb_atom_t pidAtom = atomNamed(x, "_NET_WM_PID");
    pollfd display{xcb_get_file_descriptor(x), POLLIN, 0};
    while (Clock::now() - start < GiveUpAfter) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(x)) {
            const std::unique_ptr<xcb_generic_event_t, decltype(&free)> owned(event, &free);
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
            if (!map->override_redirect && windowOwner(x, map->window, pidAtom) == pid)
                return true;
        }
        if (xcb_connection_has_error(x) || waitpid(pid, nullptr, WNOHANG) != 0)
            return false;
        poll(&display, 1, 100);
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: start_watch SETTLE_MS PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const int settleMs = std::atoi(argv[1]);
    Connection connection;
    int screenNumber = 0;
    connection.x = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection.x)) {
        std::fprintf(stderr, "start_watch: no X display\n");
        return 2;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.x));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const uint32_t watch = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection.x, screens.data->root, XCB_CW_EVENT_MASK, &watch);
    xcb_flush(connection.x);

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0)
        runProgram(argv + 2);
    const bool shown = waitForWindow(connection.x, pid, start);
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double cpuMs = cpuNanoseconds(pid) / 1e6;
    if (shown)
        std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    const long peak = peakKilobytes(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    if (!shown) {
        std::fprintf(stderr, "start_watch: %s showed no window\n", argv[2]);
        return 1;
    }
    std::printf("%.1f %.1f %ld\n", wallMs, cpuMs, peak);
    return 0;
}
