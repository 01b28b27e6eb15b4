// Tracker modules through libopenmpt, rendered at the mix rate with the
// library's default render settings.
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/backend/sound.h"

namespace velmora::platform {

namespace {

// How far before a seek's time the library is asked to go: more than a
// row at any tempo a song is likely to have.
constexpr double kSeekLead = 0.5;

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

    uint64_t Seek(uint64_t frame) override {
        // The song plays on for ever. A time past its length is taken as the
        // same time into a repetition from the start: exact for the songs
        // that start again at their beginning, which most do.
        double seconds = static_cast<double>(frame) / kMixRate;
        const double length = openmpt_module_get_duration_seconds(module_);
        if (length > 0.0 && seconds >= length) seconds = std::fmod(seconds, length);
        // The library's seek plays the song's rows through without rendering
        // them, so the channels' state at that time comes along; it lands on
        // the start of a row, so it is asked for a little before the time
        // and the rest is rendered and dropped.
        openmpt_module_set_position_seconds(module_, std::max(0.0, seconds - kSeekLead));
        const double reached = openmpt_module_get_position_seconds(module_);
        if (reached < seconds) {
            auto rest = static_cast<size_t>(std::llround((seconds - reached) * kMixRate));
            std::vector<float> dropped(std::min<size_t>(rest, 4096) * 2);
            while (rest > 0) {
                const size_t got = Render(dropped.data(), std::min(rest, dropped.size() / 2));
                if (got == 0) break;
                rest -= got;
            }
        }
        return frame;
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
    // A seek into a note that started before it sounds that note from where
    // it has come to, as a play through does, not silence until the next.
    openmpt_module_ctl_set_boolean(module, "seek.sync_samples", 1);
    return std::make_unique<ModuleSource>(module);
}

}  // namespace velmora::platform
