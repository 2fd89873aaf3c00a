#include "reverb/ImageSourcePool.h"
#include "reverb/ImageSource.h"

#include <new>

struct CImageSourcePool::SSlot {
    alignas(CImageSource) unsigned char Bytes[sizeof(CImageSource)];
};

CImageSourcePool::CImageSourcePool() : Slots(new SSlot[Capacity]), Used(0), Lost(0) {}

// The nodes hold nothing but pointers into the slots: releasing the slots is all.
CImageSourcePool::~CImageSourcePool() = default;

CImageSource* CImageSourcePool::Node(int i) const {
    return std::launder(reinterpret_cast<CImageSource*>(Slots[i].Bytes));
}

void* CImageSourcePool::Allocate() {
    if (Used >= Capacity) {
        Lost++;
        return nullptr;
    }
    return Slots[Used++].Bytes;
}

const CImageSource* CImageSourcePool::Build(const SSize* room, const SPos* source, double amplitude,
                                            double reflection, double horizon) {
    Used = 0;
    Lost = 0;
    void* root = Allocate();
    return new (root) CImageSource(this, 0, room, source, amplitude, reflection, horizon);
}
