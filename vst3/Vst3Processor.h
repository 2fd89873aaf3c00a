// The VST 3 component and audio processor: one reverb machine, stereo in and out,
// parameter changes applied at their offsets by splitting the block.
//   UI thread: the IPluginBase and IComponent calls, the bus and setup calls, state.
//   Audio thread: process (allocates nothing, waits for nothing), setProcessing.
// State may come while process runs: values are the machine's atomics.
#pragma once

#include "machine/FixedHost.h"
#include "plugin/BlockSplitter.h"
#include "reverb/Kestrel.h"
#include "vst3/Vst3Audio.h"
#include "vst3/Vst3Object.h"

#include <memory>
#include <vector>

namespace KestrelVst3 {

using namespace Steinberg::Vst;

class CProcessor final : public CObject<IComponent>,
                         public IAudioProcessor,
                         public IProcessContextRequirements {
public:
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
    uint32 PLUGIN_API addRef() override { return CObject::addRef(); }
    uint32 PLUGIN_API release() override { return CObject::release(); }

    tresult PLUGIN_API initialize(FUnknown* context) override;
    tresult PLUGIN_API terminate() override;

    tresult PLUGIN_API getControllerClassId(TUID classId) override;
    tresult PLUGIN_API setIoMode(IoMode) override { return kNotImplemented; }
    int32 PLUGIN_API getBusCount(MediaType type, BusDirection dir) override;
    tresult PLUGIN_API getBusInfo(MediaType type, BusDirection dir, int32 index,
                                  BusInfo& bus) override;
    tresult PLUGIN_API getRoutingInfo(RoutingInfo&, RoutingInfo&) override {
        return kNotImplemented;
    }
    tresult PLUGIN_API activateBus(MediaType type, BusDirection dir, int32 index,
                                   TBool state) override;
    tresult PLUGIN_API setActive(TBool state) override;
    tresult PLUGIN_API setState(IBStream* state) override;
    tresult PLUGIN_API getState(IBStream* state) override;

    tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                          SpeakerArrangement* outputs, int32 numOuts) override;
    tresult PLUGIN_API getBusArrangement(BusDirection dir, int32 index,
                                         SpeakerArrangement& arr) override;
    tresult PLUGIN_API canProcessSampleSize(int32 size) override;
    uint32 PLUGIN_API getLatencySamples() override { return 0; }
    tresult PLUGIN_API setupProcessing(ProcessSetup& setup) override;
    tresult PLUGIN_API setProcessing(TBool) override { return kResultOk; }
    tresult PLUGIN_API process(ProcessData& data) override;
    // Samples until the tail of the current settings has fallen by 90 dB.
    uint32 PLUGIN_API getTailSamples() override;

    uint32 PLUGIN_API getProcessContextRequirements() override { return 0; }

private:
    template <typename Sample>
    void Run(AudioBusBuffers& in, AudioBusBuffers& out, int start, int frames);
    void GatherPoints(IParameterChanges* changes, int frames);

    CFixedHost Host{44100, 1024}; // the machine's: the last setup's rate and largest block
    std::unique_ptr<CKestrel> Machine;
    std::vector<SParameterPoint> Points; // reserved: process never grows it
};

} // namespace KestrelVst3
