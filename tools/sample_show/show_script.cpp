#include "sample_show/show_script.h"

#include <cstdio>

#include "sample_show/show_timing.h"

namespace velmora::tools {

namespace {

class ScriptText {
public:
    void Line(const std::string& text) { text_ += text + "\r\n"; }
    void Comment(const std::string& text) { Line("' " + text); }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

std::string Tag(int number) {
    char tag[8];
    std::snprintf(tag, sizeof tag, "[%02d]", number);
    return tag;
}

// Seconds with as few digits as they need: 8, 15.5, 61.25.
std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    std::string value = text;
    while (value.back() == '0') value.pop_back();
    if (value.back() == '.') value.pop_back();
    return value;
}

std::string Scene(int number, const std::string& key) { return "[QX3]" + Tag(number) + "[" + key + "]"; }
std::string Music(int number, const std::string& key) { return "[Music]" + Tag(number) + "[" + key + "]"; }

void SceneLines(ScriptText& script, int number, const ShowScene& scene) {
    script.Line(Scene(number, "Filename") + " " + scene.fileName);
    script.Line(Scene(number, "Load"));
    script.Line(Scene(number, "FPS") + " " + std::to_string(scene.framesPerSecond));
    for (const CameraWindow& w : scene.windows)
        script.Line(Scene(number, "Camera") + " " + std::to_string(w.begin) + " " + std::to_string(w.end) + " " +
                    w.camera + " " + std::to_string(w.fadeIn) + " " + std::to_string(w.fadeOut) + " " +
                    std::to_string(w.percent) + " " + std::to_string(w.extraAmbient) + " " +
                    (w.overlay ? "TRUE" : "FALSE"));
    for (const auto& [camera, frames] : scene.blurs)
        script.Line(Scene(number, "Blur") + " " + camera + " " + std::to_string(frames));
    if (!scene.order.empty()) {
        std::string line = Scene(number, "Order");
        for (const std::string& camera : scene.order) line += " " + camera;
        script.Line(line);
    }
    for (const ObjectFlag& flag : scene.shading) script.Line(Scene(number, "Shade") + " " + flag.object + " " + flag.value);
    for (const ObjectFlag& flag : scene.overlays) script.Line(Scene(number, "Overlay") + " " + flag.object + " " + flag.value);
    for (const ObjectFlag& flag : scene.backfaces) script.Line(Scene(number, "Backface") + " " + flag.object + " " + flag.value);
}

}  // namespace

std::string ShowScript(const std::vector<ShowScene>& scenes) {
    const double titleSeconds = scenes[kTitleScene - 1].Seconds();
    const double closeEnd = kCloseStart + titleSeconds;
    ScriptText script;
    script.Comment("Velmora sample show, written by qxshow.");
    script.Comment("Five scenes, a tracker tune and a WAV stream; about a minute.");
    script.Line("[Engine][Local path] TRUE");
    script.Comment("Music: the tune for the middle, the stream for the title and the close.");
    script.Line("[Music][00] 2");
    script.Line(Music(1, "Filename") + " " + kTuneName);
    script.Line(Music(2, "Filename") + " " + kStreamName);
    script.Comment("Scenes: loaded before the show starts, then presented.");
    script.Line("[QX3][00] " + std::to_string(scenes.size()));
    for (size_t i = 0; i < scenes.size(); ++i) SceneLines(script, static_cast<int>(i + 1), scenes[i]);

    // Lines of the same time are performed one a frame, in the order they
    // are written: the music first, so that it starts on time.
    script.Comment("Title: the stars loop behind the lettering, the stream plays.");
    script.Line(Music(2, "Play") + " " + Seconds(kTitleStart));
    script.Line(Scene(kStarsScene, "PreLoad") + " " + Seconds(kTitleStart));
    script.Line(Scene(kTitleScene, "PreLoad") + " " + Seconds(kTitleStart));
    script.Line(Scene(kStarsScene, "Play") + " " + Seconds(kTitleStart) + " TRUE");
    script.Line(Scene(kTitleScene, "Play") + " " + Seconds(kTitleStart) + " FALSE");
    script.Comment("Tunnel: the tune starts; the stars rest while the tunnel hides them.");
    script.Line(Scene(kTunnelScene, "PreLoad") + " " + Seconds(kTunnelStart - 2.0));
    script.Line(Music(1, "Play") + " " + Seconds(kTuneStart));
    script.Line(Scene(kTunnelScene, "Play") + " " + Seconds(kTunnelStart) + " FALSE");
    script.Line(Music(2, "Stop") + " " + Seconds(kTuneStart));
    script.Line(Scene(kStarsScene, "Stop") + " " + Seconds(kTunnelStart + 0.75));
    script.Line("[Engine][Hold] " + Seconds(kHoldAt) + " " + std::to_string(kHoldMilliseconds));
    script.Comment("Knot: the stars come back as the tunnel fades; the tunnel is freed.");
    script.Line(Scene(kKnotScene, "PreLoad") + " " + Seconds(kKnotStart - 2.0));
    script.Line(Scene(kStarsScene, "Play") + " " + Seconds(kKnotStart - 0.75) + " TRUE");
    script.Line(Scene(kKnotScene, "Play") + " " + Seconds(kKnotStart) + " FALSE");
    script.Line(Scene(kTunnelScene, "Release") + " " + Seconds(kKnotStart + 0.5));
    script.Line(Scene(kTunnelScene, "Unload") + " " + Seconds(kKnotStart + 0.75));
    script.Comment("City.");
    script.Line(Scene(kCityScene, "PreLoad") + " " + Seconds(kCityStart - 2.0));
    script.Line(Scene(kCityScene, "Play") + " " + Seconds(kCityStart) + " FALSE");
    script.Comment("Close: the title again with the stream; then everything is given back.");
    script.Line(Music(2, "Play") + " " + Seconds(kCloseStart));
    script.Line(Scene(kTitleScene, "Play") + " " + Seconds(kCloseStart) + " FALSE");
    script.Line(Music(1, "Stop") + " " + Seconds(kTuneStop));
    script.Line(Scene(kStarsScene, "Stop") + " " + Seconds(closeEnd));
    script.Line(Music(2, "Stop") + " " + Seconds(closeEnd));
    for (int number : {kStarsScene, kTitleScene, kKnotScene, kCityScene})
        script.Line(Scene(number, "Release") + " " + Seconds(closeEnd + 0.25));
    for (int number : {kStarsScene, kTitleScene, kKnotScene, kCityScene})
        script.Line(Scene(number, "Unload") + " " + Seconds(closeEnd + 0.5));
    return script.Take();
}

}  // namespace velmora::tools
