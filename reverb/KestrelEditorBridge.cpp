// The machine's side of its editor. Until an editor has been created (the editor
// library provides CreateGUI), the editor pointer is null and every notification
// returns at once, so the reverb runs and tests without any window system.
#include "graphics/FrameBuffer.h"
#include "reverb/Kestrel.h"

void CKestrel::DestroyEditor() {
    Editor = nullptr;
}

void CKestrel::PushPropertyToEditor(int, double) {
    if (!Editor) return;
}

void CKestrel::SetStatusText(const char*) {
    if (!Editor) return;
}

void CKestrel::UpdateGUIRoom() {
    UpdateDstPos();
    if (!Editor) return;
}

void CKestrel::UpdateGUIImpulse() {
    if (!Editor) return;
}

void CKestrel::UpdateGUIImpulse2() {
    if (!Editor) return;
}

bool CKestrel::GetGUIRect(short* top, short* left, short* right, short* bottom) {
    if (!Graphics || !Graphics->Background) return false;
    *top = 0;
    *left = 0;
    *right = static_cast<short>(Graphics->Background->GetWidth());
    *bottom = static_cast<short>(Graphics->Background->GetHeight());
    return true;
}
