// A fresh engine for each test: empty run state, a null window system the
// test can script, the virtual clock and platform settings with every switch off.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/null/null_window_system.h"
#include "platform/win32/windows.h"
#include "support/temp_files.h"

namespace velmora::testing {

// Puts every run-state variable back to its start value.
void ResetEngineState();

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Registers "Render Window" with the engine's window procedure and creates it.
    void CreateRenderWindow();

    platform::NullWindowSystem* windowSystem = nullptr;
    HWND window = nullptr;
};

}  // namespace velmora::testing
