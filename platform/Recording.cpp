// What the subset records for tests: debug output, message boxes and addresses it was
// asked to open. Part of the plug-in (the recording happens in it); only tests read it.
#include "platform/Recording.h"
#include "platform/WindowState.h"

#include <mutex>
#include <utility>

using namespace KestrelWin32;

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

std::vector<std::string> Boxes, Opens;
bool Capturing = false;

} // namespace

namespace KestrelTesting {

std::vector<std::string> TakeMessageBoxes() {
    Lock lock(State().Lock);
    return std::exchange(Boxes, {});
}

void RecordMessageBox(const std::string& caption, const std::string& text) {
    Lock lock(State().Lock);
    Boxes.push_back(caption + ": " + text);
}

void CaptureShellOpens(bool on) {
    Lock lock(State().Lock);
    Capturing = on;
}

bool RecordShellOpen(const std::string& address) {
    Lock lock(State().Lock);
    if (Capturing) Opens.push_back(address);
    return Capturing;
}

std::vector<std::string> TakeShellOpens() {
    Lock lock(State().Lock);
    return std::exchange(Opens, {});
}

} // namespace KestrelTesting
