#pragma once

#include <mpv/client.h>
#include <mpv/render.h>

namespace vc {

// libmpv's entry points, loaded when the preview first needs them: libmpv brings two hundred
// libraries with it, which batch mode and a start that hands its files on never use.
struct MpvApi {
    decltype(&::mpv_create) create;
    decltype(&::mpv_initialize) initialize;
    decltype(&::mpv_set_option_string) set_option_string;
    decltype(&::mpv_observe_property) observe_property;
    decltype(&::mpv_command_async) command_async;
    decltype(&::mpv_wait_event) wait_event;
    decltype(&::mpv_wakeup) wakeup;
    decltype(&::mpv_terminate_destroy) terminate_destroy;
    decltype(&::mpv_render_context_create) render_context_create;
    decltype(&::mpv_render_context_set_update_callback) render_context_set_update_callback;
    decltype(&::mpv_render_context_update) render_context_update;
    decltype(&::mpv_render_context_render) render_context_render;
    decltype(&::mpv_render_context_free) render_context_free;
};

// nullptr when libmpv is not installed or lacks one of them; loaded once, from any thread.
const MpvApi* mpvApi();

} // namespace vc
