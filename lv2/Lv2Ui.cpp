// The reverb's editor as an LV2 UI (ui:X11UI). It relies on no access to the plug-in's
// instance: like every editor it draws from a model machine of its own, here following
// the port values the host sends and its sample rate. A drag
// goes to the host through its write function, bracketed by ui:touch where offered;
// values the host changes come back through port_event.
#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "lv2/Lv2Ports.h"
#include "platform/NativeParent.h"
#include "platform/Presenter.h"
#include "plugin/EditorScale.h"
#include "plugin/SharedArtwork.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

// The editor's link: the values the host sent (port_event), and a gesture as a port
// write between touch on and off.
class CUiLink final : public CKestrelEditorLink {
public:
    CUiLink(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch,
            int rate)
        : Write(write), Controller(controller), Touch(touch), Rate(rate) {
        for (int i = 0; i < KestrelPropertyCount; i++)
            Values[i] = CKestrel::DefaultValue(i);
    }
    double GetValue(int index) override { return Values[index]; }
    int GetSampleRate() override { return Rate; }
    void BeginEdit(int index) override {
        if (Touch) Touch->touch(Touch->handle, KestrelAudioPorts + index, true);
    }
    void PerformEdit(int index, double value) override {
        const float v = static_cast<float>(value);
        Values[index] = value;
        if (Write) Write(Controller, KestrelAudioPorts + index, sizeof v, 0, &v);
        char text[64];
        std::snprintf(text, sizeof text, "BM Kestrel UI: port %d = %f\n",
                      static_cast<int>(KestrelAudioPorts) + index, static_cast<double>(v));
        OutputDebugStringA(text); // standard error with KESTREL_DEBUG set
    }
    void EndEdit(int index) override {
        if (Touch) Touch->touch(Touch->handle, KestrelAudioPorts + index, false);
    }
    // UI thread (port_event)
    void SetValue(int index, double value) { Values[index] = value; }

private:
    LV2UI_Write_Function Write;
    LV2UI_Controller Controller;
    const LV2UI_Touch* Touch;
    int Rate;
    double Values[KestrelPropertyCount];
};

struct SUi {
    SUi(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch, int rate)
        : Link(write, controller, touch, rate) {}
    ~SUi() {
        Editor.reset();
        if (Parent) KestrelDetachNativeParent(Parent);
    }
    // Shows the editor at another scale and tells the host its new size.
    void Rescale(int scale) {
        const int width = KestrelEditorWidth * scale, height = KestrelEditorHeight * scale;
        Scale = scale;
        KestrelResizeNativeParent(Parent, width, height);
        Editor->SetScale(scale);
        if (Resize) Resize->ui_resize(Resize->handle, width, height);
    }

    CUiLink Link;
    std::unique_ptr<CModelEditor> Editor;
    HWND Parent = nullptr;
    const LV2UI_Resize* Resize = nullptr;
    int Scale = 1;
    CScaleWatch ScaleWatch; // the desktop's resolution while the editor is open
};

// The host's sample rate from its options (param:sampleRate), 48 kHz when it gives none.
int SampleRate(const LV2_Feature* const* features) {
    const LV2_URID_Map* map = nullptr;
    const LV2_Options_Option* options = nullptr;
    for (int i = 0; features && features[i]; i++) {
        if (!std::strcmp(features[i]->URI, LV2_URID__map))
            map = static_cast<const LV2_URID_Map*>(features[i]->data);
        if (!std::strcmp(features[i]->URI, LV2_OPTIONS__options))
            options = static_cast<const LV2_Options_Option*>(features[i]->data);
    }
    if (map && options) {
        const LV2_URID rate = map->map(map->handle, LV2_PARAMETERS__sampleRate);
        const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
        for (const LV2_Options_Option* o = options; o->key; o++)
            if (o->key == rate && o->type == floatType && o->value)
                return static_cast<int>(*static_cast<const float*>(o->value));
    }
    return 48000;
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char*, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    void* parent = nullptr;
    const LV2UI_Resize* resize = nullptr;
    const LV2UI_Touch* touch = nullptr;
    for (int i = 0; features && features[i]; i++) {
        if (!std::strcmp(features[i]->URI, LV2_UI__parent)) parent = features[i]->data;
        if (!std::strcmp(features[i]->URI, LV2_UI__resize))
            resize = static_cast<const LV2UI_Resize*>(features[i]->data);
        if (!std::strcmp(features[i]->URI, LV2_UI__touch))
            touch = static_cast<const LV2UI_Touch*>(features[i]->data);
    }
    if (!parent) return nullptr; // embedded only: there is no window of our own
    try {
        auto ui = std::make_unique<SUi>(write, controller, touch, SampleRate(features));
        const int scale = KestrelEditorScale(nullptr);
        ui->Resize = resize;
        ui->Parent =
            KestrelAttachNativeParent(reinterpret_cast<uintptr_t>(parent),
                                      KestrelEditorWidth * scale, KestrelEditorHeight * scale);
        ui->Editor = std::make_unique<CModelEditor>(ui->Parent, &ui->Link, KestrelSharedArtwork());
        ui->Rescale(scale);
        *widget = reinterpret_cast<LV2UI_Widget>(KestrelNativeWindowId(ui->Parent));
        return ui.release();
    } catch (...) {
        return nullptr;
    }
}

void Cleanup(LV2UI_Handle handle) {
    delete static_cast<SUi*>(handle);
}

// UI thread: a control's value from the host (automation, another view of it).
void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
    auto* ui = static_cast<SUi*>(handle);
    if (format != 0 || size != sizeof(float) || !buffer || port < KestrelAudioPorts ||
        port >= KestrelAudioPorts + KestrelPropertyCount)
        return;
    ui->Link.SetValue(static_cast<int>(port - KestrelAudioPorts),
                      static_cast<double>(*static_cast<const float*>(buffer)));
}

// UI thread, regularly: the model's rebuild, the editor's drawing, this editor's session.
int Idle(LV2UI_Handle handle) {
    auto* ui = static_cast<SUi*>(handle);
    try {
        ui->Editor->OnIdle();
        int scale = ui->Scale;
        if (ui->ScaleWatch.Changed(ui->Parent, ui->Scale, &scale)) ui->Rescale(scale);
        KestrelPumpEvents(ui->Parent);
    } catch (...) {
    }
    return 0;
}

const LV2UI_Idle_Interface IdleInterface = {Idle};

const void* ExtensionData(const char* uri) {
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &IdleInterface : nullptr;
}

const LV2UI_Descriptor Descriptor = {KestrelLv2UiUri, Instantiate, Cleanup, PortEvent,
                                     ExtensionData};

} // namespace

// any thread; no lock.
extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &Descriptor : nullptr;
}
