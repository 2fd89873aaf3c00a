#include "editor/KestrelInfo.h"
#include "reverb/Kestrel.h"

CKestrelInfo::CKestrelInfo(CHost* host) : Host(host), Graphics{}, Loaded(false) {
    Name = "BM Kestrel";
    LongName = "Orbis::BM Kestrel";
}

CKestrelInfo::~CKestrelInfo() {
    if (Loaded) FreeKestrelGraphics(&Graphics);
}

CMachine* CKestrelInfo::CreateMachine() {
    if (!Loaded) {
        LoadKestrelGraphics(&Graphics);
        Loaded = true;
    }
    return new CKestrel(Host, &Graphics);
}
