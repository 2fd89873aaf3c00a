#include "EditorPicture.h"
#include "Plot.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

void WriteEditorPicture(CVstHost& host, const std::string& path) {
    AEffect* e = host.Effect();
    if (!(e->flags & effFlagsHasEditor)) throw std::runtime_error("the plug-in has no editor");
    ERect* rect = nullptr;
    e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0);
    if (!rect || rect->right <= rect->left || rect->bottom <= rect->top)
        throw std::runtime_error("the plug-in gives no editor size");
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        throw std::runtime_error(
            "--editor needs an X display (none is open here; try xvfb-run -a)");
    const int screen = DefaultScreen(display);
    Window frame = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                       static_cast<unsigned>(width), static_cast<unsigned>(height),
                                       0, BlackPixel(display, screen), BlackPixel(display, screen));
    XMapWindow(display, frame);
    XSync(display, False);
    e->dispatcher(e, effEditOpen, 0, 0, reinterpret_cast<void*>(frame), 0);
    // A host calls idle regularly; a few rounds let the editor draw and reach the screen.
    for (int i = 0; i < 10; i++) {
        e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    XImage* image = XGetImage(display, frame, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    if (image) {
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                const unsigned long p = XGetPixel(image, x, y);
                unsigned char* d = &rgb[(static_cast<size_t>(y) * width + x) * 3];
                d[0] = static_cast<unsigned char>((p & image->red_mask) >> 16);
                d[1] = static_cast<unsigned char>((p & image->green_mask) >> 8);
                d[2] = static_cast<unsigned char>(p & image->blue_mask);
            }
        XDestroyImage(image);
    }
    e->dispatcher(e, effEditClose, 0, 0, nullptr, 0);
    XDestroyWindow(display, frame);
    XCloseDisplay(display);
    if (!image) throw std::runtime_error("could not read the editor's pixels back");
    WriteRgbPng(path, width, height, rgb.data());
}
