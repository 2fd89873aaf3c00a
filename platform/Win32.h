// The Win32 API as the toolkit sees it: the real one on Windows, our subset elsewhere.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// windows.h first: the others build on it.
// clang-format off
#include <windows.h>
#include <windowsx.h>
#include <shellapi.h>
// clang-format on
#else
#include "platform/Gdi.h"
#include "platform/Kernel.h"
#include "platform/Resources.h"
#include "platform/User.h"
#include "platform/Win32Types.h"
#endif
