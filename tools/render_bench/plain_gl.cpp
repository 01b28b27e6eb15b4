#include "render_bench/plain_gl.h"

#include <epoxy/gl.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ddraw/matrix_math.h"
#include "platform/gl/fixed_function_program.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/setup/platform_settings.h"
#include "render/display.h"
#include "render/scene_renderer.h"
#include "render_bench/bench_scene.h"

namespace velmora::tools {

namespace {

using platform::gl::FixedFunctionProgram;

struct PartBuffers {
    GLuint vertexArray = 0, vertices = 0, indices = 0;
    GLsizei indexCount = 0;
    bool textured = false;
};

// The programs a user would write for these scenes: the same shading,
// OpenGL's own depth with nothing written per fragment, one program for
// textured parts and one for untextured ones; the uniforms that never
// change are set once.
struct PlainProgram {
    FixedFunctionProgram program;
    uint64_t passUploaded = 0;    // the pass whose projection and lights it holds
    uint64_t objectUploaded = 0;  // the object whose transform it holds
};

bool BuildPlainProgram(PlainProgram& plain, bool textured, int width, int height, std::string& why) {
    // The stage the engine draws with, built into the program as the stand-in builds it.
    platform::TextureStageState stage;
    stage.colorArg2 = platform::kArgDiffuse;
    stage.alphaOp = platform::kStageModulate;
    stage.alphaArg2 = platform::kArgDiffuse;
    FixedFunctionProgram& program = plain.program;
    if (!platform::gl::BuildFixedFunctionProgram(program, why, &stage, platform::gl::DepthOutput::Projected,
                                                 textured))
        return false;
    glUniform1i(program.flat, 0);
    glUniform1i(program.hasVertexDiffuse, 0);
    glUniform1i(program.lighting, 1);
    glUniform1i(program.vertexDiffuse, 1);
    platform::gl::UploadStage(program, stage);
    platform::Viewport viewport;
    viewport.width = width;
    viewport.height = height;
    platform::gl::UploadViewport(program, viewport);
    float emissive[4] = {0, 0, 0, 0};
    glUniform4fv(program.materialEmissive, 1, emissive);
    return true;
}

// The offscreen image drawn into and shown, and the overdraw scene's
// texture, filtered as the stand-in's stage filters it.
struct PlainTargets {
    GLuint color = 0, depth = 0, framebuffer = 0, texture = 0;

    void Make(int width, int height) {
        glGenTextures(1, &color);
        glBindTexture(GL_TEXTURE_2D, color);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32F, width, height);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        std::vector<uint8_t> texels = OverdrawTexturePixels();
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kOverdrawTextureSide, kOverdrawTextureSide, 0, GL_BGR,
                     GL_UNSIGNED_BYTE, texels.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
    void Release() {
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &depth);
        glDeleteTextures(1, &color);
        glDeleteTextures(1, &texture);
    }
};

// Static buffers, one set per part, filled once.
std::vector<std::vector<PartBuffers>> UploadParts(const Scene& scene) {
    std::vector<std::vector<PartBuffers>> buffers(scene.objectCount);
    for (int32_t o = 0; o < scene.objectCount; ++o) {
        const SceneObject& object = scene.objects[o];
        for (int32_t p = 0; p < object.partCount; ++p) {
            PartBuffers part;
            glGenVertexArrays(1, &part.vertexArray);
            glBindVertexArray(part.vertexArray);
            glGenBuffers(1, &part.vertices);
            glBindBuffer(GL_ARRAY_BUFFER, part.vertices);
            glBufferData(GL_ARRAY_BUFFER, object.partVertexCounts[p] * sizeof(Vertex), object.partVertices[p],
                         GL_STATIC_DRAW);
            glGenBuffers(1, &part.indices);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, part.indices);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, object.partPolygonCounts[p] * sizeof(Polygon),
                         object.partPolygons[p], GL_STATIC_DRAW);
            glEnableVertexAttribArray(platform::gl::kPositionAttribute);
            glVertexAttribPointer(platform::gl::kPositionAttribute, 3, GL_FLOAT, GL_FALSE, 32, nullptr);
            glEnableVertexAttribArray(platform::gl::kNormalAttribute);
            glVertexAttribPointer(platform::gl::kNormalAttribute, 3, GL_FLOAT, GL_FALSE, 32,
                                  reinterpret_cast<void*>(12));
            glEnableVertexAttribArray(platform::gl::kTexCoordAttribute);
            glVertexAttribPointer(platform::gl::kTexCoordAttribute, 2, GL_FLOAT, GL_FALSE, 32,
                                  reinterpret_cast<void*>(24));
            part.indexCount = object.partPolygonCounts[p] * 3;
            const char* name = object.partDrawStyles[p]->textureName;
            part.textured = name && std::strcmp(name, kOverdrawTexture) == 0;
            buffers[o].push_back(part);
        }
    }
    return buffers;
}

void ReleaseParts(std::vector<std::vector<PartBuffers>>& buffers) {
    for (auto& object : buffers)
        for (PartBuffers& part : object) {
            glDeleteVertexArrays(1, &part.vertexArray);
            glDeleteBuffers(1, &part.vertices);
            glDeleteBuffers(1, &part.indices);
        }
}

// The renderer's projection for a field of view at 4:3.
D3DMATRIX PlainProjection(float fov) {
    D3DMATRIX projection{};
    float half = fov / 2.0f;
    float cotangent = std::cos(half) / std::sin(half);
    projection._11 = cotangent;
    projection._22 = cotangent * 1.3f;
    projection._33 = kFarPlane / (kFarPlane - kNearPlane);
    projection._34 = 1.0f;
    projection._43 = -projection._33;
    return projection;
}

// The scene's point lights and ambient, the lights moved into camera space.
platform::LightingState PlainLighting(const std::vector<D3DLIGHT7>& lights, uint32_t ambient, const D3DMATRIX& view) {
    platform::LightingState lighting;
    lighting.enabled = 1;
    lighting.ambient[0] = ((ambient >> 16) & 255) / 255.0f;
    lighting.ambient[1] = ((ambient >> 8) & 255) / 255.0f;
    lighting.ambient[2] = (ambient & 255) / 255.0f;
    for (const D3DLIGHT7& light : lights) {
        platform::LightState& to = lighting.lights[lighting.lightCount++];
        to.kind = platform::LightKind::Point;
        to.diffuse[0] = light.dcvDiffuse.r;
        to.diffuse[1] = light.dcvDiffuse.g;
        to.diffuse[2] = light.dcvDiffuse.b;
        const D3DVECTOR& p = light.dvPosition;
        to.position[0] = p.x * view._11 + p.y * view._21 + p.z * view._31 + view._41;
        to.position[1] = p.x * view._12 + p.y * view._22 + p.z * view._32 + view._42;
        to.position[2] = p.x * view._13 + p.y * view._23 + p.z * view._33 + view._43;
        to.range = light.dvRange;
        to.attenuation[0] = light.dvAttenuation0;
        to.attenuation[1] = light.dvAttenuation1;
        to.attenuation[2] = light.dvAttenuation2;
    }
    return lighting;
}

// The frames drawn as a program of its own would draw them: one pass per
// camera and trail frame, each uniform sent only when it changed.
class PlainDrawing {
public:
    PlainDrawing(const Scene& scene, PlainProgram (&programs)[2], const std::vector<std::vector<PartBuffers>>& buffers)
        : scene_(scene), programs_(programs), buffers_(buffers) {}

    void DrawFrame(int frame) {
        // The frame clock: 30 frames per second, the scene's 30 frames per second.
        const float t = std::fmod(static_cast<float>(frame), static_cast<float>(scene_.frameCount)) + 0.5f;
        const int32_t cur = static_cast<int32_t>(t);
        const int32_t next = cur + 1 >= scene_.frameCount ? 0 : cur + 1;
        std::vector<D3DLIGHT7> lights;
        for (int32_t i = 0; i < scene_.lightCount; ++i)
            lights.push_back(InterpolateLight(t, scene_.lightFrames[i][cur], scene_.lightFrames[i][next]));
        for (int32_t slot = 0; slot < scene_.cameraCount; ++slot) {
            const int32_t c = scene_.cameraOrder[slot];
            const SceneCamera& camera = scene_.cameras[c];
            const float blend = camera.frameBlend[cur];
            // Opaque parts of a camera drawn at full strength need no blending.
            if (blend == 1.0f) {
                glDisable(GL_BLEND);
            } else {
                glEnable(GL_BLEND);
                glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            }
            for (int32_t a = camera.blurFrames - 1; a >= 0; --a) {
                const int32_t f0 = (cur - a + scene_.frameCount) % scene_.frameCount;
                const int32_t f1 = (next - a + scene_.frameCount) % scene_.frameCount;
                glClear(GL_DEPTH_BUFFER_BIT);
                const D3DMATRIX view = InterpolateMatrix(t, scene_.cameraMatrices[c][f0], scene_.cameraMatrices[c][f1]);
                DrawPass(t, f0, f1, blend, PlainProjection(camera.frameFov[f0]),
                         PlainLighting(lights, scene_.frameAmbient[f0], view), view);
            }
        }
    }

private:
    void DrawPass(float t, int32_t f0, int32_t f1, float blend, const D3DMATRIX& projection,
                  const platform::LightingState& lighting, const D3DMATRIX& view) {
        ++passNumber_;
        for (int32_t o = 0; o < scene_.objectCount; ++o) {
            const SceneObject& object = scene_.objects[o];
            D3DMATRIX world = InterpolateMatrix(t, object.matrices[f0], object.matrices[f1]);
            platform::TransformState transform;
            platform::ddraw::MultiplyMatrices(world, view, transform.worldView);
            platform::ddraw::NormalMatrix(transform.worldView, transform.normalMatrix);
            ++objectNumber_;
            for (int32_t p = 0; p < object.partCount; ++p) {
                const PartBuffers& part = buffers_[o][p];
                PlainProgram& plain = programs_[part.textured ? 1 : 0];
                const FixedFunctionProgram& program = plain.program;
                if (current_ != &plain) {
                    glUseProgram(program.program);
                    current_ = &plain;
                }
                if (plain.passUploaded != passNumber_) {
                    glUniformMatrix4fv(program.projection, 1, GL_FALSE, &projection._11);
                    platform::gl::UploadLights(program, lighting);
                    glUniform3fv(program.ambient, 1, lighting.ambient);
                    plain.passUploaded = passNumber_;
                }
                if (plain.objectUploaded != objectNumber_) {
                    glUniformMatrix4fv(program.worldView, 1, GL_FALSE, transform.worldView);
                    glUniformMatrix3fv(program.normalMatrix, 1, GL_FALSE, transform.normalMatrix);
                    plain.objectUploaded = objectNumber_;
                }
                D3DMATERIAL7 material = object.partDrawStyles[p]->material;
                material.diffuse.a = blend;
                glUniform4fv(program.materialDiffuse, 1, &material.diffuse.r);
                glUniform4fv(program.materialAmbient, 1, &material.ambient.r);
                glBindVertexArray(part.vertexArray);
                glDrawElements(GL_TRIANGLES, part.indexCount, GL_UNSIGNED_SHORT, nullptr);
            }
        }
    }

    const Scene& scene_;
    PlainProgram (&programs_)[2];
    const std::vector<std::vector<PartBuffers>>& buffers_;
    uint64_t passNumber_ = 0, objectNumber_ = 0;
    const PlainProgram* current_ = nullptr;
};

// The offscreen image shown in the window, as a program presents a frame.
void ShowFrame(platform::GlHost& host, GLuint framebuffer, int width, int height) {
    int drawableWidth = 0, drawableHeight = 0;
    host.DrawableSize(drawableWidth, drawableHeight);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, drawableWidth, drawableHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBlitFramebuffer(0, 0, width, height, 0, 0, drawableWidth, drawableHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    host.SwapBuffers();
}

}  // namespace

RunFigures RunPlainGl(Scene& scene, int width, int height, int frames, std::string* renderer) {
    platform::SdlWindowSystem windows(platform::CurrentPlatformSettings().videoDriver);
    if (!windows.OpenWindow("plain OpenGL", width, height)) return {};
    windows.SetDisplayMode(width, height, true);
    std::string why;
    std::unique_ptr<platform::GlHost> host = windows.CreateGlHost(why);
    if (!host) {
        std::fprintf(stderr, "plain OpenGL: %s\n", why.c_str());
        return {};
    }
    if (renderer) {
        const GLubyte* name = glGetString(GL_RENDERER);
        const GLubyte* version = glGetString(GL_VERSION);
        *renderer = std::string(name ? reinterpret_cast<const char*>(name) : "?") + ", OpenGL " +
                    (version ? reinterpret_cast<const char*>(version) : "?");
    }
    PlainProgram programs[2];  // untextured, textured
    for (int textured = 0; textured < 2; ++textured)
        if (!BuildPlainProgram(programs[textured], textured == 1, width, height, why)) {
            std::fprintf(stderr, "plain OpenGL: %s\n", why.c_str());
            return {};
        }
    PlainTargets targets;
    targets.Make(width, height);
    std::vector<std::vector<PartBuffers>> buffers = UploadParts(scene);

    glDisable(GL_DITHER);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glBindTexture(GL_TEXTURE_2D, targets.texture);

    PlainDrawing drawing(scene, programs, buffers);
    auto start = std::chrono::steady_clock::now();
    CpuTimes before = TakeCpuTimes();
    const int warmUp = 5;
    for (int frame = 0; frame < frames + warmUp; ++frame) {
        if (frame == warmUp) {
            glFinish();
            start = std::chrono::steady_clock::now();
            before = TakeCpuTimes();
        }
        glBindFramebuffer(GL_FRAMEBUFFER, targets.framebuffer);
        glViewport(0, 0, width, height);
        glDepthMask(GL_TRUE);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        drawing.DrawFrame(frame);
        ShowFrame(*host, targets.framebuffer, width, height);
    }
    glFinish();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RunFigures figures;
    SetRunFigures(figures, frames, seconds, before, TakeCpuTimes());
    ReleaseParts(buffers);
    targets.Release();
    for (PlainProgram& plain : programs) glDeleteProgram(plain.program.program);
    host.reset();
    return figures;
}

}  // namespace velmora::tools
