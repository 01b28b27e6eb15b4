#include "timeline_bar.h"

#include <cmath>
#include <cstdio>

#include "render/display.h"
#include "scene/scene.h"
#include "state/engine_state.h"

namespace velmora::tools {

namespace {

constexpr int kLine = 15;  // the overlay text's line height
constexpr int kBand = 15;
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

// The bar's lines of text, put on the frame through one device context: each
// DrawOverlayText would fetch and store the whole frame for its line alone.
class TextBatch {
public:
    void Add(const std::string& text, int x, int y, Colour c) { lines_.push_back({text, x, y, c}); }
    void Draw() {
        if (!d3dDevice || lines_.empty()) return;
        IDirectDrawSurface7* target = nullptr;
        if (FAILED(d3dDevice->GetRenderTarget(&target)) || !target) return;
        HDC dc = nullptr;
        if (SUCCEEDED(target->GetDC(&dc))) {
            SetBkMode(dc, TRANSPARENT);
            for (const Line& line : lines_) {
                SetTextColor(dc, RGB(line.colour.r, line.colour.g, line.colour.b));
                ExtTextOutA(dc, line.x, line.y, 0, nullptr, line.text.c_str(),
                            static_cast<UINT>(line.text.size()), nullptr);
            }
            target->ReleaseDC(dc);
        }
        target->Release();
    }

private:
    struct Line {
        std::string text;
        int x, y;
        Colour colour;
    };
    std::vector<Line> lines_;
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

// Each span's row: the first whose last span has ended by its beginning, so
// that scenes playing together lie one above the other.
std::vector<int> Lanes(const ShowOutline& outline, int& count) {
    std::vector<int> lanes;
    std::vector<uint64_t> ends;
    for (const SceneSpan& span : outline.spans) {
        size_t lane = 0;
        while (lane < ends.size() && ends[lane] > span.begin) ++lane;
        if (lane == ends.size()) ends.push_back(0);
        ends[lane] = span.end;
        lanes.push_back(static_cast<int>(lane));
    }
    count = ends.empty() ? 1 : static_cast<int>(ends.size());
    return lanes;
}

namespace {

// Where the panel's parts stand, from its top down: a margin, the notes, the
// playing scenes, the scene bands (the bar's top), the ticks and the time.
struct Layout {
    int panelTop;
    int barTop;
};

Layout LayOut(size_t noteCount, int laneCount, int height) {
    const int barHeight = kBand * laneCount + kTicks + kLine + 2;
    const int barTop = height - barHeight;
    return {barTop - kLine - kLine * static_cast<int>(noteCount) - 2, barTop};
}

size_t NotesShown(const BarState& state) {
    return state.notes.size() < kNotesShown ? state.notes.size() : kNotesShown;
}

}  // namespace

int BarTop(const ShowOutline& outline, int height) {
    int laneCount = 1;
    Lanes(outline, laneCount);
    return LayOut(0, laneCount, height).barTop;
}

bool InsideBar(const ShowOutline& outline, int y, int height) { return y >= BarTop(outline, height) && y < height; }

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
    TextBatch text;
    const size_t noteCount = NotesShown(state);
    int laneCount = 1;
    const std::vector<int> lanes = Lanes(outline, laneCount);
    const Layout layout = LayOut(noteCount, laneCount, height);
    int y = layout.panelTop;
    paint.Fill(0, y, width, height, {16, 16, 24});
    y += 2;
    for (size_t i = state.notes.size() - noteCount; i < state.notes.size(); ++i, y += kLine)
        text.Add(state.notes[i], 4, y, {255, 120, 100});
    text.Add(PlayingLine(), 4, y, {200, 200, 200});
    y += kLine;
    // The scene bands, a row for each scene playing at once, coloured by scene.
    const int bandTop = layout.barTop;
    for (size_t i = 0; i < outline.spans.size(); ++i) {
        const SceneSpan& span = outline.spans[i];
        const int left = Column(outline, span.begin, width), right = Column(outline, span.end, width);
        const int top = bandTop + lanes[i] * kBand;
        paint.Fill(left, top, right > left ? right : left + 1, top + kBand - 1,
                   kBandColours[static_cast<size_t>(span.scene) % (sizeof kBandColours / sizeof kBandColours[0])]);
        if (right - left > 40) text.Add(span.name, left + 2, top - 1, {255, 255, 255});
    }
    y += kBand * laneCount;
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
    text.Add(TimeLine(outline, state, framesPerSecond), 4, y, {255, 255, 0});
    text.Draw();
}

}  // namespace velmora::tools
