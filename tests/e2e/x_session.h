// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A connection to the X server the game runs on: finding its top-level
// window, reading the window's pixels and pressing keys through XTest.
// Without a window manager a top-level window is a direct child of the root
// window and gets the keyboard only when given the focus.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "screen.h"

namespace falbok::e2e {

class XSession {
public:
    // Null when no X display answers within a few seconds. `name` is a
    // display such as ":3"; null means $DISPLAY.
    static std::unique_ptr<XSession> Open(const char* name = nullptr)
    {
        Display* display = XOpenDisplay(name);
        for (int attempt = 0; display == nullptr && attempt < 100; ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            display = XOpenDisplay(name);
        }
        return display == nullptr ? nullptr : std::unique_ptr<XSession>(new XSession(display));
    }
    ~XSession() { XCloseDisplay(display_); }
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool HasXTest() const { return hasXTest_; }

    // Every top-level window titled `title`, mapped or not.
    std::vector<Window> WindowsTitled(const std::string& title)
    {
        return TopLevelWindows([&](Window window) { return Title(window) == title; });
    }

    // Every viewable top-level window the process `pid` announced as its
    // own: its main window and any menu it has popped up.
    std::vector<Window> ViewableWindowsOf(long pid)
    {
        return TopLevelWindows([&](Window window) { return Pid(window) == pid && Viewable(window); });
    }

    // The output window of Weston's X11 backend once it is mapped, or 0
    // after `limit`.
    Window WaitForCompositorOutput(std::chrono::steady_clock::duration limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        do {
            for (Window window : TopLevelWindows([&](Window window) {
                     return Title(window).starts_with("Weston Compositor") && Viewable(window);
                 })) {
                return window;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < deadline);
        return 0;
    }

    // The top-level windows that `wanted` accepts: children of the root
    // window, and under a window manager the children of its frames.
    template <typename Predicate>
    std::vector<Window> TopLevelWindows(Predicate wanted)
    {
        std::vector<Window> found;
        for (Window child : Children(DefaultRootWindow(display_))) {
            if (wanted(child)) {
                found.push_back(child);
                continue;
            }
            for (Window framed : Children(child)) {
                if (wanted(framed)) {
                    found.push_back(framed);
                }
            }
        }
        return found;
    }

    // The window the window manager calls active (_NET_ACTIVE_WINDOW).
    Window ActiveWindow() { return WindowProperty(DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW"); }

    // A window manager has announced itself (_NET_SUPPORTING_WM_CHECK).
    bool HasWindowManager() { return WindowProperty(DefaultRootWindow(display_), "_NET_SUPPORTING_WM_CHECK") != 0; }

    // The title as _NET_WM_NAME (UTF-8) gives it, else WM_NAME.
    std::string Title(Window window)
    {
        if (std::optional<std::string> name = StringProperty(window, Intern("_NET_WM_NAME"), Intern("UTF8_STRING"))) {
            return *name;
        }
        return StringProperty(window, XA_WM_NAME, AnyPropertyType).value_or("");
    }

    // The process id the window's owner announced in _NET_WM_PID.
    std::optional<long> Pid(Window window)
    {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::optional<long> pid;
        if (XGetWindowProperty(display_, window, Intern("_NET_WM_PID"), 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data) == Success &&
            data != nullptr && format == 32 && items == 1) {
            pid = *reinterpret_cast<long*>(data);
        }
        if (data != nullptr) {
            XFree(data);
        }
        return pid;
    }

    bool Viewable(Window window)
    {
        XWindowAttributes attributes;
        return XGetWindowAttributes(display_, window, &attributes) != 0 && attributes.map_state == IsViewable;
    }

    // The window's pixels as they are on the screen now, or nothing when
    // the window is not viewable or has gone.
    std::optional<Snapshot> Grab(Window window)
    {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, window, &attributes) == 0 || attributes.map_state != IsViewable) {
            return std::nullopt;
        }
        XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attributes.width),
                                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        if (image == nullptr) {
            return std::nullopt;
        }
        Snapshot shot;
        shot.width = image->width;
        shot.height = image->height;
        shot.pixels.reserve(static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height));
        for (int y = 0; y < shot.height; ++y) {
            for (int x = 0; x < shot.width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                shot.pixels.push_back({Channel(pixel, image->red_mask), Channel(pixel, image->green_mask),
                                       Channel(pixel, image->blue_mask)});
            }
        }
        XDestroyImage(image);
        return shot;
    }

    // Gives the window the keyboard and puts the pointer at its bottom-right
    // corner, in the client area's margin where no tile lies.
    void Focus(Window window)
    {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, window, &attributes) == 0 || attributes.map_state != IsViewable) {
            return;
        }
        int rootX = 0;
        int rootY = 0;
        Window child = 0;
        XTranslateCoordinates(display_, window, DefaultRootWindow(display_), attributes.width - 2,
                              attributes.height - 2, &rootX, &rootY, &child);
        XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
        XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
        XSync(display_, False);
    }

    // A real click of the left button at (x, y) of the window.
    void Click(Window window, int x, int y)
    {
        int rootX = 0;
        int rootY = 0;
        Window child = 0;
        if (XTranslateCoordinates(display_, window, DefaultRootWindow(display_), x, y, &rootX, &rootY, &child) == 0) {
            return;
        }
        XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
        XTestFakeButtonEvent(display_, Button1, True, CurrentTime);
        XTestFakeButtonEvent(display_, Button1, False, CurrentTime);
        XSync(display_, False);
    }

    // A real press and release of the key, sent to the focused window.
    bool PressKey(Window window, KeySym key) { return PressKeyCode(window, XKeysymToKeycode(display_, key)); }

    // The key that carries `key` in the layout this session started with.
    KeyCode KeyCodeOf(KeySym key) { return XKeysymToKeycode(display_, key); }

    // A real press and release of a physical key, whatever it means in the
    // layout in force.
    bool PressKeyCode(Window window, KeyCode code)
    {
        if (code == 0) {
            return false;
        }
        Focus(window);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        XSync(display_, False);
        return true;
    }

private:
    explicit XSession(Display* display) : display_(display)
    {
        // Windows come and go while the tests look at them; a request on a
        // window that has just gone must not end the test program.
        XSetErrorHandler(&XSession::IgnoreError);
        int eventBase = 0;
        int errorBase = 0;
        int major = 0;
        int minor = 0;
        hasXTest_ = XTestQueryExtension(display_, &eventBase, &errorBase, &major, &minor) != 0;
    }

    static int IgnoreError(Display*, XErrorEvent*) { return 0; }

    std::vector<Window> Children(Window parent)
    {
        std::vector<Window> children;
        Window root = 0;
        Window grandparent = 0;
        Window* list = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display_, parent, &root, &grandparent, &list, &count) != 0) {
            children.assign(list, list + count);
        }
        if (list != nullptr) {
            XFree(list);
        }
        return children;
    }

    Window WindowProperty(Window window, const char* name)
    {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        Window value = 0;
        if (XGetWindowProperty(display_, window, Intern(name), 0, 1, False, XA_WINDOW, &type, &format, &items, &after,
                               &data) == Success &&
            data != nullptr && format == 32 && items == 1) {
            value = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
        }
        if (data != nullptr) {
            XFree(data);
        }
        return value;
    }

    Atom Intern(const char* name) { return XInternAtom(display_, name, False); }

    std::optional<std::string> StringProperty(Window window, Atom property, Atom type)
    {
        Atom actualType = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::optional<std::string> text;
        if (XGetWindowProperty(display_, window, property, 0, 1024, False, type, &actualType, &format, &items, &after,
                               &data) == Success &&
            data != nullptr && format == 8) {
            text = std::string(reinterpret_cast<const char*>(data), items);
        }
        if (data != nullptr) {
            XFree(data);
        }
        return text;
    }

    static std::uint8_t Channel(unsigned long pixel, unsigned long mask)
    {
        if (mask == 0) {
            return 0;
        }
        const int shift = std::countr_zero(mask);
        const int bits = std::popcount(mask);
        const unsigned long value = (pixel & mask) >> shift;
        const unsigned long top = (1UL << bits) - 1;
        return static_cast<std::uint8_t>(value * 255 / top);
    }

    Display* display_;
    bool hasXTest_ = false;
};

}  // namespace falbok::e2e
