#include "platform/Module.h"

extern "C" {
HINSTANCE hInstance = nullptr;
HINSTANCE AppInstance = nullptr;
}
