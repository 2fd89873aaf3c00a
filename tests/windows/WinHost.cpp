// A Windows host of our own, run under Wine: loads BMKestrel.dll through its entry point
// and checks what a host sees, processes a fixed input and opens the editor in a real
// Win32 window. With a folder of references from the Linux build it compares both.
//
//   winhost BMKestrel.dll REFERENCE_FOLDER
#include "plugin/VstInterface.h"
#include "tests/windows/WinCheck.h"

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Automations = 0, LastAutomated = -1;
VstIntPtr SizedWidth = 0, SizedHeight = 0;

VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                           float) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetSampleRate: return 44100;
    case audioMasterGetBlockSize: return 256;
    case audioMasterAutomate:
        Automations++;
        LastAutomated = index;
        return 0;
    case audioMasterSizeWindow:
        SizedWidth = index;
        SizedHeight = value;
        return 1;
    default: return 0;
    }
}

std::string Text(AEffect* e, VstInt32 opcode, VstInt32 index, size_t size, VstIntPtr* answer) {
    std::vector<char> buffer(size + 32, '#');
    *answer = e->dispatcher(e, opcode, index, 0, buffer.data() + 16, 0);
    bool intact = true;
    for (size_t i = 0; i < 16; i++)
        intact = intact && buffer[i] == '#' && buffer[16 + size + i] == '#';
    Check(intact, "no write outside the interface's buffer");
    return std::string(buffer.data() + 16, strnlen(buffer.data() + 16, size));
}

LRESULT CALLBACK FrameProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

void Pump(AEffect* e, int rounds) {
    for (int i = 0; i < rounds; i++) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0);
        Sleep(10);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: winhost BMKestrel.dll REFERENCE_FOLDER\n");
        return 2;
    }
    HMODULE library = LoadLibraryA(argv[1]);
    Check(library != nullptr, "the DLL loads");
    if (!library) return 1;
    typedef AEffect* (*Entry)(audioMasterCallback);
    auto entry =
        reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, "VSTPluginMain")));
    Check(entry && GetProcAddress(library, "MAIN") && GetProcAddress(library, "main"),
          "VSTPluginMain, MAIN and main are exported undecorated");
    if (!entry) return 1;
    AEffect* e = entry(Host);
    Check(e && e->magic == CCONST('V', 's', 't', 'P'), "an effect record");
    if (!e) return 1;
    Check(e->uniqueID == CCONST('B', 'M', 'K', 'S') && e->flags == 0x1011 && e->numParams == 14 &&
              e->numPrograms == 0 && e->numInputs == 2 && e->numOutputs == 2,
          "'BMKS', flags 0x1011, 14 parameters, no programs, 2 in, 2 out");
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    e->dispatcher(e, effSetBlockSize, 0, 256, nullptr, 0);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0);
    VstIntPtr answer;
    Check(Text(e, effGetParamName, 8, 8, &answer) == "Room Wi", "parameter names cut to 7");
    Check(Text(e, effGetParamDisplay, 12, 8, &answer) == "11025Hz", "display of the cutoff");
    Check(Text(e, effGetVendorString, 0, 64, &answer) == "Brightmoor" && answer == 1, "vendor");
    Text(e, effGetProductString, 0, 64, &answer);
    Check(answer == 0, "no product string");
    Check(e->dispatcher(e, effIdentify, 0, 0, nullptr, 0) == CCONST('N', 'v', 'E', 'f'),
          "identify");
    Check(e->dispatcher(e, effGetVstVersion, 0, 0, nullptr, 0) == 2400, "VST 2.4");
    ERect* rect = nullptr;
    e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0);
    Check(rect && rect->right == 430 && rect->bottom == 200, "editor 430 x 200");

    // A fixed input through the effect, compared with the Linux build's output.
    const int frames = 20000;
    const std::vector<float> input = Input(frames);
    std::vector<float> output;
    for (int at = 0; at < frames; at += 256) {
        const int n = frames - at < 256 ? frames - at : 256;
        std::vector<float> l(input.begin() + at, input.begin() + at + n), r = l, ol(n), orr(n);
        float* ins[2] = {l.data(), r.data()};
        float* outs[2] = {ol.data(), orr.data()};
        e->processReplacing(e, ins, outs, n);
        output.insert(output.end(), ol.begin(), ol.end());
    }
    const std::string folder = argv[2];
    CheckAgainstLinux(output, folder, "VST 2");

    // What a process call costs here: 2 s of audio in 64-frame blocks (a measurement,
    // printed for the README, never a check).
    {
        std::vector<float> l(64, 0.25f), r(64, -0.25f), ol(64), orr(64);
        float* ins[2] = {l.data(), r.data()};
        float* outs[2] = {ol.data(), orr.data()};
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        for (int block = 0; block < 2 * 44100 / 64; block++)
            e->processReplacing(e, ins, outs, 64);
        QueryPerformanceCounter(&end);
        std::printf("2 s of audio in 64-frame blocks: %.1f ms\n",
                    1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    }

    // The editor in a real Win32 window.
    WNDCLASSA frameClass{};
    frameClass.lpfnWndProc = FrameProcedure;
    frameClass.hInstance = GetModuleHandleA(nullptr);
    frameClass.lpszClassName = "KestrelWinHost";
    RegisterClassA(&frameClass);
    HWND frame = CreateWindowExA(0, "KestrelWinHost", "host", WS_POPUP | WS_VISIBLE, 0, 0, 430, 200,
                                 nullptr, nullptr, frameClass.hInstance, nullptr);
    e->dispatcher(e, effEditOpen, 0, 0, frame, 0);
    Pump(e, 10);
    HWND editor = GetWindow(frame, GW_CHILD);
    Check(editor != nullptr, "the editor is a child of the host's window");
    if (editor) {
        HDC windowDC = GetDC(editor);
        HDC memory = CreateCompatibleDC(windowDC);
        HBITMAP bitmap = CreateCompatibleBitmap(windowDC, 430, 200);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, 430, 200, windowDC, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 430;
        info.bmiHeader.biHeight = -200;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<unsigned char> rows(((430 * 3 + 3) & ~3) * 200);
        GetDIBits(memory, bitmap, 0, 200, rows.data(), &info, DIB_RGB_COLORS);
        const std::vector<char> expected = ReadFile(folder + "/linux-editor.raw");
        int differing = -1;
        if (expected.size() == 430u * 200 * 3) {
            differing = 0;
            for (int y = 0; y < 200; y++)
                for (int x = 0; x < 430; x++) {
                    const unsigned char* p = &rows[y * ((430 * 3 + 3) & ~3) + x * 3];
                    const unsigned char* q =
                        reinterpret_cast<const unsigned char*>(&expected[(y * 430 + x) * 3]);
                    differing += p[2] != q[0] || p[1] != q[1] || p[0] != q[2];
                }
        }
        std::printf("editor pixels differing from the Linux headless rendering: %d\n", differing);
        Check(differing == 0, "the editor shows what the Linux build draws");
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(editor, windowDC);

        // A drag on the Feedback knob, as mouse messages: automation for parameter 11.
        const int x = 264 + 16, y = 158 + 19;
        SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        for (int dy = 3; dy <= 30; dy += 3)
            SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y - dy));
        SendMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(x, y - 30));
        Check(Automations > 0 && LastAutomated == 11, "a knob drag reaches the host as automation");

        // A host's scale call: the editor twice as large, and the host asked to follow.
        const VstIntPtr answer = e->dispatcher(e, effVendorSpecific, CCONST('P', 'r', 'e', 'S'),
                                               CCONST('A', 'e', 'C', 's'), nullptr, 2.0f);
        Pump(e, 3);
        RECT client{};
        GetClientRect(editor, &client);
        ERect* rect = nullptr;
        e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0);
        Check(answer == 1 && client.right == 860 && client.bottom == 400 && rect &&
                  rect->right == 860 && rect->bottom == 400 && SizedWidth == 860 &&
                  SizedHeight == 400,
              "the host's scale call makes the editor 860 x 400");
    }
    e->dispatcher(e, effEditClose, 0, 0, nullptr, 0);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0);
    DestroyWindow(frame);
    std::printf("windows host: %d checks passed, %d failed\n", Passes, Failures);
    return Failures == 0 ? 0 : 1;
}
