// One scene of the sample show: its description for the scene writer and
// what the play script says about it (frame rate, camera windows, trails,
// camera order, and the shading, overlay and back-face lines of its objects).
#pragma once

#include <string>
#include <vector>

#include "sample_show/geometry.h"
#include "scene_writer/scene_writer.h"

namespace velmora::tools {

struct CameraWindow {
    std::string camera;
    int begin = 0, end = 0;          // frames begin to end - 1
    int fadeIn = 0, fadeOut = 0;     // frames
    int percent = 100;
    int extraAmbient = 0;            // added to the ambient colour as a number
    bool overlay = false;            // drawn additively
};

struct ObjectFlag {
    std::string object;
    std::string value;  // "Flat"/"Gouraud" for shading, "TRUE"/"FALSE" for the flags
};

struct ShowScene {
    std::string fileName;            // such as "tunnel.QX3"
    SceneDescription scene;
    int framesPerSecond = 30;
    std::vector<CameraWindow> windows;
    std::vector<std::pair<std::string, int>> blurs;  // camera, trail frames
    std::vector<std::string> order;  // cameras drawn first, in this order
    std::vector<ObjectFlag> shading, overlays, backfaces;

    double Seconds() const { return static_cast<double>(scene.frameCount) / framesPerSecond; }
};

// The scenes, each made for the length of time the show gives it.
ShowScene TitleScene();    // the lettering flies in among turning rings
ShowScene StarsScene();    // a looping field of stars rushing past
ShowScene TunnelScene();   // a flight down a winding plasma tunnel
ShowScene KnotScene();     // a torus knot among rings and coloured lights
ShowScene CityScene();     // a night flight through a city of towers

// Building blocks the scenes share.
WriterCamera MakeCamera(const std::string& name, int frames);
void AddCameraFrame(WriterCamera& camera, float fov, const D3DMATRIX& view);
// A light of the given kind with no frames yet.
WriterLight MakeLight(const std::string& name, bool spot, int attenuation, float intensity, float multiplier,
                      float range);
// A flare seen from any side: three crossed squares of the given half size.
WriterPart FlarePart(int32_t drawStyle, float size, Vec3 centre = {});
// A double pyramid (eight faces) of the given half height, seen from outside.
WriterPart GemPart(int32_t drawStyle, float size, Vec3 centre = {});
// A ring of square section round the path's point centre, square to tangent.
WriterPart RingPart(int32_t drawStyle, Vec3 centre, Vec3 tangent, float radius, float thickness, int segments,
                    int sides);
// The share of a beat of the tune that has passed at the given second of
// the show: 0 on the beat, rising to 1 just before the next; and a flash that
// is 1 on the beat and dies away.
float BeatPhase(double showSeconds);
float BeatFlash(double showSeconds, float sharpness = 5.0f);
// Eases 0 to 1 in and out.
float Ease(float t);
// An object with one matrix per frame from place(frame).
WriterObject Animated(const std::string& name, std::vector<WriterPart> parts, int frames,
                      const std::function<D3DMATRIX(int)>& place);
WriterObject Still(const std::string& name, std::vector<WriterPart> parts);

}  // namespace velmora::tools
