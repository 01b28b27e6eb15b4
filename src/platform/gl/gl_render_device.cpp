#include "platform/gl/gl_render_device.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gl/fixed_function_program.h"
#include "platform/gl/fragment_alpha.h"
#include "platform/gl/resident_geometry.h"
#include "platform/gl/stream_buffer.h"

namespace velmora::platform::gl {

namespace {

GLenum BlendFactorOf(BlendFactor factor) {
    switch (factor) {
        case BlendFactor::Zero: return GL_ZERO;
        case BlendFactor::One: return GL_ONE;
        case BlendFactor::SourceColor: return GL_SRC_COLOR;
        case BlendFactor::InverseSourceColor: return GL_ONE_MINUS_SRC_COLOR;
        case BlendFactor::SourceAlpha: return GL_SRC_ALPHA;
        case BlendFactor::InverseSourceAlpha: return GL_ONE_MINUS_SRC_ALPHA;
        case BlendFactor::DestinationAlpha: return GL_DST_ALPHA;
        case BlendFactor::InverseDestinationAlpha: return GL_ONE_MINUS_DST_ALPHA;
        case BlendFactor::DestinationColor: return GL_DST_COLOR;
        case BlendFactor::InverseDestinationColor: return GL_ONE_MINUS_DST_COLOR;
    }
    return GL_ONE;
}

// Reversed depth turns every ordering around; equality stays.
CompareFunction Mirrored(CompareFunction function) {
    switch (function) {
        case CompareFunction::Less: return CompareFunction::Greater;
        case CompareFunction::LessEqual: return CompareFunction::GreaterEqual;
        case CompareFunction::Greater: return CompareFunction::Less;
        case CompareFunction::GreaterEqual: return CompareFunction::LessEqual;
        default: return function;
    }
}

GLenum CompareOf(CompareFunction function) {
    switch (function) {
        case CompareFunction::Never: return GL_NEVER;
        case CompareFunction::Less: return GL_LESS;
        case CompareFunction::Equal: return GL_EQUAL;
        case CompareFunction::LessEqual: return GL_LEQUAL;
        case CompareFunction::Greater: return GL_GREATER;
        case CompareFunction::NotEqual: return GL_NOTEQUAL;
        case CompareFunction::GreaterEqual: return GL_GEQUAL;
        case CompareFunction::Always: return GL_ALWAYS;
    }
    return GL_LEQUAL;
}

GLenum PrimitiveOf(Primitive primitive) {
    switch (primitive) {
        case Primitive::Points: return GL_POINTS;
        case Primitive::Lines: return GL_LINES;
        case Primitive::LineStrip: return GL_LINE_STRIP;
        case Primitive::Triangles: return GL_TRIANGLES;
        case Primitive::TriangleStrip: return GL_TRIANGLE_STRIP;
        case Primitive::TriangleFan: return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

// Shows use a handful of stage set-ups, each drawn with and without a
// texture; the bound keeps a show that keeps changing its stage from
// building programs without end.
constexpr size_t kMaxStagePrograms = 32;

// What a stage program builds in: everything but the texture factor.
bool SameOperations(const TextureStageState& a, const TextureStageState& b) {
    return a.colorOp == b.colorOp && a.colorArg1 == b.colorArg1 && a.colorArg2 == b.colorArg2 &&
           a.alphaOp == b.alphaOp && a.alphaArg1 == b.alphaArg1 && a.alphaArg2 == b.alphaArg2;
}

class GlRenderDevice : public RenderDevice {
public:
    GlRenderDevice(std::unique_ptr<GlHost> host, const GlDeviceOptions& options)
        : host_(std::move(host)), options_(options) {}
    ~GlRenderDevice() override;

    DepthPath depthPath() const { return depthPath_; }
    const DrawCounters& counters() const { return counters_; }
    const std::string& renderer() const { return renderer_; }

    bool Start(std::string& error);

    const char* Name() const override { return "OpenGL"; }
    bool SetBackBufferSize(int width, int height) override;
    void Clear(const Viewport& viewport, const ClearRect* rects, int rectCount, bool color,
               uint32_t argb, bool depth, float z) override;
    void Draw(const DrawState& state, Primitive primitive, const void* vertices, int vertexCount,
              const VertexLayout& layout, const uint16_t* indices, int indexCount, int lowestIndex,
              int highestIndex) override;
    TextureHandle CreateTexture() override;
    void UploadTexture(TextureHandle texture, const void* rows, int pitch, int width, int height,
                       TexelLayout layout) override;
    void DeleteTexture(TextureHandle texture) override;
    bool KeepsTextures() const override { return true; }
    bool ReadTexture(TextureHandle texture, void* rows, int pitch, int width, int height,
                     TexelLayout layout) override;
    void FinishDrawing() override { glFinish(); }
    void ReadBackBuffer(uint32_t* pixels) override;
    void WriteBackBuffer(const uint32_t* pixels) override;
    void Present() override;

private:
    void DestroyBackBuffer();
    void ApplyViewport(const Viewport& viewport);
    // The viewport's depth range, turned round for reversed depth.
    void ApplyDepthRange(const Viewport& viewport, const RasterState& raster);
    void ApplyRaster(const RasterState& raster);
    bool reversed() const { return depthPath_ == DepthPath::Reversed; }
    void ApplySampler(GLuint texture, const SamplerState& sampler);
    void SetDepthMask(bool on);
    // Points the attributes at the start of the buffer given (the stream or
    // the kept arrays; identity tells them and their successive stores apart)
    // in the layout given, unless they point there in that layout already.
    void PointAttributes(const VertexLayout& layout, GLuint buffer, uint64_t identity);
    // The program built for this stage, sampling the texture or not, built
    // on first use; the generic one when building fails or enough programs
    // are built already.
    const FixedFunctionProgram& ProgramFor(const TextureStageState& stage, bool samplesTexture);

    std::unique_ptr<GlHost> host_;
    GlDeviceOptions options_;
    std::string renderer_;
    DrawCounters counters_;
    DepthPath depthPath_ = DepthPath::Written;
    DepthOutput depthOutput_ = DepthOutput::Written;
    // The program for any texture stage, and those built with one stage's
    // operations fixed, which shade faster; the one in use.
    FixedFunctionProgram genericProgram_;
    struct StageProgram {
        TextureStageState stage;
        bool samplesTexture;
        FixedFunctionProgram program;
    };
    std::vector<StageProgram> stagePrograms_;
    const FixedFunctionProgram* program_ = &genericProgram_;
    GLuint vertexArray_ = 0;
    StreamBuffer vertexStream_;
    StreamBuffer indexStream_;
    ResidentGeometry residentVertices_;
    ResidentGeometry residentIndices_;
    uint64_t attributeBuffer_ = 0;  // which buffer and layout the attributes point into
    GLuint elementBuffer_ = 0;      // the index buffer the vertex array holds
    VertexLayout attributeLayout_{};
    GLuint framebuffer_ = 0, colorTexture_ = 0, depthBuffer_ = 0;
    GLuint whiteTexture_ = 0;
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> rowBuffer_;

    // What the context holds now, to skip repeated calls.
    bool haveState_ = false;
    DrawState last_{};
    GLuint boundTexture_ = 0;
    bool depthMask_ = true;
    bool clipsFarPlane_ = false;
    bool programInUse_ = false;
    int hasVertexDiffuse_ = 0;
    struct SamplerRecord {
        GLuint texture;
        SamplerState state;
        bool opaque = false;  // uploaded in a layout without alpha
    };
    std::vector<SamplerRecord> samplers_;
};

GlRenderDevice::~GlRenderDevice() {
    host_->MakeCurrent();
    DestroyBackBuffer();
    vertexStream_.Destroy();
    indexStream_.Destroy();
    residentVertices_.Destroy();
    residentIndices_.Destroy();
    if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_);
    if (whiteTexture_) glDeleteTextures(1, &whiteTexture_);
    for (const SamplerRecord& record : samplers_) glDeleteTextures(1, &record.texture);
    if (genericProgram_.program) glDeleteProgram(genericProgram_.program);
    for (const StageProgram& built : stagePrograms_) glDeleteProgram(built.program.program);
}

bool GlRenderDevice::Start(std::string& error) {
    host_->MakeCurrent();
    if (epoxy_gl_version() < 33) {
        error = "OpenGL 3.3 is not available";
        return false;
    }
    auto text = [](GLenum name) {
        const GLubyte* value = glGetString(name);
        return value ? std::string(reinterpret_cast<const char*>(value)) : std::string("?");
    };
    renderer_ = text(GL_RENDERER) + ", OpenGL " + text(GL_VERSION);
    // Reversed depth needs clip z from 0 to w.
    bool clipControl = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    depthPath_ = options_.depth == DepthPath::Reversed && clipControl ? DepthPath::Reversed : DepthPath::Written;
    depthOutput_ = reversed() ? DepthOutput::Reversed : DepthOutput::Written;
    if (reversed()) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    if (!BuildFixedFunctionProgram(genericProgram_, error, nullptr, depthOutput_)) return false;
    // Room for every stage program, so that the one in use never moves.
    stagePrograms_.reserve(kMaxStagePrograms);
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    vertexStream_.Create(GL_ARRAY_BUFFER, 8 << 20);
    indexStream_.Create(GL_ELEMENT_ARRAY_BUFFER, 2 << 20);
    residentVertices_.Create(GL_ARRAY_BUFFER, 32 << 20);
    residentIndices_.Create(GL_ELEMENT_ARRAY_BUFFER, 8 << 20);
    elementBuffer_ = 0;
    // A white texel stands for "no texture": a stage reading the texture then
    // passes the diffuse colour through.
    glGenTextures(1, &whiteTexture_);
    glBindTexture(GL_TEXTURE_2D, whiteTexture_);
    const uint32_t white = 0xFFFFFFFFu;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    boundTexture_ = whiteTexture_;
    glDisable(GL_DITHER);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glFrontFace(GL_CCW);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (glGetError() != GL_NO_ERROR) {
        error = "OpenGL set-up failed";
        return false;
    }
    return true;
}

void GlRenderDevice::DestroyBackBuffer() {
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colorTexture_) glDeleteTextures(1, &colorTexture_);
    if (depthBuffer_) glDeleteRenderbuffers(1, &depthBuffer_);
    framebuffer_ = colorTexture_ = depthBuffer_ = 0;
}

bool GlRenderDevice::SetBackBufferSize(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    host_->MakeCurrent();
    DestroyBackBuffer();
    glGenTextures(1, &colorTexture_);
    glBindTexture(GL_TEXTURE_2D, colorTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glBindTexture(GL_TEXTURE_2D, boundTexture_);
    glGenRenderbuffers(1, &depthBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32F, width, height);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture_, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        DestroyBackBuffer();
        return false;
    }
    width_ = width;
    height_ = height;
    glViewport(0, 0, width, height);
    SetDepthMask(true);
    glClearColor(0, 0, 0, 0);
    glClearDepth(reversed() ? 0.0 : 1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    haveState_ = false;
    return true;
}

void GlRenderDevice::SetDepthMask(bool on) {
    if (depthMask_ == on) return;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
    depthMask_ = on;
}

void GlRenderDevice::ApplyViewport(const Viewport& v) {
    // Top-left origin, y down, onto OpenGL's bottom-left origin.
    glViewport(v.x, height_ - v.y - v.height, v.width, v.height);
}

void GlRenderDevice::ApplyDepthRange(const Viewport& v, const RasterState& raster) {
    if (!reversed()) {
        glDepthRange(v.minZ, v.maxZ);
        return;
    }
    // Depth is 1 - what the old API would store: the projection's z/w is
    // turned round by the range; near / w under the w-buffer falls from 1
    // already, so its range only lifts it to start at 1 - maxZ.
    if (UsableWBuffer(raster, depthOutput_))
        glDepthRange(1.0 - v.maxZ, 1.0 - v.minZ);
    else
        glDepthRange(1.0 - v.minZ, 1.0 - v.maxZ);
}

void GlRenderDevice::Clear(const Viewport& viewport, const ClearRect* rects, int rectCount,
                           bool color, uint32_t argb, bool depth, float z) {
    if (!framebuffer_ || (!color && !depth)) return;
    GLbitfield mask = 0;
    if (color) {
        glClearColor(((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f,
                     (argb & 255) / 255.0f, (argb >> 24) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (depth) {
        // A depth clear ignores the depth-write switch.
        SetDepthMask(true);
        float value = std::clamp(z, 0.0f, 1.0f);
        glClearDepth(reversed() ? 1.0f - value : value);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    glEnable(GL_SCISSOR_TEST);
    int vx1 = std::max(viewport.x, 0), vy1 = std::max(viewport.y, 0);
    int vx2 = std::min(viewport.x + viewport.width, width_);
    int vy2 = std::min(viewport.y + viewport.height, height_);
    auto clearBox = [&](int x1, int y1, int x2, int y2) {
        x1 = std::max(x1, vx1);
        y1 = std::max(y1, vy1);
        x2 = std::min(x2, vx2);
        y2 = std::min(y2, vy2);
        if (x2 <= x1 || y2 <= y1) return;
        glScissor(x1, height_ - y2, x2 - x1, y2 - y1);
        glClear(mask);
    };
    if (rectCount <= 0 || !rects)
        clearBox(vx1, vy1, vx2, vy2);
    else
        for (int i = 0; i < rectCount; ++i) clearBox(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    glDisable(GL_SCISSOR_TEST);
    if (haveState_) SetDepthMask(last_.raster.depthWrite);
}

void GlRenderDevice::ApplyRaster(const RasterState& r) {
    if (r.cull == CullMode::None) {
        glDisable(GL_CULL_FACE);
    } else {
        // With y up in OpenGL the on-screen windings are those of the old API,
        // since both project +y upwards; clockwise there is clockwise here.
        glEnable(GL_CULL_FACE);
        glCullFace(r.cull == CullMode::Clockwise ? GL_BACK : GL_FRONT);
    }
    if (r.blend) {
        glEnable(GL_BLEND);
        glBlendFunc(BlendFactorOf(r.sourceBlend), BlendFactorOf(r.destinationBlend));
    } else {
        glDisable(GL_BLEND);
    }
    if (r.depthTest) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(CompareOf(reversed() ? Mirrored(r.depthFunction) : r.depthFunction));
        SetDepthMask(r.depthWrite);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    // Reversed depth under the w-buffer takes its far plane from a clip plane.
    bool clipFar = reversed() && UsableWBuffer(r, depthOutput_);
    if (clipFar != clipsFarPlane_) {
        if (clipFar)
            glEnable(GL_CLIP_DISTANCE0);
        else
            glDisable(GL_CLIP_DISTANCE0);
        clipsFarPlane_ = clipFar;
    }
}

void GlRenderDevice::ApplySampler(GLuint texture, const SamplerState& s) {
    for (SamplerRecord& record : samplers_) {
        if (record.texture != texture) continue;
        if (std::memcmp(&record.state, &s, sizeof s) == 0) return;
        record.state = s;
        ++counters_.stateChanges;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, s.linearMin ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, s.linearMag ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, s.clampU ? GL_CLAMP_TO_EDGE : GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, s.clampV ? GL_CLAMP_TO_EDGE : GL_REPEAT);
        return;
    }
}

void GlRenderDevice::Draw(const DrawState& state, Primitive primitive, const void* vertices,
                          int vertexCount, const VertexLayout& layout, const uint16_t* indices,
                          int indexCount, int lowestIndex, int highestIndex) {
    if (!framebuffer_ || !vertices || vertexCount <= 0 || layout.stride <= 0) return;
    if (indices && indexCount <= 0) return;
    if (!indices) {
        lowestIndex = 0;
        highestIndex = vertexCount - 1;
    }
    if (lowestIndex < 0 || highestIndex < lowestIndex || highestIndex >= vertexCount) return;
    // Without a texture the white texel is read: a program that does not
    // sample at all gives the same colour for less work per pixel.
    const FixedFunctionProgram& wanted =
        ProgramFor(state.stage, state.texture != 0 || !options_.skipNeedlessSampling);
    if (!programInUse_ || &wanted != program_) {
        glUseProgram(wanted.program);
        program_ = &wanted;
        programInUse_ = true;
        haveState_ = false;  // uniforms belong to each program: all of them again
        ++counters_.stateChanges;
    }
    const FixedFunctionProgram& program = *program_;
    // Upload only the parts of the state that changed since the last draw;
    // a part is copied into last_ only when it changed.
    bool all = !haveState_;
    if (all || !(state.transform == last_.transform)) {
        UploadTransform(program, state.transform);
        last_.transform = state.transform;
        ++counters_.stateChanges;
    }
    if (all || !(state.lighting.material() == last_.lighting.material())) {
        UploadMaterial(program, state.lighting.material());
        static_cast<MaterialState&>(last_.lighting) = state.lighting.material();
        ++counters_.stateChanges;
    }
    if (all || !state.lighting.SameLights(last_.lighting)) {
        UploadLights(program, state.lighting);
        int count = std::clamp(state.lighting.lightCount, 0, kMaxActiveLights);
        last_.lighting.lightCount = state.lighting.lightCount;
        std::copy_n(state.lighting.lights, count, last_.lighting.lights);
        ++counters_.stateChanges;
    }
    if (all || !(state.stage == last_.stage)) {
        UploadStage(program, state.stage);
        last_.stage = state.stage;
        ++counters_.stateChanges;
    }
    bool viewportChanged = all || !(state.viewport == last_.viewport);
    if (viewportChanged) {
        ApplyViewport(state.viewport);
        UploadViewport(program, state.viewport);
        last_.viewport = state.viewport;
        ++counters_.stateChanges;
    }
    // Blending that cannot change a pixel is left off.
    bool textureOpaque = true;  // the white texel when none is bound
    if (state.texture) {
        textureOpaque = false;
        for (const SamplerRecord& record : samplers_)
            if (record.texture == state.texture) textureOpaque = record.opaque;
    }
    const RasterState raster =
        options_.skipNeedlessBlending ? EffectiveRaster(state, layout.diffuse >= 0, textureOpaque) : state.raster;
    if (viewportChanged || !(raster == last_.raster)) {
        ApplyRaster(raster);
        ApplyDepthRange(state.viewport, raster);
        UploadDepth(program, raster, state.viewport);
        glUniform1i(program.flat, raster.flatShading ? 1 : 0);
        last_.raster = raster;
        ++counters_.stateChanges;
    }
    GLuint texture = state.texture ? state.texture : whiteTexture_;
    if (texture != boundTexture_) {
        glBindTexture(GL_TEXTURE_2D, texture);
        boundTexture_ = texture;
        ++counters_.stateChanges;
    }
    if (state.texture) ApplySampler(texture, state.sampler);
    last_.texture = state.texture;
    last_.sampler = state.sampler;
    haveState_ = true;
    int hasDiffuse = layout.diffuse >= 0 ? 1 : 0;
    if (all || hasDiffuse != hasVertexDiffuse_) {
        glUniform1i(program.hasVertexDiffuse, hasDiffuse);
        hasVertexDiffuse_ = hasDiffuse;
    }

    glBindVertexArray(vertexArray_);
    // Only the vertices the indices use, at a whole number of strides into
    // the buffer, so that the attributes keep pointing at its start and each
    // draw names its first vertex instead: from what OpenGL holds when these
    // bytes were drawn before, else through the stream.
    GLsizeiptr vertexBytes = static_cast<GLsizeiptr>(highestIndex - lowestIndex + 1) * layout.stride;
    const uint8_t* used = static_cast<const uint8_t*>(vertices) + static_cast<size_t>(lowestIndex) * layout.stride;
    bool sent = false;
    GLintptr base = options_.keepGeometry ? residentVertices_.Place(used, vertexBytes, layout.stride, sent) : -1;
    if (base >= 0) {
        PointAttributes(layout, residentVertices_.buffer(), residentVertices_.generation() << 1 | 1);
        (sent ? counters_.bytesStreamed : counters_.bytesKept) += static_cast<uint64_t>(vertexBytes);
    } else {
        base = vertexStream_.Append(used, vertexBytes, layout.stride);
        PointAttributes(layout, vertexStream_.buffer(), vertexStream_.generation() << 1);
        counters_.bytesStreamed += static_cast<uint64_t>(vertexBytes);
    }
    GLint first = static_cast<GLint>(base / layout.stride);

    ++counters_.draws;
    if (indices) {
        const GLsizeiptr indexBytes = static_cast<GLsizeiptr>(indexCount) * 2;
        GLintptr offset = options_.keepGeometry ? residentIndices_.Place(indices, indexBytes, 2, sent) : -1;
        if (offset >= 0) {
            if (elementBuffer_ != residentIndices_.buffer()) {
                glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, residentIndices_.buffer());
                elementBuffer_ = residentIndices_.buffer();
            }
            (sent ? counters_.bytesStreamed : counters_.bytesKept) += static_cast<uint64_t>(indexBytes);
        } else {
            offset = indexStream_.Append(indices, indexBytes);
            elementBuffer_ = indexStream_.buffer();
            counters_.bytesStreamed += static_cast<uint64_t>(indexBytes);
        }
        glDrawRangeElementsBaseVertex(PrimitiveOf(primitive), static_cast<GLuint>(lowestIndex),
                                      static_cast<GLuint>(highestIndex), indexCount, GL_UNSIGNED_SHORT,
                                      reinterpret_cast<const void*>(offset), first - lowestIndex);
    } else {
        glDrawArrays(PrimitiveOf(primitive), first, vertexCount);
    }
}

const FixedFunctionProgram& GlRenderDevice::ProgramFor(const TextureStageState& stage, bool samplesTexture) {
    for (const StageProgram& built : stagePrograms_)
        if (built.samplesTexture == samplesTexture && SameOperations(built.stage, stage)) return built.program;
    if (stagePrograms_.size() >= kMaxStagePrograms) return genericProgram_;
    StageProgram built;
    built.stage = stage;
    built.samplesTexture = samplesTexture;
    std::string ignored;
    if (!BuildFixedFunctionProgram(built.program, ignored, &stage, depthOutput_, samplesTexture))
        return genericProgram_;
    // Building left the new program in use.
    programInUse_ = false;
    stagePrograms_.push_back(built);
    return stagePrograms_.back().program;
}

void GlRenderDevice::PointAttributes(const VertexLayout& layout, GLuint name, uint64_t identity) {
    uint64_t buffer = identity;
    if (buffer == attributeBuffer_ && layout.stride == attributeLayout_.stride &&
        layout.position == attributeLayout_.position && layout.normal == attributeLayout_.normal &&
        layout.diffuse == attributeLayout_.diffuse && layout.texCoord == attributeLayout_.texCoord)
        return;
    attributeBuffer_ = buffer;
    attributeLayout_ = layout;
    ++counters_.stateChanges;
    glBindBuffer(GL_ARRAY_BUFFER, name);
    auto attribute = [&](GLuint location, int offset, GLint size, GLenum type, GLboolean normalized) {
        if (offset < 0) {
            glDisableVertexAttribArray(location);
            return;
        }
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, size, type, normalized, layout.stride,
                              reinterpret_cast<const void*>(static_cast<GLintptr>(offset)));
    };
    attribute(kPositionAttribute, layout.position, 3, GL_FLOAT, GL_FALSE);
    attribute(kNormalAttribute, layout.normal, 3, GL_FLOAT, GL_FALSE);
    attribute(kDiffuseAttribute, layout.diffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    attribute(kTexCoordAttribute, layout.texCoord, 2, GL_FLOAT, GL_FALSE);
    if (layout.normal < 0) glVertexAttrib3f(kNormalAttribute, 0, 0, 0);
    if (layout.texCoord < 0) glVertexAttrib2f(kTexCoordAttribute, 0, 0);
}

TextureHandle GlRenderDevice::CreateTexture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, boundTexture_);
    samplers_.push_back({texture, SamplerState{}, false});
    return texture;
}

namespace {

struct GlTexelFormat {
    GLint internalFormat;
    GLenum format;
    GLenum type;
};

// Each layout as OpenGL stores and reads it: the 16-bit ones stay 16-bit on
// the GPU, as a Direct3D driver keeps them.
GlTexelFormat GlFormatOf(TexelLayout layout) {
    switch (layout) {
    case TexelLayout::Xrgb8888: return {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case TexelLayout::Rgb565: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    case TexelLayout::Argb1555: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case TexelLayout::Xrgb1555: return {GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case TexelLayout::Argb4444: return {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
    case TexelLayout::Argb8888: break;
    }
    return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
}

}  // namespace

void GlRenderDevice::UploadTexture(TextureHandle texture, const void* rows, int pitch, int width,
                                   int height, TexelLayout layout) {
    int texelBytes = TexelBytes(layout);
    if (!texture || !rows || width <= 0 || height <= 0 || pitch < width * texelBytes ||
        pitch % texelBytes != 0)
        return;
    GlTexelFormat gl = GlFormatOf(layout);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, texelBytes);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch / texelBytes);
    glTexImage2D(GL_TEXTURE_2D, 0, gl.internalFormat, width, height, 0, gl.format, gl.type, rows);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, boundTexture_);
    for (SamplerRecord& record : samplers_)
        if (record.texture == texture)
            record.opaque = layout == TexelLayout::Xrgb8888 || layout == TexelLayout::Rgb565 ||
                            layout == TexelLayout::Xrgb1555;
}

bool GlRenderDevice::ReadTexture(TextureHandle texture, void* rows, int pitch, int width, int height,
                                 TexelLayout layout) {
    int texelBytes = TexelBytes(layout);
    if (!texture || !rows || width <= 0 || height <= 0 || pitch < width * texelBytes || pitch % texelBytes != 0)
        return false;
    GlTexelFormat gl = GlFormatOf(layout);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint sentWidth = 0, sentHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &sentWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &sentHeight);
    bool same = sentWidth == width && sentHeight == height;
    if (same) {
        glPixelStorei(GL_PACK_ALIGNMENT, texelBytes);
        glPixelStorei(GL_PACK_ROW_LENGTH, pitch / texelBytes);
        glGetTexImage(GL_TEXTURE_2D, 0, gl.format, gl.type, rows);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
    glBindTexture(GL_TEXTURE_2D, boundTexture_);
    return same;
}

void GlRenderDevice::DeleteTexture(TextureHandle texture) {
    if (!texture) return;
    if (boundTexture_ == texture) {
        glBindTexture(GL_TEXTURE_2D, whiteTexture_);
        boundTexture_ = whiteTexture_;
    }
    if (last_.texture == texture) haveState_ = false;
    GLuint name = texture;
    glDeleteTextures(1, &name);
    samplers_.erase(std::remove_if(samplers_.begin(), samplers_.end(),
                                   [&](const SamplerRecord& r) { return r.texture == texture; }),
                    samplers_.end());
}

void GlRenderDevice::ReadBackBuffer(uint32_t* pixels) {
    if (!framebuffer_ || !pixels) return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
    // OpenGL hands the bottom row first.
    size_t row = static_cast<size_t>(width_);
    rowBuffer_.resize(row);
    for (int y = 0; y < height_ / 2; ++y) {
        uint32_t* top = pixels + row * y;
        uint32_t* bottom = pixels + row * (height_ - 1 - y);
        std::memcpy(rowBuffer_.data(), top, row * 4);
        std::memcpy(top, bottom, row * 4);
        std::memcpy(bottom, rowBuffer_.data(), row * 4);
    }
}

void GlRenderDevice::WriteBackBuffer(const uint32_t* pixels) {
    if (!framebuffer_ || !pixels) return;
    std::vector<uint32_t> flipped(static_cast<size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y)
        std::memcpy(&flipped[static_cast<size_t>(width_) * y],
                    pixels + static_cast<size_t>(width_) * (height_ - 1 - y),
                    static_cast<size_t>(width_) * 4);
    glBindTexture(GL_TEXTURE_2D, colorTexture_);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_BGRA,
                    GL_UNSIGNED_INT_8_8_8_8_REV, flipped.data());
    glBindTexture(GL_TEXTURE_2D, boundTexture_);
}

void GlRenderDevice::Present() {
    if (!framebuffer_) return;
    int windowWidth = 0, windowHeight = 0;
    host_->DrawableSize(windowWidth, windowHeight);
    if (windowWidth > 0 && windowHeight > 0) {
        // The largest rectangle of the back buffer's aspect that fits, centred.
        long long scaledWidth = windowWidth, scaledHeight = windowHeight;
        if (static_cast<long long>(windowWidth) * height_ > static_cast<long long>(windowHeight) * width_)
            scaledWidth = static_cast<long long>(windowHeight) * width_ / height_;
        else
            scaledHeight = static_cast<long long>(windowWidth) * height_ / width_;
        GLint x = static_cast<GLint>((windowWidth - scaledWidth) / 2);
        GLint y = static_cast<GLint>((windowHeight - scaledHeight) / 2);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glViewport(0, 0, windowWidth, windowHeight);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glBlitFramebuffer(0, 0, width_, height_, x, y, x + static_cast<GLint>(scaledWidth),
                          y + static_cast<GLint>(scaledHeight), GL_COLOR_BUFFER_BIT,
                          (scaledWidth == width_ && scaledHeight == height_) ? GL_NEAREST : GL_LINEAR);
        host_->SwapBuffers();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    haveState_ = false;  // the viewport was changed for the window
}

}  // namespace

std::unique_ptr<RenderDevice> CreateGlRenderDevice(std::unique_ptr<GlHost> host, std::string& error,
                                                   const GlDeviceOptions& options) {
    if (!host) {
        error = "no OpenGL context";
        return nullptr;
    }
    auto device = std::make_unique<GlRenderDevice>(std::move(host), options);
    if (!device->Start(error)) return nullptr;
    return device;
}

std::optional<DepthPath> DepthPathOf(const RenderDevice& device) {
    const auto* gl = dynamic_cast<const GlRenderDevice*>(&device);
    if (!gl) return std::nullopt;
    return gl->depthPath();
}

std::optional<DrawCounters> DrawCountersOf(const RenderDevice& device) {
    const auto* gl = dynamic_cast<const GlRenderDevice*>(&device);
    if (!gl) return std::nullopt;
    return gl->counters();
}

std::string RendererOf(const RenderDevice& device) {
    const auto* gl = dynamic_cast<const GlRenderDevice*>(&device);
    return gl ? gl->renderer() : std::string();
}

}  // namespace velmora::platform::gl
