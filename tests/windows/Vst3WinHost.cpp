// The VST 3 bundle's Windows DLL under Wine, as a Windows host loads it: the entry
// points, the factory, the same fixed input as the VST 2 DLL (compared with the Linux
// build's output), the texts, and the editor in a real Win32 window with a knob drag.
//
//   winhost3 BMKestrel.vst3 REFERENCE_FOLDER
#include "plugin/FormatIds.h"
#include "vst3/Vst3Host.h"

#include <windows.h>

#include "tests/windows/WinCheck.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace Vst3Test;

namespace {

LRESULT CALLBACK FrameProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: winhost3 BMKestrel.vst3 REFERENCE_FOLDER\n");
        return 2;
    }
    HMODULE library = LoadLibraryA(argv[1]);
    Check(library != nullptr, "the module loads");
    if (!library) return 1;
    using Init = bool(PLUGIN_API*)();
    using Factory = IPluginFactory*(PLUGIN_API*)();
    auto init = reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(library, "InitDll")));
    auto getFactory = reinterpret_cast<Factory>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetPluginFactory")));
    Check(init && getFactory && GetProcAddress(library, "ExitDll"),
          "GetPluginFactory, InitDll and ExitDll exported undecorated");
    if (!init || !getFactory) return 1;
    Check(init(), "InitDll");
    IPluginFactory* factory = getFactory();
    PClassInfo info{};
    Check(factory && factory->countClasses() == 2 && factory->getClassInfo(0, &info) == kResultOk &&
              std::memcmp(info.cid, KestrelVst3Processor.Bytes, 16) == 0 &&
              std::strcmp(info.name, "BM Kestrel") == 0,
          "the factory's processor class, its ID in the Windows layout");
    void* obj = nullptr;
    factory->createInstance(KestrelVst3Processor.Bytes, IComponent_iid.Bytes, &obj);
    auto* component = static_cast<IComponent*>(obj);
    factory->createInstance(KestrelVst3Controller.Bytes, IEditController_iid.Bytes, &obj);
    auto* controller = static_cast<IEditController*>(obj);
    Check(component && controller, "both classes made");
    if (!component || !controller) return 1;
    component->initialize(nullptr);
    controller->initialize(nullptr);
    IAudioProcessor* processor = nullptr;
    component->queryInterface(IAudioProcessor_iid.Bytes, reinterpret_cast<void**>(&processor));
    ProcessSetup setup{kRealtime, kSample32, 256, 44100.0};
    Check(processor && processor->setupProcessing(setup) == kResultOk, "setupProcessing");
    component->setActive(1);
    processor->setProcessing(1);

    const int frames = 20000;
    const std::vector<float> input = Input(frames);
    std::vector<float> output;
    for (int at = 0; at < frames; at += 256) {
        const int n = frames - at < 256 ? frames - at : 256;
        std::vector<float> l(input.begin() + at, input.begin() + at + n), r = l;
        float* channels[2] = {l.data(), r.data()};
        AudioBusBuffers in{}, out{};
        in.numChannels = out.numChannels = 2;
        in.channelBuffers32 = out.channelBuffers32 = channels;
        ProcessData data{};
        data.symbolicSampleSize = kSample32;
        data.numSamples = n;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        processor->process(data);
        output.insert(output.end(), l.begin(), l.end());
    }
    CheckAgainstLinux(output, argv[2], "VST 3");
    String128 text{};
    controller->getParamStringByValue(8, 0.5, text); // Room Width
    Check(text[0] == u'2' && text[1] == u'0' && text[2] == u'm' && text[3] == 0, "Room Width 20m");

    // The editor, a child of the host's HWND, served by the host's message loop.
    SHandler handler;
    controller->setComponentHandler(&handler);
    IPlugView* view = controller->createView("editor");
    WNDCLASSA frameClass{};
    frameClass.lpfnWndProc = FrameProcedure;
    frameClass.hInstance = GetModuleHandleA(nullptr);
    frameClass.lpszClassName = "KestrelVst3Host";
    RegisterClassA(&frameClass);
    HWND frame = CreateWindowExA(0, "KestrelVst3Host", "host", WS_POPUP | WS_VISIBLE, 0, 0, 430,
                                 200, nullptr, nullptr, frameClass.hInstance, nullptr);
    const tresult attached = view ? view->attached(frame, "HWND") : kInternalError;
    std::printf("attached: %ld\n", static_cast<long>(attached));
    Check(view && view->isPlatformTypeSupported("HWND") == kResultTrue && attached == kResultOk,
          "the view attaches to an HWND");
    for (int i = 0; i < 10; i++) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
    HWND editor = GetWindow(frame, GW_CHILD);
    Check(editor != nullptr, "the editor is a child of the host's window");
    if (editor) {
        const int x = 264 + 16, y = 158 + 19;
        SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        for (int dy = 3; dy <= 30; dy += 3)
            SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y - dy));
        SendMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(x, y - 30));
        Check(handler.Edits.size() >= 3 && handler.Edits.front() == "begin 11" &&
                  handler.Edits.back() == "end 11",
              "a knob drag is begin, perform, end on the component handler");
    }
    if (view) {
        view->removed();
        Check(view->release() == 0, "the view's last reference");
    }
    controller->setComponentHandler(nullptr);
    processor->setProcessing(0);
    component->setActive(0);
    component->terminate();
    controller->terminate();
    processor->release();
    Check(component->release() == 0 && controller->release() == 0, "every reference returned");
    factory->release();
    DestroyWindow(frame);
    std::printf("windows VST 3 host: %d checks passed, %d failed\n", Passes, Failures);
    return Failures == 0 ? 0 : 1;
}
