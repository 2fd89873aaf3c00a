#include "machine/Port.h"
#include "machine/Host.h"

#include <cstring>

CPort::CPort(CHost* host, CMachine* machine, int kind, const char* name)
    : Kind(kind), AudioBuffer(nullptr), ControlBuffer(nullptr), Machine(machine), Name(nullptr) {
    const char* text = name ? name : "";
    Name = new char[std::strlen(text) + 1];
    std::strcpy(Name, text);
    if (Kind & PortAudio) {
        const int frames = host ? host->GetBlockSamples() : 0;
        AudioBuffer = new CAudioBuffer(frames > 0 ? frames : 0, (Kind & PortStereo) != 0);
    }
    if (Kind & PortControl) ControlBuffer = new CControlBuffer;
}

CPort::~CPort() {
    delete[] Name;
    delete AudioBuffer;
    delete ControlBuffer;
}
