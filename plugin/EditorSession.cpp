#include "plugin/EditorSession.h"
#include "plugin/SharedArtwork.h"
#if !defined(_WIN32)
#include "platform/NativeParent.h"
#include "platform/Presenter.h"
#endif

#include <algorithm>
#include <map>

namespace {

#if defined(_WIN32)
constexpr UINT_PTR IdleTimer = 0x4B56;
// The sessions with an open editor, by the editor's window: their timer's way back.
std::map<HWND, CEditorSession*>& Sessions() {
    static std::map<HWND, CEditorSession*> sessions;
    return sessions;
}
void CALLBACK IdleTick(HWND window, UINT, UINT_PTR, DWORD) {
    auto it = Sessions().find(window);
    if (it != Sessions().end()) it->second->Serve();
}
#endif

} // namespace

void CEditorSession::SetScale(int scale) {
    Scale = std::clamp(scale, 1, 4);
    if (!Editor) return;
#if !defined(_WIN32)
    KestrelResizeNativeParent(Parent, Width(), Height());
#endif
    Editor->SetScale(Scale);
}

int CEditorSession::GetScale() {
    if (!Scale) Scale = KestrelEditorScale(nullptr);
    return Scale;
}

bool CEditorSession::Open(uintptr_t hostWindow, CKestrelEditorLink* link) {
    Close();
    if (!hostWindow) return false;
#if defined(_WIN32)
    if (!Scale) Scale = KestrelEditorScale(reinterpret_cast<void*>(hostWindow));
    Editor = std::make_unique<CModelEditor>(reinterpret_cast<HWND>(hostWindow), link,
                                            KestrelSharedArtwork());
    Editor->SetScale(Scale);
    HWND window = Editor->GetEditorWindow();
    Sessions()[window] = this;
    SetTimer(window, IdleTimer, 33, IdleTick);
#else
    Parent = KestrelAttachNativeParent(hostWindow, Width(), Height());
    Editor = std::make_unique<CModelEditor>(Parent, link, KestrelSharedArtwork());
    Editor->SetScale(GetScale());
    KestrelPumpEvents(Parent);
#endif
    return true;
}

void CEditorSession::Close() {
#if defined(_WIN32)
    if (Editor) {
        HWND window = Editor->GetEditorWindow();
        KillTimer(window, IdleTimer);
        Sessions().erase(window);
    }
    Editor.reset();
#else
    Editor.reset();
    if (Parent) KestrelDetachNativeParent(Parent);
    Parent = nullptr;
#endif
}

int CEditorSession::Descriptor() const {
#if defined(_WIN32)
    return -1;
#else
    return Parent ? KestrelNativeParentDescriptor(Parent) : -1;
#endif
}

bool CEditorSession::Serve() {
    if (!Editor) return false;
    Editor->OnIdle();
#if defined(_WIN32)
    return false;
#else
    int scale = Scale;
    const bool rescaled = ScaleWatch.Changed(Parent, Scale, &scale);
    if (rescaled) SetScale(scale);
    KestrelPumpEvents(Parent); // this editor's session alone
    return rescaled;
#endif
}
