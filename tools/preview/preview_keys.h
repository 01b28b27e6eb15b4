// The preview's keys, as the window system reports them.
#pragma once

namespace velmora::tools {

enum class PreviewCommand {
    None,
    PauseOrResume,
    Back,           // 1 s, with Shift 10 s
    Forward,
    BackLong,
    ForwardLong,
    PreviousAction,
    NextAction,
    ToStart,
    StepBack,       // one frame, while paused
    StepForward,
    MarkIn,
    MarkOut,
    ToggleLoop,
    Reload,
    ToggleStatistics,
    Quit,
};

PreviewCommand CommandForKey(int virtualKey, bool shift);

}  // namespace velmora::tools
