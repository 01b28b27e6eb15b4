#include "scene_writer/sample_scenes.h"

#include <cmath>
#include <string>

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

SceneDescription ExampleShowScene() {
    constexpr int32_t kFrames = 90;
    SceneDescription scene;
    scene.frameCount = kFrames;
    scene.ambient.assign(kFrames, 0x404040);
    scene.drawStyles = {{1.0f, 0.6f, 0.2f, 0.0f, "cube.bmp"}};
    WriterObject cube = CubeObject("Cube", 3.0f, 0);
    cube.animated = true;
    cube.matrices.clear();
    const float tilt = 0.5f;
    for (int32_t f = 0; f < kFrames; ++f) {
        // A turn about y, then a tilt about x (row vectors: v * Ry * Rx).
        const float a = 6.2831853f * static_cast<float>(f) / kFrames;
        const float c = std::cos(a), s = std::sin(a), ct = std::cos(tilt), st = std::sin(tilt);
        D3DMATRIX m = IdentityMatrix();
        m._11 = c;      m._12 = s * st;  m._13 = -s * ct;
        m._21 = 0.0f;   m._22 = ct;      m._23 = st;
        m._31 = s;      m._32 = -c * st; m._33 = c * ct;
        cube.matrices.push_back(m);
    }
    scene.objects.push_back(cube);
    WriterCamera camera;
    camera.name = "Camera01";
    camera.fov.assign(kFrames, 0.8f);
    camera.matrices.assign(kFrames, TranslationMatrix(0.0f, 0.0f, 10.0f));
    scene.cameras.push_back(camera);
    WriterLight light;
    light.name = "Omni01";
    light.secondName = "Omni01.Target";
    light.intensity = 0.5f;
    light.range = 1000.0f;
    light.frames.push_back({1.0f, 1.0f, 1.0f, D3DVECTOR{{-5.0f}, {5.0f}, {-10.0f}}, D3DVECTOR{}});
    scene.lights.push_back(light);
    return scene;
}

std::string ExampleShowScript() {
    return "' An example show: one turning cube, seen by one camera, for three seconds.\r\n"
           "[Engine][Local path] TRUE\r\n"
           "[QX3][00] 1\r\n"
           "[QX3][01][Filename] cube.QX3\r\n"
           "[QX3][01][Load]\r\n"
           "[QX3][01][Camera] 0 90 Camera01 15 15 100 0 FALSE\r\n"
           "[QX3][01][Shade] Cube Gouraud\r\n"
           "[QX3][01][PreLoad] 0\r\n"
           "[QX3][01][Play] 0 FALSE\r\n"
           "[QX3][01][Unload] 3\r\n";
}

std::vector<uint8_t> ExampleTextureBytes() {
    constexpr int32_t kSide = 64;
    constexpr int32_t kRow = kSide * 3;  // a multiple of 4: no row padding
    const int32_t pixels = kRow * kSide;
    std::vector<uint8_t> bytes;
    auto put = [&bytes](uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    bytes.push_back('B');
    bytes.push_back('M');
    put(54 + pixels, 4);
    put(0, 4);
    put(54, 4);  // where the pixels start
    put(40, 4);  // the info header
    put(kSide, 4);
    put(kSide, 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);  // no compression
    put(pixels, 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x) {
            const bool light = ((x / 8) + (y / 8)) % 2 == 0;
            put(light ? 0xF0F0F0 : 0x604020, 3);  // blue, green, red
        }
    return bytes;
}

namespace {

// A box from (x0, y0, z0) to (x1, y1, z1) as one part.
WriterPart BoxPart(float x0, float y0, float z0, float x1, float y1, float z1, int32_t drawStyle) {
    WriterPart part = CubeObject("", 1.0f, drawStyle).parts[0];
    for (WriterVertex& v : part.vertices) {
        v.x = (x0 + x1) / 2 + v.x * (x1 - x0);
        v.y = (y0 + y1) / 2 + v.y * (y1 - y0);
        v.z = (z0 + z1) / 2 + v.z * (z1 - z0);
    }
    return part;
}

}  // namespace

SceneDescription WallsScene() {
    SceneDescription scene;
    scene.frameCount = 30;
    scene.ambient.assign(scene.frameCount, 0x303030);
    scene.drawStyles = {
        {0.8f, 0.8f, 0.7f, 0.0f, ""},   // walls
        {0.9f, 0.3f, 0.2f, 0.0f, ""},   // boxes
        {0.2f, 0.5f, 0.9f, 0.0f, ""},
        {0.3f, 0.6f, 0.9f, 0.6f, ""},   // glass
    };
    const int rooms = 5;
    const float depth = 40.0f, halfWidth = 30.0f, height = 20.0f, door = 4.0f;
    for (int r = 0; r < rooms; ++r) {
        const float z = 20.0f + depth * r;
        // The wall at the room's front: left and right of the doorway and over it.
        WriterObject wall;
        wall.name = "Wall" + std::to_string(r);
        wall.parts = {BoxPart(-halfWidth, 0, z, -door, height, z + 1, 0),
                      BoxPart(door, 0, z, halfWidth, height, z + 1, 0),
                      BoxPart(-door, door * 2, z, door, height, z + 1, 0)};
        wall.matrices = {IdentityMatrix()};
        scene.objects.push_back(wall);
        for (int gx = 0; gx < 4; ++gx)
            for (int gz = 0; gz < 4; ++gz) {
                WriterObject column;
                column.name = "Column" + std::to_string(r) + "_" + std::to_string(gx) + std::to_string(gz);
                const float x = -halfWidth + 6.0f + gx * 16.0f, cz = z + 6.0f + gz * 9.0f;
                for (int k = 0; k < 8; ++k)
                    column.parts.push_back(BoxPart(x - 1, k * 2.0f, cz - 1, x + 1, k * 2.0f + 1.8f, cz + 1, 1 + k % 2));
                column.matrices = {IdentityMatrix()};
                scene.objects.push_back(column);
            }
        WriterObject glass;
        glass.name = "Glass" + std::to_string(r);
        glass.parts = {BoxPart(-door, 0, z + 3, door, door * 2, z + 3.2f, 3)};
        glass.matrices = {IdentityMatrix()};
        scene.objects.push_back(glass);
    }
    WriterCamera camera;
    camera.name = "Walker";
    for (int32_t f = 0; f < scene.frameCount; ++f) {
        camera.fov.push_back(0.9f);
        // Standing at (0, 3, 14f/29 - 10), turned by a small angle about y:
        // the view matrix is the inverse of that placement.
        const float angle = 0.3f * std::sin(f * 0.2f);
        const float c = std::cos(angle), s = std::sin(angle);
        const float px = 0.0f, py = 3.0f, pz = -10.0f + 14.0f * f / 29.0f;
        D3DMATRIX view = IdentityMatrix();
        view._11 = c;
        view._13 = s;
        view._31 = -s;
        view._33 = c;
        view._41 = -(px * c - pz * s);
        view._42 = -py;
        view._43 = -(px * s + pz * c);
        camera.matrices.push_back(view);
    }
    scene.cameras.push_back(camera);
    WriterLight light;
    light.name = "Lamp";
    light.intensity = 0.3f;
    light.range = 400.0f;
    light.frames.push_back({1.0f, 1.0f, 0.9f, D3DVECTOR{{0.0f}, {15.0f}, {0.0f}}, D3DVECTOR{}});
    scene.lights.push_back(light);
    return scene;
}

bool SampleVisibility(int32_t c, int32_t f, int32_t o, int32_t p) {
    return ((c + f + o + p) % 3) != 1;
}

}  // namespace velmora::tools
