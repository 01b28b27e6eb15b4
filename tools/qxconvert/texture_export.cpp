#include "qxconvert/texture_export.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "qxconvert/texture_images.h"
#include "texture/image_files.h"

namespace velmora::tools {
namespace {

// Image files larger than this are no texture.
constexpr std::streamoff kMaxImageBytes = std::streamoff{256} << 20;

bool IsFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The entry of directory whose name matches part ignoring case, exact first.
std::string MatchEntry(const std::string& directory, const std::string& part) {
    if (part == "." || part == "..") return part;
    struct stat info {};
    if (stat((directory + "/" + part).c_str(), &info) == 0) return part;
    DIR* listing = opendir(directory.c_str());
    if (!listing) return "";
    std::string found;
    while (dirent* entry = readdir(listing))
        if (strcasecmp(entry->d_name, part.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    closedir(listing);
    return found;
}

std::string FollowIgnoringCase(std::string directory, const std::string& relative) {
    size_t start = 0;
    while (start <= relative.size()) {
        size_t slash = relative.find('/', start);
        std::string part = relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        start = slash == std::string::npos ? relative.size() + 1 : slash + 1;
        if (part.empty()) continue;
        std::string match = MatchEntry(directory, part);
        if (match.empty()) return "";
        directory += "/" + match;
    }
    return IsFile(directory) ? directory : "";
}

std::string Stem(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string Extension(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "jpeg" ? "jpg" : extension;
}

bool ReadWhole(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    file.seekg(0, std::ios::end);
    std::streamoff size = file.tellg();
    if (size <= 0 || size > kMaxImageBytes) return false;
    file.seekg(0);
    bytes.resize(static_cast<size_t>(size));
    return static_cast<bool>(file.read(reinterpret_cast<char*>(bytes.data()), size));
}

}  // namespace

std::string FindTextureFile(const std::string& reference, const std::string& sourceDirectory) {
    std::string path = reference;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.rfind("file://", 0) == 0) path = path.substr(7);
    if (path.empty()) return "";
    if (path[0] == '/') {
        if (IsFile(path)) return path;
    } else if (!(path.size() > 1 && path[1] == ':')) {  // not a drive letter
        std::string found = FollowIgnoringCase(sourceDirectory, path);
        if (!found.empty()) return found;
    }
    // Paths of the modelling machine: the bare name beside the source.
    size_t slash = path.find_last_of('/');
    std::string bare = slash == std::string::npos ? path : path.substr(slash + 1);
    if (bare.size() > 2 && bare[1] == ':') bare = bare.substr(2);
    return bare.empty() ? "" : FollowIgnoringCase(sourceDirectory, bare);
}

bool TextureExport::Load(const std::string& reference, std::vector<uint8_t>& bytes, std::string& stem,
                         bool& embedded) {
    const aiTexture* image = scene_.scene->GetEmbeddedTexture(reference.c_str());
    embedded = image != nullptr;
    if (image) {
        stem = Stem(image->mFilename.C_Str());
        if (image->mHeight == 0) {
            const uint8_t* data = reinterpret_cast<const uint8_t*>(image->pcData);
            bytes.assign(data, data + image->mWidth);
        } else {
            TextureImage pixels;
            if (!pixels.FromBgra(reinterpret_cast<const uint8_t*>(image->pcData), image->mWidth, image->mHeight) ||
                !pixels.EncodePng(false, bytes))
                return false;
        }
        return true;
    }
    stem = Stem(reference);
    std::string path = FindTextureFile(reference, scene_.directory);
    if (path.empty()) {
        notes_.Add("texture " + reference + " is missing; its parts are drawn in their colour");
        return false;
    }
    if (!ReadWhole(path, bytes)) {
        notes_.Add("texture " + path + " cannot be read; its parts are drawn in their colour");
        return false;
    }
    return true;
}

std::string TextureExport::Use(const std::string& reference, bool opaque) {
    auto key = std::make_pair(reference, opaque);
    if (auto found = made_.find(key); found != made_.end()) return found->second;
    std::string& name = made_[key];

    std::vector<uint8_t> bytes;
    std::string stem;
    bool embedded = false;
    if (!Load(reference, bytes, stem, embedded)) return name;
    TextureImage image;
    if (!image.Decode(bytes)) {
        notes_.Add("texture " + reference + " is no image the converter reads; its parts are drawn in their colour");
        return name;
    }
    // Files in a format the player reads, under its extension, are copied as
    // they are (embedded PNG images too), unless they are too large or must
    // lose their alpha; everything else becomes PNG.
    std::string extension = embedded ? "png" : Extension(reference);
    bool native = !image.FormatExtension().empty() && image.FormatExtension() == extension;
    bool tooLarge = uint64_t{image.Width()} * image.Height() > kMaxTexturePixels ||
                    image.Width() > kMaxTextureSide || image.Height() > kMaxTextureSide;
    bool dropAlpha = opaque && image.Translucent();
    // The player keeps a TGA file's first row as the picture's bottom one,
    // whatever the file's origin bit says: one stored from the top would show
    // upside down, so it is written again from the bottom.
    bool turnOver = native && extension == "tga" && TgaStoredFromTheTop(bytes.data(), static_cast<int64_t>(bytes.size()));
    if (turnOver && !tooLarge && !dropAlpha) {
        if (!image.EncodeTga(bytes)) {
            notes_.Add("texture " + reference + " cannot be written as TGA; its parts are drawn in their colour");
            return name;
        }
    } else if (!native || tooLarge || dropAlpha) {
        if (tooLarge) {
            notes_.Add("textures above 16 M pixels or 8192 pixels on a side are scaled down to fit");
            if (!image.ShrinkTo(kMaxTexturePixels, kMaxTextureSide)) return name;
        }
        if (!image.EncodePng(dropAlpha, bytes)) {
            notes_.Add("texture " + reference + " cannot be written as PNG; its parts are drawn in their colour");
            return name;
        }
        extension = "png";
    }
    if (stem.empty()) stem = scene_.path.empty() ? "texture" : Stem(scene_.path) + "_texture";
    name = names_.Take(stem, "texture", kMaxTextureName, "." + extension);
    files_.push_back({name, std::move(bytes)});
    return name;
}

}  // namespace velmora::tools
