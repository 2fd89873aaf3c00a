// The machine's side of its editor. The audio thread only marks what changed; the
// editor's idle takes a copy of it under the machine's lock and draws outside it, so
// the reverb runs and tests without any window system and an open editor costs the
// audio thread nothing but a few atomic writes.
#include "reverb/Kestrel.h"

#include <atomic>

namespace {
std::atomic<KestrelEditorFactory> Factory{nullptr};
} // namespace

void SetKestrelEditorFactory(KestrelEditorFactory factory) {
    Factory.store(factory);
}

KestrelEditorFactory GetKestrelEditorFactory() {
    return Factory.load();
}

bool CKestrel::GetGUIRect(short* top, short* left, short* right, short* bottom) {
    if (!Graphics) return false; // no artwork, no editor
    *top = 0;
    *left = 0;
    *right = KestrelEditorWidth;
    *bottom = KestrelEditorHeight;
    return true;
}

HWND CKestrel::CreateGUI(HWND parent) {
    KestrelEditorFactory factory = Factory.load();
    if (!factory || !Graphics) return nullptr;
    DestroyEditor();
    // The editor draws from a model of its own, built and drawn before it first shows:
    // opening it never holds up a block.
    Editor = factory(parent, this, Graphics);
    if (!Editor) return nullptr;
    return Editor->GetEditorWindow();
}

void CKestrel::AdoptEditor(CKestrelEditor* editor) {
    DestroyEditor();
    Editor = editor;
    MarkEditorStale(KestrelStaleAll);
}

void CKestrel::OnShowGUI() {
    if (Editor) Editor->OnShowGUI();
}

void CKestrel::SetGUIScale(int scale) {
    if (Editor) Editor->SetScale(scale);
}

void CKestrel::OnHideGUI() {
    DestroyEditor();
}

void CKestrel::DestroyEditor() {
    CKestrelEditor* editor = Editor;
    Editor = nullptr;
    delete editor;
}

unsigned CKestrel::TakeEditorState(SKestrelEditorState* state) {
    CMutexLock lock(this);
    const unsigned stale = EditorStale.exchange(0, std::memory_order_relaxed);
    state->Stale = stale;
    if (stale & KestrelStaleValues)
        for (int i = 0; i < KestrelPropertyCount; i++)
            state->Values[i] = Value(i);
    if (stale & KestrelStaleRoom) {
        state->Trees[0] = Rays[0].Root();
        state->Trees[1] = Rays[1].Root();
        state->Room = RoomSize;
        state->Sources[0] = SrcLeft;
        state->Sources[1] = SrcRight;
        state->Listeners[0] = DstLeft;
        state->Listeners[1] = DstRight;
        state->TimeScale = ImpulseLengthSeconds;
    }
    if (stale & (KestrelStaleEarly | KestrelStaleLate)) state->FilterLength = FilterLength;
    if (stale & KestrelStaleEarly) {
        const CStereoFIR* convolvers[2] = {LeftFIR, RightFIR};
        for (int c = 0; c < 2; c++)
            for (int side = 0; side < 2; side++) {
                // Vectors that keep their capacity: after the first few calls, no allocation.
                state->Taps[c].Index[side] = convolvers[c]->TapIndices(side);
                state->Taps[c].Value[side] = convolvers[c]->TapValues(side);
            }
    }
    if (stale & KestrelStaleLate) {
        state->SampleRate = GetSampleRate();
        state->Feedback = Network->FeedbackTarget;
        state->Gain = Network->GainTarget;
        state->Cutoff = Network->Cutoff;
    }
    return stale;
}

void CKestrel::SetStatusText(const char* text) {
    if (Editor) Editor->SetLCDText(text);
}

void CKestrel::UpdateGUIRoom() {
    UpdateDstPos();
    MarkEditorStale(KestrelStaleRoom);
}

void CKestrel::UpdateGUIImpulse() {
    MarkEditorStale(KestrelStaleEarly);
}

void CKestrel::UpdateGUIImpulse2() {
    MarkEditorStale(KestrelStaleLate);
}
