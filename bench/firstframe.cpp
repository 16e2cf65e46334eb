// Times a program from its start until the first frame of its window is on
// the screen: the X server reports the window mapped (with a window manager,
// the frame around it), and then the window's area, black before (run Xvfb
// with -br), shows its first non-black pixel. Qt draws a whole frame with
// one image transfer, so that moment is the frame, text and all.
// Listening for events and reading the screen from one connection costs the
// starting program far less than starting a polling tool every few ms.
//   firstframe RUNS PROGRAM [ARGS...]   prints one time in ms per run
// The program is killed once its frame is up.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

constexpr double TimeoutMs = 10000;

// The next top-level window mapped, or 0 after the timeout.
Window waitForMap(Display *display, std::chrono::steady_clock::time_point start)
{
    while (msSince(start) < TimeoutMs) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect)
                return event.xmap.window;
        }
        pollfd fd { ConnectionNumber(display), POLLIN, 0 };
        poll(&fd, 1, 100);
    }
    return 0;
}

bool showsAnything(Display *display, Window window)
{
    Window root;
    int x, y;
    unsigned width, height, border, depth;
    if (!XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth))
        return false;
    XImage *image = XGetImage(display, root, x, y, width, height, AllPlanes, ZPixmap);
    if (!image)
        return false;
    bool drawn = false;
    for (unsigned row = 0; row < height && !drawn; ++row) {
        for (unsigned column = 0; column < width && !drawn; ++column)
            drawn = XGetPixel(image, int(column), int(row)) != 0;
    }
    XDestroyImage(image);
    return drawn;
}

bool waitForFrame(Display *display, Window window, std::chrono::steady_clock::time_point start)
{
    while (msSince(start) < TimeoutMs) {
        if (showsAnything(display, window))
            return true;
        usleep(500);
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);
    const int runs = std::atoi(argv[1]);
    for (int run = 0; run < runs; ++run) {
        XSync(display, True);
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            execv(argv[2], argv + 2);
            _exit(127);
        }
        const Window window = waitForMap(display, start);
        const bool drawn = window && waitForFrame(display, window, start);
        const double ms = msSince(start);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        if (!drawn)
            return 1;
        std::printf("%.1f\n", ms);
        std::fflush(stdout);
        usleep(200000); // let the window manager forget the window
    }
    XCloseDisplay(display);
    return 0;
}
