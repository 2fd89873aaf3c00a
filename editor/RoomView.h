// The room drawn to scale: the wavefronts of both image-source trees at the view
// time, and four node tiles (sources and listeners) that the mouse drags.
#pragma once

#include "reverb/Geometry.h"
#include "ui/LiteControl.h"

class CImageSource;
class CKestrel;
class CKestrelGUI;

class CRoomView final : public CLiteControl {
public:
    CRoomView(CKestrelGUI* editor, int x, int y, int width, int height, double opacity,
              CFrameBuffer* tiles, CKestrel* machine);
    ~CRoomView();

    void Draw(CFrameBuffer* target) override;
    void OnMouseMove(int x, int y) override;
    void OnLeftButtonDown(int x, int y) override;
    void OnLeftButtonUp(int x, int y) override;

    // The machine's new models (it holds its lock, then the editor's); renders, or, when
    // the last render was under MinimumRenderInterval ago (automation at every block),
    // leaves that to RenderIfStale on the next idle: the same picture, drawn less often.
    void Update(const CImageSource* left, const CImageSource* right, const SSize* room,
                const SPos* srcLeft, const SPos* srcRight, const SPos* dstLeft,
                const SPos* dstRight, double timeScale);
    // View time in [0, 1] of the time scale; the caller holds the machine's lock.
    void SetTime(double time);
    void Render();
    // UI thread, under the machine's lock: draws what Update left for later.
    void RenderIfStale();
    static constexpr unsigned MinimumRenderInterval = 20; // ms
    void RenderNode(int node);
    void NodePos(const SPos* position, int* x, int* y) const;
    SPos* NodePosPtr(int node);
    int InNode(int x, int y) const;
    // The drawing area inside the one-pixel frame, keeping the room's proportions.
    void Area(int* pw, int* ph) const;
    CFrameBuffer* GetPicture() { return Picture; }
    int GetHoverNode() const { return Hover; }
    double GetTime() const { return Time; }

private:
    CKestrel* Machine;
    CFrameBuffer* Picture;
    CFrameBuffer* Tiles;
    double Opacity;
    const CImageSource* Left;
    const CImageSource* Right;
    SSize Room;
    SPos Nodes[4];
    double TimeScale;
    double Time;
    int Hover;
    bool Stale;
    unsigned LastRender; // GetTickCount() of the last render
    int Dragging;
    int DragStartX, DragStartY;
    SPos DragStartPosition;
};
