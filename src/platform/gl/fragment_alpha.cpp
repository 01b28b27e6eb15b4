#include "platform/gl/fragment_alpha.h"

namespace velmora::platform::gl {

namespace {

// The alpha of the diffuse colour the vertex stage hands on, clamped to 1.
bool DiffuseAlphaIsOne(const MaterialState& material, bool vertexDiffuse) {
    if (material.enabled) {
        if (material.colorFromVertex && vertexDiffuse) return false;
        return material.materialDiffuse[3] >= 1.0f;  // false for NaN too
    }
    return !vertexDiffuse;  // unlit without vertex colours: white
}

// The alpha of one stage argument, as the fragment program reads it.
bool ArgumentAlphaIsOne(int32_t argument, const TextureStageState& stage, bool diffuseOne, bool textureOne) {
    if (argument & kArgComplement) return false;
    switch (argument & 15) {
        case kArgTexture: return textureOne;
        case kArgTextureFactor: return (stage.textureFactor >> 24) == 255;
        default: return diffuseOne;
    }
}

}  // namespace

bool FragmentAlphaIsOne(const DrawState& state, bool vertexDiffuse, bool textureOpaque) {
    const TextureStageState& stage = state.stage;
    const bool diffuseOne = DiffuseAlphaIsOne(state.lighting.material(), vertexDiffuse);
    if (stage.colorOp == kStageDisable || stage.alphaOp == kStageDisable) return diffuseOne;
    const bool first = ArgumentAlphaIsOne(stage.alphaArg1, stage, diffuseOne, textureOpaque);
    const bool second = ArgumentAlphaIsOne(stage.alphaArg2, stage, diffuseOne, textureOpaque);
    switch (stage.alphaOp) {
        case kStageSelectArg1: return first;
        case kStageSelectArg2: return second;
        case kStageModulate: return first && second;
        default: return false;
    }
}

RasterState EffectiveRaster(const DrawState& state, bool vertexDiffuse, bool textureOpaque) {
    RasterState raster = state.raster;
    if (raster.blend && raster.sourceBlend == BlendFactor::SourceAlpha &&
        raster.destinationBlend == BlendFactor::InverseSourceAlpha &&
        FragmentAlphaIsOne(state, vertexDiffuse, textureOpaque))
        raster.blend = false;
    return raster;
}

}  // namespace velmora::platform::gl
