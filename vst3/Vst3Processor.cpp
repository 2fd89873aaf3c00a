#include "vst3/Vst3Processor.h"
#include "plugin/FormatIds.h"
#include "plugin/PropertyState.h"
#include "vst3/Vst3Stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace KestrelVst3 {

namespace {

// Points one process call can hold; more are kept only as each parameter's last.
constexpr size_t MostPoints = 4096;

void Name(String128 text, const char* name) {
    int i = 0;
    for (; name[i] && i < 127; i++)
        text[i] = static_cast<char16>(name[i]);
    text[i] = 0;
}

bool Silent(const float* x, int n) {
    for (int i = 0; i < n; i++)
        if (x[i] != 0.0f) return false;
    return true;
}

bool Silent(const double* x, int n) {
    for (int i = 0; i < n; i++)
        if (x[i] != 0.0) return false;
    return true;
}

} // namespace

tresult PLUGIN_API CProcessor::queryInterface(const TUID iid, void** obj) {
    if (!obj) return kInvalidArgument;
    if (Is(iid, FUnknown_iid, static_cast<IComponent*>(this), obj) ||
        Is(iid, IPluginBase_iid, static_cast<IComponent*>(this), obj) ||
        Is(iid, IComponent_iid, static_cast<IComponent*>(this), obj) ||
        Is(iid, IAudioProcessor_iid, static_cast<IAudioProcessor*>(this), obj) ||
        Is(iid, IProcessContextRequirements_iid, static_cast<IProcessContextRequirements*>(this),
           obj))
        return Found(obj);
    return NotFound(obj);
}

tresult PLUGIN_API CProcessor::initialize(FUnknown*) {
    try {
        if (Machine) return kResultFalse;
        Machine = std::make_unique<CKestrel>(&Host, nullptr);
        Machine->ResizeAudioPorts(Host.Block);
        Points.reserve(MostPoints);
        return kResultOk;
    } catch (...) {
        Machine.reset();
        return kOutOfMemory;
    }
}

tresult PLUGIN_API CProcessor::terminate() {
    Machine.reset();
    return kResultOk;
}

tresult PLUGIN_API CProcessor::getControllerClassId(TUID classId) {
    if (!classId) return kInvalidArgument;
    std::memcpy(classId, KestrelVst3Controller.Bytes, 16);
    return kResultTrue;
}

int32 PLUGIN_API CProcessor::getBusCount(MediaType type, BusDirection dir) {
    return type == kAudio && (dir == kInput || dir == kOutput) ? 1 : 0;
}

tresult PLUGIN_API CProcessor::getBusInfo(MediaType type, BusDirection dir, int32 index,
                                          BusInfo& bus) {
    if (type != kAudio || (dir != kInput && dir != kOutput) || index != 0) return kInvalidArgument;
    bus.mediaType = kAudio;
    bus.direction = dir;
    bus.channelCount = 2;
    Name(bus.name, dir == kInput ? "Line In" : "Line Out");
    bus.busType = kMain;
    bus.flags = kDefaultActive;
    return kResultOk;
}

tresult PLUGIN_API CProcessor::activateBus(MediaType type, BusDirection dir, int32 index, TBool) {
    return type == kAudio && (dir == kInput || dir == kOutput) && index == 0 ? kResultOk
                                                                             : kInvalidArgument;
}

tresult PLUGIN_API CProcessor::setActive(TBool) {
    return Machine ? kResultOk : kNotInitialized;
}

tresult PLUGIN_API CProcessor::setState(IBStream* state) {
    try {
        std::vector<unsigned char> bytes;
        if (!Machine) return kNotInitialized;
        if (!ReadAll(state, bytes)) return kResultFalse;
        return KestrelReadState(Machine.get(), bytes.data(), bytes.size()) ? kResultOk
                                                                           : kResultFalse;
    } catch (...) {
        return kInternalError;
    }
}

tresult PLUGIN_API CProcessor::getState(IBStream* state) {
    try {
        if (!Machine) return kNotInitialized;
        return WriteAll(state, KestrelWriteState(Machine.get())) ? kResultOk : kResultFalse;
    } catch (...) {
        return kInternalError;
    }
}

tresult PLUGIN_API CProcessor::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                  SpeakerArrangement* outputs, int32 numOuts) {
    // One stereo bus each way, whatever is asked: another arrangement is declined and
    // the buses stay stereo.
    const bool stereo = numIns == 1 && numOuts == 1 && inputs && outputs &&
                        inputs[0] == SpeakerArr::kStereo && outputs[0] == SpeakerArr::kStereo;
    return stereo ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API CProcessor::getBusArrangement(BusDirection dir, int32 index,
                                                 SpeakerArrangement& arr) {
    if ((dir != kInput && dir != kOutput) || index != 0) return kInvalidArgument;
    arr = SpeakerArr::kStereo;
    return kResultOk;
}

tresult PLUGIN_API CProcessor::canProcessSampleSize(int32 size) {
    return size == kSample32 || size == kSample64 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API CProcessor::setupProcessing(ProcessSetup& setup) {
    try {
        if (!Machine) return kNotInitialized;
        const double rate = setup.sampleRate;
        Host.Rate = rate > 0 && rate < 2147483520.0 ? static_cast<int>(rate) : 0;
        Host.Block = std::max(1, setup.maxSamplesPerBlock);
        Machine->SetSampleRate(Host.Rate);
        Machine->SetBlockSamples(Host.Block);
        Machine->ResizeAudioPorts(Host.Block);
        return kResultOk;
    } catch (...) {
        return kOutOfMemory;
    }
}

uint32 PLUGIN_API CProcessor::getTailSamples() {
    if (!Machine) return kNoTail;
    const double samples = Machine->TailSamples();
    return samples > 0 && samples < 4e9 ? static_cast<uint32>(samples) : kInfiniteTail;
}

void CProcessor::GatherPoints(IParameterChanges* changes, int frames) {
    Points.clear();
    const int32 queues = changes ? changes->getParameterCount() : 0;
    for (int32 q = 0; q < queues; q++) {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (!queue) continue;
        const ParamID id = queue->getParameterId();
        if (id >= static_cast<ParamID>(KestrelPropertyCount)) continue;
        const int32 count = queue->getPointCount();
        for (int32 p = 0; p < count; p++) {
            int32 offset = 0;
            ParamValue value = 0;
            if (queue->getPoint(p, offset, value) != kResultOk) continue;
            offset = std::min(std::max(offset, 0), std::max(frames - 1, 0));
            const SParameterPoint point{offset, static_cast<int>(id), value};
            if (Points.size() < Points.capacity())
                Points.push_back(point);
            else if (p == count - 1) // full: a queue still gets its last word
                Points.back() = point;
        }
    }
    KestrelSortPoints(Points.data(), static_cast<int>(Points.size()));
}

tresult PLUGIN_API CProcessor::process(ProcessData& data) {
    try {
        if (!Machine) return kNotInitialized;
        const int frames = std::max(0, data.numSamples);
        GatherPoints(data.inputParameterChanges, frames);
        auto apply = [this](int index, double value) { KestrelApplyPoint(*Machine, index, value); };
        const bool audio =
            frames > 0 && data.numInputs > 0 && data.numOutputs > 0 && data.inputs && data.outputs;
        if (!audio) { // a flush: the changes alone
            KestrelSplitBlock(Points.data(), static_cast<int>(Points.size()), 0, apply,
                              [](int, int) {});
            return kResultOk;
        }
        AudioBusBuffers& in = data.inputs[0];
        AudioBusBuffers& out = data.outputs[0];
        const bool doubles = data.symbolicSampleSize == kSample64;
        KestrelSplitBlock(Points.data(), static_cast<int>(Points.size()), frames, apply,
                          [&](int start, int n) {
                              if (doubles)
                                  KestrelRunPiece(*Machine, in.channelBuffers64, in.numChannels,
                                                  out.channelBuffers64, out.numChannels, start, n);
                              else
                                  KestrelRunPiece(*Machine, in.channelBuffers32, in.numChannels,
                                                  out.channelBuffers32, out.numChannels, start, n);
                          });
        out.silenceFlags = 0;
        for (int c = 0; c < out.numChannels && c < 64; c++) {
            const bool zeros = doubles ? out.channelBuffers64 && out.channelBuffers64[c] &&
                                             Silent(out.channelBuffers64[c], frames)
                                       : out.channelBuffers32 && out.channelBuffers32[c] &&
                                             Silent(out.channelBuffers32[c], frames);
            if (zeros) out.silenceFlags |= uint64(1) << c;
        }
        return kResultOk;
    } catch (...) {
        return kInternalError;
    }
}

} // namespace KestrelVst3
