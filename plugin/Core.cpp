#include "plugin/Core.h"
#include "platform/Module.h"
#include "plugin/OrbisAdapter.h"
#include "reverb/Kestrel.h"

#include <memory>
#include <mutex>
#include <new>

extern "C" {
CCore* Core = nullptr;
}

namespace {

// The unique ID 'BMKS', read big-endian.
constexpr VstInt32 KestrelUniqueID = CCONST('B', 'M', 'K', 'S');

// Two hosts threads creating the first two instances must not build two cores.
std::mutex CoreGuard;

} // namespace

int DetectProcessorFeatures() {
    return 0;
}

CCore::CCore(int processorFeatures, audioMasterCallback callback)
    : ProcessorFeatures(processorFeatures), Graphics{}, Host(nullptr) {
    // Decoding order 118, 107, 109, 110, 108, 104, each into its field.
    CFrameBuffer** order[6] = {&Graphics.Background,      &Graphics.KnobStrip,
                               &Graphics.HorizontalThumb, &Graphics.VerticalThumb,
                               &Graphics.RoomArt,         &Graphics.FontSheet};
    const int ids[6] = {ResourceBackground,    ResourceKnobStrip, ResourceHorizontalThumb,
                        ResourceVerticalThumb, ResourceRoomArt,   ResourceFontSheet};
    try {
        for (int i = 0; i < 6; i++)
            *order[i] = new CFrameBuffer(ids[i]);
        Host = new CHostAdapter(callback);
    } catch (...) {
        for (CFrameBuffer** picture : order) {
            delete *picture;
            *picture = nullptr;
        }
        throw;
    }
}

CCore::~CCore() {
    delete Host;
    delete Graphics.Background;
    delete Graphics.KnobStrip;
    delete Graphics.HorizontalThumb;
    delete Graphics.VerticalThumb;
    delete Graphics.RoomArt;
    delete Graphics.FontSheet;
}

AudioEffect* createEffectInstance(audioMasterCallback callback, HINSTANCE module) {
    AppInstance = module;
    {
        std::lock_guard<std::mutex> lock(CoreGuard);
        if (!Core) Core = new CCore(DetectProcessorFeatures(), callback);
    }
    std::unique_ptr<CKestrel> machine(new CKestrel(Core->Host, &Core->Graphics));
    auto* adapter = new COrbisAdapter(machine.get(), callback, KestrelUniqueID);
    machine.release(); // the adapter owns it now
    return adapter;
}
