// The VST 3 audio side: the component, the audio processor, their records, and the
// host's parameter-change queues that process receives.
#pragma once

#include "vst3/Vst3Base.h"

namespace Steinberg {
namespace Vst {

using ParamID = uint32;
using ParamValue = double;
using Sample32 = float;
using Sample64 = double;
using SampleRate = double;
using TSamples = int64;
using SpeakerArrangement = uint64;
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;

enum { kAudio = 0, kEvent = 1 };
enum { kInput = 0, kOutput = 1 };
enum { kMain = 0, kAux = 1 };
enum { kDefaultActive = 1 };
enum { kSample32 = 0, kSample64 = 1 };
enum { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
namespace SpeakerArr {
constexpr SpeakerArrangement kEmpty = 0, kMono = 0x80000, kStereo = 0x3;
}
constexpr uint32 kNoTail = 0, kInfiniteTail = 0xFFFFFFFF;

#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(push, 8)
#else
#pragma pack(push, 16)
#endif

struct BusInfo {
    MediaType mediaType;
    BusDirection direction;
    int32 channelCount;
    String128 name;
    BusType busType;
    uint32 flags;
};

struct RoutingInfo {
    MediaType mediaType;
    int32 busIndex;
    int32 channel;
};

struct ProcessSetup {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 maxSamplesPerBlock;
    SampleRate sampleRate;
};

struct AudioBusBuffers {
    int32 numChannels;
    uint64 silenceFlags;
    union {
        Sample32** channelBuffers32;
        Sample64** channelBuffers64;
    };
};

class IParameterChanges;
class IEventList;
struct ProcessContext;

struct ProcessData {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 numSamples;
    int32 numInputs;
    int32 numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    IEventList* inputEvents;
    IEventList* outputEvents;
    ProcessContext* processContext;
};

#pragma pack(pop)

static_assert(sizeof(BusInfo) == 276 && sizeof(ProcessSetup) == 24 &&
                  sizeof(AudioBusBuffers) == 24 &&
                  sizeof(ProcessData) == (sizeof(void*) == 8 ? 80 : 48),
              "the processing records' sizes are the interface's");

class IComponent : public IPluginBase {
public:
    virtual tresult PLUGIN_API getControllerClassId(TUID classId) = 0;
    virtual tresult PLUGIN_API setIoMode(IoMode mode) = 0;
    virtual int32 PLUGIN_API getBusCount(MediaType type, BusDirection dir) = 0;
    virtual tresult PLUGIN_API getBusInfo(MediaType type, BusDirection dir, int32 index,
                                          BusInfo& bus) = 0;
    virtual tresult PLUGIN_API getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
    virtual tresult PLUGIN_API activateBus(MediaType type, BusDirection dir, int32 index,
                                           TBool state) = 0;
    virtual tresult PLUGIN_API setActive(TBool state) = 0;
    virtual tresult PLUGIN_API setState(IBStream* state) = 0;
    virtual tresult PLUGIN_API getState(IBStream* state) = 0;
};

class IAudioProcessor : public FUnknown {
public:
    virtual tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                  SpeakerArrangement* outputs, int32 numOuts) = 0;
    virtual tresult PLUGIN_API getBusArrangement(BusDirection dir, int32 index,
                                                 SpeakerArrangement& arr) = 0;
    virtual tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) = 0;
    virtual uint32 PLUGIN_API getLatencySamples() = 0;
    virtual tresult PLUGIN_API setupProcessing(ProcessSetup& setup) = 0;
    virtual tresult PLUGIN_API setProcessing(TBool state) = 0;
    virtual tresult PLUGIN_API process(ProcessData& data) = 0;
    virtual uint32 PLUGIN_API getTailSamples() = 0;
};

class IProcessContextRequirements : public FUnknown {
public:
    virtual uint32 PLUGIN_API getProcessContextRequirements() = 0;
};

class IParamValueQueue : public FUnknown {
public:
    virtual ParamID PLUGIN_API getParameterId() = 0;
    virtual int32 PLUGIN_API getPointCount() = 0;
    virtual tresult PLUGIN_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
    virtual tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;
};

class IParameterChanges : public FUnknown {
public:
    virtual int32 PLUGIN_API getParameterCount() = 0;
    virtual IParamValueQueue* PLUGIN_API getParameterData(int32 index) = 0;
    virtual IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) = 0;
};

constexpr SUid IComponent_iid = MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
constexpr SUid IAudioProcessor_iid = MakeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
constexpr SUid IProcessContextRequirements_iid =
    MakeUid(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);
constexpr SUid IParameterChanges_iid = MakeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
constexpr SUid IParamValueQueue_iid = MakeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

} // namespace Vst
} // namespace Steinberg
