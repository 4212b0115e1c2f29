// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A small X11 helper for run.sh.
//
//   window_probe wait PID TIMEOUT_MS
//       Waits until a top-level window of process PID is mapped and prints
//       "<window id> <seconds since the epoch> <CPU milliseconds>" for that
//       moment: the wall clock and the CPU time that all threads of PID have
//       used so far. It listens for the map event itself, so the moment is
//       exact and the wait costs no polling.
//   window_probe look WINDOW_ID
//       Prints what the game's client area (the bottom 370 pixel rows of the
//       window, tile size 18) shows:
//           sum <checksum of all its pixels>
//           board <200 characters, tiles 1..200>
//           preview <8 characters, tiles 201..208>
//       One character per tile, read at its centre pixel: '.' a background
//       picture, '1'..'7' a piece colour, '?' anything else.
//   window_probe keys WINDOW_ID PRESSES
//       Key-to-pixel latency: presses Left and Right in turn through XTest
//       and times each press from the moment it is sent to the DAMAGE event
//       after which the pixels of the client area differ from before. Each
//       press comes 50 ms after a beat, a change of the picture the window
//       made by itself, and the next beat is waited for before the next
//       press. A press that changes nothing within 400 ms (a blocked piece)
//       is not counted, nor is the first press (a warm-up); a window that
//       stops beating (a game that is over) gets F2, a new game. Prints
//           press <milliseconds>        (PRESSES lines)
//           beat <median milliseconds between beats>
//       The window must have the keyboard focus.
// Exit status: 0 done, 1 timed out or no such window, 2 wrong use or no
// display.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <poll.h>
#include <sys/types.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "window/pictures.h"

namespace {

constexpr int kClientHeight = 370;
constexpr int kTileSize = 18;
constexpr int kMargin = 5;

struct Rgb {
    int red;
    int green;
    int blue;
};

// The colour at the centre of picture 1..10, which a tile of any size shows
// there: the face of a piece colour or the fill of a background.
Rgb Centre(int picture)
{
    const falbok::pictures::Rgb rgb = falbok::pictures::TilePicture(picture).At(falbok::pictures::kPictureSize / 2,
                                                                                falbok::pictures::kPictureSize / 2);
    return {static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF)};
}

bool xFailed = false;

int IgnoreError(Display*, XErrorEvent*)
{
    xFailed = true;
    return 0;
}

double Now()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// CPU time of all threads of a process, from the scheduler's own count in
// nanoseconds rather than the coarse clock ticks of /proc/PID/stat.
double CpuMilliseconds(long pid)
{
    double total = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        unsigned long long runNanoseconds = 0;
        if (schedstat >> runNanoseconds) {
            total += static_cast<double>(runNanoseconds) / 1e6;
        }
    }
    return total;
}

void Report(Window window, double mapped, long pid)
{
    std::printf("0x%lx %.6f %.3f\n", window, mapped, CpuMilliseconds(pid));
}

long PidOf(Display* display, Window window, Atom pidAtom)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr) {
        if (type == XA_CARDINAL && format == 32 && count == 1) {
            pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
        }
        XFree(data);
    }
    return pid;
}

bool IsShownWindowOf(Display* display, Window window, Atom pidAtom, long pid)
{
    XWindowAttributes attributes{};
    xFailed = false;
    if (XGetWindowAttributes(display, window, &attributes) == 0 || xFailed) {
        return false;
    }
    if (attributes.map_state != IsViewable || attributes.override_redirect) {
        return false;
    }
    return PidOf(display, window, pidAtom) == pid;
}

int Wait(Display* display, long pid, long timeoutMs)
{
    const Window root = DefaultRootWindow(display);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    XSelectInput(display, root, SubstructureNotifyMask);

    // A window mapped before the listening began is reported at once.
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int childCount = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &childCount) != 0) {
        for (unsigned int i = 0; i < childCount; ++i) {
            if (IsShownWindowOf(display, children[i], pidAtom, pid)) {
                Report(children[i], Now(), pid);
                XFree(children);
                return 0;
            }
        }
        XFree(children);
    }

    const double deadline = Now() + static_cast<double>(timeoutMs) / 1000.0;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event{};
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.override_redirect) {
                continue;
            }
            const double mapped = Now();
            if (IsShownWindowOf(display, event.xmap.window, pidAtom, pid)) {
                Report(event.xmap.window, mapped, pid);
                return 0;
            }
        }
        const double left = deadline - Now();
        if (left <= 0) {
            std::fprintf(stderr, "window_probe: no window of process %ld within %ld ms\n", pid, timeoutMs);
            return 1;
        }
        poll(&connection, 1, static_cast<int>(left * 1000.0) + 1);
    }
}

bool Near(const Rgb& colour, int red, int green, int blue)
{
    constexpr int kSlack = 8;
    return std::abs(colour.red - red) <= kSlack && std::abs(colour.green - green) <= kSlack &&
           std::abs(colour.blue - blue) <= kSlack;
}

char TileMark(XImage* image, int centreX, int centreY)
{
    const unsigned long pixel = XGetPixel(image, centreX, centreY);
    auto channel = [pixel](unsigned long mask) {
        unsigned long value = pixel & mask;
        while (mask != 0 && (mask & 1UL) == 0) {
            mask >>= 1;
            value >>= 1;
        }
        return static_cast<int>(value);
    };
    const int red = channel(image->red_mask);
    const int green = channel(image->green_mask);
    const int blue = channel(image->blue_mask);
    for (int picture = 8; picture <= 10; ++picture) {
        if (Near(Centre(picture), red, green, blue)) {
            return '.';
        }
    }
    for (int colour = 1; colour <= 7; ++colour) {
        if (Near(Centre(colour), red, green, blue)) {
            return static_cast<char>('0' + colour);
        }
    }
    return '?';
}

int Look(Display* display, Window window)
{
    XWindowAttributes attributes{};
    xFailed = false;
    if (XGetWindowAttributes(display, window, &attributes) == 0 || xFailed) {
        std::fprintf(stderr, "window_probe: no window 0x%lx\n", window);
        return 1;
    }
    const int top = attributes.height - kClientHeight;
    const int width = attributes.width;
    if (top < 0 || width < kMargin + 14 * kTileSize) {
        std::fprintf(stderr, "window_probe: window 0x%lx is %dx%d, too small for the game\n", window, width,
                     attributes.height);
        return 1;
    }
    XImage* image =
        XGetImage(display, window, 0, top, static_cast<unsigned int>(width), kClientHeight, AllPlanes, ZPixmap);
    if (image == nullptr || xFailed) {
        std::fprintf(stderr, "window_probe: cannot read the pixels of window 0x%lx\n", window);
        return 1;
    }

    std::uint64_t sum = 14695981039346656037ULL;
    for (int y = 0; y < kClientHeight; ++y) {
        for (int x = 0; x < width; ++x) {
            sum = (sum ^ XGetPixel(image, x, y)) * 1099511628211ULL;
        }
    }

    std::string board;
    for (int k = 0; k < 200; ++k) {
        board += TileMark(image, kMargin + kTileSize * (k % 10) + kTileSize / 2,
                          kMargin + kTileSize * (k / 10) + kTileSize / 2);
    }
    std::string preview;
    for (int k = 0; k < 8; ++k) {
        preview += TileMark(image, 10 * kTileSize + 10 + kTileSize * (k % 4) + kTileSize / 2,
                            kMargin + kTileSize * (k / 4) + kTileSize / 2);
    }
    XDestroyImage(image);

    std::printf("sum %016llx\nboard %s\npreview %s\n", static_cast<unsigned long long>(sum), board.c_str(),
                preview.c_str());
    return 0;
}

// ---- Key-to-pixel latency

double MonotonicMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6;
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class KeyLatency {
public:
    KeyLatency(Display* display, Window window, int damageEvent, int top, int width)
        : display_(display), window_(window), damageEvent_(damageEvent), top_(top), width_(width),
          damage_(XDamageCreate(display, window, XDamageReportRawRectangles))
    {
    }
    ~KeyLatency()
    {
        if (before_ != nullptr) {
            XDestroyImage(before_);
        }
        XDamageDestroy(display_, damage_);
    }
    KeyLatency(const KeyLatency&) = delete;
    KeyLatency& operator=(const KeyLatency&) = delete;

    // Forgets the damage so far and keeps the client area's pixels as they
    // are now, to tell the next change by.
    bool Remember()
    {
        XSync(display_, False);
        Drain();
        if (before_ != nullptr) {
            XDestroyImage(before_);
        }
        before_ =
            XGetImage(display_, window_, 0, top_, static_cast<unsigned>(width_), kClientHeight, AllPlanes, ZPixmap);
        return before_ != nullptr && !xFailed;
    }

    // The moment (MonotonicMs) the damage event arrived after which the
    // client area no longer looks as remembered; negative when it still does
    // at the deadline.
    double WaitForChange(double deadline)
    {
        pollfd connection{ConnectionNumber(display_), POLLIN, 0};
        std::vector<XRectangle> damaged;
        for (;;) {
            double arrived = MonotonicMs();
            damaged.clear();
            while (XPending(display_) > 0) {
                XEvent event{};
                XNextEvent(display_, &event);
                if (event.type == damageEvent_ + XDamageNotify) {
                    damaged.push_back(reinterpret_cast<const XDamageNotifyEvent&>(event).area);
                }
            }
            for (const XRectangle& area : damaged) {
                if (Differs(area)) {
                    return arrived;
                }
            }
            const double left = deadline - MonotonicMs();
            if (left <= 0) {
                return -1;
            }
            poll(&connection, 1, static_cast<int>(left) + 1);
        }
    }

    // Presses and releases the key; the milliseconds from sending the press
    // to the change it made to the remembered pixels, or negative when
    // nothing changed in time.
    double Press(KeyCode key, int timeoutMs)
    {
        const double sent = MonotonicMs();
        XTestFakeKeyEvent(display_, key, True, CurrentTime);
        XFlush(display_);
        const double changed = WaitForChange(sent + timeoutMs);
        XTestFakeKeyEvent(display_, key, False, CurrentTime);
        XFlush(display_);
        return changed < 0 ? changed : changed - sent;
    }

private:
    void Drain()
    {
        while (XPending(display_) > 0) {
            XEvent event{};
            XNextEvent(display_, &event);
        }
    }

    // Whether the damaged area of the window shows other pixels than before.
    bool Differs(const XRectangle& area)
    {
        const int left = std::max<int>(area.x, 0);
        const int right = std::min<int>(area.x + area.width, width_);
        const int upper = std::max<int>(area.y, top_);
        const int lower = std::min<int>(area.y + area.height, top_ + kClientHeight);
        if (left >= right || upper >= lower || before_ == nullptr) {
            return false;  // the menu bar, or nothing
        }
        XImage* now = XGetImage(display_, window_, left, upper, static_cast<unsigned>(right - left),
                                static_cast<unsigned>(lower - upper), AllPlanes, ZPixmap);
        if (now == nullptr) {
            return false;
        }
        bool differs = false;
        for (int y = upper; y < lower && !differs; ++y) {
            for (int x = left; x < right && !differs; ++x) {
                differs = XGetPixel(now, x - left, y - upper) != XGetPixel(before_, x, y - top_);
            }
        }
        XDestroyImage(now);
        return differs;
    }

    Display* display_;
    Window window_;
    int damageEvent_;
    int top_;
    int width_;
    Damage damage_;
    XImage* before_ = nullptr;
};

int Keys(Display* display, Window window, int presses)
{
    constexpr int kSettleMs = 50;  // after a change, before the next step
    constexpr int kPressTimeoutMs = 400;
    constexpr int kBeatTimeoutMs = 3000;

    int damageEvent = 0;
    int damageError = 0;
    int testEvent = 0;
    int testError = 0;
    int major = 0;
    int minor = 0;
    if (XDamageQueryExtension(display, &damageEvent, &damageError) == 0 ||
        XTestQueryExtension(display, &testEvent, &testError, &major, &minor) == 0) {
        std::fprintf(stderr, "window_probe: the X server lacks the DAMAGE or XTEST extension\n");
        return 2;
    }
    XWindowAttributes attributes{};
    xFailed = false;
    if (XGetWindowAttributes(display, window, &attributes) == 0 || xFailed || attributes.height < kClientHeight) {
        std::fprintf(stderr, "window_probe: no window 0x%lx of the game's shape\n", window);
        return 1;
    }
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus != window) {
        std::fprintf(stderr, "window_probe: window 0x%lx does not have the keyboard focus\n", window);
        return 1;
    }

    const std::array<KeyCode, 2> sideways{XKeysymToKeycode(display, XK_Left), XKeysymToKeycode(display, XK_Right)};
    const KeyCode newGame = XKeysymToKeycode(display, XK_F2);
    KeyLatency latency(display, window, damageEvent, attributes.height - kClientHeight, attributes.width);
    std::vector<double> beats;
    int sent = 0;
    int blocked = 0;
    int stalls = 0;
    bool warmUp = true;
    for (int reported = 0; reported < presses;) {
        if (!latency.Remember()) {
            std::fprintf(stderr, "window_probe: cannot read the pixels of window 0x%lx\n", window);
            return 1;
        }
        const double beat = latency.WaitForChange(MonotonicMs() + kBeatTimeoutMs);
        if (beat < 0) {
            // A game that is over beats no more; a new game does.
            if (++stalls > 3) {
                std::fprintf(stderr, "window_probe: window 0x%lx does not beat\n", window);
                return 1;
            }
            XTestFakeKeyEvent(display, newGame, True, CurrentTime);
            XTestFakeKeyEvent(display, newGame, False, CurrentTime);
            XFlush(display);
            beats.clear();
            continue;
        }
        beats.push_back(beat);
        SleepMs(kSettleMs);
        latency.Remember();
        const double ms = latency.Press(sideways[static_cast<std::size_t>(sent++ % 2)], kPressTimeoutMs);
        // What the press painted is done before the wait for the next beat.
        SleepMs(kSettleMs);
        if (ms < 0) {
            if (++blocked > 2 * presses) {
                std::fprintf(stderr, "window_probe: key presses change nothing in window 0x%lx\n", window);
                return 1;
            }
            continue;
        }
        if (warmUp) {
            warmUp = false;
            continue;
        }
        std::printf("press %.3f\n", ms);
        ++reported;
    }
    std::vector<double> gaps;
    for (std::size_t i = 1; i < beats.size(); ++i) {
        gaps.push_back(beats[i] - beats[i - 1]);
    }
    std::sort(gaps.begin(), gaps.end());
    std::printf("beat %.1f\n", gaps.empty() ? 0.0 : gaps[gaps.size() / 2]);
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: window_probe wait PID TIMEOUT_MS | window_probe look WINDOW_ID |\n"
                         "       window_probe keys WINDOW_ID PRESSES\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        return Usage();
    }
    const std::string command = argv[1];
    if ((command == "wait" && argc != 4) || (command == "look" && argc != 3) || (command == "keys" && argc != 4) ||
        (command != "wait" && command != "look" && command != "keys")) {
        return Usage();
    }

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "window_probe: cannot open display '%s'\n", name != nullptr ? name : "");
        return 2;
    }
    XSetErrorHandler(IgnoreError);

    int status = 0;
    if (command == "wait") {
        status = Wait(display, std::strtol(argv[2], nullptr, 10), std::strtol(argv[3], nullptr, 10));
    } else if (command == "look") {
        status = Look(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)));
    } else {
        const int presses = static_cast<int>(std::strtol(argv[3], nullptr, 10));
        if (presses < 1) {
            return Usage();
        }
        status = Keys(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)), presses);
    }
    std::fflush(stdout);
    XCloseDisplay(display);
    return status;
}
