// The GLSL program that stands in for the old fixed-function pipeline:
// per-vertex lighting by up to kMaxActiveLights lights, texture stage 0 and the w-buffer-like depth. The
// OpenGL device and the plain-OpenGL benchmark share it.
#pragma once

#include <epoxy/gl.h>

#include <string>

#include "platform/backend/render_device.h"

namespace velmora::platform::gl {

// Vertex attribute locations.
constexpr GLuint kPositionAttribute = 0;
constexpr GLuint kNormalAttribute = 1;
constexpr GLuint kDiffuseAttribute = 2;
constexpr GLuint kTexCoordAttribute = 3;

// How the program gives the depth test its depth.
enum class DepthOutput {
    // Written by every fragment (gl_FragDepth): the eye distance under the
    // w-buffer. A program that writes depth has every fragment shaded before
    // it is tested, hidden ones too.
    Written,
    // Reversed depth under clip control (clip z from 0 to w): the depth
    // range turns the projection's z around, and under the w-buffer clip z is
    // the near plane, so depth is near / w, 1 at the near plane falling
    // towards 0. Nothing is written per fragment; the far plane clips through
    // gl_ClipDistance[0].
    Reversed,
    // OpenGL's own depth from the projection's z, nothing written per
    // fragment: what a program written for OpenGL would do (no w-buffer).
    Projected,
};

struct FixedFunctionProgram {
    GLuint program = 0;
    // Uniform locations.
    GLint worldView = -1, projection = -1, normalMatrix = -1, pixelOffset = -1;
    GLint lighting = -1, vertexDiffuse = -1, hasVertexDiffuse = -1;
    GLint materialDiffuse = -1, materialAmbient = -1, materialEmissive = -1, ambient = -1;
    GLint lightCount = -1, lightPosition = -1, lightDirection = -1, lightDiffuse = -1;
    GLint lightAmbient = -1, lightAttenuation = -1;
    GLint flat = -1, sampler = -1, stageOps = -1, stageArgs = -1, textureFactor = -1;
    GLint wBuffer = -1, depthMap = -1, depthRange = -1;
    GLint reversedW = -1;
    DepthOutput depth = DepthOutput::Written;
};

// Compiles and links the program; false with the compiler's words in error.
// With fixedStage, the texture stage's operations and arguments are built in
// (its texture factor stays a uniform) and UploadStage leaves them alone;
// without, they are uniforms and any stage can be drawn. Without
// samplesTexture the texture reads white without being sampled, as the
// white texel that stands for no texture reads.
bool BuildFixedFunctionProgram(FixedFunctionProgram& program, std::string& error,
                               const TextureStageState* fixedStage = nullptr,
                               DepthOutput depth = DepthOutput::Written, bool samplesTexture = true);

// Uploads each part of the state. The program must be in use.
void UploadTransform(const FixedFunctionProgram& program, const TransformState& transform);
void UploadMaterial(const FixedFunctionProgram& program, const MaterialState& material);
// The first lightCount lights, at most kMaxActiveLights.
void UploadLights(const FixedFunctionProgram& program, const LightingState& lighting);
// Both of the above.
void UploadLighting(const FixedFunctionProgram& program, const LightingState& lighting);
void UploadStage(const FixedFunctionProgram& program, const TextureStageState& stage);
// The half-pixel offset for a viewport of width x height and the depth mapping.
void UploadViewport(const FixedFunctionProgram& program, const Viewport& viewport);
void UploadDepth(const FixedFunctionProgram& program, const RasterState& raster,
                 const Viewport& viewport);

// Whether the raster state's w-buffer can be drawn as its program draws it:
// planes in order and finite, and for reversed depth a near plane above 0.
// Otherwise the draw orders by the projection's z.
bool UsableWBuffer(const RasterState& raster, DepthOutput depth);

}  // namespace velmora::platform::gl
