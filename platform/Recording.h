// What the Win32 subset records for tests while it runs: debug output, message boxes
// and addresses it was asked to open. Any thread; each takes the subset's lock (debug
// output a lock of its own).
#pragma once

#include <string>
#include <vector>

namespace KestrelTesting {

// Everything given to OutputDebugStringA since the last call, then forgotten.
std::string TakeDebugOutput();
// "caption: text" of every MessageBoxA since the last call.
std::vector<std::string> TakeMessageBoxes();
void RecordMessageBox(const std::string& caption, const std::string& text);
// While on, ShellExecuteA records the address instead of opening it.
void CaptureShellOpens(bool on);
bool RecordShellOpen(const std::string& address); // true when captured
std::vector<std::string> TakeShellOpens();

} // namespace KestrelTesting
