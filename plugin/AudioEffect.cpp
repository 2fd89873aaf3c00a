#include "plugin/AudioEffect.h"

#include <cmath>
#include <cstring>

namespace {

// Copies at most maxLen characters and always terminates at maxLen.
void CopyBounded(char* text, const char* source, VstInt32 maxLen) {
    if (!text || maxLen < 0) return;
    std::strncpy(text, source, static_cast<size_t>(maxLen));
    text[maxLen] = 0;
}

void ZeroOutputs(float** outputs, VstInt32 channels, VstInt32 frames) {
    for (VstInt32 c = 0; outputs && c < channels; c++)
        if (outputs[c])
            for (VstInt32 i = 0; i < frames; i++)
                outputs[c][i] = 0.0f;
}

void ZeroOutputs(double** outputs, VstInt32 channels, VstInt32 frames) {
    for (VstInt32 c = 0; outputs && c < channels; c++)
        if (outputs[c])
            for (VstInt32 i = 0; i < frames; i++)
                outputs[c][i] = 0.0;
}

AudioEffect* Object(AEffect* e) {
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

} // namespace

bool AEffEditor::getRect(ERect** rect) {
    if (rect) *rect = nullptr;
    return false;
}

bool AEffEditor::open(void* parent) {
    systemWindow = parent;
    return false;
}

void AEffEditor::close() {
    systemWindow = nullptr;
}

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), editor(nullptr), sampleRate(44100.0f), blockSize(1024),
      numPrograms(numPrograms), numParams(numParams), curProgram(0) {
    std::memset(&cEffect, 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = DispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = CCONST('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect() {
    delete editor;
}

VstIntPtr AudioEffect::DispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt) {
    AudioEffect* effect = Object(e);
    if (!effect) return 0;
    try {
        if (opcode == effClose) {
            effect->dispatcher(opcode, index, value, ptr, opt);
            delete effect;
            return 1;
        }
        return effect->dispatcher(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

void AudioEffect::processClass(AEffect* e, float** in, float** out, VstInt32 frames) {
    try {
        if (AudioEffect* effect = Object(e)) effect->process(in, out, frames);
    } catch (...) {
    }
}

void AudioEffect::processClassReplacing(AEffect* e, float** in, float** out, VstInt32 frames) {
    AudioEffect* effect = Object(e);
    if (!effect) return;
    try {
        effect->processReplacing(in, out, frames);
    } catch (...) {
        // A block that could not be processed is silence, never garbage.
        ZeroOutputs(out, e->numOutputs, frames);
    }
}

void AudioEffect::processClassDoubleReplacing(AEffect* e, double** in, double** out,
                                              VstInt32 frames) {
    AudioEffect* effect = Object(e);
    if (!effect) return;
    try {
        effect->processDoubleReplacing(in, out, frames);
    } catch (...) {
        ZeroOutputs(out, e->numOutputs, frames);
    }
}

void AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value) {
    try {
        if (AudioEffect* effect = Object(e)) effect->setParameter(index, value);
    } catch (...) {
    }
}

float AudioEffect::getParameterClass(AEffect* e, VstInt32 index) {
    try {
        if (AudioEffect* effect = Object(e)) return effect->getParameter(index);
    } catch (...) {
    }
    return 0.0f;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
    char* text = static_cast<char*>(ptr);
    // Each case delegates in one line; calls without an answer answer 0.
    const VstInt32 v = static_cast<VstInt32>(value);
    switch (opcode) {
    case effOpen: return open(), 0;
    case effClose: return close(), 0;
    case effSetProgram: return value < numPrograms ? (setProgram(v), 0) : 0;
    case effGetProgram: return getProgram();
    case effSetProgramName: return text ? (setProgramName(text), 0) : 0;
    case effGetProgramName: return text ? (getProgramName(text), 0) : 0;
    case effGetParamLabel: return text ? (getParameterLabel(index, text), 0) : 0;
    case effGetParamDisplay: return text ? (getParameterDisplay(index, text), 0) : 0;
    case effGetParamName: return text ? (getParameterName(index, text), 0) : 0;
    case effGetVu: return static_cast<VstIntPtr>(getVu() * 32767.0f);
    case effSetSampleRate: return setSampleRate(opt), 0;
    case effSetBlockSize: return setBlockSize(v), 0;
    case effMainsChanged: return value ? (resume(), 0) : (suspend(), 0);
    case effEditGetRect: return editor && ptr ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen: return editor && editor->open(ptr) ? 1 : 0;
    case effEditClose: return editor ? (editor->close(), 0) : 0;
    case effEditIdle: return editor ? (editor->idle(), 0) : 0;
    case effIdentify: return CCONST('N', 'v', 'E', 'f');
    case effGetChunk: return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk: return ptr ? setChunk(ptr, v, index != 0) : 0;
    default: return 0;
    }
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

VstInt32 AudioEffect::getMasterVersion() {
    const VstIntPtr version = callHost(audioMasterVersion);
    return version ? static_cast<VstInt32>(version) : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId() {
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() {
    callHost(audioMasterIdle);
}

float AudioEffect::updateSampleRate() {
    const VstIntPtr rate = callHost(audioMasterGetSampleRate);
    if (rate > 0) sampleRate = static_cast<float>(rate);
    return sampleRate;
}

VstInt32 AudioEffect::updateBlockSize() {
    const VstIntPtr frames = callHost(audioMasterGetBlockSize);
    if (frames > 0) blockSize = static_cast<VstInt32>(frames);
    return blockSize;
}

void AudioEffect::setFlag(VstInt32 flag, bool state) {
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) {
    if (std::isnan(value)) {
        CopyBounded(text, "NaN", maxLen);
        return;
    }
    if ((value < 0 && -value > 9999999.0) || value > 99999999.0) {
        CopyBounded(text, "Huge!", maxLen);
        return;
    }
    const bool negative = value < 0;
    const double magnitude = std::fabs(static_cast<double>(value));
    double integer = std::floor(magnitude);
    const double fraction = magnitude - integer;
    int c = negative ? 3 : 2;
    // Digits are produced right to left into the end of a scratch string.
    char digits[32];
    int at = sizeof digits - 1;
    digits[at] = 0;
    digits[--at] = static_cast<char>('0' + static_cast<int>(std::fmod(integer, 10.0)));
    integer = std::floor(integer / 10.0);
    while (integer >= 1 && c <= 7) {
        digits[--at] = static_cast<char>('0' + static_cast<int>(std::fmod(integer, 10.0)));
        integer = std::floor(integer / 10.0);
        c++;
    }
    if (negative) digits[--at] = '-';
    char out[64];
    std::strcpy(out, digits + at);
    std::strcat(out, ".");
    if (c < 8) {
        const int places = 8 - c;
        double m = fraction * std::pow(10.0, places);
        char fractional[16];
        fractional[places] = 0;
        for (int i = places - 1; i >= 0; i--) {
            fractional[i] =
                m > 0 ? static_cast<char>('0' + static_cast<int>(std::fmod(m, 10.0))) : '0';
            m /= 10.0;
        }
        std::strcat(out, fractional);
    }
    CopyBounded(text, out, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) {
    // Nine decimal places at most: larger magnitudes either way are "Huge!".
    if (value > 99999999 || value < -999999999) {
        CopyBounded(text, "Huge!", maxLen);
        return;
    }
    char out[16];
    int n = 0;
    if (value < 0) out[n++] = '-';
    int magnitude = value < 0 ? -value : value;
    bool started = false;
    for (int divisor = 100000000; divisor >= 1; divisor /= 10) {
        const int digit = magnitude / divisor;
        magnitude %= divisor;
        if (digit || started || divisor == 1) {
            out[n++] = static_cast<char>('0' + digit);
            started = true;
        }
    }
    out[n] = 0;
    CopyBounded(text, out, maxLen);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) {
    if (value <= 0)
        CopyBounded(text, "-oo", maxLen);
    else
        float2string(static_cast<float>(20.0 * std::log10(value)), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) {
    float2string(samples == 0 ? 0.0f : sampleRate / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) {
    float2string(samples * 1000.0f / sampleRate, text, maxLen);
}
