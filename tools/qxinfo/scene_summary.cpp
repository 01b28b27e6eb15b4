#include "qxinfo/scene_summary.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace velmora::tools {

namespace {

void Append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& out, const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    out += line;
}

const char* Text(const char* text) { return text ? text : ""; }

D3DVECTOR Transform(const Vertex& v, const D3DMATRIX& m) {
    D3DVECTOR p;
    p.x = v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41;
    p.y = v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42;
    p.z = v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43;
    return p;
}

const char* LightKind(const D3DLIGHT7& light) {
    return light.dltType == D3DLIGHT_SPOT ? "spot" : "point";
}

const char* AttenuationKind(const D3DLIGHT7& light) {
    if (light.dvAttenuation0 != 0.0f) return "constant";
    if (light.dvAttenuation1 != 0.0f) return "linear";
    if (light.dvAttenuation2 != 0.0f) return "quadratic";
    return "none";
}

}  // namespace

BoundingBox SceneBoundingBox(const Scene& scene, int frame) {
    BoundingBox box;
    for (int32_t o = 0; o < scene.objectCount; ++o) {
        const SceneObject& object = scene.objects[o];
        const D3DMATRIX& world = object.matrices[object.animated ? frame : 0];
        for (int32_t p = 0; p < object.partCount; ++p) {
            for (int32_t v = 0; v < object.partVertexCounts[p]; ++v) {
                D3DVECTOR point = Transform(object.partVertices[p][v], world);
                if (box.empty) {
                    box.min = box.max = point;
                    box.empty = false;
                    continue;
                }
                box.min.x = std::min(box.min.x, point.x);
                box.min.y = std::min(box.min.y, point.y);
                box.min.z = std::min(box.min.z, point.z);
                box.max.x = std::max(box.max.x, point.x);
                box.max.y = std::max(box.max.y, point.y);
                box.max.z = std::max(box.max.z, point.z);
            }
        }
    }
    return box;
}

std::string SceneSummary(const Scene& scene) {
    std::string out;
    Append(out, "frames: %d\n", scene.frameCount);
    // A scene of one frame has one ambient colour: said once.
    if (scene.frameCount == 1)
        Append(out, "ambient: 0x%06X\n", scene.frameAmbient[0] & 0xFFFFFF);
    else if (scene.frameCount > 1)
        Append(out, "ambient: frame 0 0x%06X, frame %d 0x%06X\n", scene.frameAmbient[0] & 0xFFFFFF,
               scene.frameCount - 1, scene.frameAmbient[scene.frameCount - 1] & 0xFFFFFF);

    Append(out, "draw styles: %d\n", scene.drawStyleCount);
    for (int32_t i = 0; i < scene.drawStyleCount; ++i) {
        const DrawStyle& style = scene.drawStyles[i];
        const D3DCOLORVALUE& c = style.material.diffuse;
        Append(out, "  %d: colour %.3f %.3f %.3f alpha %.3f texture %s\n", i,
               static_cast<double>(c.r), static_cast<double>(c.g), static_cast<double>(c.b),
               static_cast<double>(c.a), Text(style.textureName));
    }

    Append(out, "objects: %d\n", scene.objectCount);
    for (int32_t o = 0; o < scene.objectCount; ++o) {
        const SceneObject& object = scene.objects[o];
        Append(out, "  %d: %s (parent %s) %s, %d parts%s\n", o, Text(object.name),
               Text(object.parentName), object.animated ? "animated" : "static", object.partCount,
               object.cullBackfaces ? "" : ", not culled");
        for (int32_t p = 0; p < object.partCount; ++p)
            Append(out, "    part %d: draw style %d, %d vertices, %d triangles\n", p,
                   static_cast<int>(object.partDrawStyles[p] - scene.drawStyles),
                   object.partVertexCounts[p], object.partPolygonCounts[p]);
    }

    Append(out, "cameras: %d\n", scene.cameraCount);
    for (int32_t c = 0; c < scene.cameraCount; ++c)
        Append(out, "  %d: %s, field of view in frame 0 %.4f\n", c, Text(scene.cameras[c].name),
               static_cast<double>(scene.cameras[c].frameFov[0]));

    Append(out, "lights: %d\n", scene.lightCount);
    for (int32_t i = 0; i < scene.lightCount; ++i) {
        const SceneLight& light = scene.lights[i];
        const D3DLIGHT7& first = scene.lightFrames[i][0];
        Append(out, "  %d: %s, %s, %s attenuation, range %g, %s\n", i, Text(light.name),
               LightKind(first), AttenuationKind(first), static_cast<double>(first.dvRange),
               light.animated ? "animated" : "static");
    }

    BoundingBox box = SceneBoundingBox(scene, 0);
    if (box.empty)
        Append(out, "bounding box of frame 0: empty\n");
    else
        Append(out, "bounding box of frame 0: %g %g %g to %g %g %g\n", static_cast<double>(box.min.x),
               static_cast<double>(box.min.y), static_cast<double>(box.min.z),
               static_cast<double>(box.max.x), static_cast<double>(box.max.y),
               static_cast<double>(box.max.z));
    return out;
}

}  // namespace velmora::tools
