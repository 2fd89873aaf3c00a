// A small VST 2.4 host: loads a plug-in's shared object with dlopen and drives one
// effect only through its entry point and dispatcher, as a sequencer would.
#pragma once

#include "plugin/VstInterface.h"

#include <stdexcept>
#include <string>
#include <vector>

struct SParameterInfo {
    int Index;
    std::string Name;     // as the plug-in reports it (hosts' buffers: 7 characters)
    std::string FullName; // from effGetParameterProperties where the plug-in answers, else Name
    std::string Display;  // the value's text
    float Value;
};

class CVstHost {
public:
    // Throws std::runtime_error with a one-line reason when the file is no plug-in.
    CVstHost(const std::string& path, int sampleRate, int blockSize);
    ~CVstHost();

    AEffect* Effect() { return Plugin; }
    std::vector<SParameterInfo> Parameters();
    // Index of a parameter by index text or by name, case-insensitive: a full name, else
    // a short name, else a name that starts with a short one. A name that fits more
    // than one parameter is an error listing them with their indices.
    int FindParameter(const std::string& nameOrIndex);
    void SetParameter(int index, float value);
    // Processes frames (any count; split into blocks of the announced size).
    void Process(const float* inL, const float* inR, float* outL, float* outR, int frames);
    std::string VendorString();

    // What the plug-in reported with audioMasterAutomate, newest last.
    struct SAutomation {
        int Index;
        float Value;
    };
    std::vector<SAutomation> Automations;

    CVstHost(const CVstHost&) = delete;
    CVstHost& operator=(const CVstHost&) = delete;

private:
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0);
    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);

    void* Library;
    AEffect* Plugin;
    int SampleRate;
    int BlockSize;
    std::vector<float> Scratch[4];
};
