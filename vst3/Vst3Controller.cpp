#include "vst3/Vst3Controller.h"
#include "plugin/PropertyState.h"
#include "vst3/Vst3Stream.h"
#include "vst3/Vst3View.h"

#include <cstring>
#include <vector>

namespace KestrelVst3 {

namespace {

void ToUtf16(String128 to, const char* from, int limit = 127) {
    int i = 0;
    for (; from[i] && i < limit; i++)
        to[i] = static_cast<char16>(static_cast<unsigned char>(from[i]));
    to[i] = 0;
}

bool Known(ParamID id) {
    return id < static_cast<ParamID>(KestrelPropertyCount);
}

} // namespace

CController::CController() {
    for (int i = 0; i < KestrelPropertyCount; i++)
        Values[i] = CKestrel::DefaultValue(i);
}

CController::~CController() {
    if (Handler) Handler->release();
}

tresult PLUGIN_API CController::queryInterface(const TUID iid, void** obj) {
    if (!obj) return kInvalidArgument;
    if (Is(iid, FUnknown_iid, static_cast<IEditController*>(this), obj) ||
        Is(iid, IPluginBase_iid, static_cast<IEditController*>(this), obj) ||
        Is(iid, IEditController_iid, static_cast<IEditController*>(this), obj))
        return Found(obj);
    return NotFound(obj);
}

tresult PLUGIN_API CController::terminate() {
    if (Handler) Handler->release();
    Handler = nullptr;
    return kResultOk;
}

tresult CController::TakeValues(IBStream* state, bool emptyIsNothing) {
    try {
        std::vector<unsigned char> bytes;
        if (!ReadAll(state, bytes)) return kResultFalse;
        if (bytes.empty() && emptyIsNothing) return kResultOk;
        double values[KestrelPropertyCount];
        int held = 0;
        if (!KestrelParseState(bytes.data(), bytes.size(), values, KestrelPropertyCount, &held))
            return kResultFalse;
        for (int i = 0; i < held && i < KestrelPropertyCount; i++)
            setParamNormalized(static_cast<ParamID>(i), values[i]);
        return kResultOk;
    } catch (...) {
        return kInternalError;
    }
}

tresult PLUGIN_API CController::setComponentState(IBStream* state) {
    return TakeValues(state, false);
}

tresult PLUGIN_API CController::setState(IBStream* state) {
    return TakeValues(state, true);
}

tresult PLUGIN_API CController::getState(IBStream* state) {
    try {
        const std::vector<unsigned char> bytes = KestrelWriteValues(Values, KestrelPropertyCount);
        return WriteAll(state, bytes) ? kResultOk : kResultFalse;
    } catch (...) {
        return kInternalError;
    }
}

tresult PLUGIN_API CController::getParameterInfo(int32 index, ParameterInfo& info) {
    if (index < 0 || index >= KestrelPropertyCount) return kInvalidArgument;
    std::memset(&info, 0, sizeof info);
    info.id = static_cast<ParamID>(index);
    ToUtf16(info.title, KestrelPropertyNames[index]);
    ToUtf16(info.shortTitle, KestrelPropertyNames[index], 7); // the VST 2 names' limit
    ToUtf16(info.units, CKestrel::Unit(index));
    info.stepCount = 0;
    info.defaultNormalizedValue = CKestrel::DefaultValue(index);
    info.unitId = kRootUnitId;
    info.flags = kCanAutomate;
    return kResultOk;
}

tresult PLUGIN_API CController::getParamStringByValue(ParamID id, ParamValue value,
                                                      String128 string) {
    if (!Known(id) || !string) return kInvalidArgument;
    char text[MachineTextSize];
    CKestrel::FormatValue(static_cast<int>(id), value, Rate, text);
    ToUtf16(string, text);
    return kResultOk;
}

tresult PLUGIN_API CController::getParamValueByString(ParamID id, TChar* string,
                                                      ParamValue& value) {
    if (!Known(id) || !string) return kInvalidArgument;
    char text[128];
    int i = 0;
    for (; i < 127 && string[i]; i++)
        text[i] = string[i] < 128 ? static_cast<char>(string[i]) : '?';
    text[i] = 0;
    double v = 0;
    if (!CKestrel::ParseValue(static_cast<int>(id), text, Rate, &v)) return kResultFalse;
    value = v;
    return kResultOk;
}

ParamValue PLUGIN_API CController::getParamNormalized(ParamID id) {
    return Known(id) ? Values[id] : 0.0;
}

tresult PLUGIN_API CController::setParamNormalized(ParamID id, ParamValue value) {
    if (!Known(id)) return kInvalidArgument;
    // A host sends anything: the machine's rule, [0, 1] and nothing for NaN or ±inf.
    if (value == value && value - value == 0) Values[id] = std::min(1.0, std::max(0.0, value));
    return kResultOk;
}

tresult PLUGIN_API CController::setComponentHandler(IComponentHandler* handler) {
    if (handler) handler->addRef();
    if (Handler) Handler->release();
    Handler = handler;
    return kResultOk;
}

IPlugView* PLUGIN_API CController::createView(FIDString name) {
    try {
        if (!name || std::strcmp(name, "editor") != 0) return nullptr;
        return new CView(this);
    } catch (...) {
        return nullptr;
    }
}

void CController::BeginEdit(int index) {
    if (Handler) Handler->beginEdit(static_cast<ParamID>(index));
}

void CController::PerformEdit(int index, double value) {
    Values[index] = value;
    if (Handler) Handler->performEdit(static_cast<ParamID>(index), value);
}

void CController::EndEdit(int index) {
    if (Handler) Handler->endEdit(static_cast<ParamID>(index));
}

} // namespace KestrelVst3
