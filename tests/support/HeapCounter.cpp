#include "support/HeapCounter.h"

#include <cstddef>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);
}

namespace {
// Plain thread-locals of the program itself: reading them never allocates.
thread_local bool Counting = false;
thread_local long Calls = 0;
void Count() {
    if (Counting) Calls++;
}
} // namespace

void KestrelHeap::Begin() {
    Calls = 0;
    Counting = true;
}

long KestrelHeap::End() {
    Counting = false;
    return Calls;
}

extern "C" {
void* malloc(size_t size) {
    Count();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    Count();
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
    Count();
    return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** p, size_t alignment, size_t size) {
    Count();
    *p = __libc_memalign(alignment, size);
    return *p ? 0 : 12; // ENOMEM
}
void free(void* p) {
    if (p) Count();
    __libc_free(p);
}
}
