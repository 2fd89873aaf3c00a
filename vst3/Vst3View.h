// The VST 3 editor view: the same editor as every format, drawn from a model of its own
// that follows the controller's values. On Linux it lives in an X11 child of the
// host's window, and every event and drawing runs from the host's run loop (the display
// connection's descriptor and a timer): no thread and no idle call of its own. On
// Windows it is a child of the host's HWND, served by the host's message loop and a
// window timer. UI thread only; no lock but the editor's own.
#pragma once

#include "plugin/EditorSession.h"
#include "vst3/Vst3Editing.h"
#include "vst3/Vst3Object.h"

namespace KestrelVst3 {

class CController;

class CView final : public CObject<IPlugView>,
                    public IPlugViewContentScaleSupport,
                    public Linux::IEventHandler,
                    public Linux::ITimerHandler {
public:
    explicit CView(CController* controller); // holds a reference to it
    ~CView() override;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
    uint32 PLUGIN_API addRef() override { return CObject::addRef(); }
    uint32 PLUGIN_API release() override { return CObject::release(); }

    tresult PLUGIN_API isPlatformTypeSupported(FIDString type) override;
    tresult PLUGIN_API attached(void* parent, FIDString type) override;
    tresult PLUGIN_API removed() override;
    tresult PLUGIN_API onWheel(float) override { return kResultFalse; }
    tresult PLUGIN_API onKeyDown(char16, int16, int16) override { return kResultFalse; }
    tresult PLUGIN_API onKeyUp(char16, int16, int16) override { return kResultFalse; }
    tresult PLUGIN_API getSize(ViewRect* size) override;
    tresult PLUGIN_API onSize(ViewRect* newSize) override;
    tresult PLUGIN_API onFocus(TBool) override { return kResultOk; }
    tresult PLUGIN_API setFrame(IPlugFrame* frame) override;
    tresult PLUGIN_API canResize() override { return kResultFalse; }
    tresult PLUGIN_API checkSizeConstraint(ViewRect* rect) override;

    // 1.5 and the like become whole scales (2), as in the other formats.
    tresult PLUGIN_API setContentScaleFactor(float factor) override;

    // The host's run loop: the display connection is readable, or the timer is due.
    void PLUGIN_API onFDIsSet(Linux::FileDescriptor) override { Serve(); }
    void PLUGIN_API onTimer() override { Serve(); }

    // UI thread: the editor's idle (the session's; Windows: its timer calls it itself).
    void Serve();

private:
    void Resized(); // tells the frame the session's size
    void Unregister();

    CController* Controller;
    IPlugFrame* Frame = nullptr;
    Linux::IRunLoop* RunLoop = nullptr; // kept until the handlers are unregistered
    CEditorSession Session;
};

} // namespace KestrelVst3
