// The effect side of the VST 2.4 interface: AudioEffect owns the AEffect record the
// host sees and turns dispatcher calls into virtual methods; AudioEffectX adds the 2.x
// opcodes; AEffEditor is the editor's base. Defaults answer "no" or 0.
#pragma once

#include "plugin/VstInterface.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect = nullptr) : effect(effect), systemWindow(nullptr) {}
    virtual ~AEffEditor() = default;

    // UI thread
    virtual bool getRect(ERect** rect);
    virtual bool open(void* parent);
    virtual void close();
    virtual void idle() {}
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual bool onKeyDown(void*) { return false; }
    virtual bool onKeyUp(void*) { return false; }
    virtual bool onWheel(float) { return false; }
    virtual bool setKnobMode(VstInt32) { return false; }

protected:
    AudioEffect* effect;
    void* systemWindow;
};

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();

    AEffect* getAeffect() { return &cEffect; }

    // Host → effect. Threads as the host chooses; the audio calls on its audio thread.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);
    virtual void open() {}
    virtual void close() {}
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgramName(char*) {}
    virtual void getProgramName(char* name) { name[0] = 0; }
    virtual void getParameterLabel(VstInt32, char* label) { label[0] = 0; }
    virtual void getParameterDisplay(VstInt32, char* text) { text[0] = 0; }
    virtual void getParameterName(VstInt32, char* text) { text[0] = 0; }
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 frames) { blockSize = frames; }
    virtual void suspend() {}
    virtual void resume() {}
    virtual VstInt32 getChunk(void**, bool) { return 0; }
    virtual VstInt32 setChunk(void*, VstInt32, bool) { return 0; }
    virtual void setParameter(VstInt32, float) {}
    virtual float getParameter(VstInt32) { return 0; }
    // A user gesture: sets, then tells the host so that it records automation.
    virtual void setParameterAutomated(VstInt32 index, float value);
    virtual void process(float**, float**, VstInt32) {} // deprecated accumulating call
    virtual void processReplacing(float**, float**, VstInt32) {}
    virtual void processDoubleReplacing(double**, double**, VstInt32) {}
    virtual float getVu() { return 0; }

    // Effect → host.
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();
    float updateSampleRate();
    VstInt32 updateBlockSize();

    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setNumInputs(VstInt32 n) { cEffect.numInputs = n; }
    void setNumOutputs(VstInt32 n) { cEffect.numOutputs = n; }
    void setInitialDelay(VstInt32 samples) { cEffect.initialDelay = samples; }
    void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }
    void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    void setEditor(AEffEditor* newEditor);
    AEffEditor* getEditor() { return editor; }
    float getSampleRate() const { return sampleRate; }

    // Value formatting for display texts, bounded to maxLen characters plus a terminator.
    static void float2string(float value, char* text, VstInt32 maxLen);
    static void int2string(VstInt32 value, char* text, VstInt32 maxLen);
    static void dB2string(float value, char* text, VstInt32 maxLen);
    void Hz2string(float samples, char* text, VstInt32 maxLen);
    void ms2string(float samples, char* text, VstInt32 maxLen);

    // The record's entries: recover the object and call the like-named method. No
    // exception crosses them into the host.
    static VstIntPtr VSTCALLBACK DispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                                     VstIntPtr value, void* ptr, float opt);
    static void VSTCALLBACK processClass(AEffect* e, float** in, float** out, VstInt32 frames);
    static void VSTCALLBACK processClassReplacing(AEffect* e, float** in, float** out,
                                                  VstInt32 frames);
    static void VSTCALLBACK processClassDoubleReplacing(AEffect* e, double** in, double** out,
                                                        VstInt32 frames);
    static void VSTCALLBACK setParameterClass(AEffect* e, VstInt32 index, float value);
    static float VSTCALLBACK getParameterClass(AEffect* e, VstInt32 index);

protected:
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0);
    void setFlag(VstInt32 flag, bool state);

    audioMasterCallback audioMaster;
    AEffEditor* editor;
    float sampleRate;
    VstInt32 blockSize;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram;
    AEffect cEffect;

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;
};

class AudioEffectX : public AudioEffect {
public:
    using AudioEffect::AudioEffect;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;
    void resume() override;

    virtual VstInt32 processEvents(VstEvents*) { return 0; }
    virtual bool canParameterBeAutomated(VstInt32) { return false; }
    virtual bool string2parameter(VstInt32, char*) { return false; }
    virtual VstInt32 getNumCategories() { return 1; }
    virtual bool getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
    virtual bool copyProgram(VstInt32) { return false; }
    virtual bool getInputProperties(VstInt32, void*) { return false; }
    virtual bool getOutputProperties(VstInt32, void*) { return false; }
    virtual VstPlugCategory getPlugCategory();
    virtual bool setSpeakerArrangement(void*, void*) { return false; }
    virtual bool getSpeakerArrangement(void**, void**) { return false; }
    virtual bool setBypass(bool) { return false; }
    virtual bool getEffectName(char*) { return false; }
    virtual bool getVendorString(char*) { return false; }
    virtual bool getProductString(char*) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstIntPtr vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
    virtual VstInt32 canDo(char*) { return 0; }
    virtual VstInt32 getGetTailSize() { return 0; }
    virtual bool getParameterProperties(VstInt32, VstParameterProperties*) { return false; }
    virtual VstInt32 getVstVersion() { return 2400; }
    virtual VstInt32 getMidiProgramName(VstInt32, void*) { return 0; }
    virtual VstInt32 getCurrentMidiProgram(VstInt32, void*) { return -1; }
    virtual VstInt32 getMidiProgramCategory(VstInt32, void*) { return 0; }
    virtual bool hasMidiProgramsChanged(VstInt32) { return false; }
    virtual bool getMidiKeyName(VstInt32, void*) { return false; }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual VstInt32 startProcess() { return 0; }
    virtual VstInt32 stopProcess() { return 0; }
    virtual bool setPanLaw(VstInt32, float) { return false; }
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo*) { return 0; }
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo*) { return 0; }
    virtual bool setProcessPrecision(VstInt32) { return false; }
    virtual VstInt32 getNumMidiInputChannels() { return 0; }
    virtual VstInt32 getNumMidiOutputChannels() { return 0; }

    // Effect → host (2.x).
    virtual bool canHostDo(char* text);
    virtual bool ioChanged();
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);
    virtual bool updateDisplay();
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
    bool isSynth() const { return (cEffect.flags & effFlagsIsSynth) != 0; }
};
