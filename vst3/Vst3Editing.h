// The VST 3 edit side: the controller, the host's component handler, the view, its
// frame and content scale, and the Linux run loop that serves the view.
#pragma once

#include "vst3/Vst3Audio.h"

namespace Steinberg {

struct ViewRect {
    int32 left, top, right, bottom;
};

class IPlugFrame;

class IPlugView : public FUnknown {
public:
    virtual tresult PLUGIN_API isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult PLUGIN_API attached(void* parent, FIDString type) = 0;
    virtual tresult PLUGIN_API removed() = 0;
    virtual tresult PLUGIN_API onWheel(float distance) = 0;
    virtual tresult PLUGIN_API onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult PLUGIN_API onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult PLUGIN_API getSize(ViewRect* size) = 0;
    virtual tresult PLUGIN_API onSize(ViewRect* newSize) = 0;
    virtual tresult PLUGIN_API onFocus(TBool state) = 0;
    virtual tresult PLUGIN_API setFrame(IPlugFrame* frame) = 0;
    virtual tresult PLUGIN_API canResize() = 0;
    virtual tresult PLUGIN_API checkSizeConstraint(ViewRect* rect) = 0;
};

class IPlugFrame : public FUnknown {
public:
    virtual tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) = 0;
};

class IPlugViewContentScaleSupport : public FUnknown {
public:
    virtual tresult PLUGIN_API setContentScaleFactor(float factor) = 0;
};

namespace Linux {
using TimerInterval = uint64;
using FileDescriptor = int;

class IEventHandler : public FUnknown {
public:
    virtual void PLUGIN_API onFDIsSet(FileDescriptor fd) = 0;
};

class ITimerHandler : public FUnknown {
public:
    virtual void PLUGIN_API onTimer() = 0;
};

class IRunLoop : public FUnknown {
public:
    virtual tresult PLUGIN_API registerEventHandler(IEventHandler* handler, FileDescriptor fd) = 0;
    virtual tresult PLUGIN_API unregisterEventHandler(IEventHandler* handler) = 0;
    virtual tresult PLUGIN_API registerTimer(ITimerHandler* handler, TimerInterval ms) = 0;
    virtual tresult PLUGIN_API unregisterTimer(ITimerHandler* handler) = 0;
};

constexpr SUid IRunLoop_iid = MakeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
constexpr SUid IEventHandler_iid = MakeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
constexpr SUid ITimerHandler_iid = MakeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);
} // namespace Linux

namespace Vst {

enum { kCanAutomate = 0x1, kIsReadOnly = 0x2, kIsBypass = 0x10000 };
enum { kRootUnitId = 0 };

struct ParameterInfo {
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32 stepCount;
    ParamValue defaultNormalizedValue;
    int32 unitId;
    int32 flags;
};
static_assert(sizeof(ParameterInfo) == 792, "ParameterInfo is 792 bytes on every target");

class IComponentHandler : public FUnknown {
public:
    virtual tresult PLUGIN_API beginEdit(ParamID id) = 0;
    virtual tresult PLUGIN_API performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult PLUGIN_API endEdit(ParamID id) = 0;
    virtual tresult PLUGIN_API restartComponent(int32 flags) = 0;
};

class IEditController : public IPluginBase {
public:
    virtual tresult PLUGIN_API setComponentState(IBStream* state) = 0;
    virtual tresult PLUGIN_API setState(IBStream* state) = 0;
    virtual tresult PLUGIN_API getState(IBStream* state) = 0;
    virtual int32 PLUGIN_API getParameterCount() = 0;
    virtual tresult PLUGIN_API getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
    virtual tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                     String128 string) = 0;
    virtual tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string,
                                                     ParamValue& valueNormalized) = 0;
    virtual ParamValue PLUGIN_API normalizedParamToPlain(ParamID id,
                                                         ParamValue valueNormalized) = 0;
    virtual ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue PLUGIN_API getParamNormalized(ParamID id) = 0;
    virtual tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult PLUGIN_API setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* PLUGIN_API createView(FIDString name) = 0;
};

constexpr SUid IEditController_iid = MakeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
constexpr SUid IComponentHandler_iid = MakeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

} // namespace Vst

constexpr SUid IPlugView_iid = MakeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
constexpr SUid IPlugFrame_iid = MakeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
constexpr SUid IPlugViewContentScaleSupport_iid =
    MakeUid(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);

} // namespace Steinberg
