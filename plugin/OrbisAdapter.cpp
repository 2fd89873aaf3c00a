#include "plugin/OrbisAdapter.h"
#include "plugin/FormatIds.h"
#if !defined(_WIN32)
#include "platform/NativeParent.h"
#include "platform/Presenter.h"
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Copies a machine text (64-byte buffer) to the host, cut to its interface limit.
void ToHost(char* text, const char* source, size_t limit) {
    if (!text) return;
    size_t n = 0;
    while (source[n] && n < limit) {
        text[n] = source[n];
        n++;
    }
    text[n] = 0;
}

constexpr size_t ParameterChars = kVstMaxParamStrLen - 1; // 7
constexpr size_t ProgramChars = kVstMaxProgNameLen - 1;   // 23
constexpr size_t ProductChars = kVstMaxProductStrLen - 1; // 63

} // namespace

COrbisAdapter::COrbisAdapter(CMachine* machine, audioMasterCallback audioMaster, VstInt32 uniqueID)
    : AudioEffectX(audioMaster, machine->ProgramCount, machine->PropertyCount), AEffEditor(nullptr),
      Machine(machine), InputPort(nullptr), OutputPort(nullptr), EditorWindow(nullptr),
      LastBlockFrames(0), EditorRect{0, 0, 0, 0}, NativeParent(nullptr), Scale(0) {
    Machine->HostCookie = getAeffect();
    for (int i = 0; i < Machine->PortCount; i++) {
        CPort* port = Machine->Ports[i];
        if (!InputPort && port->Kind == PortStereoAudioIn) InputPort = port;
        if (!OutputPort && port->Kind == PortStereoAudioOut) OutputPort = port;
    }
    setNumInputs(InputPort ? 2 : 0);
    setNumOutputs(2);
    setUniqueID(uniqueID);
    cEffect.version = KESTREL_VST2_VERSION; // the project's, as every format's
    canProcessReplacing(true);
    cEffect.flags |= effFlagsHasEditor | effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    if (Machine->IsSynth()) cEffect.flags |= effFlagsIsSynth;
    setEditor(this);
}

COrbisAdapter::~COrbisAdapter() {
    editor = nullptr; // this object is its own editor: the base must not delete it
    Machine->Delete();
}

void COrbisAdapter::close() {
    if (!EditorWindow && !NativeParent) return;
    Machine->OnHideGUI();
    EditorWindow = nullptr;
#if !defined(_WIN32)
    if (NativeParent) KestrelDetachNativeParent(NativeParent);
#endif
    NativeParent = nullptr;
}

void COrbisAdapter::setSampleRate(float rate) {
    AudioEffect::setSampleRate(rate);
    // Truncated toward zero; a rate beyond int's range is no rate at all.
    const int hz = rate > 0 && rate < 2147483520.0f ? static_cast<int>(rate) : 0;
    Machine->SetSampleRate(hz);
}

void COrbisAdapter::setBlockSize(VstInt32 frames) {
    AudioEffect::setBlockSize(frames);
    Machine->SetBlockSamples(frames);
    Machine->ResizeAudioPorts(frames);
    LastBlockFrames = frames;
}

template <typename Sample>
void COrbisAdapter::Process(Sample** inputs, Sample** outputs, VstInt32 frames) {
    if (frames < 0) frames = 0;
    // A host that brings more frames than it announced gets bigger buffers first;
    // the steady path allocates nothing.
    const int held = std::min(InputPort ? InputPort->AudioBuffer->Capacity() : frames,
                              OutputPort ? OutputPort->AudioBuffer->Capacity() : frames);
    if (frames > held) Machine->ResizeAudioPorts(frames);
    if (frames != LastBlockFrames) {
        Machine->SetBlockSamples(frames);
        LastBlockFrames = frames;
    }
    if (InputPort && frames > 0) {
        CAudioBuffer* in = InputPort->AudioBuffer;
        const Sample* left = inputs ? inputs[0] : nullptr;
        const Sample* right = inputs ? inputs[1] : nullptr;
        for (VstInt32 i = 0; i < frames; i++) {
            in->Left[i] = left ? static_cast<double>(left[i]) : 0.0;
            in->Right[i] = right ? static_cast<double>(right[i]) : 0.0;
        }
    }
    Machine->Work();
    if (OutputPort && frames > 0 && outputs) {
        const CAudioBuffer* out = OutputPort->AudioBuffer;
        for (int c = 0; c < 2; c++) {
            Sample* target = outputs[c];
            const double* source = c == 0 ? out->Left : out->Right;
            if (target)
                for (VstInt32 i = 0; i < frames; i++)
                    target[i] = static_cast<Sample>(source[i]);
        }
    }
}

void COrbisAdapter::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    Process(inputs, outputs, frames);
}

void COrbisAdapter::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) {
    Process(inputs, outputs, frames);
}

void COrbisAdapter::setParameter(VstInt32 index, float value) {
    Machine->SetProperty(index, static_cast<double>(value));
}

float COrbisAdapter::getParameter(VstInt32 index) {
    return static_cast<float>(Machine->GetProperty(index));
}

void COrbisAdapter::setParameterAutomated(VstInt32 index, float value) {
    Machine->SetPropertyAutomated(index, static_cast<double>(value));
}

VstInt32 COrbisAdapter::getProgram() {
    return Machine->GetProgram();
}

void COrbisAdapter::setProgram(VstInt32 program) {
    if (program >= 0 && program < numPrograms) Machine->SetProgram(program);
}

void COrbisAdapter::setProgramName(char* name) {
    // The host's buffer holds 24 bytes; read no further than that.
    char bounded[kVstMaxProgNameLen];
    ToHost(bounded, name, ProgramChars);
    Machine->SetProgramName(bounded);
}

void COrbisAdapter::getProgramName(char* name) {
    char scratch[MachineTextSize] = "";
    Machine->GetProgramName(scratch);
    ToHost(name, scratch, ProgramChars);
}

void COrbisAdapter::getParameterLabel(VstInt32, char* label) {
    label[0] = 0;
}

void COrbisAdapter::getParameterDisplay(VstInt32 index, char* text) {
    char scratch[MachineTextSize] = "";
    Machine->GetPropertyValueDisplay(index, Machine->GetProperty(index), scratch);
    ToHost(text, scratch, ParameterChars);
}

void COrbisAdapter::getParameterName(VstInt32 index, char* text) {
    char scratch[MachineTextSize] = "";
    Machine->GetPropertyName(index, scratch);
    ToHost(text, scratch, ParameterChars);
}

bool COrbisAdapter::canParameterBeAutomated(VstInt32 index) {
    return index >= 0 && index < Machine->PropertyCount;
}

bool COrbisAdapter::getParameterProperties(VstInt32 index, VstParameterProperties* properties) {
    if (!canParameterBeAutomated(index)) return false;
    std::memset(properties, 0, sizeof *properties);
    char scratch[MachineTextSize] = "";
    Machine->GetPropertyName(index, scratch);
    ToHost(properties->label, scratch, sizeof properties->label - 1);
    ToHost(properties->shortLabel, scratch, ParameterChars);
    return true;
}

bool COrbisAdapter::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    char scratch[MachineTextSize] = "";
    Machine->GetProgramNameIndexed(index, scratch);
    ToHost(text, scratch, ProgramChars);
    return true;
}

bool COrbisAdapter::beginSetProgram() {
    Machine->BeforeSetProgram();
    return true;
}

bool COrbisAdapter::endSetProgram() {
    Machine->AfterSetProgram();
    return true;
}

VstInt32 COrbisAdapter::processEvents(VstEvents* events) {
    if (!events || events->numEvents <= 0) return 1;
    CPort* first = Machine->PortCount > 0 ? Machine->Ports[0] : nullptr;
    CControlBuffer* destination = first ? first->ControlBuffer : nullptr;
    if (!destination) return 1;
    for (VstInt32 i = 0; i < events->numEvents; i++) {
        const VstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        const int status = static_cast<unsigned char>(midi->midiData[0]) & 0xF0;
        const int note = static_cast<unsigned char>(midi->midiData[1]);
        const int velocity = static_cast<unsigned char>(midi->midiData[2]);
        SControlMessage message{};
        message.Time = midi->deltaFrames > 0 ? midi->deltaFrames : 0;
        message.Note = note;
        if (status == 0x90 && velocity > 0) {
            message.Type = ControlNoteOn;
            message.Velocity = velocity * static_cast<double>(1.0f / 127.0f);
            if (Machine->Host) Machine->Host->GetNoteFrequency(note, &message.Frequency);
        } else if (status == 0x80 || status == 0x90) {
            message.Type = ControlNoteOff;
        } else {
            continue;
        }
        destination->Write(&message);
    }
    return 1;
}

bool COrbisAdapter::getVendorString(char* text) {
    ToHost(text, "Brightmoor", kVstMaxVendorStrLen - 1);
    return true;
}

bool COrbisAdapter::getProductString(char* text) {
    const char* name = Machine->GetName();
    if (!name) return false;
    ToHost(text, name, ProductChars);
    return true;
}

bool COrbisAdapter::getRect(ERect** rect) {
    short top = 0, left = 0, right = 0, bottom = 0;
    const bool known = Machine->GetGUIRect(&top, &left, &right, &bottom);
    if (!Scale) Scale = KestrelEditorScale(nullptr);
    EditorRect = {static_cast<VstInt16>(top * Scale), static_cast<VstInt16>(left * Scale),
                  static_cast<VstInt16>(bottom * Scale), static_cast<VstInt16>(right * Scale)};
    *rect = &EditorRect;
    return known;
}

void COrbisAdapter::ApplyScale(int scale) {
    Scale = scale;
    short top = 0, left = 0, right = 0, bottom = 0;
    Machine->GetGUIRect(&top, &left, &right, &bottom);
    const int width = (right - left) * Scale, height = (bottom - top) * Scale;
#if !defined(_WIN32)
    if (NativeParent) KestrelResizeNativeParent(NativeParent, width, height);
#endif
    Machine->SetGUIScale(Scale);
    sizeWindow(width, height);
}

VstIntPtr COrbisAdapter::vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    // A host that offers to replace this plug-in by its VST 3 version asks for its class.
    if ((index == CCONST('s', 't', 'C', 'A') || index == CCONST('s', 't', 'C', 'a')) &&
        value == CCONST('F', 'U', 'I', 'D')) {
        if (!ptr) return 0;
        std::memcpy(ptr, KestrelVst3Processor.Bytes, sizeof KestrelVst3Processor.Bytes);
        return 1;
    }
    if (index != CCONST('P', 'r', 'e', 'S') || value != CCONST('A', 'e', 'C', 's')) return 0;
    if (!(opt > 0) || !std::isfinite(opt)) return 0;
    ApplyScale(KestrelScaleForDpi(96.0 * opt));
    return 1;
}

bool COrbisAdapter::open(void* parent) {
#if defined(_WIN32)
    Scale = KestrelEditorScale(parent);
    EditorWindow = Machine->CreateGUI(static_cast<HWND>(parent));
#else
    // A Linux host hands us its X11 window id: our editor lives in a window of our
    // own inside it (headless when there is no display).
    if (NativeParent) close();
    short top = 0, left = 0, right = 0, bottom = 0;
    Machine->GetGUIRect(&top, &left, &right, &bottom);
    Scale = KestrelEditorScale(parent);
    NativeParent = KestrelAttachNativeParent(reinterpret_cast<uintptr_t>(parent),
                                             (right - left) * Scale, (bottom - top) * Scale);
    EditorWindow = Machine->CreateGUI(NativeParent);
#endif
    Machine->SetGUIScale(Scale);
    return false;
}

void COrbisAdapter::idle() {
    Machine->OnIdle();
#if !defined(_WIN32)
    int scale = Scale;
    if (ScaleWatch.Changed(NativeParent, Scale, &scale)) ApplyScale(scale);
    // Linux hosts give plug-ins no message loop: their idle call is where our windows'
    // messages, timers and display events are handled (Windows hosts pump for us).
    if (NativeParent) KestrelPumpEvents(NativeParent); // this editor's session alone
#endif
}
