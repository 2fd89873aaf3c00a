// Storage for the nodes of one image-source tree, reserved when it is made: building a
// tree into it allocates nothing, so the room can be rebuilt on the audio thread. A
// new tree replaces the old one in place; readers of the old tree must be done with it.
#pragma once

#include "reverb/Geometry.h"

#include <memory>

class CImageSource;

class CImageSourcePool {
public:
    // Nodes one pool holds. The 0.075 s horizon (25.95 m) and the smallest room
    // (10 m × 10 m) bound a tree at 104 nodes, with the source near a wall; the rest
    // is margin. Larger rooms hold fewer.
    static constexpr int Capacity = 256;

    CImageSourcePool();
    ~CImageSourcePool();

    // Replaces the tree by the one CImageSource(0, room, source, amplitude, reflection,
    // horizon) would build; horizon in seconds. No lock: the caller owns the pool.
    const CImageSource* Build(const SSize* room, const SPos* source, double amplitude,
                              double reflection, double horizon);
    const CImageSource* Root() const { return Used > 0 ? Node(0) : nullptr; }
    // Replaces the tree by a copy of `tree` (a heap tree, say), node for node.
    void Copy(const CImageSource* tree);
    // The same tree after the walls changed: every node's amplitude again its parent's
    // times reflection, as building it computes them; the root keeps its own.
    void SetReflection(double reflection);
    void Clear() { Used = 0; }
    int Size() const { return Used; }
    // Nodes the last Build could not place (0 for every room the machine makes).
    int Dropped() const { return Lost; }

    // A free node's storage for a node at (x, y) whose parent is `parent` (null for the
    // root), or null when the pool is full (counted in Dropped).
    void* Allocate(const CImageSource* parent, double x, double y);

    // The tree flattened in the walk's order (depth first, children in slot order): node
    // i's position, its parent's index (-1 for the root, always below i) and its depth.
    const double* X() const { return Xs.get(); }
    const double* Y() const { return Ys.get(); }
    const int* Parent() const { return Parents.get(); }
    const CImageSource* At(int i) const { return Node(i); }

    CImageSourcePool(const CImageSourcePool&) = delete;
    CImageSourcePool& operator=(const CImageSourcePool&) = delete;

private:
    struct SSlot;
    CImageSource* Node(int i) const;
    CImageSource* CopyNode(const CImageSource* from, const CImageSource* parent);

    std::unique_ptr<SSlot[]> Slots;
    std::unique_ptr<double[]> Xs, Ys;
    std::unique_ptr<int[]> Parents;
    int Used;
    int Lost;
};
