// The machine's side of its editor. While no editor exists every notification
// returns at once, so the reverb runs and tests without any window system.
#include "graphics/FrameBuffer.h"
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
    if (!Graphics || !Graphics->Background) return false;
    *top = 0;
    *left = 0;
    *right = static_cast<short>(Graphics->Background->GetWidth());
    *bottom = static_cast<short>(Graphics->Background->GetHeight());
    return true;
}

HWND CKestrel::CreateGUI(HWND parent) {
    KestrelEditorFactory factory = Factory.load();
    if (!factory || !Graphics) return nullptr;
    CMutexLock lock(this);
    DestroyEditor();
    Editor = factory(parent, this, Graphics);
    UpdateGUIRoom();
    UpdateGUIImpulse();
    UpdateGUIImpulse2();
    if (Editor) Editor->OnIdle(); // the room is drawn before the editor first shows
    return Editor ? Editor->GetEditorWindow() : nullptr;
}

void CKestrel::OnShowGUI() {
    if (Editor) Editor->OnShowGUI();
}

void CKestrel::OnHideGUI() {
    CMutexLock lock(this);
    DestroyEditor();
}

void CKestrel::DestroyEditor() {
    CKestrelEditor* editor = Editor;
    Editor = nullptr;
    delete editor;
}

void CKestrel::PushPropertyToEditor(int index, double value) {
    if (Editor) Editor->SetProperty(index, value);
}

void CKestrel::SetStatusText(const char* text) {
    if (!Editor) return;
    Editor->LockEditor();
    Editor->SetLCDText(text);
    Editor->ReleaseEditor();
}

void CKestrel::UpdateGUIRoom() {
    UpdateDstPos();
    if (!Editor) return;
    Editor->LockEditor();
    Editor->UpdateRoom(LeftRays, RightRays, &RoomSize, &SrcLeft, &SrcRight, &DstLeft, &DstRight,
                       ImpulseLengthSeconds);
    Editor->ReleaseEditor();
}

void CKestrel::UpdateGUIImpulse() {
    if (Editor) Editor->UpdateImpulse(FilterLength, LeftFIR, RightFIR);
}

void CKestrel::UpdateGUIImpulse2() {
    if (Editor) Editor->UpdateImpulse2(2 * FilterLength, Network, FilterLength);
}
