// The machine's side of its editor. Until an editor has been created (the editor
// library provides CreateGUI), the editor pointer is null and every notification
// returns at once, so the reverb runs and tests without any window system.
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
