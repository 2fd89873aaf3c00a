// The whole-number scale an editor is shown at on this screen. UI thread; no lock.
#pragma once

// KESTREL_UI_SCALE (1 … 4) first, for desktops that report nothing; else GDK_SCALE;
// else the screen's resolution: on Windows the DPI of the host's window (parent), on
// Linux the X server's Xft.dpi.
int KestrelEditorScale(void* parent);
// Whether the user fixed the scale (KESTREL_UI_SCALE or GDK_SCALE): then a change of
// the screen's resolution does not change it.
bool KestrelEditorScaleIsFixed();
// The whole number nearest to dpi / 96 (1.5 gives 2), from 1 to 4; 1 for an unknown (0)
// resolution.
int KestrelScaleForDpi(double dpi);
