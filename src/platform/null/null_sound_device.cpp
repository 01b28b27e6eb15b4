// The silent output, where no sound device opens (CI, a headless server) and
// on the virtual clock: nothing is played, and the stand-in mixes in step
// with the clock instead of on a device's thread.
#include "platform/backend/sound.h"

namespace velmora::platform {

namespace {

class SilentSoundDevice : public SoundDevice {
public:
    const char* Name() const override { return "silent"; }
    bool PullsOnItsOwn() const override { return false; }
};

}  // namespace

std::unique_ptr<SoundDevice> OpenSilentSoundDevice() { return std::make_unique<SilentSoundDevice>(); }

}  // namespace velmora::platform
