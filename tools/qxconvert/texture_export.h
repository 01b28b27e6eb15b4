// The textures a converted scene's draw styles name, as files the player's
// texture loader takes: images in its formats copied as they are, embedded
// images and every other format written as PNG, names cut to what its
// texture cache accepts.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "qxconvert/conversion_notes.h"
#include "qxconvert/export_names.h"
#include "qxconvert/imported_scene.h"

namespace velmora::tools {

struct TextureFile {
    std::string name;  // bare, as the draw style names it
    std::vector<uint8_t> bytes;
};

class TextureExport {
public:
    TextureExport(const ImportedScene& scene, ConversionNotes& notes) : scene_(scene), notes_(notes) {}

    // The file name for a material's texture reference (a path, absolute or
    // relative to the source, or "*N" and names of embedded images); with
    // opaque the image loses its alpha (a material that ignores it). Empty
    // when no image the player can read is found, with a note saying why.
    std::string Use(const std::string& reference, bool opaque);

    const std::vector<TextureFile>& Files() const { return files_; }

private:
    bool Load(const std::string& reference, std::vector<uint8_t>& bytes, std::string& stem, bool& embedded);
    const ImportedScene& scene_;
    ConversionNotes& notes_;
    NameSet names_;
    std::map<std::pair<std::string, bool>, std::string> made_;
    std::vector<TextureFile> files_;
};

// The file at a path written on another machine: backslashes taken as '/',
// each part matched ignoring case, and failing that the bare name beside the
// source. Empty when there is none.
std::string FindTextureFile(const std::string& reference, const std::string& sourceDirectory);

}  // namespace velmora::tools
