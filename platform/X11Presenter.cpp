// The X11 presenter: each attached editor gets a display connection of its own and a
// plain X11 child window of the host's window. Everything X happens here, on the
// thread that pumps; other threads only draw into window surfaces (under the subset's
// lock) and mark them damaged.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

// Xlib's private header declares the per-connection error hook; it also brings a BOOL
// of its own and min/max macros, kept out of the way of ours.
#define BOOL XlibBOOL
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#undef BOOL
#undef min
#undef max

#include "platform/Kernel.h"
#include "platform/NativeParent.h"
#include "platform/Presenter.h"
#include "platform/WindowState.h"

using namespace KestrelWin32;

namespace {

struct SAttached {
    HWND Window; // our top-level window of the subset
    Display* Connection;
    ::Window Native; // our X11 child of the host's window
    GC Context;
    Cursor Arrow, Move;
    HCURSOR Shown;
    Time LastPress;
    int LastX, LastY;
    bool Exposed;
    // Kept between drawings, so that redrawing allocates nothing once the size is known.
    SSurface Composed;
    XImage* Image;
};

// Every editor's connection. Hosts may run editors of several instances on different
// threads, so the list has a lock of its own; each attachment is used only by the
// thread that pumps its editor.
std::mutex AttachedLock;
std::vector<SAttached*> Attached;
std::atomic<int> OpenDisplays{0};

// Errors on our own connection (a host that destroyed its window before closing the
// editor, say) are swallowed here instead of reaching Xlib's process-wide handler,
// which would end the host. The hook belongs to this connection only.
int SwallowError(Display*, xError* error, XExtCodes*, int* answer) {
    char text[96];
    std::snprintf(text, sizeof text, "X11 error %d on request %d (ignored)\n", error->errorCode,
                  error->majorCode);
    OutputDebugStringA(text);
    *answer = 0;
    return True;
}

// The attachment's image at the composed size, made again only when the size changes.
XImage* ImageFor(SAttached* a, int width, int height) {
    if (a->Image && a->Image->width == width && a->Image->height == height) return a->Image;
    if (a->Image) XDestroyImage(a->Image); // frees the data too
    a->Image = nullptr;
    Visual* visual = DefaultVisual(a->Connection, DefaultScreen(a->Connection));
    const int depth = DefaultDepth(a->Connection, DefaultScreen(a->Connection));
    XImage* image =
        XCreateImage(a->Connection, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                     static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!image) return nullptr;
    image->data = static_cast<char*>(malloc(static_cast<size_t>(image->bytes_per_line) * height));
    if (!image->data) {
        XDestroyImage(image);
        return nullptr;
    }
    a->Image = image;
    return image;
}

void PutPixels(SAttached* a) {
    SSurface& composed = a->Composed;
    RECT area{};
    {
        std::lock_guard<std::recursive_mutex> lock(State().Lock);
        SWindow* w = FindWindow(a->Window);
        if (!w) return;
        const bool damaged = TakeDamage(w, &area);
        // Only what changed is composed and sent, unless the server lost the window's
        // pixels or the window has another size now.
        const bool all = a->Exposed || !a->Image || composed.Width != w->Surface.Width ||
                         composed.Height != w->Surface.Height;
        if (!damaged && !all) return;
        if (all) area = RECT{0, 0, w->Surface.Width, w->Surface.Height};
        Compose(w, composed, all ? nullptr : &area);
    }
    a->Exposed = false;
    if (composed.Width <= 0 || composed.Height <= 0) return;
    XImage* image = ImageFor(a, composed.Width, composed.Height);
    if (!image) return;
    const int left = std::max<int>(area.left, 0), top = std::max<int>(area.top, 0);
    const int right = std::min<int>(area.right, composed.Width);
    const int bottom = std::min<int>(area.bottom, composed.Height);
    if (left >= right || top >= bottom) return;
    // The common visual (32 bits a pixel, 0x00RRGGBB, least significant byte first, on a
    // little-endian machine) is written a word at a time; any other goes through Xlib
    // pixel by pixel.
    const uint32_t one = 1;
    const bool littleEndian = *reinterpret_cast<const unsigned char*>(&one) == 1;
    const bool direct = littleEndian && image->bits_per_pixel == 32 &&
                        image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 &&
                        image->blue_mask == 0xFF && image->byte_order == LSBFirst;
    for (int y = top; y < bottom; y++) {
        const uint32_t* from = &composed.Pixels[static_cast<size_t>(y) * composed.Width];
        if (direct) {
            auto* row = reinterpret_cast<uint32_t*>(image->data +
                                                    static_cast<size_t>(y) * image->bytes_per_line);
            for (int x = left; x < right; x++) {
                const uint32_t c = from[x];
                row[x] = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
            }
        } else {
            for (int x = left; x < right; x++) {
                const uint32_t c = from[x];
                const unsigned long r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
                XPutPixel(image, x, y, (r << 16) | (g << 8) | b);
            }
        }
    }
    XPutImage(a->Connection, a->Native, a->Context, image, left, top, left, top,
              static_cast<unsigned>(right - left), static_cast<unsigned>(bottom - top));
}

void Pump(SAttached* a) {
    while (XPending(a->Connection) > 0) {
        XEvent e;
        XNextEvent(a->Connection, &e);
        switch (e.type) {
        case Expose: a->Exposed = true; break;
        case MotionNotify: DeliverMouse(a->Window, WM_MOUSEMOVE, e.xmotion.x, e.xmotion.y); break;
        case ButtonPress:
            if (e.xbutton.button != Button1) break;
            {
                // Two presses within 400 ms on nearly the same spot are a double click.
                const bool twice = e.xbutton.time - a->LastPress < 400 &&
                                   std::abs(e.xbutton.x - a->LastX) < 4 &&
                                   std::abs(e.xbutton.y - a->LastY) < 4;
                a->LastPress = twice ? 0 : e.xbutton.time;
                a->LastX = e.xbutton.x;
                a->LastY = e.xbutton.y;
                DeliverMouse(a->Window, twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, e.xbutton.x,
                             e.xbutton.y);
            }
            break;
        case ButtonRelease:
            if (e.xbutton.button == Button1)
                DeliverMouse(a->Window, WM_LBUTTONUP, e.xbutton.x, e.xbutton.y);
            break;
        default: break;
        }
    }
    HCURSOR wanted;
    {
        std::lock_guard<std::recursive_mutex> lock(State().Lock);
        wanted = State().Cursor;
    }
    if (wanted != a->Shown) {
        a->Shown = wanted;
        XDefineCursor(a->Connection, a->Native,
                      wanted == LoadCursorA(nullptr, IDC_SIZEALL) ? a->Move : a->Arrow);
    }
    PutPixels(a);
    // A round trip, not a flush: Xlib hands our connection's error hook only the errors
    // that arrive while it waits for a reply. One that came in later with the events
    // would reach the process-wide handler, whose default ends the host (a host that
    // destroyed its window before closing the editor, say).
    XSync(a->Connection, False);
}

// Pumps the connection of one editor's top-level window, or of every editor (null).
void PumpSession(HWND window) {
    std::vector<SAttached*> now;
    {
        std::lock_guard<std::mutex> lock(AttachedLock);
        for (SAttached* a : Attached)
            if (!window || a->Window == window) now.push_back(a);
    }
    for (SAttached* a : now) {
        {
            // Detached by a window procedure since: gone.
            std::lock_guard<std::mutex> lock(AttachedLock);
            if (std::find(Attached.begin(), Attached.end(), a) == Attached.end()) continue;
        }
        Pump(a);
    }
}

void Close(SAttached* a) {
    if (a->Image) XDestroyImage(a->Image);
    XFreeCursor(a->Connection, a->Arrow);
    XFreeCursor(a->Connection, a->Move);
    XFreeGC(a->Connection, a->Context);
    XDestroyWindow(a->Connection, a->Native);
    XCloseDisplay(a->Connection);
    OpenDisplays--;
    delete a;
}

const SKestrelPresenter X11 = {PumpSession, nullptr, nullptr};

} // namespace

HWND KestrelAttachNativeParent(uintptr_t native, int width, int height) {
    HWND window = KestrelCreateParentWindow(width, height);

    if (!native || !window) return window;
    Display* connection = XOpenDisplay(nullptr);
    if (!connection) return window; // no display: the editor lives headless
    OpenDisplays++;
    if (XExtCodes* codes = XAddExtension(connection))
        XESetError(connection, codes->extension, SwallowError);
    auto* a = new SAttached{};
    a->Window = window;
    a->Connection = connection;
    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    attributes.background_pixel = BlackPixel(connection, DefaultScreen(connection));
    a->Native =
        XCreateWindow(connection, static_cast<::Window>(native), 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWEventMask | CWBackPixel, &attributes);
    a->Context = XCreateGC(connection, a->Native, 0, nullptr);
    a->Arrow = XCreateFontCursor(connection, XC_left_ptr);
    a->Move = XCreateFontCursor(connection, XC_fleur);
    a->Shown = nullptr;
    a->Exposed = true;
    // XEmbed's info (version 0, mapped): hosts that embed by that protocol read it as
    // soon as the window is theirs, so it is on the server before this returns.
    const Atom info = XInternAtom(connection, "_XEMBED_INFO", False);
    const long embed[2] = {0, 1};
    XChangeProperty(connection, a->Native, info, info, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(embed), 2);
    XMapWindow(connection, a->Native);
    XSync(connection, False);
    {
        std::lock_guard<std::recursive_mutex> lock(State().Lock);
        if (SWindow* w = FindWindow(window)) w->Native = a;
    }
    {
        std::lock_guard<std::mutex> lock(AttachedLock);
        Attached.push_back(a);
    }
    KestrelSetPresenter(&X11);
    return window;
}

void KestrelDetachNativeParent(HWND window) {
    SAttached* a = nullptr;
    {
        std::lock_guard<std::mutex> lock(AttachedLock);
        auto it = std::find_if(Attached.begin(), Attached.end(),
                               [&](SAttached* x) { return x->Window == window; });
        if (it != Attached.end()) {
            a = *it;
            Attached.erase(it);
        }
    }
    DestroyWindow(window);
    if (a) Close(a);
}

int KestrelOpenDisplayCount() {
    return OpenDisplays.load();
}

int KestrelNativeParentDescriptor(HWND window) {
    std::lock_guard<std::mutex> lock(AttachedLock);
    for (SAttached* a : Attached)
        if (a->Window == window) return ConnectionNumber(a->Connection);
    return -1;
}

uintptr_t KestrelNativeWindowId(HWND window) {
    std::lock_guard<std::mutex> lock(AttachedLock);
    for (SAttached* a : Attached)
        if (a->Window == window) return static_cast<uintptr_t>(a->Native);
    return 0;
}

void KestrelResizeNativeParent(HWND window, int width, int height) {
    MoveWindow(window, 0, 0, width, height, TRUE);
    std::lock_guard<std::mutex> lock(AttachedLock);
    for (SAttached* a : Attached)
        if (a->Window == window) {
            XResizeWindow(a->Connection, a->Native, static_cast<unsigned>(width),
                          static_cast<unsigned>(height));
            a->Exposed = true;
            XSync(a->Connection, False); // errors to our hook (see Pump)
        }
}

namespace {

// Xft.dpi in a resource string, 0 when it holds none.
double XftDpi(const char* resources) {
    double dpi = 0;
    if (!resources) return 0;
    XrmInitialize();
    if (XrmDatabase database = XrmGetStringDatabase(resources)) {
        char* type = nullptr;
        XrmValue value{};
        if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
            dpi = std::atof(value.addr);
        XrmDestroyDatabase(database);
    }
    return dpi > 0 ? dpi : 0;
}

} // namespace

double KestrelDisplayDpi() {
    Display* connection = XOpenDisplay(nullptr);
    if (!connection) return 0;
    const double dpi = XftDpi(XResourceManagerString(connection));
    XCloseDisplay(connection);
    return dpi;
}

double KestrelNativeParentDpi(HWND window) {
    std::lock_guard<std::mutex> lock(AttachedLock);
    for (SAttached* a : Attached) {
        if (a->Window != window) continue;
        // The root window's resources as they are now (XResourceManagerString keeps
        // what they were when the connection opened): desktops change them at run time.
        Atom type = None;
        int format = 0;
        unsigned long count = 0, left = 0;
        unsigned char* data = nullptr;
        double dpi = 0;
        if (XGetWindowProperty(a->Connection, DefaultRootWindow(a->Connection), XA_RESOURCE_MANAGER,
                               0, 1 << 20, False, XA_STRING, &type, &format, &count, &left,
                               &data) == Success &&
            data && format == 8)
            dpi = XftDpi(reinterpret_cast<const char*>(data));
        if (data) XFree(data);
        return dpi;
    }
    return 0;
}
