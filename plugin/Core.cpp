#include "plugin/Core.h"
#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
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
    LoadKestrelGraphics(&Graphics);
    try {
        Host = new CHostAdapter(callback);
    } catch (...) {
        FreeKestrelGraphics(&Graphics);
        throw;
    }
}

CCore::~CCore() {
    delete Host;
    FreeKestrelGraphics(&Graphics);
}

AudioEffect* createEffectInstance(audioMasterCallback callback, HINSTANCE module) {
    SetKestrelEditorFactory(CModelEditor::Create);
    {
        std::lock_guard<std::mutex> lock(CoreGuard);
        // The same handle every time from the same library: written only when it differs,
        // so that instances made on several host threads at once do not race on it.
        if (AppInstance != module) AppInstance = module;
        if (!Core) Core = new CCore(DetectProcessorFeatures(), callback);
    }
    std::unique_ptr<CKestrel> machine(new CKestrel(Core->Host, &Core->Graphics));
    auto* adapter = new COrbisAdapter(machine.get(), callback, KestrelUniqueID);
    machine.release(); // the adapter owns it now
    return adapter;
}
