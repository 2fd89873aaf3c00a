// The reverb's factory for hosts that create machines through CMachineInfo: names the
// machine and decodes the artwork once for every machine it creates. UI thread (hosts
// create machines there); no lock.
#pragma once

#include "graphics/FrameBuffer.h"
#include "machine/MachineInfo.h"

class CHost;

class CKestrelInfo : public CMachineInfo {
public:
    explicit CKestrelInfo(CHost* host);
    ~CKestrelInfo() override;
    // The first call decodes the six pictures; every call returns a new CKestrel.
    CMachine* CreateMachine() override;
    bool IsLoaded() const { return Loaded; }
    SKestrelGraphics* GetGraphics() { return &Graphics; }

private:
    CHost* Host;
    SKestrelGraphics Graphics;
    bool Loaded;
};
