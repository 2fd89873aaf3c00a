// The toolkit's three ways of reporting: an exception carrying a formatted message,
// a message box for the user (captioned "Tessel"), and debugger output. Any thread;
// each call formats into its own buffer.
#pragma once

#if defined(__GNUC__)
#define KESTREL_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define KESTREL_PRINTF(f, a)
#endif

// Throws a new[]'ed char* of exactly the formatted length; the catcher owns it.
[[noreturn]] void ThrowString(const char* format, ...) KESTREL_PRINTF(1, 2);
// MessageBoxA(NULL, text, "Tessel", MB_ICONERROR); returns when the box is closed.
void DisplayError(const char* format, ...) KESTREL_PRINTF(1, 2);
// OutputDebugStringA.
void DebugPrint(const char* format, ...) KESTREL_PRINTF(1, 2);
// Opens the address with the desktop's handler.
void ShowWebPage(const char* address);

// Where DisplayError's text goes; a test build of a platform whose message boxes
// block may point it elsewhere. Null restores the message box.
typedef void (*ErrorDisplay)(const char* text);
void SetErrorDisplay(ErrorDisplay display);
