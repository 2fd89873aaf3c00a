// One open editor embedded in a host's window, for the formats that give the plug-in the
// window and call it back (VST 3, CLAP): the model editor, its window inside the host's,
// its whole-number scale, and what a host's run loop or timer serves. On Linux the editor
// is an X11 child of the host's window on a connection of its own, served only by
// Serve (the host's timer and the connection's descriptor); on Windows a child of the
// host's HWND, served by the host's message loop and a window timer of its own that
// calls Serve. UI thread only; no lock but the editor's own.
#pragma once

#include "editor/ModelEditor.h"
#include "plugin/EditorScale.h"

#include <cstdint>
#include <memory>

class CEditorSession {
public:
    ~CEditorSession() { Close(); }

    // The scale the editor opens at (0: chosen from the screen when it opens).
    void SetScale(int scale);
    int GetScale();
    // Pixels at the scale.
    int Width() { return KestrelEditorWidth * GetScale(); }
    int Height() { return KestrelEditorHeight * GetScale(); }

    // Builds the editor inside the host's window (an X11 Window id, or an HWND); false
    // when it could not. The link outlives the session.
    bool Open(uintptr_t hostWindow, CKestrelEditorLink* link);
    void Close();
    bool IsOpen() const { return Editor != nullptr; }
    // The display connection's descriptor, for the host's run loop (-1: none, Windows).
    int Descriptor() const;
    // The editor's idle: the model follows its link, draws, and this session's windows,
    // timers and connection are served. True when the desktop asked for another scale
    // (the new size is Width × Height): the caller tells its host.
    bool Serve();

private:
    std::unique_ptr<CModelEditor> Editor;
    HWND Parent = nullptr; // Linux: our window inside the host's
    int Scale = 0;
#if !defined(_WIN32)
    CScaleWatch ScaleWatch;
#endif
};
