// The settings reader on arbitrary bytes: it must stop at the end of the
// file, never write past the 512-byte file names, and leave a device and mode
// selection that indexes inside the device table whatever the numbers say.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "app/settings.h"
#include "data/data_archive.h"
#include "render/display.h"
#include "state/engine_state.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A table as the enumeration leaves it: one device in slot 3 with 14 modes.
    static const bool ready = [] {
        displayDevices[3].modeCount = 14;
        return true;
    }();
    (void)ready;
    selectedDevice = 3;
    selectedMode = 1;
    // LoadSettings hands the reader no more than its read limit of the file.
    int autorun = ReadSettings(reinterpret_cast<const char*>(data), std::min(size, kSettingsReadLimit));
    Require(autorun == 0 || autorun == 1);
    Require(localPath == 0 || localPath == 1);
    Require(selectedDevice == 3 && selectedMode >= 0 && selectedMode < 14);
    for (const char* name : {sceneFileName, scriptFileName, musicFileName, archiveFileName})
        Require(std::memchr(name, '\0', kFileNameSize) != nullptr);
    return 0;
}
