#include "soak_show.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "archive_writer.h"
#include "module_writer/tracker_module.h"
#include "sample_show/image_files.h"
#include "sample_show/show_files.h"
#include "sample_show/show_music.h"
#include "scene_writer/sample_scenes.h"
#include "show/show_files.h"

namespace velmora::tools {

namespace {

using tools::ImageFormat;
using tools::Picture;
using tools::SceneDescription;
using tools::ShowFile;

constexpr int kTextureSide = 64;

// Stripes in two colours, with an alpha that falls from left to right.
Picture Stripes(uint32_t a, uint32_t b) {
    Picture picture;
    picture.width = picture.height = kTextureSide;
    picture.pixels.resize(static_cast<size_t>(kTextureSide) * kTextureSide);
    for (int y = 0; y < kTextureSide; ++y)
        for (int x = 0; x < kTextureSide; ++x) {
            const uint32_t alpha = 255u - static_cast<uint32_t>(x) * 2u;
            picture.At(x, y) = (alpha << 24) | (((x + y) / 8) % 2 ? a : b);
        }
    return picture;
}

tools::IndexedPicture Checks() {
    tools::IndexedPicture picture;
    picture.width = picture.height = kTextureSide;
    picture.indices.resize(static_cast<size_t>(kTextureSide) * kTextureSide);
    for (int i = 0; i < 256; ++i)
        picture.palette[i] = static_cast<uint32_t>(i) << 16 | static_cast<uint32_t>(255 - i) << 8 | 0x40;
    for (int y = 0; y < kTextureSide; ++y)
        for (int x = 0; x < kTextureSide; ++x)
            picture.indices[static_cast<size_t>(y) * kTextureSide + x] = static_cast<uint8_t>((x / 4) * 16 + y / 4);
    return picture;
}

bool AddScene(std::vector<ShowFile>& files, const std::string& name, const SceneDescription& scene,
              std::string& why) {
    const std::string fault = tools::CheckScene(scene);
    if (!fault.empty()) {
        why = name + ": " + fault;
        return false;
    }
    auto allVisible = [](int32_t, int32_t, int32_t, int32_t) { return true; };
    files.push_back({name, tools::SceneBytes(scene)});
    files.push_back({name.substr(0, name.size() - 3) + "VIS", tools::VisibilityBytes(scene, allVisible)});
    return true;
}

bool AddPicture(std::vector<ShowFile>& files, const std::string& name, const Picture& picture,
                ImageFormat format, std::string& why) {
    std::vector<uint8_t> bytes = tools::EncodePicture(picture, format, true);
    if (bytes.empty()) {
        why = "cannot encode the texture " + name;
        return false;
    }
    files.push_back({name, std::move(bytes)});
    return true;
}

// Every file of the show but the archive.
bool SoakFiles(const std::vector<uint8_t>& mp3, std::vector<ShowFile>& files, std::string& why) {
    SceneDescription cube = tools::ExampleShowScene();
    SceneDescription every = tools::EveryNodeScene();
    every.drawStyles[2].textureName = "tiles.png";
    SceneDescription panel = tools::OneFrameScene();
    panel.drawStyles[0].textureName = "panel.pcx";
    if (!AddScene(files, "cube.QX3", cube, why) || !AddScene(files, "every.QX3", every, why) ||
        !AddScene(files, "panel.QX3", panel, why))
        return false;

    files.push_back({"cube.bmp", tools::ExampleTextureBytes()});
    if (!AddPicture(files, "wall.jpg", Stripes(0x806040, 0x204060), ImageFormat::Jpeg, why) ||
        !AddPicture(files, "glass.tga", Stripes(0x40C0FF, 0x104080), ImageFormat::Tga, why) ||
        !AddPicture(files, "tiles.png", Stripes(0xC0C0C0, 0x303030), ImageFormat::Png, why))
        return false;
    files.push_back({"panel.pcx", tools::PcxBytes(Checks())});

    const tools::ModModule tune = tools::ShowTune();
    const std::string fault = tools::CheckModule(tune);
    if (!fault.empty()) {
        why = "the tune: " + fault;
        return false;
    }
    files.push_back({"tune.mod", tools::ModBytes(tune)});
    files.push_back({"pad.wav", tools::WavBytes(tools::StreamSamples(), tools::kStreamRate, 1)});
    if (!mp3.empty()) files.push_back({"house.mp3", mp3});

    const std::string script = SoakScript(!mp3.empty());
    files.push_back({kShowScriptName, std::vector<uint8_t>(script.begin(), script.end())});
    return true;
}

}  // namespace

bool WriteSoakShow(const std::string& folder, const std::vector<uint8_t>& mp3, std::string& why) {
    std::vector<ShowFile> files;
    if (!SoakFiles(mp3, files, why)) return false;
    // The pieces go into a folder of their own, which is removed once they are packed.
    const std::filesystem::path pieces = std::filesystem::path(folder) / "pieces";
    std::error_code failed;
    std::filesystem::create_directory(pieces, failed);
    if (failed) {
        why = "cannot make " + pieces.string() + ": " + failed.message();
        return false;
    }
    std::vector<std::string> paths;
    for (const ShowFile& file : files) {
        const std::string path = (pieces / file.name).string();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
        out.close();
        if (!out) {
            why = "cannot write " + path;
            std::filesystem::remove_all(pieces, failed);
            return false;
        }
        paths.push_back(path);
    }
    const std::string archive = (std::filesystem::path(folder) / kShowArchiveName).string();
    const bool packed = velmora::tools::CreateArchive(archive, paths, why, false, velmora::tools::Parse::kFast);
    std::filesystem::remove_all(pieces, failed);
    return packed;
}

}  // namespace velmora::tools
