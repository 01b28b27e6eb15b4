// When the OpenGL back end may leave blending by source alpha off: only
// where the fixed-function program cannot give any fragment an alpha below 1.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/gl/fragment_alpha.h"

using namespace velmora::platform;
using velmora::platform::gl::EffectiveRaster;
using velmora::platform::gl::FragmentAlphaIsOne;

namespace {

// What the scene renderer draws with: lit, stage 0 modulating texture by
// diffuse in colour and alpha, an opaque material, source-alpha blending.
DrawState SceneDraw() {
    DrawState state;
    state.lighting.enabled = 1;
    state.lighting.colorFromVertex = 1;
    state.stage.colorArg2 = kArgDiffuse;
    state.stage.alphaOp = kStageModulate;
    state.stage.alphaArg2 = kArgDiffuse;
    state.raster.blend = true;
    state.raster.sourceBlend = BlendFactor::SourceAlpha;
    state.raster.destinationBlend = BlendFactor::InverseSourceAlpha;
    return state;
}

TEST(FragmentAlphaTest, AnOpaqueMaterialAndTextureGiveAlphaOneAndBlendingGoesOff) {
    DrawState state = SceneDraw();
    EXPECT_TRUE(FragmentAlphaIsOne(state, false, true));
    EXPECT_FALSE(EffectiveRaster(state, false, true).blend);
    // Everything else of the raster state stays as it was.
    RasterState expected = state.raster;
    expected.blend = false;
    EXPECT_TRUE(EffectiveRaster(state, false, true) == expected);
}

TEST(FragmentAlphaTest, AnythingThatCanLowerTheAlphaKeepsBlending) {
    DrawState state = SceneDraw();
    // A texture with alpha.
    EXPECT_FALSE(FragmentAlphaIsOne(state, false, false));
    EXPECT_TRUE(EffectiveRaster(state, false, false).blend);
    // A material alpha below 1 (a camera's blend), or not a number.
    DrawState faded = state;
    faded.lighting.materialDiffuse[3] = 0.3f;
    EXPECT_FALSE(FragmentAlphaIsOne(faded, false, true));
    faded.lighting.materialDiffuse[3] = std::nanf("");
    EXPECT_FALSE(FragmentAlphaIsOne(faded, false, true));
    // Vertex colours taken as the diffuse colour, lit or unlit.
    EXPECT_FALSE(FragmentAlphaIsOne(state, true, true));
    DrawState unlit = state;
    unlit.lighting.enabled = 0;
    EXPECT_FALSE(FragmentAlphaIsOne(unlit, true, true));
    EXPECT_TRUE(FragmentAlphaIsOne(unlit, false, true));  // white
    // Lit, with the vertex colour switch off, the material's alpha counts.
    DrawState materialOnly = state;
    materialOnly.lighting.colorFromVertex = 0;
    EXPECT_TRUE(FragmentAlphaIsOne(materialOnly, true, true));
    // The complement of an argument, or an operation that is not a plain pick or product.
    DrawState complement = state;
    complement.stage.alphaArg1 = kArgTexture | kArgComplement;
    EXPECT_FALSE(FragmentAlphaIsOne(complement, false, true));
    DrawState added = state;
    added.stage.alphaOp = kStageSubtract;
    EXPECT_FALSE(FragmentAlphaIsOne(added, false, true));
    // A texture factor with alpha below 255.
    DrawState factor = state;
    factor.stage.alphaOp = kStageSelectArg1;
    factor.stage.alphaArg1 = kArgTextureFactor;
    factor.stage.textureFactor = 0xFEFFFFFF;
    EXPECT_FALSE(FragmentAlphaIsOne(factor, false, true));
    factor.stage.textureFactor = 0xFF000000;
    EXPECT_TRUE(FragmentAlphaIsOne(factor, false, false));
}

TEST(FragmentAlphaTest, SelectionsReadOnlyTheArgumentTheyPick) {
    DrawState state = SceneDraw();
    state.stage.alphaOp = kStageSelectArg2;  // the diffuse alpha: 1, whatever the texture
    EXPECT_TRUE(FragmentAlphaIsOne(state, false, false));
    state.stage.alphaOp = kStageSelectArg1;  // the texture's
    EXPECT_FALSE(FragmentAlphaIsOne(state, false, false));
    // A disabled stage passes the diffuse colour through.
    state.stage.colorOp = kStageDisable;
    EXPECT_TRUE(FragmentAlphaIsOne(state, false, false));
    state.lighting.materialDiffuse[3] = 0.5f;
    EXPECT_FALSE(FragmentAlphaIsOne(state, false, true));
}

TEST(FragmentAlphaTest, OnlySourceAlphaBlendingIsLeftOff) {
    DrawState state = SceneDraw();
    state.raster.sourceBlend = BlendFactor::One;
    state.raster.destinationBlend = BlendFactor::One;  // additive: alpha 1 still adds
    EXPECT_TRUE(EffectiveRaster(state, false, true).blend);
    state.raster.sourceBlend = BlendFactor::SourceAlpha;
    state.raster.destinationBlend = BlendFactor::One;
    EXPECT_TRUE(EffectiveRaster(state, false, true).blend);
}

}  // namespace
