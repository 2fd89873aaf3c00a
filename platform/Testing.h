// What tests may ask of the Win32 subset beyond what Win32 itself offers.
#pragma once

#include <string>

namespace KestrelTesting {

// Everything given to OutputDebugStringA since the last call, then forgotten.
std::string TakeDebugOutput();

} // namespace KestrelTesting
