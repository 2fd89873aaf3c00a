// A lightweight control: a rectangle inside a lite container's window that draws
// itself into the container's frame and receives the mouse through it. UI thread
// only, every member; Draw runs under the container's lock (the container's Render
// holds it).
#pragma once

#include "graphics/FrameBuffer.h"
#include "ui/ListNode.h"

class CLiteContainer;

class CLiteControl : public CListNode<CLiteControl> {
public:
    // Joins the container's list (drawn after, so above, every earlier control).
    CLiteControl(CLiteContainer* container, int x, int y, int width, int height);
    ~CLiteControl(); // leaves the list; give up the capture first

    virtual void Draw(CFrameBuffer* target) = 0;
    // Container client coordinates, unchanged.
    virtual void OnMouseMove(int x, int y);
    virtual void OnLeftButtonDown(int x, int y);
    virtual void OnLeftButtonUp(int x, int y);

    // Shares a pixel with the inclusive rectangle.
    bool InRect(int left, int top, int right, int bottom) const;
    // The same, widening the rectangle to cover the control when it does.
    bool InRect(int* left, int* top, int* right, int* bottom) const;
    bool ContainsPoint(int x, int y) const;
    void SetCapture();
    void ReleaseCapture();
    void Show();
    void Hide();

    int X, Y, Width, Height;
    bool Visible;
    bool Input;
    CLiteContainer* Container;

    CLiteControl(const CLiteControl&) = delete;
    CLiteControl& operator=(const CLiteControl&) = delete;
};
