#include "qxconvert/material_conversion.h"

#include <assimp/GltfMaterial.h>

#include <algorithm>
#include <cstring>

namespace velmora::tools {
namespace {

float Unit(float value) { return std::clamp(value, 0.0f, 1.0f); }

// The two-sided flag is an integer for some readers and a one-byte buffer for others.
bool TwoSided(const aiMaterial& material) {
    const aiMaterialProperty* property = nullptr;
    if (aiGetMaterialProperty(&material, AI_MATKEY_TWOSIDED, &property) != AI_SUCCESS || !property ||
        property->mDataLength == 0)
        return false;
    if (property->mType == aiPTI_Integer && property->mDataLength >= 4) {
        int32_t value;
        std::memcpy(&value, property->mData, 4);
        return value != 0;
    }
    return property->mData[0] != 0;
}

std::string TexturePath(const aiMaterial& material) {
    aiString path;
    for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_BASE_COLOR})
        if (material.GetTextureCount(type) > 0 && material.GetTexture(type, 0, &path) == AI_SUCCESS &&
            path.length > 0)
            return path.C_Str();
    return "";
}

}  // namespace

ConvertedMaterial ConvertMaterial(const aiMaterial& material, SourceFormat format, TextureExport& textures) {
    ConvertedMaterial out;
    aiColor4D colour(0.6f, 0.6f, 0.6f, 1.0f);
    if (format != SourceFormat::Gltf || material.Get(AI_MATKEY_BASE_COLOR, colour) != AI_SUCCESS)
        material.Get(AI_MATKEY_COLOR_DIFFUSE, colour);
    float opacity = 1.0f;
    material.Get(AI_MATKEY_OPACITY, opacity);

    bool gltfOpaque = false;
    if (format == SourceFormat::Gltf) {
        aiString mode;
        gltfOpaque = material.Get(AI_MATKEY_GLTF_ALPHAMODE, mode) != AI_SUCCESS || std::strcmp(mode.C_Str(), "OPAQUE") == 0;
        if (gltfOpaque) opacity = 1.0f;
    }

    std::string texture = TexturePath(material);
    if (!texture.empty()) {
        out.style.textureName = textures.Use(texture, gltfOpaque);
        if (!out.style.textureName.empty() && format != SourceFormat::Gltf) colour = aiColor4D(1, 1, 1, 1);
    }
    out.style.red = Unit(colour.r);
    out.style.green = Unit(colour.g);
    out.style.blue = Unit(colour.b);
    out.style.transparency = 1.0f - Unit(opacity);
    out.twoSided = TwoSided(material);
    return out;
}

}  // namespace velmora::tools
