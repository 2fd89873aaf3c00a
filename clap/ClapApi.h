// The CLAP 1.2 interface, declared from its published facts: the entry, the factory, the
// plug-in and host records, processing and events, and the extensions this plug-in
// offers or uses. Plain C records, natural alignment, every function CLAP_ABI.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define CLAP_ABI __cdecl
#else
#define CLAP_ABI
#endif

extern "C" {

typedef uint32_t clap_id;
constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;
constexpr uint32_t CLAP_NAME_SIZE = 256, CLAP_PATH_SIZE = 1024;

struct clap_version_t {
    uint32_t major, minor, revision;
};
constexpr clap_version_t CLAP_VERSION = {1, 2, 10};

struct clap_plugin_entry_t {
    clap_version_t clap_version;
    bool(CLAP_ABI* init)(const char* plugin_path);
    void(CLAP_ABI* deinit)(void);
    const void*(CLAP_ABI* get_factory)(const char* factory_id);
};

struct clap_plugin_descriptor_t {
    clap_version_t clap_version;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features;
};

struct clap_host_t;
struct clap_process_t;

struct clap_plugin_t {
    const clap_plugin_descriptor_t* desc;
    void* plugin_data;
    bool(CLAP_ABI* init)(const clap_plugin_t* plugin);
    void(CLAP_ABI* destroy)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* activate)(const clap_plugin_t* plugin, double sample_rate,
                             uint32_t min_frames_count, uint32_t max_frames_count);
    void(CLAP_ABI* deactivate)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* start_processing)(const clap_plugin_t* plugin);
    void(CLAP_ABI* stop_processing)(const clap_plugin_t* plugin);
    void(CLAP_ABI* reset)(const clap_plugin_t* plugin);
    int32_t(CLAP_ABI* process)(const clap_plugin_t* plugin, const clap_process_t* process);
    const void*(CLAP_ABI* get_extension)(const clap_plugin_t* plugin, const char* id);
    void(CLAP_ABI* on_main_thread)(const clap_plugin_t* plugin);
};

struct clap_plugin_factory_t {
    uint32_t(CLAP_ABI* get_plugin_count)(const clap_plugin_factory_t* factory);
    const clap_plugin_descriptor_t*(CLAP_ABI* get_plugin_descriptor)(
        const clap_plugin_factory_t* factory, uint32_t index);
    const clap_plugin_t*(CLAP_ABI* create_plugin)(const clap_plugin_factory_t* factory,
                                                  const clap_host_t* host, const char* plugin_id);
};
#define CLAP_PLUGIN_FACTORY_ID "clap.plugin-factory"

struct clap_host_t {
    clap_version_t clap_version;
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void*(CLAP_ABI* get_extension)(const clap_host_t* host, const char* extension_id);
    void(CLAP_ABI* request_restart)(const clap_host_t* host);
    void(CLAP_ABI* request_process)(const clap_host_t* host);
    void(CLAP_ABI* request_callback)(const clap_host_t* host);
};

// Events.
struct clap_event_header_t {
    uint32_t size;
    uint32_t time;
    uint16_t space_id;
    uint16_t type;
    uint32_t flags;
};
constexpr uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;
enum : uint16_t {
    CLAP_EVENT_PARAM_VALUE = 5,
    CLAP_EVENT_PARAM_MOD = 6,
    CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
    CLAP_EVENT_PARAM_GESTURE_END = 8,
};
enum : uint32_t { CLAP_EVENT_IS_LIVE = 1, CLAP_EVENT_DONT_RECORD = 2 };

struct clap_event_param_value_t {
    clap_event_header_t header;
    clap_id param_id;
    void* cookie;
    int32_t note_id;
    int16_t port_index, channel, key;
    double value;
};

struct clap_event_param_gesture_t {
    clap_event_header_t header;
    clap_id param_id;
};

struct clap_input_events_t {
    void* ctx;
    uint32_t(CLAP_ABI* size)(const clap_input_events_t* list);
    const clap_event_header_t*(CLAP_ABI* get)(const clap_input_events_t* list, uint32_t index);
};

struct clap_output_events_t {
    void* ctx;
    bool(CLAP_ABI* try_push)(const clap_output_events_t* list, const clap_event_header_t* event);
};

struct clap_audio_buffer_t {
    float** data32;
    double** data64;
    uint32_t channel_count;
    uint32_t latency;
    uint64_t constant_mask;
};

struct clap_event_transport_t;

struct clap_process_t {
    int64_t steady_time;
    uint32_t frames_count;
    const clap_event_transport_t* transport;
    const clap_audio_buffer_t* audio_inputs;
    clap_audio_buffer_t* audio_outputs;
    uint32_t audio_inputs_count;
    uint32_t audio_outputs_count;
    const clap_input_events_t* in_events;
    const clap_output_events_t* out_events;
};
enum : int32_t {
    CLAP_PROCESS_ERROR = 0,
    CLAP_PROCESS_CONTINUE = 1,
    CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
    CLAP_PROCESS_TAIL = 3,
    CLAP_PROCESS_SLEEP = 4,
};

// audio-ports
#define CLAP_EXT_AUDIO_PORTS "clap.audio-ports"
#define CLAP_PORT_STEREO "stereo"
enum : uint32_t { CLAP_AUDIO_PORT_IS_MAIN = 1, CLAP_AUDIO_PORT_SUPPORTS_64BITS = 2 };
struct clap_audio_port_info_t {
    clap_id id;
    char name[CLAP_NAME_SIZE];
    uint32_t flags;
    uint32_t channel_count;
    const char* port_type;
    clap_id in_place_pair;
};
struct clap_plugin_audio_ports_t {
    uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin, bool is_input);
    bool(CLAP_ABI* get)(const clap_plugin_t* plugin, uint32_t index, bool is_input,
                        clap_audio_port_info_t* info);
};

// params
#define CLAP_EXT_PARAMS "clap.params"
enum : uint32_t { CLAP_PARAM_IS_AUTOMATABLE = 0x20 };
struct clap_param_info_t {
    clap_id id;
    uint32_t flags;
    void* cookie;
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE];
    double min_value;
    double max_value;
    double default_value;
};
struct clap_plugin_params_t {
    uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* get_info)(const clap_plugin_t* plugin, uint32_t param_index,
                             clap_param_info_t* param_info);
    bool(CLAP_ABI* get_value)(const clap_plugin_t* plugin, clap_id param_id, double* out_value);
    bool(CLAP_ABI* value_to_text)(const clap_plugin_t* plugin, clap_id param_id, double value,
                                  char* out_buffer, uint32_t out_buffer_capacity);
    bool(CLAP_ABI* text_to_value)(const clap_plugin_t* plugin, clap_id param_id,
                                  const char* param_value_text, double* out_value);
    void(CLAP_ABI* flush)(const clap_plugin_t* plugin, const clap_input_events_t* in,
                          const clap_output_events_t* out);
};
struct clap_host_params_t {
    void(CLAP_ABI* rescan)(const clap_host_t* host, uint32_t flags);
    void(CLAP_ABI* clear)(const clap_host_t* host, clap_id param_id, uint32_t flags);
    void(CLAP_ABI* request_flush)(const clap_host_t* host);
};

// state
#define CLAP_EXT_STATE "clap.state"
struct clap_istream_t {
    void* ctx;
    int64_t(CLAP_ABI* read)(const clap_istream_t* stream, void* buffer, uint64_t size);
};
struct clap_ostream_t {
    void* ctx;
    int64_t(CLAP_ABI* write)(const clap_ostream_t* stream, const void* buffer, uint64_t size);
};
struct clap_plugin_state_t {
    bool(CLAP_ABI* save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
    bool(CLAP_ABI* load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
};

// latency, tail
#define CLAP_EXT_LATENCY "clap.latency"
#define CLAP_EXT_TAIL "clap.tail"
struct clap_plugin_latency_t {
    uint32_t(CLAP_ABI* get)(const clap_plugin_t* plugin);
};
struct clap_plugin_tail_t {
    uint32_t(CLAP_ABI* get)(const clap_plugin_t* plugin);
};

// gui
#define CLAP_EXT_GUI "clap.gui"
#define CLAP_WINDOW_API_X11 "x11"
#define CLAP_WINDOW_API_WIN32 "win32"
struct clap_window_t {
    const char* api;
    union {
        void* cocoa;
        unsigned long x11;
        void* win32;
        void* ptr;
    };
};
struct clap_gui_resize_hints_t {
    bool can_resize_horizontally;
    bool can_resize_vertically;
    bool preserve_aspect_ratio;
    uint32_t aspect_ratio_width;
    uint32_t aspect_ratio_height;
};
struct clap_plugin_gui_t {
    bool(CLAP_ABI* is_api_supported)(const clap_plugin_t* plugin, const char* api,
                                     bool is_floating);
    bool(CLAP_ABI* get_preferred_api)(const clap_plugin_t* plugin, const char** api,
                                      bool* is_floating);
    bool(CLAP_ABI* create)(const clap_plugin_t* plugin, const char* api, bool is_floating);
    void(CLAP_ABI* destroy)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* set_scale)(const clap_plugin_t* plugin, double scale);
    bool(CLAP_ABI* get_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
    bool(CLAP_ABI* can_resize)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* get_resize_hints)(const clap_plugin_t* plugin, clap_gui_resize_hints_t* hints);
    bool(CLAP_ABI* adjust_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
    bool(CLAP_ABI* set_size)(const clap_plugin_t* plugin, uint32_t width, uint32_t height);
    bool(CLAP_ABI* set_parent)(const clap_plugin_t* plugin, const clap_window_t* window);
    bool(CLAP_ABI* set_transient)(const clap_plugin_t* plugin, const clap_window_t* window);
    void(CLAP_ABI* suggest_title)(const clap_plugin_t* plugin, const char* title);
    bool(CLAP_ABI* show)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* hide)(const clap_plugin_t* plugin);
};
struct clap_host_gui_t {
    void(CLAP_ABI* resize_hints_changed)(const clap_host_t* host);
    bool(CLAP_ABI* request_resize)(const clap_host_t* host, uint32_t width, uint32_t height);
    bool(CLAP_ABI* request_show)(const clap_host_t* host);
    bool(CLAP_ABI* request_hide)(const clap_host_t* host);
    void(CLAP_ABI* closed)(const clap_host_t* host, bool was_destroyed);
};

// timer-support, posix-fd-support
#define CLAP_EXT_TIMER_SUPPORT "clap.timer-support"
#define CLAP_EXT_POSIX_FD_SUPPORT "clap.posix-fd-support"
enum : uint32_t { CLAP_POSIX_FD_READ = 1, CLAP_POSIX_FD_WRITE = 2, CLAP_POSIX_FD_ERROR = 4 };
struct clap_plugin_timer_support_t {
    void(CLAP_ABI* on_timer)(const clap_plugin_t* plugin, clap_id timer_id);
};
struct clap_host_timer_support_t {
    bool(CLAP_ABI* register_timer)(const clap_host_t* host, uint32_t period_ms, clap_id* timer_id);
    bool(CLAP_ABI* unregister_timer)(const clap_host_t* host, clap_id timer_id);
};
struct clap_plugin_posix_fd_support_t {
    void(CLAP_ABI* on_fd)(const clap_plugin_t* plugin, int fd, uint32_t flags);
};
struct clap_host_posix_fd_support_t {
    bool(CLAP_ABI* register_fd)(const clap_host_t* host, int fd, uint32_t flags);
    bool(CLAP_ABI* modify_fd)(const clap_host_t* host, int fd, uint32_t flags);
    bool(CLAP_ABI* unregister_fd)(const clap_host_t* host, int fd);
};

} // extern "C"

static_assert(sizeof(clap_version_t) == 12 && sizeof(clap_event_header_t) == 16 &&
                  sizeof(clap_param_info_t) == 1320 && sizeof(clap_gui_resize_hints_t) == 12,
              "records of one size on every target");
static_assert(sizeof(void*) == 4
                  ? sizeof(clap_plugin_entry_t) == 24 && sizeof(clap_plugin_t) == 48 &&
                        sizeof(clap_host_t) == 48 && sizeof(clap_process_t) == 40 &&
                        sizeof(clap_audio_buffer_t) == 24 &&
                        sizeof(clap_event_param_value_t) == 48 &&
                        sizeof(clap_audio_port_info_t) == 276
                  : sizeof(clap_plugin_entry_t) == 40 && sizeof(clap_plugin_t) == 96 &&
                        sizeof(clap_host_t) == 88 && sizeof(clap_process_t) == 64 &&
                        sizeof(clap_audio_buffer_t) == 32 &&
                        sizeof(clap_event_param_value_t) == 56 &&
                        sizeof(clap_audio_port_info_t) == 288,
              "the records' sizes are the interface's");
