// The narrow interface between the DirectDraw/Direct3D stand-in and a drawing
// back end. The stand-in translates the old device's state into these plain
// records; a back end only clears, draws, holds textures, reads and writes the
// back buffer and shows it. Matrices are sixteen floats in the old API's
// row-vector order (v' = v * M); colours are 0xAARRGGBB words.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace velmora::platform {

// The most lights one draw is lit by; the fixed-function program holds this
// many, and the Direct3D device reports it as its active-light limit.
constexpr int kMaxActiveLights = 32;

enum class BlendFactor : uint8_t {
    Zero,
    One,
    SourceColor,
    InverseSourceColor,
    SourceAlpha,
    InverseSourceAlpha,
    DestinationAlpha,
    InverseDestinationAlpha,
    DestinationColor,
    InverseDestinationColor,
};

// Which on-screen winding is removed.
enum class CullMode : uint8_t { None, Clockwise, CounterClockwise };

enum class CompareFunction : uint8_t { Never, Less, Equal, LessEqual, Greater, NotEqual, GreaterEqual, Always };

enum class Primitive : uint8_t { Points, Lines, LineStrip, Triangles, TriangleStrip, TriangleFan };

// Texture stage 0 operations and arguments, numbered as the old API numbers them.
enum TextureStageOp : int32_t {
    kStageDisable = 1,
    kStageSelectArg1 = 2,
    kStageSelectArg2 = 3,
    kStageModulate = 4,
    kStageModulate2x = 5,
    kStageModulate4x = 6,
    kStageAdd = 7,
    kStageAddSigned = 8,
    kStageSubtract = 10,
};
enum TextureStageArg : int32_t {
    kArgDiffuse = 0,
    kArgCurrent = 1,
    kArgTexture = 2,
    kArgTextureFactor = 3,
    kArgComplement = 0x10,
    kArgAlphaReplicate = 0x20,
};

enum class LightKind : int32_t { Point = 1, Spot = 2, Directional = 3 };

// One enabled light, already in camera space.
struct LightState {
    LightKind kind = LightKind::Point;
    float diffuse[3] = {0, 0, 0};
    float ambient[3] = {0, 0, 0};
    float position[3] = {0, 0, 0};
    float direction[3] = {0, 0, 1};  // unit length, or zero
    float range = 0;
    float falloff = 0;
    float attenuation[3] = {1, 0, 0};
    float cosHalfTheta = 1;  // inner cone
    float cosHalfPhi = 1;    // outer cone

    bool operator==(const LightState&) const = default;
};

struct TransformState {
    float worldView[16];
    float projection[16];
    float normalMatrix[9];  // inverse transpose of worldView's upper 3x3, row-vector order

    bool operator==(const TransformState&) const = default;
};

// The material and the light switches, apart from the lights themselves,
// which change far less often.
struct MaterialState {
    int32_t enabled = 0;          // lighting on; off, the vertex colour (or white) is drawn
    int32_t colorFromVertex = 0;  // take the diffuse colour from the vertices when they carry one
    float materialDiffuse[4] = {1, 1, 1, 1};
    float materialAmbient[4] = {0, 0, 0, 0};
    float materialEmissive[4] = {0, 0, 0, 0};
    float ambient[3] = {0, 0, 0};

    bool operator==(const MaterialState&) const = default;
};

struct LightingState : MaterialState {
    int32_t lightCount = 0;  // the first lightCount of lights are lit by
    LightState lights[kMaxActiveLights];

    const MaterialState& material() const { return *this; }
    // The same lights, in the same order; what lies past lightCount is ignored.
    bool SameLights(const LightingState& other) const {
        if (lightCount != other.lightCount) return false;
        for (int32_t i = 0; i < lightCount; ++i)
            if (!(lights[i] == other.lights[i])) return false;
        return true;
    }
    bool operator==(const LightingState& other) const {
        return material() == other.material() && SameLights(other);
    }
};

struct TextureStageState {
    int32_t colorOp = kStageModulate;
    int32_t colorArg1 = kArgTexture;
    int32_t colorArg2 = kArgCurrent;
    int32_t alphaOp = kStageSelectArg1;
    int32_t alphaArg1 = kArgTexture;
    int32_t alphaArg2 = kArgCurrent;
    uint32_t textureFactor = 0xFFFFFFFF;

    bool operator==(const TextureStageState&) const = default;
};

using TextureHandle = uint32_t;  // 0 is "no texture"

// The texel layouts a texture is uploaded in: those of the surface formats
// that map onto a texture format as they stand. Bits are listed from the
// most significant; X is unused and reads opaque.
enum class TexelLayout : int32_t {
    Argb8888,
    Xrgb8888,
    Rgb565,
    Argb1555,
    Xrgb1555,
    Argb4444,
};
inline int TexelBytes(TexelLayout layout) {
    return layout == TexelLayout::Argb8888 || layout == TexelLayout::Xrgb8888 ? 4 : 2;
}

struct SamplerState {
    bool linearMin = false;
    bool linearMag = false;
    bool clampU = false;
    bool clampV = false;

    bool operator==(const SamplerState&) const = default;
};

// The rectangle of the back buffer drawn into, origin top left, y down.
struct Viewport {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    float minZ = 0.0f;
    float maxZ = 1.0f;

    bool operator==(const Viewport&) const = default;
};

struct RasterState {
    CullMode cull = CullMode::Clockwise;
    bool flatShading = false;
    bool blend = false;
    BlendFactor sourceBlend = BlendFactor::One;
    BlendFactor destinationBlend = BlendFactor::Zero;
    bool depthTest = false;
    bool depthWrite = true;
    CompareFunction depthFunction = CompareFunction::LessEqual;
    // Depth from eye distance, mapped linearly from [near, far] onto [0, 1].
    bool wBuffer = false;
    float wNear = 0.0f;
    float wFar = 1.0f;

    bool operator==(const RasterState&) const = default;
};

struct DrawState {
    TransformState transform;
    LightingState lighting;
    TextureStageState stage;
    TextureHandle texture = 0;
    SamplerState sampler;
    RasterState raster;
    Viewport viewport;

    bool operator==(const DrawState&) const = default;
};

// Byte offsets of the vertex members; -1 where a member is absent. The
// position is three floats, the normal three, the diffuse colour a 0xAARRGGBB
// word and the texture coordinate two floats.
struct VertexLayout {
    int stride = 0;
    int position = 0;
    int normal = -1;
    int diffuse = -1;
    int texCoord = -1;
};

struct ClearRect {
    int x1, y1, x2, y2;
};

class RenderDevice {
public:
    virtual ~RenderDevice() = default;
    // "OpenGL" or "null".
    virtual const char* Name() const = 0;
    // A new back buffer (colour and depth) of width x height; its content is undefined.
    virtual bool SetBackBufferSize(int width, int height) = 0;
    // Clears within the viewport, or within each of the rectangles clipped to it.
    virtual void Clear(const Viewport& viewport, const ClearRect* rects, int rectCount,
                       bool color, uint32_t argb, bool depth, float z) = 0;
    // Indexed draws read only the vertices from lowestIndex to highestIndex,
    // the least and greatest of the indices; without indices, lowestIndex is
    // 0 and highestIndex vertexCount - 1.
    virtual void Draw(const DrawState& state, Primitive primitive, const void* vertices,
                      int vertexCount, const VertexLayout& layout, const uint16_t* indices,
                      int indexCount, int lowestIndex, int highestIndex) = 0;
    virtual TextureHandle CreateTexture() = 0;
    // rows: height rows of width texels, pitch bytes apart, the first row is
    // v = 0; kept in the layout given, 16-bit texels as 16 bits.
    virtual void UploadTexture(TextureHandle texture, const void* rows, int pitch, int width,
                               int height, TexelLayout layout) = 0;
    virtual void DeleteTexture(TextureHandle texture) = 0;
    // True when the back end keeps its own copy of every texture sent, which
    // ReadTexture gives back: the sender then need not keep its pixels.
    virtual bool KeepsTextures() const { return false; }
    // The texture's texels as they were sent, into rows as UploadTexture
    // takes them; false when the back end keeps no copy.
    virtual bool ReadTexture(TextureHandle, void* /*rows*/, int /*pitch*/, int /*width*/, int /*height*/,
                             TexelLayout) {
        return false;
    }
    // Waits until everything drawn so far is in the back buffer, so that what
    // follows is timed apart from the drawing. A back end that draws at once
    // has nothing to wait for.
    virtual void FinishDrawing() {}
    // The whole back buffer as 0xAARRGGBB words, top row first.
    virtual void ReadBackBuffer(uint32_t* pixels) = 0;
    virtual void WriteBackBuffer(const uint32_t* pixels) = 0;
    // Shows the back buffer in the window, scaled with its aspect kept.
    virtual void Present() = 0;
};

std::unique_ptr<RenderDevice> CreateNullRenderDevice();

// The OpenGL device on the installed window system, or the null device when
// OpenGL cannot be brought up; then one line on standard error says why.
std::unique_ptr<RenderDevice> OpenRenderDevice();

}  // namespace velmora::platform
