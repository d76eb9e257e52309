// Starts a program on the X display in $DISPLAY and prints, on one line, the milliseconds from
// just before it started until its first window was mapped, the processor time it had used by
// then in milliseconds (which other work on a shared machine does not inflate), its resident
// memory in KiB at that moment and again half a second later; then ends it.
//   map_probe PROGRAM [ARGUMENTS...]
// Without a window manager every top-level window is a child of the root window, so watching
// the root's children shows the map as the X server performs it.
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct ConnectionCloser {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionCloser>;

// VmRSS from /proc/PID/status, in KiB; -1 if the process is gone.
long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = -1;
            status >> kib;
            return kib;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

// Processor time of all the process's threads so far, in milliseconds.
double processorMilliseconds(pid_t pid) {
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    double nanoseconds = 0;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double onCpu = 0;
        if (schedstat >> onCpu) {
            nanoseconds += onCpu;
        }
    }
    return nanoseconds / 1e6;
}

// Waits up to timeout for the first map of a window that is no pop-up; false on timeout.
bool waitForMap(xcb_connection_t* connection, std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped =
                (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
            std::free(event);
            if (mapped) {
                return true;
            }
        }
        if (xcb_connection_has_error(connection)) {
            return false;
        }
        pollfd descriptor{xcb_get_file_descriptor(connection), POLLIN, 0};
        poll(&descriptor, 1, 10);
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    Connection connection(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(connection.get())) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_request_check(connection.get(), xcb_change_window_attributes_checked(
                                            connection.get(), root, XCB_CW_EVENT_MASK, &mask));

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }
    if (child < 0) {
        std::perror("fork");
        return 1;
    }
    const bool mapped = waitForMap(connection.get(), std::chrono::seconds(10));
    const double milliseconds =
        std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double processor = processorMilliseconds(child);
    const long atMap = residentKiB(child);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long settled = residentKiB(child);

    kill(child, SIGTERM);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!mapped) {
        std::fprintf(stderr, "%s mapped no window\n", argv[1]);
        return 1;
    }
    std::printf("%.1f %.1f %ld %ld\n", milliseconds, processor, atMap, settled);
    return 0;
}
