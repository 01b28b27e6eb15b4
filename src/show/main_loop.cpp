#include "show/main_loop.h"

#include "platform/win32/windows.h"
#include "render/display.h"
#include "render/overlay_text.h"
#include "show/statistics.h"
#include "show/timeline.h"
#include "state/engine_state.h"

int MainLoop() {
    MSG msg;
    while (!exitRequested) {
        // Messages come first: a frame is drawn only when the queue is empty.
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        if (d3dDevice) d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        AdvanceTimeline(d3dDevice);
        if (frameCounter <= 5) DrawOverlayText("", 0, 0, 255, 255, 0);
        DrawStatistics(fpsFrameCount, fpsWindowStart);
        PresentFrame();
    }
    return 1;
}
