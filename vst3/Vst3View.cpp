#include "vst3/Vst3View.h"
#include "vst3/Vst3Controller.h"

#include <cstdint>
#include <cstring>

namespace KestrelVst3 {

namespace {

#if defined(_WIN32)
constexpr const char* PlatformType = "HWND";
#else
constexpr const char* PlatformType = "X11EmbedWindowID";
constexpr Linux::TimerInterval IdleMs = 30;
#endif

} // namespace

CView::CView(CController* controller) : Controller(controller) {
    Controller->addRef();
}

CView::~CView() {
    removed();
    setFrame(nullptr);
    Controller->release();
}

tresult PLUGIN_API CView::queryInterface(const TUID iid, void** obj) {
    if (!obj) return kInvalidArgument;
    if (Is(iid, FUnknown_iid, static_cast<IPlugView*>(this), obj) ||
        Is(iid, IPlugView_iid, static_cast<IPlugView*>(this), obj) ||
        Is(iid, IPlugViewContentScaleSupport_iid, static_cast<IPlugViewContentScaleSupport*>(this),
           obj) ||
        Is(iid, Linux::IEventHandler_iid, static_cast<Linux::IEventHandler*>(this), obj) ||
        Is(iid, Linux::ITimerHandler_iid, static_cast<Linux::ITimerHandler*>(this), obj))
        return Found(obj);
    return NotFound(obj);
}

tresult PLUGIN_API CView::isPlatformTypeSupported(FIDString type) {
    return type && std::strcmp(type, PlatformType) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API CView::getSize(ViewRect* size) {
    if (!size) return kInvalidArgument;
    *size = ViewRect{0, 0, Session.Width(), Session.Height()};
    return kResultTrue;
}

tresult PLUGIN_API CView::onSize(ViewRect*) {
    return kResultTrue; // a fixed size: our window keeps it
}

tresult PLUGIN_API CView::checkSizeConstraint(ViewRect* rect) {
    if (!rect) return kInvalidArgument;
    getSize(rect);
    return kResultTrue;
}

tresult PLUGIN_API CView::setFrame(IPlugFrame* frame) {
    if (frame) frame->addRef();
    if (Frame) Frame->release();
    Frame = frame;
    return kResultOk;
}

tresult PLUGIN_API CView::attached(void* parent, FIDString type) {
    try {
        if (!parent || isPlatformTypeSupported(type) != kResultTrue) return kInvalidArgument;
        removed();
#if !defined(_WIN32)
        if (!Frame || Frame->queryInterface(Linux::IRunLoop_iid.Bytes,
                                            reinterpret_cast<void**>(&RunLoop)) != kResultOk)
            RunLoop = nullptr;
        if (!RunLoop) return kResultFalse; // nothing would ever draw it
#endif
        if (!Session.Open(reinterpret_cast<uintptr_t>(parent), Controller)) return kResultFalse;
#if !defined(_WIN32)
        const int fd = Session.Descriptor();
        if (fd >= 0) RunLoop->registerEventHandler(static_cast<Linux::IEventHandler*>(this), fd);
        RunLoop->registerTimer(static_cast<Linux::ITimerHandler*>(this), IdleMs);
#endif
        return kResultOk;
    } catch (...) {
        removed();
        return kInternalError;
    }
}

void CView::Unregister() {
    if (!RunLoop) return;
    RunLoop->unregisterEventHandler(static_cast<Linux::IEventHandler*>(this));
    RunLoop->unregisterTimer(static_cast<Linux::ITimerHandler*>(this));
    RunLoop->release();
    RunLoop = nullptr;
}

tresult PLUGIN_API CView::removed() {
    try {
        Unregister(); // before the display connection closes
        Session.Close();
        return kResultOk;
    } catch (...) {
        return kInternalError;
    }
}

void CView::Serve() {
    try {
        if (Session.Serve()) Resized();
    } catch (...) {
    }
}

void CView::Resized() {
    ViewRect rect{0, 0, Session.Width(), Session.Height()};
    if (Frame) Frame->resizeView(this, &rect);
}

tresult PLUGIN_API CView::setContentScaleFactor(float factor) {
    if (!(factor > 0) || factor > 16) return kResultFalse;
    try {
        const int scale = KestrelScaleForDpi(96.0 * factor);
        if (scale != Session.GetScale()) {
            Session.SetScale(scale);
            Resized();
        }
        return kResultTrue;
    } catch (...) {
        return kInternalError;
    }
}

} // namespace KestrelVst3
