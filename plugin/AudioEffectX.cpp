#include "plugin/AudioEffect.h"

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    char* text = static_cast<char*>(ptr);
    const VstInt32 v = static_cast<VstInt32>(value);
    switch (opcode) {
    case effProcessEvents: return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated: return canParameterBeAutomated(index);
    case effString2Parameter: return text ? string2parameter(index, text) : 0;
    case effGetNumProgramCategories: return getNumCategories();
    case effGetProgramNameIndexed: return text ? getProgramNameIndexed(v, index, text) : 0;
    case effCopyProgram: return copyProgram(index);
    case effGetInputProperties: return ptr ? getInputProperties(index, ptr) : 0;
    case effGetOutputProperties: return ptr ? getOutputProperties(index, ptr) : 0;
    case effGetPlugCategory: return getPlugCategory();
    case effSetSpeakerArrangement:
        return setSpeakerArrangement(reinterpret_cast<void*>(value), ptr);
    case effSetBlockSizeAndSampleRate: return setBlockSize(v), setSampleRate(opt), 0;
    case effSetBypass: return setBypass(value != 0);
    case effGetEffectName: return text ? getEffectName(text) : 0;
    case effGetVendorString: return text ? getVendorString(text) : 0;
    case effGetProductString: return text ? getProductString(text) : 0;
    case effGetVendorVersion: return getVendorVersion();
    case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
    case effCanDo: return text ? canDo(text) : 0;
    case effGetTailSize: return getGetTailSize();
    case effGetParameterProperties:
        return ptr ? getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) : 0;
    case effGetVstVersion: return getVstVersion();
    case effEditKeyDown: return editor ? editor->onKeyDown(ptr) : 0;
    case effEditKeyUp: return editor ? editor->onKeyUp(ptr) : 0;
    case effSetEditKnobMode: return editor ? editor->setKnobMode(v) : 0;
    case effGetMidiProgramName: return ptr ? getMidiProgramName(index, ptr) : 0;
    case effGetCurrentMidiProgram: return ptr ? getCurrentMidiProgram(index, ptr) : 0;
    case effGetMidiProgramCategory: return ptr ? getMidiProgramCategory(index, ptr) : 0;
    case effHasMidiProgramsChanged: return hasMidiProgramsChanged(index);
    case effGetMidiKeyName: return ptr ? getMidiKeyName(index, ptr) : 0;
    case effBeginSetProgram: return beginSetProgram();
    case effEndSetProgram: return endSetProgram();
    case effGetSpeakerArrangement:
        return getSpeakerArrangement(reinterpret_cast<void**>(value), static_cast<void**>(ptr));
    case effStartProcess: return startProcess();
    case effStopProcess: return stopProcess();
    case effSetPanLaw: return setPanLaw(v, opt);
    case effBeginLoadBank: return ptr ? beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effBeginLoadProgram:
        return ptr ? beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effSetProcessPrecision: return setProcessPrecision(v);
    case effGetNumMidiInputChannels: return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels: return getNumMidiOutputChannels();
    default: return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume() {
    static char receive[] = "receiveVstMidiEvent";
    if (isSynth() || canDo(receive) == 1) callHost(audioMasterWantMidi, 0, 1);
}

VstPlugCategory AudioEffectX::getPlugCategory() {
    return isSynth() ? kPlugCategSynth : kPlugCategUnknown;
}

bool AudioEffectX::canHostDo(char* text) {
    return callHost(audioMasterCanDo, 0, 0, text) != 0;
}

bool AudioEffectX::ioChanged() {
    return callHost(audioMasterIOChanged) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::updateDisplay() {
    return callHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::beginEdit(VstInt32 index) {
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index) {
    return callHost(audioMasterEndEdit, index) != 0;
}
