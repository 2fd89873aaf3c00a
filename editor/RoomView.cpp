#include "editor/RoomView.h"
#include "editor/KestrelGUI.h"
#include "machine/Mutex.h"
#include "reverb/ImageSource.h"
#include "reverb/Kestrel.h"
#include "ui/LiteContainer.h"

#include <algorithm>
#include <cmath>

namespace {
// Ring half-width as a share of the larger room dimension (a single-precision constant).
constexpr double RingShare = static_cast<double>(0.015f);
} // namespace

CRoomView::CRoomView(CKestrelGUI* editor, int x, int y, int width, int height, double opacity,
                     CFrameBuffer* tiles, CKestrel* machine)
    : CLiteControl(editor, x, y, width, height), Machine(machine),
      Picture(new CFrameBuffer(width, height, true)), Tiles(tiles), Opacity(opacity), Left(nullptr),
      Right(nullptr), Room{1, 1}, Nodes{}, TimeScale(0), Time(0), Hover(-1), Stale(false),
      Generation(0), Dragging(0), DragNode(0), DragStartX(0), DragStartY(0), DragStartPosition{} {
    Picture->Fill(0);
}

CRoomView::~CRoomView() {
    EndGesture(); // an editor closed mid-drag still lets the host's touch go
    delete Picture;
}

void CRoomView::Draw(CFrameBuffer* target) {
    Picture->Draw(target, X, Y, 0, 0, Width, Height);
}

void CRoomView::Area(int* pw, int* ph) const {
    if (Room.width > Room.height) {
        *pw = Width - 2;
        *ph = static_cast<int>(Room.height * (*pw / Room.width));
    } else {
        *ph = Height - 2;
        *pw = static_cast<int>(Room.width * (*ph / Room.height));
    }
}

void CRoomView::Update(const CImageSource* left, const CImageSource* right, const SSize* room,
                       const SPos* srcLeft, const SPos* srcRight, const SPos* dstLeft,
                       const SPos* dstRight, double timeScale) {
    Left = left;
    Right = right;
    Room = *room;
    Nodes[0] = *srcLeft;
    Nodes[1] = *srcRight;
    Nodes[2] = *dstLeft;
    Nodes[3] = *dstRight;
    TimeScale = timeScale;
    Stale = true;
    Generation++;
}

void CRoomView::SetTime(double time) {
    Time = time;
    Render();
}

void CRoomView::Field(const CImageSource* left, const CImageSource* right, SSize room, int pw,
                      int ph, double t, double opacity, std::vector<unsigned char>& alpha) {
    alpha.assign(static_cast<size_t>(pw) * ph, 0);
    if (!left || !right) return;
    const double halfWidth = std::max(room.width, room.height) * RingShare;
    for (int c = 1; c <= pw; c++) {
        for (int r = 0; r < ph; r++) {
            const SPos point{static_cast<double>(c - 1) / pw * room.width,
                             static_cast<double>(r) / ph * room.height};
            double s = right->ConvergeGraphical(0, &point, t, halfWidth) +
                       left->ConvergeGraphical(0, &point, t, halfWidth);
            if (s > 1) s = 1;
            alpha[static_cast<size_t>(c - 1) * ph + r] =
                static_cast<unsigned char>(s * opacity * 255);
        }
    }
}

void CRoomView::Publish(const std::vector<unsigned char>& alpha, int pw, int ph) {
    const unsigned char frame = static_cast<unsigned char>(255 * Opacity);
    Picture->Fill(0);
    Picture->DrawRect(0, 0, pw + 2, ph + 2, 0, frame);
    unsigned char* data = Picture->GetData();
    for (int c = 1; c <= pw; c++)
        for (int r = 0; r < ph; r++)
            data[(static_cast<size_t>(r + 1) * Width + c) * 4 + 3] =
                alpha[static_cast<size_t>(c - 1) * ph + r];
    for (int n = 0; n < 4; n++)
        RenderNode(n);
    Container->Render(X, Y, Width, Height);
}

void CRoomView::Render() {
    CMutexLock lock(Container);
    Stale = false;
    int pw, ph;
    Area(&pw, &ph);
    Field(Left, Right, Room, pw, ph, Time * TimeScale, Opacity, Alpha);
    Publish(Alpha, pw, ph);
}

void CRoomView::RenderIfStale() {
    const CImageSource *left, *right;
    SSize room;
    int pw, ph;
    double t;
    unsigned generation;
    {
        CMutexLock lock(Container);
        if (!Stale) return;
        left = Left;
        right = Right;
        room = Room;
        Area(&pw, &ph);
        t = Time * TimeScale;
        generation = Generation;
    }
    // The expensive part holds no lock (Alpha is the UI thread's alone).
    Field(left, right, room, pw, ph, t, Opacity, Alpha);
    CMutexLock lock(Container);
    if (generation != Generation) return; // newer models came: the next idle draws them
    Stale = false;
    Publish(Alpha, pw, ph);
}

void CRoomView::NodePos(const SPos* position, int* x, int* y) const {
    int pw, ph;
    Area(&pw, &ph);
    *x = static_cast<int>(position->x / Room.width * (pw - 1) + (1 - Tiles->GetWidth() / 4));
    *y = static_cast<int>(position->y / Room.height * (ph - 1) + (1 - Tiles->GetHeight() / 4));
}

SPos* CRoomView::NodePosPtr(int node) {
    return node >= 0 && node < 4 ? &Nodes[node] : nullptr;
}

void CRoomView::RenderNode(int node) {
    if (node < 0 || node > 3) return;
    const int tw = Tiles->GetWidth() / 2, th = Tiles->GetHeight() / 2;
    const int ox = (node % 2) * tw, oy = (node / 2) * th;
    int px, py;
    NodePos(&Nodes[node], &px, &py);
    const int bpp = Tiles->BytesPerPixel();
    for (int j = 0; j < th; j++) {
        for (int i = 0; i < tw; i++) {
            const int x = px + i, y = py + j;
            if (x < 0 || y < 0 || x >= Width || y >= Height) continue;
            const unsigned char* s =
                Tiles->GetData() + (static_cast<size_t>(oy + j) * Tiles->GetWidth() + ox + i) * bpp;
            unsigned char* d = Picture->GetData() + (static_cast<size_t>(y) * Width + x) * 4;
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = static_cast<unsigned char>((255 - (s[0] + s[1] + s[2]) / 3) * Opacity);
        }
    }
}

int CRoomView::InNode(int x, int y) const {
    const int tw = Tiles->GetWidth() / 2, th = Tiles->GetHeight() / 2;
    for (int n = 3; n >= 0; n--) {
        int px, py;
        NodePos(&Nodes[n], &px, &py);
        if (px <= x && x < px + tw && py <= y && y < py + th) return n;
    }
    return -1;
}

void CRoomView::OnMouseMove(int x, int y) {
    // The room's size comes from the machine (MoveNode maps through it): its lock first,
    // then the editor's, the order every path keeps.
    CMutexLock machine(Machine);
    CMutexLock lock(Container);
    if (!Dragging) {
        const int n = InNode(x - X, y - Y);
        if (Hover == -1 && n != -1) {
            SetCursor(LoadCursorA(nullptr, IDC_SIZEALL));
            SetCapture();
        } else if (Hover != -1 && n == -1) {
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
            ReleaseCapture();
        }
        Hover = n;
    } else {
        int pw, ph;
        Area(&pw, &ph);
        const int dx = x - DragStartX, dy = y - DragStartY;
        SPos next{static_cast<double>(dx) / pw * Room.width + DragStartPosition.x,
                  static_cast<double>(dy) / ph * Room.height + DragStartPosition.y};
        next.x = std::clamp(next.x, 0.0, Room.width);
        next.y = std::clamp(next.y, 0.0, Room.height);
        if (next.x != Nodes[Hover].x || next.y != Nodes[Hover].y) Machine->MoveNode(Hover, &next);
    }
}

void CRoomView::OnLeftButtonDown(int x, int y) {
    {
        CMutexLock lock(Container);
        if (Hover < 0) return;
        Dragging = 1;
        DragNode = Hover;
        DragStartPosition = Nodes[Hover];
        DragStartX = x;
        DragStartY = y;
    }
    // A node is two properties, x and y: one gesture on both.
    Machine->BeginPropertyEdit(2 * DragNode);
    Machine->BeginPropertyEdit(2 * DragNode + 1);
}

void CRoomView::OnLeftButtonUp(int, int) {
    EndGesture();
}

void CRoomView::EndGesture() {
    if (!Dragging) return;
    Dragging = 0;
    Machine->EndPropertyEdit(2 * DragNode);
    Machine->EndPropertyEdit(2 * DragNode + 1);
}
