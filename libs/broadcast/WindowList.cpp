#include "libs/broadcast/WindowList.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <climits>
#include <unistd.h>

namespace broadcast {

namespace {

std::string textProperty(Display* dpy, Window w, Atom property, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(dpy, w, property, 0, 4096, False, type, &actual, &format, &count, &after, &data) == Success &&
        data && format == 8)
        out.assign(reinterpret_cast<char*>(data), count);
    if (data)
        XFree(data);
    return out;
}

long cardinalProperty(Display* dpy, Window w, Atom property)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long value = -1;
    if (XGetWindowProperty(dpy, w, property, 0, 1, False, XA_CARDINAL, &actual, &format, &count, &after, &data) ==
            Success &&
        data && format == 32 && count == 1)
        value = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return value;
}

std::string programOf(long pid)
{
    if (pid <= 0)
        return "?";
    char path[PATH_MAX];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t n = readlink(link.c_str(), path, sizeof path - 1);
    if (n <= 0)
        return "?";
    std::string exe(path, size_t(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? exe : exe.substr(slash + 1);
}

// The window itself or, for a frame of a window manager, its first child
// that has a title.
void collect(Display* dpy, Window w, int depth, std::vector<ListedWindow>& out, Atom netName, Atom utf8, Atom netPid)
{
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(dpy, w, &attrs) || attrs.map_state != IsViewable || attrs.c_class != InputOutput)
        return;
    std::string title = textProperty(dpy, w, netName, utf8);
    if (title.empty())
        title = textProperty(dpy, w, XA_WM_NAME, XA_STRING);
    if (!title.empty()) {
        out.push_back({uint64_t(w), title, programOf(cardinalProperty(dpy, w, netPid))});
        return;
    }
    if (depth >= 2)
        return;
    Window root, parent, *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(dpy, w, &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n; ++i)
            collect(dpy, children[i], depth + 1, out, netName, utf8, netPid);
        if (children)
            XFree(children);
    }
}

}  // namespace

std::vector<ListedWindow> listWindows()
{
    std::vector<ListedWindow> out;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return out;
    const Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    const Atom netPid = XInternAtom(dpy, "_NET_WM_PID", False);
    Window root, parent, *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n; ++i)
            collect(dpy, children[i], 1, out, netName, utf8, netPid);
        if (children)
            XFree(children);
    }
    XCloseDisplay(dpy);
    return out;
}

bool screenSize(int* width, int* height)
{
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return false;
    *width = DisplayWidth(dpy, DefaultScreen(dpy));
    *height = DisplayHeight(dpy, DefaultScreen(dpy));
    XCloseDisplay(dpy);
    return *width > 0 && *height > 0;
}

}  // namespace broadcast
