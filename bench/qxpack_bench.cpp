// Packing and unpacking throughput and packed sizes on a mixed corpus: text,
// a scene-like binary, an uncompressed image and already compressed data,
// with the sizes gzip -9 and xz -9 reach on the same files for reference.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "data/data_archive.h"
#include "packer.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Corpus {
    std::string name;
    Bytes bytes;
    Bytes packed;
};

void Append(Bytes& out, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

// The project's own sources and documents: real text, some hundreds of KB.
Bytes SourceText() {
    Bytes text;
    std::vector<std::filesystem::path> paths;
    for (const char* folder : {"src", "tests", "tools"})
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(std::string(VELMORA_SOURCE_DIR) + "/" + folder)) {
            std::string extension = entry.path().extension().string();
            if (entry.is_regular_file() && (extension == ".cpp" || extension == ".h"))
                paths.push_back(entry.path());
        }
    paths.push_back(std::string(VELMORA_SOURCE_DIR) + "/README.md");
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        std::string s = content.str();
        Append(text, s.data(), s.size());
    }
    return text;
}

// A scene file's shape: CR LF names, then per object and frame the vertex
// positions and normals of a slowly moving mesh, texture coordinates and
// polygon indices as 32-bit values.
Bytes SceneLike() {
    Bytes scene;
    std::mt19937 random(7);
    for (int object = 0; object < 6; ++object) {
        std::string name = "Object" + std::to_string(object) + "\r\nwall" + std::to_string(object % 3) + ".bmp\r\n";
        Append(scene, name.data(), name.size());
        const int vertices = 400, frames = 50;
        std::vector<float> base(vertices * 3);
        for (float& v : base) v = static_cast<float>(random() % 20000) / 100.0f - 100.0f;
        Append(scene, &vertices, 4);
        for (int frame = 0; frame < frames; ++frame)
            for (int v = 0; v < vertices; ++v) {
                float t = frame * 0.04f;
                float position[3] = {base[v * 3] + std::sin(t + v) * 2.0f, base[v * 3 + 1],
                                     base[v * 3 + 2] + std::cos(t * 0.5f) * 10.0f};
                float length = std::sqrt(position[0] * position[0] + position[1] * position[1] +
                                         position[2] * position[2]) + 1.0f;
                float normal[3] = {position[0] / length, position[1] / length, position[2] / length};
                Append(scene, position, sizeof position);
                Append(scene, normal, sizeof normal);
            }
        for (int v = 0; v < vertices; ++v) {
            float uv[2] = {(v % 20) / 19.0f, (v / 20) / 19.0f};
            Append(scene, uv, sizeof uv);
        }
        for (int polygon = 0; polygon < vertices * 2; ++polygon) {
            int32_t index[3] = {polygon / 2, polygon / 2 + 1, polygon / 2 + 20};
            uint8_t flags = static_cast<uint8_t>(polygon % 3 == 0);
            Append(scene, index, sizeof index);
            Append(scene, &flags, 1);
        }
    }
    return scene;
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

std::string TemporaryPath(const char* name) {
    const char* base = std::getenv("TMPDIR");
    return std::string(base && *base ? base : "/tmp") + "/qxpack-bench-" +
           std::to_string(getpid()) + "-" + name;
}

// Runs command with {} replaced by a file holding bytes; its standard output.
Bytes RunOn(const std::string& command, const Bytes& bytes) {
    std::string path = TemporaryPath("input");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    std::string line = command;
    line.replace(line.find("{}"), 2, "'" + path + "'");
    Bytes output;
    if (FILE* pipe = popen((line + " 2>/dev/null").c_str(), "r")) {
        uint8_t buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) Append(output, buffer, got);
        pclose(pipe);
    }
    std::remove(path.c_str());
    return output;
}

std::vector<Corpus>& Corpora() {
    static std::vector<Corpus> corpora;
    return corpora;
}

void PrintSizes() {
    std::printf("%-22s %10s %10s %7s %10s %7s %10s %7s\n", "file", "size", "qxpack", "ratio",
                "gzip -9", "ratio", "xz -9", "ratio");
    size_t totals[4] = {};
    for (const Corpus& corpus : Corpora()) {
        size_t size = corpus.bytes.size();
        size_t gzip = RunOn("gzip -9 -c {}", corpus.bytes).size();
        size_t xz = RunOn("xz -9 -c {}", corpus.bytes).size();
        std::printf("%-22s %10zu %10zu %6.1f%% %10zu %6.1f%% %10zu %6.1f%%\n", corpus.name.c_str(),
                    size, corpus.packed.size(), 100.0 * corpus.packed.size() / size, gzip,
                    100.0 * gzip / size, xz, 100.0 * xz / size);
        totals[0] += size;
        totals[1] += corpus.packed.size();
        totals[2] += gzip;
        totals[3] += xz;
    }
    std::printf("%-22s %10zu %10zu %6.1f%% %10zu %6.1f%% %10zu %6.1f%%\n\n", "total", totals[0],
                totals[1], 100.0 * totals[1] / totals[0], totals[2], 100.0 * totals[2] / totals[0],
                totals[3], 100.0 * totals[3] / totals[0]);
    std::fflush(stdout);
}

void Pack(benchmark::State& state, const Corpus* corpus) {
    for (auto _ : state) {
        Bytes packed = qxpack::PackData(corpus->bytes.data(), corpus->bytes.size());
        benchmark::DoNotOptimize(packed.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus->bytes.size()));
}

void Unpack(benchmark::State& state, const Corpus* corpus) {
    Bytes out(corpus->bytes.size());
    for (auto _ : state) {
        int32_t sound = DecompressData(corpus->packed.data(), static_cast<int32_t>(corpus->packed.size()),
                                       out.data(), static_cast<int32_t>(out.size()));
        if (sound != 1) state.SkipWithError("block did not unpack");
        benchmark::DoNotOptimize(out.data());
    }
    // Throughput counts the unpacked bytes.
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus->bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    Bytes text = SourceText();
    Bytes scene = SceneLike();
    Bytes image = Image();
    Bytes compressed = RunOn("gzip -9 -c {}", scene);
    Bytes compressedImage = RunOn("gzip -9 -c {}", image);
    compressed.insert(compressed.end(), compressedImage.begin(), compressedImage.end());
    if (compressed.empty()) {
        std::fprintf(stderr, "qxpack_bench: gzip is needed for the compressed sample\n");
        return 1;
    }
    Corpora() = {{"text (sources)", text, {}},
                 {"scene-like binary", scene, {}},
                 {"image (BMP 24-bit)", image, {}},
                 {"compressed (gzip)", compressed, {}}};
    // QXPACK_BENCH_CORPUS=DIR writes the corpus files there, to try other tools on.
    if (const char* dump = std::getenv("QXPACK_BENCH_CORPUS")) {
        for (const Corpus& corpus : Corpora()) {
            std::string name = corpus.name.substr(0, corpus.name.find(' '));
            std::ofstream(std::string(dump) + "/" + name, std::ios::binary)
                .write(reinterpret_cast<const char*>(corpus.bytes.data()),
                       static_cast<std::streamsize>(corpus.bytes.size()));
        }
    }
    for (Corpus& corpus : Corpora())
        corpus.packed = qxpack::PackData(corpus.bytes.data(), corpus.bytes.size());
    PrintSizes();

    for (const Corpus& corpus : Corpora()) {
        benchmark::RegisterBenchmark(("pack/" + corpus.name).c_str(), Pack, &corpus)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("unpack/" + corpus.name).c_str(), Unpack, &corpus)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
