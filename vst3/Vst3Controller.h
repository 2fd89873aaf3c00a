// The VST 3 edit controller: the fourteen parameters (ids 0 … 13 in the VST 2 order),
// their texts, the processor's state read back, and the editor. UI thread only; no lock:
// it shares nothing with the processor but what the host passes between them.
#pragma once

#include "editor/ModelEditor.h"
#include "reverb/Kestrel.h"
#include "vst3/Vst3Editing.h"
#include "vst3/Vst3Object.h"

namespace KestrelVst3 {

using namespace Steinberg::Vst;

class CController final : public CObject<IEditController>, public CKestrelEditorLink {
public:
    CController();
    ~CController() override;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;

    tresult PLUGIN_API initialize(FUnknown*) override { return kResultOk; }
    tresult PLUGIN_API terminate() override;
    tresult PLUGIN_API setComponentState(IBStream* state) override;
    // The controller's own state is its view of the values, in the processor's format:
    // a host that never ran the processor between setting values and saving (a session
    // made headless) saves a stale processor state, and this brings the values back, as
    // the host sends the controller's values to the processor after loading. Empty (an
    // older state): nothing changes.
    tresult PLUGIN_API setState(IBStream* state) override;
    tresult PLUGIN_API getState(IBStream* state) override;
    int32 PLUGIN_API getParameterCount() override { return KestrelPropertyCount; }
    tresult PLUGIN_API getParameterInfo(int32 index, ParameterInfo& info) override;
    tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue value,
                                             String128 string) override;
    tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string, ParamValue& value) override;
    // Plain values are the normalized ones, as the VST 2 plug-in's parameters are.
    ParamValue PLUGIN_API normalizedParamToPlain(ParamID, ParamValue value) override {
        return value;
    }
    ParamValue PLUGIN_API plainParamToNormalized(ParamID, ParamValue value) override {
        return value;
    }
    ParamValue PLUGIN_API getParamNormalized(ParamID id) override;
    tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) override;
    tresult PLUGIN_API setComponentHandler(IComponentHandler* handler) override;
    IPlugView* PLUGIN_API createView(FIDString name) override;

    // CKestrelEditorLink: the editor's values are these; its gestures go to the handler.
    double GetValue(int index) override { return Values[index]; }
    int GetSampleRate() override { return Rate; }
    void BeginEdit(int index) override;
    void PerformEdit(int index, double value) override;
    void EndEdit(int index) override;

private:
    // A property block's values into the parameters; a bad block changes nothing.
    tresult TakeValues(IBStream* state, bool emptyIsNothing);

    double Values[KestrelPropertyCount];
    // The controller is never told the processor's rate; the Cutoff's texts use this.
    int Rate = 48000;
    IComponentHandler* Handler = nullptr;
};

} // namespace KestrelVst3
