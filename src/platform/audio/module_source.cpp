// Tracker modules through libopenmpt, rendered at the mix rate with the
// library's default render settings.
#include <libopenmpt/libopenmpt.h>

#include "platform/backend/sound.h"

namespace velmora::platform {

namespace {

class ModuleSource : public SoundSource {
public:
    explicit ModuleSource(openmpt_module* module) : module_(module) {}
    ~ModuleSource() override { openmpt_module_destroy(module_); }

    size_t Render(float* out, size_t frames) override {
        size_t done = 0;
        // The library renders at most what fits its own blocks; ask until the
        // request is full or the module has ended.
        while (done < frames) {
            size_t got = openmpt_module_read_interleaved_float_stereo(
                module_, static_cast<int32_t>(kMixRate), frames - done, out + done * 2);
            if (got == 0) break;
            done += got;
        }
        return done;
    }

    bool Restart() override {
        // Seeking to 0 resets the play position, the channels and the song's
        // global state as a fresh load does.
        openmpt_module_set_position_seconds(module_, 0.0);
        return true;
    }

private:
    openmpt_module* module_;
};

}  // namespace

std::unique_ptr<SoundSource> OpenModuleSource(const void* data, size_t size, SourceError& error) {
    if (!data || size == 0) {
        error.why = "no module data";
        return nullptr;
    }
    // What is plainly no module is refused by the formats' header checks
    // alone, before the library builds its player (about 1.8 MB) for it.
    if (openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, data, size, size,
                                  openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
                                  nullptr, nullptr, nullptr) == OPENMPT_PROBE_FILE_HEADER_RESULT_FAILURE) {
        error.why = "not a module";
        return nullptr;
    }
    int code = 0;
    const char* message = nullptr;
    openmpt_module* module =
        openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent, nullptr,
                                           openmpt_error_func_ignore, nullptr, &code, &message,
                                           nullptr);
    if (!module) {
        error.why = message ? message : "not a module";
        openmpt_free_string(message);
        return nullptr;
    }
    openmpt_free_string(message);
    // The sound library's songs loop unless told otherwise, and the player
    // never tells them: a song shorter than its place in the show goes on
    // at its restart position instead of falling silent. libopenmpt plays
    // once unless asked.
    openmpt_module_set_repeat_count(module, -1);
    return std::make_unique<ModuleSource>(module);
}

}  // namespace velmora::platform
