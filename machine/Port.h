// A machine's connection to its host: audio, control messages or both.
#pragma once

#include "machine/AudioBuffer.h"
#include "machine/ControlBuffer.h"

class CHost;
class CMachine;

enum {
    PortAudio = 0x1,
    PortControl = 0x2,
    PortInput = 0x10,
    PortOutput = 0x20,
    PortStereo = 0x100,
    PortStereoAudioIn = PortStereo | PortInput | PortAudio,   // 273, "Line In"
    PortStereoAudioOut = PortStereo | PortOutput | PortAudio, // 289, "Line Out"
};

class CPort {
public:
    // The audio buffer starts with the host's block length in frames.
    CPort(CHost* host, CMachine* machine, int kind, const char* name);
    virtual ~CPort();

    int Kind;
    CAudioBuffer* AudioBuffer;     // owned; only with PortAudio
    CControlBuffer* ControlBuffer; // owned; only with PortControl
    CMachine* Machine;             // not owned
    char* Name;                    // owned copy

    CPort(const CPort&) = delete;
    CPort& operator=(const CPort&) = delete;
};
