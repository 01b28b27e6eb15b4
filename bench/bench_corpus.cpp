#include "bench_corpus.h"

#include <link.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "scene_writer/scene_writer.h"

namespace qxbench {
namespace {

namespace fs = std::filesystem;
using namespace velmora::tools;

void Append(Bytes& out, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

bool ReadFile(const fs::path& path, Bytes& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    std::string s = content.str();
    bytes.assign(s.begin(), s.end());
    return true;
}

// The project's own sources and README, in name order: real text, over a megabyte.
Bytes SourceText() {
    Bytes text;
    std::vector<fs::path> paths;
    for (const char* folder : {"bench", "src", "tests", "tools"})
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(VELMORA_SOURCE_DIR) / folder)) {
            std::string extension = entry.path().extension().string();
            if (entry.is_regular_file() && (extension == ".cpp" || extension == ".h"))
                paths.push_back(entry.path());
        }
    std::sort(paths.begin(), paths.end());
    paths.push_back(fs::path(VELMORA_SOURCE_DIR) / "README.md");
    for (const auto& path : paths) {
        Bytes file;
        if (ReadFile(path, file)) text.insert(text.end(), file.begin(), file.end());
    }
    return text;
}

// A 512 x 512 24-bit BMP of a painted-looking texture: smooth value noise,
// a brick pattern and a little grain.
Bytes Image() {
    const int width = 512, height = 512;
    Bytes image;
    uint32_t dataSize = width * height * 3;
    uint8_t header[54] = {'B', 'M'};
    uint32_t fileSize = 54 + dataSize, offset = 54, infoSize = 40, sizes[2] = {width, height};
    uint16_t planes = 1, bits = 24;
    std::memcpy(header + 2, &fileSize, 4);
    std::memcpy(header + 10, &offset, 4);
    std::memcpy(header + 14, &infoSize, 4);
    std::memcpy(header + 18, sizes, 8);
    std::memcpy(header + 26, &planes, 2);
    std::memcpy(header + 28, &bits, 2);
    std::memcpy(header + 34, &dataSize, 4);
    Append(image, header, sizeof header);
    std::mt19937 random(3);
    std::vector<float> lattice(33 * 33);
    for (float& v : lattice) v = static_cast<float>(random() % 1000) / 1000.0f;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float fx = x / 16.0f, fy = y / 16.0f;
            int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
            float ax = fx - ix, ay = fy - iy;
            float noise = lattice[iy * 33 + ix] * (1 - ax) * (1 - ay) + lattice[iy * 33 + ix + 1] * ax * (1 - ay) +
                          lattice[(iy + 1) * 33 + ix] * (1 - ax) * ay + lattice[(iy + 1) * 33 + ix + 1] * ax * ay;
            bool mortar = y % 32 < 3 || (x + (y / 32 % 2) * 32) % 64 < 3;
            int grain = static_cast<int>(random() % 9) - 4;
            int shade = mortar ? 200 : static_cast<int>(90 + noise * 100);
            uint8_t pixel[3] = {static_cast<uint8_t>(std::clamp(shade / 2 + grain, 0, 255)),
                                static_cast<uint8_t>(std::clamp(shade * 2 / 3 + grain, 0, 255)),
                                static_cast<uint8_t>(std::clamp(shade + grain, 0, 255))};
            Append(image, pixel, 3);
        }
    return image;
}

D3DMATRIX Placement(float angle, float x, float y, float z) {
    D3DMATRIX m = TranslationMatrix(x, y, z);
    m._11 = std::cos(angle);
    m._13 = -std::sin(angle);
    m._31 = std::sin(angle);
    m._33 = std::cos(angle);
    return m;
}

// A sphere of rings x segments quads, texture wrapped once around it.
WriterPart Sphere(float radius, int rings, int segments, int32_t drawStyle) {
    WriterPart part;
    part.drawStyle = drawStyle;
    const float pi = 3.14159265f;
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s <= segments; ++s) {
            float theta = pi * r / rings, phi = 2 * pi * s / segments;
            part.vertices.push_back({radius * std::sin(theta) * std::cos(phi), radius * std::cos(theta),
                                     radius * std::sin(theta) * std::sin(phi),
                                     static_cast<float>(s) / segments, static_cast<float>(r) / rings});
        }
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            int32_t a = r * (segments + 1) + s, b = a + segments + 1;
            part.polygons.push_back({a, b, a + 1});
            part.polygons.push_back({a + 1, b, b + 1});
        }
    return part;
}

// A scene file as the exporter writes them: a terrain, meshes of several
// sizes, objects moving over 400 frames, two cameras and a light in motion.
Bytes SceneFile() {
    SceneDescription scene;
    scene.frameCount = 400;
    scene.ambient.assign(scene.frameCount, 0x202020);
    scene.drawStyles = {{1, 1, 1, 0, "maps\\grass.bmp"}, {0.8f, 0.7f, 0.6f, 0, "maps\\stone.jpg"},
                        {0.3f, 0.5f, 0.9f, 0.5f, "glass.tga"}, {0.9f, 0.2f, 0.2f, 0, ""}};
    WriterObject terrain;
    terrain.name = "Terrain";
    WriterPart ground;
    const int grid = 100;
    for (int z = 0; z < grid; ++z)
        for (int x = 0; x < grid; ++x) {
            float height = 8 * std::sin(x * 0.13f) * std::cos(z * 0.11f) + 2 * std::sin(x * 0.7f + z * 0.3f);
            ground.vertices.push_back({x * 4.0f - 200, height, z * 4.0f - 200, x / 8.0f, z / 8.0f});
        }
    for (int z = 0; z + 1 < grid; ++z)
        for (int x = 0; x + 1 < grid; ++x) {
            int32_t a = z * grid + x;
            ground.polygons.push_back({a, a + grid, a + 1});
            ground.polygons.push_back({a + 1, a + grid, a + grid + 1});
        }
    terrain.parts.push_back(ground);
    terrain.matrices = {IdentityMatrix()};
    scene.objects.push_back(terrain);

    for (int i = 0; i < 40; ++i) {
        WriterObject object;
        object.name = "Object" + std::to_string(i);
        object.parts.push_back(Sphere(1.0f + i % 5, 8 + i % 4 * 8, 12 + i % 3 * 10, 1 + i % 3));
        if (i % 4 == 0) object.parts.push_back(CubeObject("", 2.0f, 3).parts[0]);
        object.animated = i % 2 == 0;
        int frames = object.animated ? scene.frameCount : 1;
        for (int f = 0; f < frames; ++f)
            object.matrices.push_back(Placement(0.01f * f * (1 + i % 3), (i % 8) * 20.0f - 80 + 0.1f * f,
                                                3 + std::sin(f * 0.05f + i), (i / 8) * 20.0f - 40));
        scene.objects.push_back(object);
    }
    for (int c = 0; c < 2; ++c) {
        WriterCamera camera;
        camera.name = "Camera0" + std::to_string(c + 1);
        for (int f = 0; f < scene.frameCount; ++f) {
            camera.fov.push_back(0.8f + 0.1f * c);
            camera.matrices.push_back(Placement(0.004f * f + c, 0, -5 - 0.02f * f, 60 - 0.3f * f));
        }
        scene.cameras.push_back(camera);
    }
    WriterLight light;
    light.name = "Sun";
    light.secondName = "Sun.Target";
    light.animated = true;
    for (int f = 0; f < scene.frameCount; ++f) {
        WriterLightFrame frame;
        frame.green = 0.9f - 0.001f * f;
        frame.position = D3DVECTOR{{100.0f * std::cos(f * 0.01f)}, {80.0f}, {100.0f * std::sin(f * 0.01f)}};
        light.frames.push_back(frame);
    }
    scene.lights.push_back(light);
    return SceneBytes(scene);
}

// Sampled curves as 32-bit floats, four channels interleaved: slow sums of
// sines with a little noise, as motion capture or sound gives them.
Bytes FloatData() {
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.0f, 0.002f);
    Bytes data;
    for (int i = 0; i < 1 << 17; ++i) {
        float t = i * 0.001f;
        float values[4] = {std::sin(t * 3.0f) + 0.3f * std::sin(t * 17.0f) + noise(random),
                           std::cos(t * 2.0f) * 40.0f + noise(random),
                           std::round(std::sin(t * 0.5f) * 100.0f) / 100.0f,
                           0.5f + 0.5f * std::sin(t * 40.0f) * std::exp(-std::fmod(t, 4.0f)) + noise(random)};
        Append(data, values, sizeof values);
    }
    return data;
}

int FindLibrary(dl_phdr_info* info, size_t, void* found) {
    if (std::strstr(info->dlpi_name, "libstdc++.so")) {
        *static_cast<std::string*>(found) = info->dlpi_name;
        return 1;
    }
    return 0;
}

// The libstdc++ this program runs with: machine code, tables and strings.
bool SharedLibrary(Bytes& bytes) {
    std::string path;
    dl_iterate_phdr(FindLibrary, &path);
    return !path.empty() && ReadFile(fs::canonical(path), bytes);
}

constexpr const char* kNames[] = {"sources", "image.bmp", "scene.qx3", "floats", "libstdc++"};

}  // namespace

std::vector<CorpusFile> BuildCorpus(std::string& error) {
    Bytes library;
    if (!SharedLibrary(library)) {
        error = "the program's libstdc++ could not be read";
        return {};
    }
    return {{kNames[0], SourceText()}, {kNames[1], Image()}, {kNames[2], SceneFile()},
            {kNames[3], FloatData()}, {kNames[4], library}};
}

std::vector<CorpusFile> ReadCorpus(const std::string& folder, std::string& error) {
    std::vector<CorpusFile> corpus;
    for (const char* name : kNames) {
        corpus.push_back({name, {}});
        if (!ReadFile(fs::path(folder) / name, corpus.back().bytes)) {
            error = "cannot read " + (fs::path(folder) / name).string();
            return {};
        }
    }
    return corpus;
}

bool DumpCorpus(const std::vector<CorpusFile>& corpus, const std::string& folder) {
    for (const CorpusFile& file : corpus) {
        std::ofstream out(fs::path(folder) / file.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
        if (!out) return false;
    }
    return true;
}

}  // namespace qxbench
