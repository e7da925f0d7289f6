// Time from starting a program to the first frame it draws into a window on the X display:
// watches the root window for new top-level windows, asks the Damage extension to report
// their first drawing, and stops the program once one that is mapped has drawn.
// Usage: kelvora_first_frame PROGRAM [ARGS...]; prints the milliseconds on standard output.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

struct TDisplayCloser {
    void operator()(Display* ADisplay) const { XCloseDisplay(ADisplay); }
};

double Milliseconds(std::chrono::steady_clock::time_point AFrom)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - AFrom)
        .count();
}

// Input-only windows cannot be watched; their refusal is expected and ignored.
int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    std::unique_ptr<Display, TDisplayCloser> display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "first_frame: no X display\n");
        return 2;
    }
    Display* dpy = display.get();
    int damageEvent = 0;
    int damageError = 0;
    if (!XDamageQueryExtension(dpy, &damageEvent, &damageError)) {
        std::fprintf(stderr, "first_frame: the display has no Damage extension\n");
        return 2;
    }
    XSetErrorHandler(IgnoreError);
    const Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }

    std::set<Window> mapped;
    std::set<Window> watched;
    double frame = -1;
    const int fd = ConnectionNumber(dpy);
    while (frame < 0 && Milliseconds(start) < 20000) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "first_frame: %s ended before drawing a window\n", argv[1]);
            return 1;
        }
        if (XPending(dpy) == 0) {
            fd_set read;
            FD_ZERO(&read);
            FD_SET(fd, &read);
            timeval wait{0, 20000};
            select(fd + 1, &read, nullptr, nullptr, &wait);
            continue;
        }
        XEvent event;
        XNextEvent(dpy, &event);
        if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
            // Watched from its creation, so no drawing after its mapping can be missed.
            XDamageCreate(dpy, event.xcreatewindow.window, XDamageReportNonEmpty);
            watched.insert(event.xcreatewindow.window);
        } else if (event.type == MapNotify && watched.count(event.xmap.window) != 0) {
            mapped.insert(event.xmap.window);
        } else if (event.type == damageEvent + XDamageNotify) {
            const auto* damage = reinterpret_cast<const XDamageNotifyEvent*>(&event);
            if (mapped.count(damage->drawable) != 0)
                frame = Milliseconds(start);
        }
    }
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    // The processor time the program took, its threads included, for looking into a figure.
    if (std::getenv("FIRST_FRAME_CPU") != nullptr)
        std::fprintf(stderr, "cpu %.1f ms\n",
                     (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
    if (frame < 0) {
        std::fprintf(stderr, "first_frame: no frame within 20 s\n");
        return 1;
    }
    std::printf("%.1f\n", frame);
    return 0;
}
