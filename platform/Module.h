// The library's module handles, set by the entry points: resources and the window
// class are looked up in AppInstance. Exported by name from the plug-in.
#pragma once

#include "platform/Win32.h"

extern "C" {
extern HINSTANCE hInstance;
extern HINSTANCE AppInstance;
}
