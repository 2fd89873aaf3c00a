// Sets flush-to-zero and denormals-are-zero for one scope and restores the caller's
// mode after: a decaying tail never falls into slow subnormal arithmetic and decays
// to exact zeros, and the host's own floating-point mode is left as it was.
#pragma once

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <xmmintrin.h>
#define KESTREL_HAS_MXCSR 1
#endif

class CDenormalGuard {
public:
#ifdef KESTREL_HAS_MXCSR
    CDenormalGuard() : Saved(_mm_getcsr()) {
        _mm_setcsr(Saved | FlushToZero | DenormalsAreZero);
    }
    ~CDenormalGuard() {
        _mm_setcsr(Saved);
    }
#else
    CDenormalGuard() {}
#endif
    CDenormalGuard(const CDenormalGuard&) = delete;
    CDenormalGuard& operator=(const CDenormalGuard&) = delete;

private:
#ifdef KESTREL_HAS_MXCSR
    static constexpr unsigned FlushToZero = 0x8000;
    static constexpr unsigned DenormalsAreZero = 0x0040;
    unsigned Saved;
#endif
};
