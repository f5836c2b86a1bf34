#include "preview/MpvApi.h"

#include <dlfcn.h>
#include <initializer_list>

namespace vc {

namespace {

template <typename Function> bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

const MpvApi* load() {
    void* library = nullptr;
    for (const char* name : {"libmpv.so.2", "libmpv.so.1", "libmpv.so"}) {
        library = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
        if (library)
            break;
    }
    if (!library)
        return nullptr;
    static MpvApi api;
    const bool complete =
        resolve(library, "mpv_create", api.create) &&
        resolve(library, "mpv_initialize", api.initialize) &&
        resolve(library, "mpv_set_option_string", api.set_option_string) &&
        resolve(library, "mpv_observe_property", api.observe_property) &&
        resolve(library, "mpv_command_async", api.command_async) &&
        resolve(library, "mpv_wait_event", api.wait_event) &&
        resolve(library, "mpv_wakeup", api.wakeup) &&
        resolve(library, "mpv_terminate_destroy", api.terminate_destroy) &&
        resolve(library, "mpv_render_context_create", api.render_context_create) &&
        resolve(library, "mpv_render_context_set_update_callback",
                api.render_context_set_update_callback) &&
        resolve(library, "mpv_render_context_update", api.render_context_update) &&
        resolve(library, "mpv_render_context_render", api.render_context_render) &&
        resolve(library, "mpv_render_context_free", api.render_context_free);
    // Kept loaded even when incomplete: its threads may not outlive its code.
    return complete ? &api : nullptr;
}

} // namespace

const MpvApi* mpvApi() {
    static const MpvApi* const api = load();
    return api;
}

} // namespace vc
