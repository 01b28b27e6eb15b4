#include "timeline_bar.h"

#include <cmath>
#include <cstdio>

#include "render/display.h"
#include "render/overlay_text.h"
#include "scene/scene.h"
#include "state/engine_state.h"

namespace velmora::tools {

namespace {

constexpr int kLine = 15;  // the overlay text's line height
constexpr int kBand = 16;
constexpr int kTicks = 5;
constexpr size_t kNotesShown = 4;

struct Colour {
    int r, g, b;
};

// A colour in the back buffer's own pixel format, for a colour fill.
DWORD PackColour(const DDPIXELFORMAT& format, Colour c) {
    auto place = [](DWORD mask, int value) -> DWORD {
        if (!mask) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        const DWORD top = mask >> shift;
        return (static_cast<DWORD>(value) * top / 255u) << shift;
    };
    return place(format.dwRBitMask, c.r) | place(format.dwGBitMask, c.g) | place(format.dwBBitMask, c.b);
}

class Painter {
public:
    Painter() {
        if (!backBuffer) return;
        DDSURFACEDESC2 description{};
        description.dwSize = sizeof description;
        if (FAILED(backBuffer->GetSurfaceDesc(&description))) return;
        format_ = description.ddpfPixelFormat;
        ready_ = true;
    }
    void Fill(int left, int top, int right, int bottom, Colour c) {
        if (!ready_ || right <= left || bottom <= top) return;
        RECT box{left, top, right, bottom};
        DDBLTFX effects{};
        effects.dwSize = sizeof effects;
        effects.dwFillColor = PackColour(format_, c);
        backBuffer->Blt(&box, nullptr, nullptr, DDBLT_COLORFILL, &effects);
    }

private:
    bool ready_ = false;
    DDPIXELFORMAT format_{};
};

const Colour kBandColours[] = {{70, 110, 170}, {160, 90, 60}, {80, 140, 80}, {140, 80, 150}, {150, 140, 60}};

std::string Clock(uint64_t frame, double framesPerSecond) {
    const double seconds = static_cast<double>(frame) / framesPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%05.2f", static_cast<int>(seconds / 60.0),
                  std::fmod(seconds, 60.0));
    return text;
}

int Column(const ShowOutline& outline, uint64_t frame, int width) {
    if (outline.length == 0) return 0;
    return static_cast<int>(static_cast<double>(frame) * width / static_cast<double>(outline.length));
}

// The camera of the scene's draw order drawn in its current frame, if any.
std::string CameraNow(const Scene& scene) {
    const auto frame = static_cast<int32_t>(scene.currentFrame);
    if (frame < 0 || frame >= scene.frameCount) return "";
    std::string names;
    for (int32_t j = 0; j < scene.cameraCount; ++j) {
        const int32_t c = scene.cameraOrder[j];
        if (c < 0 || c >= scene.cameraCount || scene.cameras[c].frameBlend[frame] <= -1.0f) continue;
        names += (names.empty() ? "" : ",") + std::string(scene.cameras[c].name ? scene.cameras[c].name : "?");
    }
    return names;
}

}  // namespace

int BarHeight(int noteLines) { return kLine + kBand + kTicks + kLine + kLine * noteLines + 4; }

uint64_t FrameAtColumn(const ShowOutline& outline, int x, int width) {
    if (outline.length == 0 || width <= 0) return 0;
    if (x <= 0) return 0;
    const auto frame = static_cast<uint64_t>(static_cast<double>(x) * outline.length / width);
    return frame >= outline.length ? outline.length - 1 : frame;
}

std::string PlayingLine() {
    std::string line;
    for (const Action* node = renderList.next; node; node = node->next) {
        const int index = static_cast<int>(node->argument);
        if (node->type != kActionPlayScene || index < 0 || index >= sceneCount) continue;
        const Scene& scene = scenes[index];
        std::string name = scene.fileName ? scene.fileName : "";
        const size_t cut = name.find_last_of("\\/");
        if (cut != std::string::npos) name.erase(0, cut + 1);
        char frame[32];
        std::snprintf(frame, sizeof frame, " %d", static_cast<int>(scene.currentFrame));
        line += (line.empty() ? "" : " | ") + name + frame + " " + CameraNow(scene);
    }
    return line.empty() ? "(no scene playing)" : line;
}

std::string TimeLine(const ShowOutline& outline, const BarState& state, double framesPerSecond) {
    std::string line = Clock(state.frame, framesPerSecond) + " / " + Clock(outline.length, framesPerSecond);
    if (state.paused) line += "  paused";
    if (state.loopOn || state.loopIn || state.loopOut)
        line += std::string(state.loopOn ? "  loop " : "  loop off ") + Clock(state.loopIn, framesPerSecond) +
                "-" + Clock(state.loopOut, framesPerSecond);
    if (!state.paused && state.speed < 0.98) {
        char slow[48];
        std::snprintf(slow, sizeof slow, "  drawing lags: %.2fx", state.speed);
        line += slow;
    }
    return line;
}

void DrawTimelineBar(const ShowOutline& outline, const BarState& state, double framesPerSecond, int width,
                     int height) {
    Painter paint;
    const size_t noteCount = state.notes.size() < kNotesShown ? state.notes.size() : kNotesShown;
    int y = height - BarHeight(static_cast<int>(noteCount));
    paint.Fill(0, y, width, height, {16, 16, 24});
    y += 2;
    for (size_t i = state.notes.size() - noteCount; i < state.notes.size(); ++i, y += kLine)
        DrawOverlayText(state.notes[i].c_str(), 4, y, 255, 120, 100);
    DrawOverlayText(PlayingLine().c_str(), 4, y, 200, 200, 200);
    y += kLine;
    // The scene bands, stacked in one row: a later span paints over an earlier one.
    const int bandTop = y;
    size_t colour = 0;
    for (const SceneSpan& span : outline.spans) {
        const int left = Column(outline, span.begin, width), right = Column(outline, span.end, width);
        paint.Fill(left, bandTop, right > left ? right : left + 1, bandTop + kBand,
                   kBandColours[colour++ % (sizeof kBandColours / sizeof kBandColours[0])]);
    }
    for (const SceneSpan& span : outline.spans) {
        const int left = Column(outline, span.begin, width), right = Column(outline, span.end, width);
        if (right - left > 40) DrawOverlayText(span.name.c_str(), left + 2, bandTop, 255, 255, 255);
    }
    y += kBand;
    for (const OutlineAction& action : outline.actions) {
        const int x = Column(outline, action.frame, width);
        paint.Fill(x, y, x + 1, y + kTicks, {220, 220, 220});
    }
    if (state.loopIn || state.loopOut) {
        const Colour mark = state.loopOn ? Colour{255, 220, 0} : Colour{120, 110, 40};
        for (uint64_t at : {state.loopIn, state.loopOut}) {
            const int x = Column(outline, at, width);
            paint.Fill(x, bandTop, x + 2, y + kTicks, mark);
        }
    }
    const int head = Column(outline, state.frame, width);
    paint.Fill(head, bandTop - 2, head + 2, y + kTicks + 2, {255, 255, 255});
    y += kTicks;
    DrawOverlayText(TimeLine(outline, state, framesPerSecond).c_str(), 4, y, 255, 255, 0);
}

}  // namespace velmora::tools
