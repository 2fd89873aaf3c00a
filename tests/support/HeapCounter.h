// Counts the heap calls (malloc, free and their kin) that the calling thread makes
// between Begin and End. Linking HeapCounter.cpp into a program replaces the C
// library's allocator entry points with counting ones that forward to its own, so
// calls from a loaded plug-in count too. Not for sanitizer builds, which replace them
// themselves.
#pragma once

namespace KestrelHeap {
void Begin(); // this thread starts counting from 0
long End();   // stops, and returns the count
} // namespace KestrelHeap
