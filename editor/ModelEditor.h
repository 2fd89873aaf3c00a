// An open editor and the model machine it draws from. The model processes no audio: at
// each idle it takes the values its link reports, rebuilds what they change and lets
// the editor draw it; the user's gestures on the model go out through the link. So an
// editor shares nothing with the audio thread but the values, and holds no lock that
// the audio thread takes. Every format's editor is one of these.
#pragma once

#include "editor/KestrelGUI.h"
#include "machine/Host.h"
#include "reverb/Kestrel.h"

#include <memory>

// Where a model editor's values come from and where its gestures go: the audio machine
// (VST 2), the host's ports (LV2), a controller's parameters (VST 3, CLAP). UI thread.
class CKestrelEditorLink {
public:
    virtual ~CKestrelEditorLink() = default;
    virtual double GetValue(int index) = 0; // [0, 1]
    virtual int GetSampleRate() = 0;        // Hz
    // A gesture on a property: the user grabs it, moves it (GetValue then reports the
    // value), lets it go.
    virtual void BeginEdit(int index) = 0;
    virtual void PerformEdit(int index, double value) = 0;
    virtual void EndEdit(int index) = 0;
};

class CModelEditor final : public CKestrelEditor, private CHost {
public:
    // UI thread: builds the model at the link's values and the editor inside parent, and
    // draws it. The link outlives the editor.
    CModelEditor(HWND parent, CKestrelEditorLink* link, SKestrelGraphics* graphics);
    ~CModelEditor() override;

    // The factory of CKestrel::CreateGUI: an editor linked to that (audio) machine,
    // reading its values (relaxed atomics) and sending gestures as its automation.
    static CKestrelEditor* Create(HWND parent, CKestrel* machine, SKestrelGraphics* graphics);

    // CKestrelEditor; UI thread, no lock but the editor's own.
    void SetLCDText(const char* text) override;
    void OnShowGUI() override;
    // Applies the values and the rate that changed, rebuilds the model (its own lock)
    // and draws what changed.
    void OnIdle() override;
    HWND GetEditorWindow() override;
    void SetScale(int scale) override;

    CKestrel& GetModel() { return Model; }
    CKestrelGUI* GetGUI() { return Gui; }

private:
    void Follow(); // the link's rate and changed values into the model

    // The model's host: gestures to the link; the rest is what a model needs.
    int RegisterMachineInfo(CMachineInfo*) override { return StatusNotOffered; }
    int GetNoteFrequency(unsigned int, double*) override { return StatusNotOffered; }
    int GetBankServer(CBankServer**) override { return StatusNotOffered; }
    void SetPropertyAutomated(CMachine*, int index, double value) override;
    void BeginEdit(CMachine*, int index) override { Link->BeginEdit(index); }
    void EndEdit(CMachine*, int index) override { Link->EndEdit(index); }
    int GetSamplePosition() override { return 0; }
    double GetBPM() override { return 120.0; }
    double GetTPB() override { return 16.0; }
    int GetSamplesPerTick() override { return 0; }
    int GetSampleRate() override { return Link->GetSampleRate(); }
    int GetBlockSamples() override { return 128; }
    bool Supports(ESupports) override { return false; }
    int GetCPUFeatures() override { return 0; }

    std::unique_ptr<CKestrelEditorLink> OwnedLink; // Create's link to its machine
    CKestrelEditorLink* Link;
    CKestrel Model;
    CKestrelGUI* Gui;                  // owned by the model
    double Seen[KestrelPropertyCount]; // the link's values as last applied
};
