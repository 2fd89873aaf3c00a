// The reverb's editor: one lite container the size of the background picture, with
// the knobs, sliders, room view, impulse views and LCD status line of the layout,
// wired to the machine.
#pragma once

#include "editor/ImpulseView.h"
#include "editor/RoomView.h"
#include "reverb/Kestrel.h"
#include "ui/BitFont.h"
#include "ui/LiteContainer.h"
#include "ui/LiteKnob.h"
#include "ui/LiteLCDText.h"
#include "ui/LiteSlider.h"

#include <memory>
#include <vector>

struct SKestrelGraphics;

// Where each control sits on the 430 × 200 background.
struct SKestrelLayout {
    static constexpr int KnobProperties[4] = {KestrelWallAbsorb, KestrelFeedback, KestrelCutoff,
                                              KestrelGain};
    static constexpr int KnobX[4] = {180, 264, 332, 392};
    static constexpr int KnobY = 158, KnobFrameHeight = 38;
    static constexpr int SliderLength = 81;
    static constexpr int WidthSliderX = 32, WidthSliderY = 56;
    static constexpr int HeightSliderX = 16, HeightSliderY = 72;
    static constexpr int TimeSliderX = 32, TimeSliderY = 160;
    static constexpr int LcdX = 274, LcdY = 50, LcdWidth = 140, LcdHeight = 12;
    static constexpr int RoomX = 36, RoomY = 76, RoomSize = 72;
    static constexpr int EarlyX = 132, EarlyY = 76, EarlyWidth = 88, EarlyHeight = 72;
    static constexpr int LateX = 244, LateY = 76, LateWidth = 168, LateHeight = 72;
    static constexpr double RangeDb = 60.0;
    // Ink opacity of every self-drawn control: a single-precision 0.6, widened.
    static constexpr double Ink = static_cast<double>(0.6f);
};

class CKestrelGUI : public CLiteContainer, public CKestrelEditor {
public:
    CKestrelGUI(HWND parent, CColorManager* colors, CKestrel* machine, SKestrelGraphics* graphics);
    ~CKestrelGUI() override;

    void OnLiteSliderDown(CLiteSlider* slider, double value) override;
    void OnLiteSliderChange(CLiteSlider* slider, double value) override;
    void OnButtonClick(CLiteButton* button) override;
    void ShowToolTip(CLiteControl* control, const char* text) override;

    // CKestrelEditor (UI thread)
    void SetLCDText(const char* text) override; // takes the editor's lock
    void OnShowGUI() override;
    // Takes the machine's state (its lock for the copy only) and draws what changed.
    void OnIdle() override;
    HWND GetEditorWindow() override { return GetWindow(); }
    void SetScale(int scale) override { CLiteContainer::SetScale(scale); }

    // UI thread; take the editor's lock around each change. The controls follow a
    // property value; the room view, the early view and the late view follow the
    // machine's models.
    void SetProperty(int index, double value);
    void UpdateRoom(const SKestrelEditorState& state);
    void UpdateImpulse(int n, const SKestrelTaps& left, const SKestrelTaps& right);
    // The late tail of a copy of the network, n samples after `skip`.
    void UpdateImpulse2(int n, const CFDN* network, int skip);

    static CKestrelEditor* Create(HWND parent, CKestrel* machine, SKestrelGraphics* graphics);

    CLiteKnob* GetKnob(int i) { return Knobs[i]; }
    CLiteSlider* GetSlider(int i) { return Sliders[i]; }
    CRoomView* GetRoomView() { return Room; }
    CImpulseView* GetEarlyView() { return Early; }
    CImpulseView* GetLateView() { return Late; }
    CLiteLCDText* GetLCD() { return LCD; }
    CKestrel* GetMachine() { return Machine; } // the model it draws from
    // UI thread: whether a slow view still waits to draw a newer state.
    bool IsWaiting() const { return Pending != 0 || Room->IsStale(); }
    // The milliseconds the slow views are paced by: GetTickCount, or a test's clock.
    static inline DWORD(WINAPI* Clock)() = GetTickCount;

private:
    void DeleteControls(); // in the layout's order of destruction; null entries skipped
    // The late tail of network itself (silent, settled), n samples after `skip`.
    void DrawLate(int n, CFDN* network, int skip);

    SKestrelGraphics* Graphics;
    CLiteKnob** Knobs;
    CRoomView* Room;
    CImpulseView* Early;
    CImpulseView* Late;
    CLiteSlider** Sliders; // room width, room height, view time
    CLiteLCDText* LCD;
    CBitFont* Font;
    CKestrel* Machine;
    SKestrelEditorState State; // what the last idle took from the machine
    // Kept from one drawing to the next, so that a redraw allocates nothing: the network
    // the late view simulates (made again only for another rate) and the sample arrays.
    std::unique_ptr<CFDN> LateNetwork;
    std::vector<double> Scratch[3];
    unsigned Pending; // KestrelStale… bits taken but not drawn yet
    static constexpr DWORD SlowViewMs = 150;
    // When a slow view may be drawn again (Clock milliseconds).
    struct SPace {
        DWORD Last = Clock() - SlowViewMs, Started = 0, Pause = SlowViewMs;
        bool Due();   // remembers when it was asked
        void Drawn(); // the next pause: twenty times what the drawing took, at least SlowViewMs
    } LatePace, RoomPace;
};
