#include "scene_writer/sample_scenes.h"

namespace velmora::tools {

namespace {

WriterLight Light(const std::string& name, bool spot, int32_t attenuation, bool animated,
                  int32_t frames) {
    WriterLight light;
    light.name = name;
    light.secondName = name + ".Target";
    light.intensity = 0.5f + 0.25f * attenuation;
    light.spot = spot;
    light.range = 500.0f + 100.0f * attenuation;
    light.hotspot = 0.4f;
    light.falloff = 0.7f;
    light.attenuation = attenuation;
    light.colourMultiplier = 3.0f;
    light.animated = animated;
    int32_t count = animated ? frames : 1;
    for (int32_t f = 0; f < count; ++f) {
        WriterLightFrame frame;
        frame.red = 1.0f;
        frame.green = 0.5f - 0.1f * f;
        frame.blue = 0.25f * attenuation;
        frame.position = D3DVECTOR{{10.0f * f}, {20.0f}, {-30.0f - attenuation}};
        frame.direction = D3DVECTOR{{0.0f}, {-1.0f}, {0.1f * f}};
        light.frames.push_back(frame);
    }
    return light;
}

}  // namespace

SceneDescription EveryNodeScene() {
    SceneDescription scene;
    scene.frameCount = 3;
    scene.ambient = {0x102030, 0x405060, 0x708090};
    scene.drawStyles = {
        {1.0f, 0.5f, 0.25f, 0.0f, "maps\\wall.jpg"},
        {0.2f, 0.4f, 0.6f, 0.25f, "glass.tga"},
        {0.9f, 0.9f, 0.9f, 0.0f, ""},
    };

    WriterObject cube = CubeObject("Box01", 2.0f, 0);
    cube.matrices[0] = TranslationMatrix(5.0f, 0.0f, 0.0f);
    scene.objects.push_back(cube);

    WriterObject mover;
    mover.name = "Mover";
    mover.parentName = "Box01";
    mover.animated = true;
    for (int32_t p = 0; p < 3; ++p) {
        WriterPart part;
        part.drawStyle = p;
        part.vertices = {{0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {0, 1, 0, 0, 1}, {1, 1, float(p), 1, 1}};
        part.polygons = {{0, 1, 2}, {1, 3, 2}};
        mover.parts.push_back(part);
    }
    for (int32_t f = 0; f < scene.frameCount; ++f) {
        D3DMATRIX m = TranslationMatrix(0.0f, 1.0f * f, 2.0f * f);
        m._11 = 1.0f + f;
        m._12 = 0.5f;
        m._21 = -0.5f;
        mover.matrices.push_back(m);
    }
    scene.objects.push_back(mover);

    for (int32_t c = 0; c < 2; ++c) {
        WriterCamera camera;
        camera.name = "Camera0" + std::to_string(c + 1);
        for (int32_t f = 0; f < scene.frameCount; ++f) {
            camera.fov.push_back(0.6f + 0.1f * f + 0.05f * c);
            D3DMATRIX m = TranslationMatrix(0.0f, -5.0f * c, 100.0f + f);
            m._13 = 0.25f * f;
            camera.matrices.push_back(m);
        }
        scene.cameras.push_back(camera);
    }

    for (int32_t kind = 0; kind < 3; ++kind) {
        scene.lights.push_back(
            Light("Omni0" + std::to_string(kind), false, kind, kind == 1, scene.frameCount));
        scene.lights.push_back(
            Light("Spot0" + std::to_string(kind), true, kind, kind != 1, scene.frameCount));
    }

    scene.shapes = {"*SHAPEOBJECT", "*SHAPEOBJECT"};
    scene.helpers = {"*HELPEROBJECT"};
    scene.nodeOrder = {
        {NodeKind::Helper, 0}, {NodeKind::Camera, 1}, {NodeKind::Object, 0},
        {NodeKind::Light, 0},  {NodeKind::Shape, 0},  {NodeKind::Light, 1},
        {NodeKind::Object, 1}, {NodeKind::Light, 2},  {NodeKind::Light, 3},
        {NodeKind::Camera, 0}, {NodeKind::Light, 4},  {NodeKind::Shape, 1},
        {NodeKind::Light, 5},
    };
    return scene;
}

SceneDescription OneFrameScene() {
    SceneDescription scene;
    scene.frameCount = 1;
    scene.ambient = {0x202020};
    scene.drawStyles = {{1.0f, 1.0f, 1.0f, 0.0f, "stone.bmp"}};
    scene.objects.push_back(CubeObject("Cube", 10.0f, 0));
    WriterCamera camera;
    camera.name = "Camera01";
    camera.fov = {0.7854f};
    camera.matrices = {TranslationMatrix(0.0f, 0.0f, 50.0f)};
    scene.cameras.push_back(camera);
    scene.lights.push_back(Light("Omni01", false, 1, false, 1));
    return scene;
}

bool SampleVisibility(int32_t c, int32_t f, int32_t o, int32_t p) {
    return ((c + f + o + p) % 3) != 1;
}

}  // namespace velmora::tools
