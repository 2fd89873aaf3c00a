// The editor as the CLAP gui extension: embedded only ("x11" with the host's timers and
// descriptors, "win32" with its message loop), the same editor and gestures as every
// format. Main thread; no lock but the editor's own.
#include "clap/ClapPlugin.h"

#include <cstring>

namespace {
#if defined(_WIN32)
constexpr const char* Api = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* Api = CLAP_WINDOW_API_X11;
#endif
constexpr uint32_t IdleMs = 30;
} // namespace

bool CClapPlugin::GuiSupported(const char* api, bool floating) const {
    if (!api || floating || std::strcmp(api, Api) != 0) return false;
#if defined(_WIN32)
    return true;
#else
    // Nothing else would ever call the editor back: no idle call in CLAP.
    return HostTimers && HostTimers->register_timer && HostTimers->unregister_timer && HostFds &&
           HostFds->register_fd && HostFds->unregister_fd;
#endif
}

bool CClapPlugin::GuiCreate(const char* api, bool floating) {
    if (!GuiSupported(api, floating)) return false;
    GuiDestroy();
    GuiMade = true; // the window comes with the parent
    return true;
}

void CClapPlugin::GuiDestroy() {
    if (Timer != CLAP_INVALID_ID && HostTimers) HostTimers->unregister_timer(HostRecord, Timer);
    if (Fd >= 0 && HostFds) HostFds->unregister_fd(HostRecord, Fd);
    Timer = CLAP_INVALID_ID;
    Fd = -1;
    Session.Close(); // after the descriptor is no longer watched
    GuiMade = false;
}

bool CClapPlugin::GuiSetScale(double scale) {
    if (!(scale > 0) || scale > 16) return false;
    Session.SetScale(KestrelScaleForDpi(96.0 * scale));
    return true;
}

bool CClapPlugin::GuiSetParent(const clap_window_t* window) {
    if (!GuiMade || !window || !window->api || std::strcmp(window->api, Api) != 0) return false;
#if defined(_WIN32)
    return Session.Open(reinterpret_cast<uintptr_t>(window->win32), this);
#else
    if (!Session.Open(static_cast<uintptr_t>(window->x11), this)) return false;
    const int fd = Session.Descriptor();
    if (fd >= 0 && HostFds->register_fd(HostRecord, fd, CLAP_POSIX_FD_READ)) Fd = fd;
    if (!HostTimers->register_timer(HostRecord, IdleMs, &Timer)) Timer = CLAP_INVALID_ID;
    return true;
#endif
}

void CClapPlugin::GuiServe() {
    try {
        if (Session.Serve() && HostGui && HostGui->request_resize)
            HostGui->request_resize(HostRecord, static_cast<uint32_t>(Session.Width()),
                                    static_cast<uint32_t>(Session.Height()));
    } catch (...) {
    }
}

const clap_plugin_gui_t CClapPlugin::GuiTable = {
    [](const clap_plugin_t* p, const char* api, bool floating) -> bool {
        return Of(p)->GuiSupported(api, floating);
    },
    [](const clap_plugin_t*, const char** api, bool* floating) -> bool {
        if (api) *api = Api;
        if (floating) *floating = false;
        return true;
    },
    [](const clap_plugin_t* p, const char* api, bool floating) -> bool {
        try {
            return Of(p)->GuiCreate(api, floating);
        } catch (...) {
            return false;
        }
    },
    [](const clap_plugin_t* p) {
        try {
            Of(p)->GuiDestroy();
        } catch (...) {
        }
    },
    [](const clap_plugin_t* p, double scale) -> bool {
        try {
            return Of(p)->GuiSetScale(scale);
        } catch (...) {
            return false;
        }
    },
    [](const clap_plugin_t* p, uint32_t* width, uint32_t* height) -> bool {
        if (!width || !height) return false;
        *width = static_cast<uint32_t>(Of(p)->Session.Width());
        *height = static_cast<uint32_t>(Of(p)->Session.Height());
        return true;
    },
    [](const clap_plugin_t*) -> bool { return false; },
    [](const clap_plugin_t*, clap_gui_resize_hints_t*) -> bool { return false; },
    [](const clap_plugin_t* p, uint32_t* width, uint32_t* height) -> bool {
        if (!width || !height) return false;
        *width = static_cast<uint32_t>(Of(p)->Session.Width()); // one size only
        *height = static_cast<uint32_t>(Of(p)->Session.Height());
        return true;
    },
    [](const clap_plugin_t* p, uint32_t width, uint32_t height) -> bool {
        return width == static_cast<uint32_t>(Of(p)->Session.Width()) &&
               height == static_cast<uint32_t>(Of(p)->Session.Height());
    },
    [](const clap_plugin_t* p, const clap_window_t* window) -> bool {
        try {
            return Of(p)->GuiSetParent(window);
        } catch (...) {
            return false;
        }
    },
    [](const clap_plugin_t*, const clap_window_t*) -> bool { return false; },
    [](const clap_plugin_t*, const char*) {},
    [](const clap_plugin_t*) -> bool { return true; },
    [](const clap_plugin_t*) -> bool { return true; },
};

const clap_plugin_timer_support_t CClapPlugin::TimerTable = {
    [](const clap_plugin_t* p, clap_id) { Of(p)->GuiServe(); },
};

const clap_plugin_posix_fd_support_t CClapPlugin::FdTable = {
    [](const clap_plugin_t* p, int, uint32_t) { Of(p)->GuiServe(); },
};
