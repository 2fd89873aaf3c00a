#include "vst3/Vst3View.h"
#include "plugin/SharedArtwork.h"
#include "vst3/Vst3Controller.h"
#if !defined(_WIN32)
#include "platform/NativeParent.h"
#include "platform/Presenter.h"
#endif

#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

namespace KestrelVst3 {

namespace {

#if defined(_WIN32)
constexpr const char* PlatformType = "HWND";
constexpr UINT_PTR IdleTimer = 0x4B56;
// The views with an open editor, by the editor's window: their timer's way back.
std::map<HWND, CView*>& Views() {
    static std::map<HWND, CView*> views;
    return views;
}
void CALLBACK IdleTick(HWND window, UINT, UINT_PTR, DWORD) {
    auto it = Views().find(window);
    if (it != Views().end()) it->second->Serve();
}
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
    if (!Scale) Scale = KestrelEditorScale(nullptr);
    *size = ViewRect{0, 0, KestrelEditorWidth * Scale, KestrelEditorHeight * Scale};
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
        if (Editor) removed();
#if defined(_WIN32)
        Scale = KestrelEditorScale(parent);
        Editor = std::make_unique<CModelEditor>(static_cast<HWND>(parent), Controller,
                                                KestrelSharedArtwork());
        Editor->SetScale(Scale);
        HWND window = Editor->GetEditorWindow();
        Views()[window] = this;
        SetTimer(window, IdleTimer, 33, IdleTick);
#else
        if (!Frame || Frame->queryInterface(Linux::IRunLoop_iid.Bytes,
                                            reinterpret_cast<void**>(&RunLoop)) != kResultOk)
            RunLoop = nullptr;
        if (!RunLoop) return kResultFalse; // nothing would ever draw it
        if (!Scale) Scale = KestrelEditorScale(parent);
        Parent = KestrelAttachNativeParent(reinterpret_cast<uintptr_t>(parent),
                                           KestrelEditorWidth * Scale, KestrelEditorHeight * Scale);
        Editor = std::make_unique<CModelEditor>(Parent, Controller, KestrelSharedArtwork());
        Editor->SetScale(Scale);
        const int fd = KestrelNativeParentDescriptor(Parent);
        if (fd >= 0) RunLoop->registerEventHandler(static_cast<Linux::IEventHandler*>(this), fd);
        RunLoop->registerTimer(static_cast<Linux::ITimerHandler*>(this), IdleMs);
        KestrelPumpEvents(Parent);
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
#if defined(_WIN32)
        if (Editor) {
            HWND window = Editor->GetEditorWindow();
            KillTimer(window, IdleTimer);
            Views().erase(window);
        }
        Editor.reset();
#else
        Unregister(); // before the display connection closes
        Editor.reset();
        if (Parent) KestrelDetachNativeParent(Parent);
        Parent = nullptr;
#endif
        return kResultOk;
    } catch (...) {
        return kInternalError;
    }
}

void CView::Serve() {
    try {
        if (!Editor) return;
        Editor->OnIdle();
#if !defined(_WIN32)
        int scale = Scale;
        if (ScaleWatch.Changed(Parent, Scale, &scale)) Rescale(scale);
        KestrelPumpEvents(Parent); // this editor's session alone
#endif
    } catch (...) {
    }
}

void CView::Rescale(int scale) {
    Scale = scale;
    ViewRect rect{0, 0, KestrelEditorWidth * Scale, KestrelEditorHeight * Scale};
#if !defined(_WIN32)
    if (Parent) KestrelResizeNativeParent(Parent, rect.right, rect.bottom);
#endif
    if (Editor) Editor->SetScale(Scale);
    if (Frame) Frame->resizeView(this, &rect);
}

tresult PLUGIN_API CView::setContentScaleFactor(float factor) {
    if (!(factor > 0) || factor > 16) return kResultFalse;
    try {
        const int scale = KestrelScaleForDpi(96.0 * factor);
        if (scale != Scale) Rescale(scale);
        return kResultTrue;
    } catch (...) {
        return kInternalError;
    }
}

} // namespace KestrelVst3
