#include "platform/ErrorReporting.h"
#include "platform/Win32.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <memory>

namespace {

std::atomic<ErrorDisplay> Display{nullptr};

// A new[]'ed buffer of exactly the formatted length plus the terminator.
char* Format(const char* format, va_list arguments) {
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    const size_t size = length > 0 ? static_cast<size_t>(length) + 1 : 1;
    char* text = new char[size];
    if (length > 0)
        std::vsnprintf(text, size, format, arguments);
    else
        text[0] = 0;
    return text;
}

} // namespace

void ThrowString(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    char* text = Format(format, arguments);
    va_end(arguments);
    throw text;
}

void DisplayError(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::unique_ptr<char[]> text(Format(format, arguments));
    va_end(arguments);
    if (ErrorDisplay display = Display.load())
        display(text.get());
    else
        MessageBoxA(nullptr, text.get(), "Tessel", MB_ICONERROR);
}

void DebugPrint(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::unique_ptr<char[]> text(Format(format, arguments));
    va_end(arguments);
    OutputDebugStringA(text.get());
}

void ShowWebPage(const char* address) {
    ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

void SetErrorDisplay(ErrorDisplay display) {
    Display.store(display);
}
