// The whole-number scale an editor is shown at on this screen. UI thread; no lock.
#pragma once

// KESTREL_UI_SCALE (1 … 4) first, for desktops that report nothing; else GDK_SCALE;
// else the screen's resolution: on Windows the DPI of the host's window (parent), on
// Linux the X server's Xft.dpi.
int KestrelEditorScale(void* parent);
#if !defined(_WIN32)
#include "platform/Win32.h"

// An open editor's scale as the desktop changes its resolution: at most once a second,
// Changed looks at Xft.dpi on the editor's own connection (nativeParent) and says
// whether it now asks for another scale than current (the new one in *scale). A scale
// the user fixed never changes.
class CScaleWatch {
public:
    bool Changed(HWND nativeParent, int current, int* scale);

private:
    DWORD Checked = 0; // GetTickCount of the last look
};
#endif

// The whole number nearest to dpi / 96 (1.5 gives 2), from 1 to 4; 1 for an unknown (0)
// resolution.
int KestrelScaleForDpi(double dpi);
