// The room drawn to scale: the wavefronts of both image-source trees at the view
// time, and four node tiles (sources and listeners) that the mouse drags.
#pragma once

#include "reverb/Geometry.h"
#include "ui/LiteControl.h"

#include <memory>
#include <vector>

class CImageSource;
class CKestrel;
class CKestrelGUI;

class CRoomView final : public CLiteControl {
public:
    CRoomView(CKestrelGUI* editor, int x, int y, int width, int height, double opacity,
              CFrameBuffer* tiles, CKestrel* machine);
    ~CRoomView();

    // UI thread. Moves take the machine's lock, then the container's (MoveNode maps
    // through the machine's room); a drag is one gesture on the node's two properties.
    void Draw(CFrameBuffer* target) override;
    void OnMouseMove(int x, int y) override;
    void OnLeftButtonDown(int x, int y) override;
    void OnLeftButtonUp(int x, int y) override;

    // UI thread, under the editor's lock: the model machine's new models. The trees are
    // the model's, which rebuilds them only in its Update on this thread, always followed
    // by a call here; they are drawn at the next idle (RenderIfStale).
    void Update(const CImageSource* left, const CImageSource* right, const SSize* room,
                const SPos* srcLeft, const SPos* srcRight, const SPos* dstLeft,
                const SPos* dstRight, double timeScale);
    // UI thread; takes the container's lock. View time in [0, 1] of the time scale.
    void SetTime(double time);
    void Render();
    // UI thread, without the machine's lock: draws what Update left for later, computing
    // the wavefronts from the view's copies outside every lock.
    void RenderIfStale();
    void RenderNode(int node);
    void NodePos(const SPos* position, int* x, int* y) const;
    SPos* NodePosPtr(int node);
    int InNode(int x, int y) const;
    // The drawing area inside the one-pixel frame, keeping the room's proportions.
    void Area(int* pw, int* ph) const;
    CFrameBuffer* GetPicture() { return Picture; }
    bool IsStale() const { return Stale; } // UI thread
    int GetHoverNode() const { return Hover; }
    double GetTime() const { return Time; }

private:
    CKestrel* Machine;
    CFrameBuffer* Picture;
    CFrameBuffer* Tiles;
    double Opacity;
    // The field's alpha for every area pixel, column by column: what Render draws.
    static void Field(const CImageSource* left, const CImageSource* right, SSize room, int pw,
                      int ph, double t, double opacity, std::vector<unsigned char>& alpha);
    void Publish(const std::vector<unsigned char>& alpha, int pw, int ph);

    std::vector<unsigned char> Alpha; // the last field, kept so a redraw allocates nothing
    const CImageSource* Left;         // the model's trees, rebuilt only before Update
    const CImageSource* Right;
    SSize Room;
    SPos Nodes[4];
    double TimeScale;
    double Time;
    int Hover;
    bool Stale;
    unsigned Generation; // counts updates, so a redraw knows whether a newer one came
    void EndGesture();

    int Dragging;
    int DragNode; // the node a drag holds: its two properties are one gesture
    int DragStartX, DragStartY;
    SPos DragStartPosition;
};
