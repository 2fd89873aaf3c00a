// Presents one machine to a VST 2.4 host: one object is both the effect and its
// editor. Owns the machine. Takes no lock itself: the machine guards its blocks, and
// each entry below takes what the machine's method it calls takes.
#pragma once

#include "machine/Machine.h"
#include "plugin/AudioEffect.h"
#include "plugin/EditorScale.h"

class COrbisAdapter : public AudioEffectX, public AEffEditor {
public:
    COrbisAdapter(CMachine* machine, audioMasterCallback audioMaster, VstInt32 uniqueID);
    ~COrbisAdapter() override;

    // UI thread. Serves both the effect's and the editor's close: hides the editor if open.
    void close() override;
    // any thread (hosts send these from their UI or audio thread, never during a block);
    // the rate takes the machine's lock.
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 frames) override;
    // audio thread; the machine's lock for the block
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) override;
    // any thread; no lock
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void setParameterAutomated(VstInt32 index, float value) override;
    // UI thread; program changes rebuild under the machine's lock
    VstInt32 getProgram() override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    // any thread; no lock. Every parameter can be automated (the editor sends automation).
    bool canParameterBeAutomated(VstInt32 index) override;
    // any thread; no lock: the full name as the label, the 7-character one as the short
    // label, no flags or ranges (hosts that show only short names confuse "Src Lef" four times).
    bool getParameterProperties(VstInt32 index, VstParameterProperties* properties) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    bool beginSetProgram() override;
    bool endSetProgram() override;
    VstInt32 beginLoadBank(VstPatchChunkInfo*) override { return 1; }
    VstInt32 beginLoadProgram(VstPatchChunkInfo*) override { return 1; }
    // audio thread: note on/off into the first port's control buffer, if it has one.
    VstInt32 processEvents(VstEvents* events) override;
    bool getVendorString(char* text) override;
    // any thread: the project's version, as the effect record's (1.2.0 is 1200).
    VstInt32 getVendorVersion() override { return KESTREL_VST2_VERSION; }
    bool getProductString(char* text) override;

    // Editor (UI thread). open builds the editor without the machine's lock; idle runs
    // the machine's idle (its lock for a pending rebuild and the editor's copy) and
    // pumps this editor's own session of windows, timers and display connection.
    bool getRect(ERect** rect) override;
    bool open(void* parent) override;
    void idle() override;
    // UI thread: a host's scale call ('PreS', 'AeCs', the factor in opt) resizes the
    // editor to the nearest whole scale and asks the host to resize its window; its
    // question for the VST 3 class ('stCA' or 'stCa', 'FUID') gets the 16 bytes in ptr.
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    CMachine* GetMachine() { return Machine; }

private:
    template <typename Sample> void Process(Sample** inputs, Sample** outputs, VstInt32 frames);

    CMachine* Machine;
    CPort* InputPort;
    CPort* OutputPort;
    HWND EditorWindow;
    int LastBlockFrames;
    ERect EditorRect;
    HWND NativeParent; // Linux: our window inside the host's, while the editor is open
    // The editor's whole-number scale (1 … 4); 0 until chosen, which happens when the
    // host first asks for the editor's size or opens it.
    int Scale;
#if !defined(_WIN32)
    CScaleWatch ScaleWatch; // the desktop's resolution while the editor is open
#endif
    void ApplyScale(int scale);
};
