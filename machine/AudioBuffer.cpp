#include "machine/AudioBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// A channel is malloc'ed 16 bytes larger than it needs, placed on the next 16-byte
// boundary above the allocation, and the allocation's own address is kept in the
// pointer-wide slot just below the channel, from where freeing takes it.
double* AllocateChannel(int frames) {
    if (frames <= 0) return nullptr;
    const size_t limit = (std::numeric_limits<size_t>::max() - 16) / sizeof(double);
    if (static_cast<size_t>(frames) > limit) return nullptr;
    void* block = std::malloc(static_cast<size_t>(frames) * sizeof(double) + 16);
    if (!block) return nullptr;
    const uintptr_t address = reinterpret_cast<uintptr_t>(block);
    const uintptr_t aligned = (address & ~static_cast<uintptr_t>(15)) + 16;
    std::memcpy(reinterpret_cast<void*>(aligned - sizeof(void*)), &block, sizeof(void*));
    return reinterpret_cast<double*>(aligned);
}

void FreeChannel(double* channel) {
    if (!channel) return;
    void* block;
    std::memcpy(&block, reinterpret_cast<char*>(channel) - sizeof(void*), sizeof(void*));
    std::free(block);
}

void Silence(double* channel, int frames) {
    if (!channel) return;
    for (int i = 0; i < frames; i++)
        channel[i] = 0.0;
}

} // namespace

CAudioBuffer::CAudioBuffer(int frames, bool stereo)
    : Left(nullptr), Right(nullptr), Stereo(stereo), Frames(frames) {
    Allocate();
    Clear();
}

CAudioBuffer::~CAudioBuffer() {
    FreeChannels();
}

void CAudioBuffer::Clear() {
    Silence(Left, Frames);
    if (Stereo) Silence(Right, Frames);
}

void CAudioBuffer::Resize(int frames) {
    if (frames != Frames) {
        FreeChannels();
        Frames = frames;
        Allocate();
    }
    Clear();
}

int CAudioBuffer::Capacity() const {
    if (Frames <= 0 || !Left || (Stereo && !Right)) return 0;
    return Frames;
}

void CAudioBuffer::Allocate() {
    Left = AllocateChannel(Frames);
    Right = Stereo ? AllocateChannel(Frames) : nullptr;
}

void CAudioBuffer::FreeChannels() {
    FreeChannel(Left);
    FreeChannel(Right);
    Left = Right = nullptr;
}
