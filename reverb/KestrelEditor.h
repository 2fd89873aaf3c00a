// What the reverb machine needs of its editor, and nothing more: the reverb knows
// this interface only, and the editor library registers the factory that builds one.
#pragma once

#include "platform/Win32.h"
#include "reverb/FDN.h"
#include "reverb/Geometry.h"
#include "reverb/ImageSource.h"
#include "reverb/StereoFIR.h"

class CKestrel;
struct SKestrelGraphics;

class CKestrelEditor {
public:
    virtual ~CKestrelEditor() = default;
    // Any thread, under the machine's lock: the controls follow a property value.
    virtual void SetProperty(int index, double value) = 0;
    // The status line; the caller holds the editor's lock.
    virtual void SetLCDText(const char* text) = 0;
    // The room view's new models; the caller holds the machine's lock, then the editor's.
    virtual void UpdateRoom(const CImageSource* left, const CImageSource* right, const SSize* room,
                            const SPos* srcLeft, const SPos* srcRight, const SPos* dstLeft,
                            const SPos* dstRight, double timeScale) = 0;
    // The early responses, tap by tap, of both convolvers (n taps).
    virtual void UpdateImpulse(int n, const CStereoFIR* left, const CStereoFIR* right) = 0;
    // The late tail of a copy of the network, n samples after `skip`.
    virtual void UpdateImpulse2(int n, const CFDN* network, int skip) = 0;
    virtual void OnShowGUI() = 0;
    // UI thread, after the machine's idle rebuild, without its lock: draw what waited.
    virtual void OnIdle() = 0;
    // The editor's own lock; always taken after the machine's.
    virtual void LockEditor() = 0;
    virtual void ReleaseEditor() = 0;
    virtual HWND GetEditorWindow() = 0;
};

// Builds the editor inside parent; set by whoever links the editor in (the plug-in).
typedef CKestrelEditor* (*KestrelEditorFactory)(HWND parent, CKestrel* machine,
                                                SKestrelGraphics* graphics);
void SetKestrelEditorFactory(KestrelEditorFactory factory);
KestrelEditorFactory GetKestrelEditorFactory();
