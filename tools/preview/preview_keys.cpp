#include "preview_keys.h"

#include "platform/win32/windows.h"

namespace velmora::tools {

PreviewCommand CommandForKey(int key, bool shift) {
    switch (key) {
        case VK_SPACE: return PreviewCommand::PauseOrResume;
        case VK_LEFT: return shift ? PreviewCommand::BackLong : PreviewCommand::Back;
        case VK_RIGHT: return shift ? PreviewCommand::ForwardLong : PreviewCommand::Forward;
        case VK_PRIOR: return PreviewCommand::PreviousAction;
        case VK_NEXT: return PreviewCommand::NextAction;
        case VK_HOME: return PreviewCommand::ToStart;
        case VK_OEM_COMMA: return PreviewCommand::StepBack;
        case VK_OEM_PERIOD: return PreviewCommand::StepForward;
        case 'I': return PreviewCommand::MarkIn;
        case 'O': return PreviewCommand::MarkOut;
        case 'L': return PreviewCommand::ToggleLoop;
        case 'R': return PreviewCommand::Reload;
        case 'F': return PreviewCommand::ToggleStatistics;
        case VK_ESCAPE: return PreviewCommand::Quit;
        default: return PreviewCommand::None;
    }
}

}  // namespace velmora::tools
