#include "reverb/ImageSourcePool.h"
#include "reverb/ImageSource.h"

#include <new>

struct CImageSourcePool::SSlot {
    alignas(CImageSource) unsigned char Bytes[sizeof(CImageSource)];
};

CImageSourcePool::CImageSourcePool()
    : Slots(new SSlot[Capacity]), Xs(new double[Capacity]), Ys(new double[Capacity]),
      Parents(new int[Capacity]), Used(0), Lost(0) {}

// The nodes hold nothing but pointers into the slots: releasing the slots is all.
CImageSourcePool::~CImageSourcePool() = default;

CImageSource* CImageSourcePool::Node(int i) const {
    return std::launder(reinterpret_cast<CImageSource*>(Slots[i].Bytes));
}

void* CImageSourcePool::Allocate(const CImageSource* parent, double x, double y) {
    if (Used >= Capacity) {
        Lost++;
        return nullptr;
    }
    // Nodes take their slots as the recursion creates them, so slot order is the walk's
    // order, and every child's slot lies after its parent's: the flat arrays are written
    // here, as the tree is built.
    Parents[Used] =
        parent ? static_cast<int>(reinterpret_cast<const SSlot*>(parent) - Slots.get()) : -1;
    Xs[Used] = x;
    Ys[Used] = y;
    return Slots[Used++].Bytes;
}

const CImageSource* CImageSourcePool::Build(const SSize* room, const SPos* source, double amplitude,
                                            double reflection, double horizon) {
    Used = 0;
    Lost = 0;
    void* root = Allocate(nullptr, source->x, source->y);
    return new (root) CImageSource(this, 0, room, source, amplitude, reflection, horizon);
}

void CImageSourcePool::SetReflection(double reflection) {
    for (int i = 1; i < Used; i++)
        Node(i)->Amplitude = Node(Parents[i])->Amplitude * reflection;
}

void CImageSourcePool::Copy(const CImageSource* tree) {
    Used = 0;
    Lost = 0;
    if (tree) CopyNode(tree, nullptr);
}

CImageSource* CImageSourcePool::CopyNode(const CImageSource* from, const CImageSource* parent) {
    void* slot = Allocate(parent, from->x, from->y);
    if (!slot) return nullptr;
    auto* node = new (slot) CImageSource;
    node->Amplitude = from->Amplitude;
    node->x = from->x;
    node->y = from->y;
    node->Pool = this;
    for (int i = 0; i < from->ChildCount; i++)
        if (CImageSource* child = CopyNode(from->Children[i], node))
            node->Children[node->ChildCount++] = child;
    return node;
}
