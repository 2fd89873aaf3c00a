#include "editor/KestrelGUI.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

CKestrelGUI::CKestrelGUI(HWND parent, CColorManager*, CKestrel* machine, SKestrelGraphics* graphics)
    : CLiteContainer(parent, graphics->Background->GetWidth(), graphics->Background->GetHeight(),
                     graphics->Background),
      Graphics(graphics), Knobs(nullptr), Room(nullptr), Early(nullptr), Late(nullptr),
      Sliders(nullptr), LCD(nullptr), Font(nullptr), Machine(nullptr), Pending(0) {
    using L = SKestrelLayout;
    try {
        Font = new CBitFont(graphics->FontSheet, 8, 8, 16, 13, 8, 33, 96);
        Knobs = new CLiteKnob*[4]();
        for (int i = 0; i < 4; i++)
            Knobs[i] = new CLiteKnob(this, machine, L::KnobProperties[i], graphics->KnobStrip,
                                     L::KnobX[i], L::KnobY, L::KnobFrameHeight);
        Sliders = new CLiteSlider*[3]();
        Sliders[0] = new CLiteSlider(this, L::WidthSliderX, L::WidthSliderY, L::SliderLength, false,
                                     graphics->HorizontalThumb, machine, KestrelRoomWidth);
        Sliders[1] = new CLiteSlider(this, L::HeightSliderX, L::HeightSliderY, L::SliderLength,
                                     true, graphics->VerticalThumb, machine, KestrelRoomHeight);
        Sliders[2] = new CLiteSlider(this, L::TimeSliderX, L::TimeSliderY, L::SliderLength, false,
                                     graphics->HorizontalThumb, nullptr, 0);
        LCD = new CLiteLCDText(this, L::LcdX, L::LcdY, L::LcdWidth, L::LcdHeight, Font, L::Ink);
        Room = new CRoomView(this, L::RoomX, L::RoomY, L::RoomSize, L::RoomSize, L::Ink,
                             graphics->RoomArt, machine);
        Early = new CImpulseView(this, L::EarlyX, L::EarlyY, L::EarlyWidth, L::EarlyHeight,
                                 L::RangeDb, L::Ink, false);
        Late = new CImpulseView(this, L::LateX, L::LateY, L::LateWidth, L::LateHeight, L::RangeDb,
                                L::Ink, true);
    } catch (...) {
        DeleteControls(); // the bases are unwound after this
        throw;
    }
    Machine = machine;
    Render();
    Show();
}

CKestrelGUI::~CKestrelGUI() {
    DeleteControls();
}

void CKestrelGUI::DeleteControls() {
    delete Font;
    delete Early;
    delete Late;
    delete Room;
    delete LCD;
    Font = nullptr;
    Early = Late = nullptr;
    Room = nullptr;
    LCD = nullptr;
    if (Knobs)
        for (int i = 0; i < 4; i++)
            delete Knobs[i];
    delete[] Knobs;
    Knobs = nullptr;
    if (Sliders)
        for (int i = 0; i < 3; i++)
            delete Sliders[i];
    delete[] Sliders;
    Sliders = nullptr;
}

CKestrelEditor* CKestrelGUI::Create(HWND parent, CKestrel* machine, SKestrelGraphics* graphics) {
    return new CKestrelGUI(parent, nullptr, machine, graphics);
}

void CKestrelGUI::SetProperty(int index, double value) {
    for (int i = 0; i < 4; i++)
        if (SKestrelLayout::KnobProperties[i] == index) Knobs[i]->SetValue(value);
    if (index == KestrelRoomWidth) Sliders[0]->SetValue(value);
    if (index == KestrelRoomHeight) Sliders[1]->SetValue(value);
}

void CKestrelGUI::ShowToolTip(CLiteControl*, const char* text) {
    LCD->SetText(text);
}

void CKestrelGUI::SetLCDText(const char* text) {
    CMutexLock lock(this);
    LCD->SetText(text);
}

void CKestrelGUI::OnShowGUI() {
    LCD->SetText("Hello");
}

void CKestrelGUI::OnLiteSliderDown(CLiteSlider*, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "View Time %.2fms", value * 0.075 * 1000);
    LCD->SetText(text);
}

void CKestrelGUI::OnLiteSliderChange(CLiteSlider*, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "View Time %.0fms", value * 0.075 * 1000);
    LCD->SetText(text);
    Room->SetTime(value);
}

void CKestrelGUI::OnButtonClick(CLiteButton*) {}

void CKestrelGUI::UpdateRoom(const SKestrelEditorState& state) {
    CMutexLock lock(this);
    Room->Update(state.Trees[0], state.Trees[1], &state.Room, &state.Sources[0], &state.Sources[1],
                 &state.Listeners[0], &state.Listeners[1], state.TimeScale);
}

void CKestrelGUI::UpdateImpulse(int n, const SKestrelTaps& left, const SKestrelTaps& right) {
    if (n < 0) return;
    // (left input's response + right input's) / 2 at every tap, each response being the
    // sum of its two sides' values there: built from the taps alone, the same sums.
    std::vector<double>& a = Scratch[0];
    std::vector<double>& b = Scratch[1];
    std::vector<double>& side = Scratch[2];
    auto add = [n, &side](const SKestrelTaps& taps, std::vector<double>& response) {
        response.assign(static_cast<size_t>(n), 0.0);
        side.assign(static_cast<size_t>(n), 0.0);
        for (int s = 0; s < 2; s++) {
            const auto& index = taps.Index[s];
            const auto& value = taps.Value[s];
            for (size_t t = 0; t < index.size(); t++)
                if (index[t] < n) (s == 0 ? side : response)[index[t]] = value[t];
        }
        for (int i = 0; i < n; i++)
            response[i] = side[i] + response[i];
    };
    add(left, a);
    add(right, b);
    for (int i = 0; i < n; i++)
        a[i] = (a[i] + b[i]) * 0.5;
    Early->Update(n, a.data());
}

void CKestrelGUI::UpdateImpulse2(int n, const CFDN* network, int skip) {
    std::unique_ptr<CFDN> copy(network->Clone());
    DrawLate(n, copy.get(), skip);
}

void CKestrelGUI::DrawLate(int n, CFDN* network, int skip) {
    if (n < 0 || skip < 0) return;
    const size_t length = static_cast<size_t>(n) + skip;
    // The unit impulse through the network in one block: the same samples as one at a time.
    std::vector<double>& impulse = Scratch[0];
    std::vector<double>& left = Scratch[1];
    std::vector<double>& right = Scratch[2];
    impulse.assign(length, 0.0);
    left.resize(length);
    right.resize(length);
    if (length > 0) impulse[0] = 1.0;
    network->ProcessBlock(impulse.data(), impulse.data(), left.data(), right.data(),
                          static_cast<int>(length));
    for (size_t i = 0; i < length; i++)
        left[i] = (std::fabs(left[i]) + std::fabs(right[i])) * 0.5;
    Late->Update(n, left.data() + skip);
}

void CKestrelGUI::OnIdle() {
    if (!Machine) return;
    Pending |= Machine->TakeEditorState(&State);
    // From here on no machine lock: what follows may simulate and draw for a while.
    if (Pending & KestrelStaleValues)
        for (int i = 0; i < KestrelPropertyCount; i++)
            SetProperty(i, State.Values[i]);
    if (Pending & KestrelStaleRoom) UpdateRoom(State);
    if (Pending & KestrelStaleEarly)
        UpdateImpulse(State.FilterLength, State.Taps[0], State.Taps[1]);
    Pending &= KestrelStaleLate;
    // The late tail's simulation and the room's wavefronts take milliseconds (tens of
    // them in a large room): under automation each is redrawn after a pause of at least
    // SlowViewMs and twenty times what its last drawing took, so neither takes more
    // than 5 % of the UI thread. The newest state is always drawn in the end (State
    // keeps it until then).
    if ((Pending & KestrelStaleLate) && LatePace.Due()) {
        Pending = 0;
        if (!LateNetwork || LateNetwork->GetSampleRate() != State.SampleRate)
            LateNetwork = std::make_unique<CFDN>(State.SampleRate, KestrelDelayLengths,
                                                 State.Feedback, State.Gain, State.Cutoff);
        else
            LateNetwork->Restart(State.Feedback, State.Gain, State.Cutoff);
        DrawLate(2 * State.FilterLength, LateNetwork.get(), State.FilterLength);
        LatePace.Drawn();
    }
    if (Room->IsStale() && RoomPace.Due()) {
        Room->RenderIfStale();
        RoomPace.Drawn();
    }
}

bool CKestrelGUI::SPace::Due() {
    Started = Clock();
    return Started - Last >= Pause;
}

void CKestrelGUI::SPace::Drawn() {
    Last = Clock();
    const DWORD took = Last - Started;
    Pause = took * 20 > SlowViewMs ? took * 20 : SlowViewMs;
}
