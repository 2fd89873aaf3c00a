#include "editor/ModelEditor.h"

#include <cstring>

namespace {

// The VST 2 editor's link: the audio machine itself. Reading its values and setting
// them take no lock; automation reaches the host through the machine's own host.
class CMachineLink final : public CKestrelEditorLink {
public:
    explicit CMachineLink(CKestrel* machine) : Machine(machine) {}
    double GetValue(int index) override { return Machine->GetProperty(index); }
    int GetSampleRate() override { return Machine->GetSampleRate(); }
    void BeginEdit(int index) override { Machine->BeginPropertyEdit(index); }
    void PerformEdit(int index, double value) override {
        Machine->SetPropertyAutomated(index, value);
    }
    void EndEdit(int index) override { Machine->EndPropertyEdit(index); }

private:
    CKestrel* Machine;
};

// Bits, not values: a NaN the link reports is the same NaN next time, not a change.
bool Same(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

CModelEditor::CModelEditor(HWND parent, CKestrelEditorLink* link, SKestrelGraphics* graphics)
    : Link(link), Model(this, graphics), Gui(nullptr), Seen{} {
    for (int i = 0; i < KestrelPropertyCount; i++) {
        Seen[i] = Link->GetValue(i);
        Model.SetProperty(i, Seen[i]);
    }
    {
        CMutexLock lock(&Model);
        Model.Update();
    }
    auto* gui = new CKestrelGUI(parent, nullptr, &Model, graphics);
    Model.AdoptEditor(gui);
    Gui = gui;
    Gui->OnIdle(); // the room and both responses, before the editor first shows
}

CModelEditor::~CModelEditor() {
    // The editor first, while the link is still here for a gesture it ends.
    Model.OnHideGUI();
}

CKestrelEditor* CModelEditor::Create(HWND parent, CKestrel* machine, SKestrelGraphics* graphics) {
    auto link = std::make_unique<CMachineLink>(machine);
    auto* editor = new CModelEditor(parent, link.get(), graphics);
    editor->OwnedLink = std::move(link);
    return editor;
}

void CModelEditor::SetPropertyAutomated(CMachine*, int index, double value) {
    Link->PerformEdit(index, value);
    Seen[index] = Link->GetValue(index); // the model already has it: no second rebuild
}

void CModelEditor::Follow() {
    const int rate = Link->GetSampleRate();
    if (rate != Model.GetSampleRate()) Model.SetSampleRate(rate);
    for (int i = 0; i < KestrelPropertyCount; i++) {
        const double value = Link->GetValue(i);
        if (Same(value, Seen[i])) continue;
        Seen[i] = value;
        Model.SetProperty(i, value);
    }
}

void CModelEditor::OnIdle() {
    Follow();
    {
        CMutexLock lock(&Model); // the model's own: no other thread ever takes it
        Model.Update();
    }
    Model.OnIdle();
}

void CModelEditor::SetLCDText(const char* text) {
    Gui->SetLCDText(text);
}

void CModelEditor::OnShowGUI() {
    Gui->OnShowGUI();
}

HWND CModelEditor::GetEditorWindow() {
    return Gui->GetEditorWindow();
}

void CModelEditor::SetScale(int scale) {
    Gui->SetScale(scale);
}
