#include <string>

#include "soak_show.h"

namespace velmora::tools {

namespace {

// Lines of the script, each ended by CR LF.
class Script {
public:
    void Line(const std::string& text) { text_ += text + "\r\n"; }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace

std::string SoakScript(bool withMp3) {
    Script s;
    s.Line("' The soak show: one minute that performs every kind of timeline action.");
    s.Line("[Engine][Local path] TRUE");
    s.Line(withMp3 ? "[Music][00] 3" : "[Music][00] 2");
    s.Line("[Music][01][Filename] music\\tune.mod");
    s.Line("[Music][02][Filename] pad.wav");
    if (withMp3) s.Line("[Music][03][Filename] house.mp3");
    s.Line("[QX3][00] 3");
    // The turning cube, looped for most of the minute.
    s.Line("[QX3][01][Filename] cube.QX3");
    s.Line("[QX3][01][Load]");
    s.Line("[QX3][01][Camera] 0 90 Camera01 15 15 100 0 FALSE");
    s.Line("[QX3][01][Shade] Cube Phong");
    // Every kind of node; loaded twice, the second load replacing the first.
    s.Line("[QX3][02][Filename] every.QX3");
    s.Line("[QX3][02][Load]");
    s.Line("[QX3][02][Load]");
    s.Line("[QX3][02][FPS] 2");
    s.Line("[QX3][02][Camera] 0 3 Camera01 0 0 100 16 FALSE");
    s.Line("[QX3][02][Camera] 0 3 Camera02 1 1 50 0 TRUE");
    s.Line("[QX3][02][Blur] Camera02 2");
    s.Line("[QX3][02][Order] Camera02 Camera01");
    s.Line("[QX3][02][Overlay] Mover TRUE");
    s.Line("[QX3][02][Backface] Box01 FALSE");
    // One frame shown for two seconds, played twice.
    s.Line("[QX3][03][Filename] panel.QX3");
    s.Line("[QX3][03][Load]");
    s.Line("[QX3][03][FPS] 0.5");
    s.Line("[QX3][03][Camera] 0 1 Camera01 0 0 100 0 FALSE");

    // The timeline, in time order.
    s.Line("[Music][01][Play] 0");
    s.Line("[QX3][01][PreLoad] 0");
    s.Line("[QX3][01][Play] 0 TRUE");
    s.Line("[QX3][02][PreLoad] 4");
    s.Line("[QX3][02][Play] 5 TRUE");
    s.Line("[Music][02][Play] 8");
    s.Line("[QX3][03][PreLoad] 10");
    s.Line("[QX3][03][Play] 10 FALSE");
    // Textures given back while the scene plays, then asked for again.
    s.Line("[QX3][01][Release] 15");
    s.Line("[Music][01][Stop] 18");
    if (withMp3) s.Line("[Music][03][Play] 20");
    s.Line("[QX3][01][PreLoad] 22");
    s.Line("[Engine][Hold] 25 500");
    s.Line("[QX3][02][Stop] 28");
    s.Line("[QX3][03][Play] 30 FALSE");
    s.Line("[QX3][02][Play] 32 FALSE");
    // Played again from the start.
    s.Line("[Music][01][Play] 35");
    s.Line("[Music][02][Stop] 38");
    s.Line("[Music][02][Play] 40");
    s.Line("[QX3][02][Release] 42");
    // Unloaded while it may still play.
    s.Line("[QX3][02][Unload] 44");
    s.Line("[QX3][03][Release] 46");
    if (withMp3) s.Line("[Music][03][Stop] 48");
    s.Line("[QX3][03][Unload] 50");
    s.Line("[Music][02][Stop] 54");
    s.Line("[Music][01][Stop] 57");
    // The looped scene ends the show: stopped, then freed in the next frame.
    s.Line("[QX3][01][Stop] " + std::to_string(kShowSeconds));
    s.Line("[QX3][01][Unload] " + std::to_string(kShowSeconds));
    return s.Text();
}

}  // namespace velmora::tools
