// The Windows DLL's entry: it records the module handle, whatever the notification.
#include "platform/Module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    hInstance = instance;
    return TRUE;
}
