// What the reverb machine needs of its editor, and nothing more: the reverb knows
// this interface only, and the editor library registers the factory that builds one.
// The machine reaches its editor from the UI thread alone; the audio thread only marks
// what changed (CKestrel::UpdateGUI…) and the editor takes it on its idle.
#pragma once

#include "platform/Win32.h"

class CKestrel;
struct SKestrelGraphics; // the editor's artwork: opaque to the reverb

// The editor's size in pixels: its background picture's, which the artwork's own tests
// hold to these numbers.
constexpr short KestrelEditorWidth = 430, KestrelEditorHeight = 200;

class CKestrelEditor {
public:
    virtual ~CKestrelEditor() = default;
    // UI thread; takes the editor's lock: the status line.
    virtual void SetLCDText(const char* text) = 0;
    // UI thread; no lock.
    virtual void OnShowGUI() = 0;
    // UI thread, after the machine's idle rebuild, without its lock: takes what changed
    // (CKestrel::TakeEditorState holds the machine's lock for the copy only), then draws
    // outside every lock but the editor's own.
    virtual void OnIdle() = 0;
    // UI thread; no lock.
    virtual HWND GetEditorWindow() = 0;
    // UI thread; takes the editor's lock: every pixel shown as a scale × scale block
    // (1 … 4), the editor's window that much larger.
    virtual void SetScale(int scale) = 0;
};

// UI thread: builds the editor inside parent; set by whoever links the editor in (the
// plug-in). Takes no machine lock.
typedef CKestrelEditor* (*KestrelEditorFactory)(HWND parent, CKestrel* machine,
                                                SKestrelGraphics* graphics);
// any thread
void SetKestrelEditorFactory(KestrelEditorFactory factory);
KestrelEditorFactory GetKestrelEditorFactory();
