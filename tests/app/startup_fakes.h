#pragma once

#include <string>
#include <vector>

struct StartupRecord {
    std::vector<std::string> calls;
    int settingsAutorun = 0;
    int framesToPlay = 0;
};

extern StartupRecord startup;
