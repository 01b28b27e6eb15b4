#include "qxvis/visibility_generator.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "math/d3d_structures.h"
#include "platform/ddraw/matrix_math.h"
#include "platform/sdl/sdl_window_system.h"
#include "render/display.h"
#include "render/scene_renderer.h"
#include "state/engine_state.h"

namespace velmora::tools {

namespace {

// Positions as the display's fixed-function program places them (pixel
// centres on whole coordinates, depth as eye distance), widened by the guard
// band of the margin.
const char* kPartVertexShader = R"(#version 330 core
layout(location = 0) in vec3 inPosition;
uniform mat4 uWorldViewProjection;
uniform vec2 uPixelOffset;
uniform vec2 uGuardScale;
void main() {
    vec4 clip = uWorldViewProjection * vec4(inPosition, 1.0);
    clip.xy += uPixelOffset * clip.w;
    clip.xy *= uGuardScale;
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
}
)";

const char* kPartFragmentShader = R"(#version 330 core
uniform vec3 uPartNumber;
uniform vec2 uDepthMap;
out vec4 outColor;
void main() {
    outColor = vec4(uPartNumber, 1.0);
    gl_FragDepth = clamp((1.0 / gl_FragCoord.w) * uDepthMap.x + uDepthMap.y, 0.0, 1.0);
}
)";

// Puts a depth image back into the depth buffer.
const char* kDepthVertexShader = R"(#version 330 core
void main() {
    vec2 p = vec2((gl_VertexID << 1) & 2, gl_VertexID & 2);
    gl_Position = vec4(p * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* kDepthFragmentShader = R"(#version 330 core
uniform sampler2D uDepth;
out vec4 outColor;
void main() {
    gl_FragDepth = texelFetch(uDepth, ivec2(gl_FragCoord.xy), 0).r;
    outColor = vec4(0.0);
}
)";

GLuint Compile(GLenum type, const char* source, std::string& why) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint good = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &good);
    if (!good) {
        char log[1024] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        why = std::string("a shader does not compile: ") + log;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint Link(const char* vertexSource, const char* fragmentSource, std::string& why) {
    GLuint vertex = Compile(GL_VERTEX_SHADER, vertexSource, why);
    if (!vertex) return 0;
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource, why);
    if (!fragment) {
        glDeleteShader(vertex);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint good = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &good);
    if (!good) {
        why = "a shader program does not link";
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

struct PartBuffers {
    GLuint vertexArray = 0, vertices = 0, indices = 0;
    GLsizei indexCount = 0;
    int32_t object = 0, part = 0;
    bool occludes = true;
};

// Everything OpenGL holds for one run; released in the destructor while the
// context is still current.
class Drawing {
public:
    ~Drawing() {
        for (PartBuffers& part : parts) {
            glDeleteVertexArrays(1, &part.vertexArray);
            glDeleteBuffers(1, &part.vertices);
            glDeleteBuffers(1, &part.indices);
        }
        if (!queries.empty()) glDeleteQueries(static_cast<GLsizei>(queries.size()), queries.data());
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &color);
        glDeleteTextures(1, &depthImage);
        glDeleteRenderbuffers(1, &depth);
        glDeleteVertexArrays(1, &emptyArray);
        if (partProgram) glDeleteProgram(partProgram);
        if (depthProgram) glDeleteProgram(depthProgram);
    }

    GLuint partProgram = 0, depthProgram = 0;
    GLint worldViewProjection = -1, partNumber = -1;
    GLuint framebuffer = 0, color = 0, depth = 0, depthImage = 0, emptyArray = 0;
    std::vector<PartBuffers> parts;  // in object and part order; part number = index + 1
    std::vector<GLuint> queries;
};

bool SameMatrixBits(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The matrix the renderer blends at fraction s of the way from a to b.
D3DMATRIX Between(float s, const D3DMATRIX& a, const D3DMATRIX& b) {
    if (s <= 0.0f || SameMatrixBits(a, b)) return a;
    if (s >= 1.0f) return b;
    return InterpolateMatrix(s, a, b);
}

// Each pixel becomes the farthest depth within radius pixels (a square):
// along the rows into rows, then down the columns back into depth. Plain
// loops over raw rows, since this runs once a drawn position and dominates
// the generator's own time in unoptimised builds.
void FarthestAround(std::vector<float>& depth, std::vector<float>& rows, int width, int height, int radius) {
    rows.resize(depth.size());
    for (int y = 0; y < height; ++y) {
        const float* in = depth.data() + static_cast<size_t>(y) * width;
        float* out = rows.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const int first = x - radius < 0 ? 0 : x - radius;
            const int last = x + radius >= width ? width - 1 : x + radius;
            float far = in[first];
            for (int i = first + 1; i <= last; ++i)
                if (in[i] > far) far = in[i];
            out[x] = far;
        }
    }
    for (int y = 0; y < height; ++y) {
        const int first = y - radius < 0 ? 0 : y - radius;
        const int last = y + radius >= height ? height - 1 : y + radius;
        float* out = depth.data() + static_cast<size_t>(y) * width;
        const float* in = rows.data() + static_cast<size_t>(first) * width;
        for (int x = 0; x < width; ++x) out[x] = in[x];
        for (int j = first + 1; j <= last; ++j) {
            in = rows.data() + static_cast<size_t>(j) * width;
            for (int x = 0; x < width; ++x)
                if (in[x] > out[x]) out[x] = in[x];
        }
    }
}


// The offscreen targets of the wider image: part numbers in colour, depth, and
// the depth image the margin pass draws back.
bool MakeTargets(Drawing& gl, int width, int height, std::string& why) {
    glGenTextures(1, &gl.color);
    glBindTexture(GL_TEXTURE_2D, gl.color);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &gl.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, gl.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32F, width, height);
    glGenFramebuffers(1, &gl.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, gl.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, gl.color, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, gl.depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        why = "the offscreen framebuffer cannot be made";
        return false;
    }
    glGenTextures(1, &gl.depthImage);
    glBindTexture(GL_TEXTURE_2D, gl.depthImage);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, width, height, 0, GL_RED, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenVertexArrays(1, &gl.emptyArray);
    return true;
}

// Every part's vertices and triangles in buffers of its own, with a query each.
void UploadParts(Drawing& gl, const Scene& scene) {
    for (int32_t o = 0; o < scene.objectCount; ++o) {
        const SceneObject& object = scene.objects[o];
        for (int32_t p = 0; p < object.partCount; ++p) {
            PartBuffers part;
            part.object = o;
            part.part = p;
            part.occludes = PartOccludes(*object.partDrawStyles[p]);
            part.indexCount = object.partPolygonCounts[p] * 3;
            glGenVertexArrays(1, &part.vertexArray);
            glBindVertexArray(part.vertexArray);
            glGenBuffers(1, &part.vertices);
            glBindBuffer(GL_ARRAY_BUFFER, part.vertices);
            glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(object.partVertexCounts[p]) * sizeof(Vertex),
                         object.partVertices[p], GL_STATIC_DRAW);
            glGenBuffers(1, &part.indices);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, part.indices);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(object.partPolygonCounts[p]) * sizeof(Polygon),
                         object.partPolygons[p], GL_STATIC_DRAW);
            glEnableVertexAttribArray(0);
            glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
            gl.parts.push_back(part);
        }
    }
    gl.queries.resize(gl.parts.size());
    if (!gl.queries.empty()) glGenQueries(static_cast<GLsizei>(gl.queries.size()), gl.queries.data());
}

// The uniforms and states that hold for the whole run.
void SetFixedState(const Drawing& gl, const GeneratorOptions& options, int width, int height) {
    glUseProgram(gl.partProgram);
    // The old API's pixel centres, taken on the image without the guard band,
    // then that image scaled into the middle of the wider one.
    glUniform2f(glGetUniformLocation(gl.partProgram, "uPixelOffset"), 1.0f / options.width,
                -1.0f / options.height);
    glUniform2f(glGetUniformLocation(gl.partProgram, "uGuardScale"),
                static_cast<float>(options.width) / width, static_cast<float>(options.height) / height);
    const float span = kFarPlane - kNearPlane;
    glUniform2f(glGetUniformLocation(gl.partProgram, "uDepthMap"), 1.0f / span, -kNearPlane / span);
    glUseProgram(gl.depthProgram);
    glUniform1i(glGetUniformLocation(gl.depthProgram, "uDepth"), 0);

    glDisable(GL_DITHER);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glViewport(0, 0, width, height);
}

// The renderer's aspect for the display the file is made for: the
// whole-number quotient of its sides.
float AspectFor(const GeneratorOptions& options) {
    int32_t savedWidth = screenWidth, savedHeight = screenHeight;
    screenWidth = options.width;
    screenHeight = options.height;
    const float aspect = ProjectionAspect();
    screenWidth = savedWidth;
    screenHeight = savedHeight;
    return aspect;
}

// Each object's world, view and projection at fraction s from frame f
// towards next, as the renderer blends them.
void PlaceObjects(const Scene& scene, int32_t camera, int32_t f, int32_t next, float s,
                  const D3DMATRIX& projection, std::vector<D3DMATRIX>& worlds) {
    D3DMATRIX view = Between(s, scene.cameraMatrices[camera][f], scene.cameraMatrices[camera][next]);
    float viewProjection[16];
    platform::ddraw::MultiplyMatrices(view, projection, viewProjection);
    D3DMATRIX viewProjectionMatrix;
    std::memcpy(&viewProjectionMatrix, viewProjection, sizeof viewProjection);
    for (int32_t o = 0; o < scene.objectCount; ++o) {
        const SceneObject& object = scene.objects[o];
        D3DMATRIX world = object.animated ? Between(s, object.matrices[f], object.matrices[next]) : object.matrices[0];
        float product[16];
        platform::ddraw::MultiplyMatrices(world, viewProjectionMatrix, product);
        std::memcpy(&worlds[o], product, sizeof product);
    }
}

// One drawn position of one camera and frame: what it reads back and where.
class PositionPass {
public:
    PositionPass(const Drawing& gl, const Scene& scene, int width, int height, int margin)
        : gl_(gl), scene_(scene), width_(width), height_(height), margin_(margin),
          pixels_(static_cast<size_t>(width) * height * 4), depth_(static_cast<size_t>(width) * height) {}

    // Marks in bits, for camera c and frame f, every part seen with the
    // objects placed at worlds.
    void Run(const std::vector<D3DMATRIX>& worlds, int32_t c, int32_t f, VisibilityBits& bits) {
        worlds_ = &worlds;
        MarkOpaqueSeen(c, f, bits);
        tested_.clear();
        for (size_t i = 0; i < gl_.parts.size(); ++i) {
            const PartBuffers& part = gl_.parts[i];
            if (part.indexCount == 0 || bits.Get(c, f, part.object, part.part)) continue;
            if (part.occludes && margin_ == 0) continue;
            tested_.push_back(i);
        }
        if (tested_.empty()) return;
        if (margin_ > 0) WidenDepth();
        MarkTestedSeen(c, f, bits);
    }

private:
    void DrawPart(const PartBuffers& part, int32_t& lastObject) const {
        if (part.object != lastObject) {
            lastObject = part.object;
            if (scene_.objects[part.object].cullBackfaces) glEnable(GL_CULL_FACE);
            else glDisable(GL_CULL_FACE);
            glUniformMatrix4fv(gl_.worldViewProjection, 1, GL_FALSE, &(*worlds_)[part.object]._11);
        }
        glBindVertexArray(part.vertexArray);
        glDrawElements(GL_TRIANGLES, part.indexCount, GL_UNSIGNED_SHORT, nullptr);
    }

    // Opaque parts, each in its own colour: what is left in the image is what
    // can be seen.
    void MarkOpaqueSeen(int32_t c, int32_t f, VisibilityBits& bits) {
        glBindFramebuffer(GL_FRAMEBUFFER, gl_.framebuffer);
        glUseProgram(gl_.partProgram);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glDepthFunc(GL_LEQUAL);
        glClearColor(0, 0, 0, 0);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        int32_t lastObject = -1;
        for (size_t i = 0; i < gl_.parts.size(); ++i) {
            const PartBuffers& part = gl_.parts[i];
            if (!part.occludes || part.indexCount == 0) continue;
            const uint32_t number = static_cast<uint32_t>(i + 1);
            glUniform3f(gl_.partNumber, (number & 255) / 255.0f, ((number >> 8) & 255) / 255.0f,
                        ((number >> 16) & 255) / 255.0f);
            DrawPart(part, lastObject);
        }
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
        for (size_t at = 0; at < pixels_.size(); at += 4) {
            uint32_t number = pixels_[at] | (pixels_[at + 1] << 8) | (pixels_[at + 2] << 16);
            if (number == 0 || number > gl_.parts.size()) continue;
            const PartBuffers& part = gl_.parts[number - 1];
            bits.Set(c, f, part.object, part.part);
        }
    }

    // The opaque depth moved back to the farthest depth within the margin.
    void WidenDepth() {
        glReadPixels(0, 0, width_, height_, GL_DEPTH_COMPONENT, GL_FLOAT, depth_.data());
        FarthestAround(depth_, depthRows_, width_, height_, margin_);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, gl_.depthImage);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_RED, GL_FLOAT, depth_.data());
        glUseProgram(gl_.depthProgram);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        glDepthFunc(GL_ALWAYS);
        glDisable(GL_CULL_FACE);
        glBindVertexArray(gl_.emptyArray);
        glDrawArrays(GL_TRIANGLES, 0, 3);
    }

    // Everything else against that depth: a part any of whose samples passes
    // can be seen.
    void MarkTestedSeen(int32_t c, int32_t f, VisibilityBits& bits) {
        glUseProgram(gl_.partProgram);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        glDepthMask(GL_FALSE);
        glDepthFunc(GL_LEQUAL);
        int32_t lastObject = -1;
        for (size_t i : tested_) {
            glBeginQuery(GL_ANY_SAMPLES_PASSED, gl_.queries[i]);
            DrawPart(gl_.parts[i], lastObject);
            glEndQuery(GL_ANY_SAMPLES_PASSED);
        }
        for (size_t i : tested_) {
            GLuint passed = 0;
            glGetQueryObjectuiv(gl_.queries[i], GL_QUERY_RESULT, &passed);
            if (passed) bits.Set(c, f, gl_.parts[i].object, gl_.parts[i].part);
        }
    }

    const Drawing& gl_;
    const Scene& scene_;
    const int width_, height_, margin_;
    const std::vector<D3DMATRIX>* worlds_ = nullptr;
    std::vector<uint8_t> pixels_;
    std::vector<float> depth_, depthRows_;
    std::vector<size_t> tested_;
};

}  // namespace

bool PartOccludes(const DrawStyle& style) {
    const float one = 1.0f;
    return std::memcmp(&style.material.diffuse.a, &one, sizeof one) == 0 && style.hasAlpha != 1;
}

bool GenerateVisibility(const Scene& scene, const GeneratorOptions& options, VisibilityBits& bits,
                        const GeneratorProgress& progress, std::string& why) {
    const int margin = std::max(0, options.margin);
    const int steps = std::max(1, options.steps);
    const int width = options.width + 2 * margin;
    const int height = options.height + 2 * margin;

    int64_t partTotal = 0;
    for (int32_t o = 0; o < scene.objectCount; ++o) partTotal += scene.objects[o].partCount;
    if (partTotal >= (1 << 24) - 1) {
        why = "the scene has more parts than 24-bit part numbers can tell apart";
        return false;
    }

    platform::SdlWindowSystem windows(platform::VideoDriver::Display);
    if (!windows.OpenWindow("qxvis", 64, 64)) {
        why = "no window for OpenGL could be opened";
        return false;
    }
    std::unique_ptr<platform::GlHost> host = windows.CreateGlHost(why);
    if (!host) return false;
    host->MakeCurrent();

    Drawing gl;
    gl.partProgram = Link(kPartVertexShader, kPartFragmentShader, why);
    if (!gl.partProgram) return false;
    gl.depthProgram = Link(kDepthVertexShader, kDepthFragmentShader, why);
    if (!gl.depthProgram) return false;
    gl.worldViewProjection = glGetUniformLocation(gl.partProgram, "uWorldViewProjection");
    gl.partNumber = glGetUniformLocation(gl.partProgram, "uPartNumber");
    if (!MakeTargets(gl, width, height, why)) return false;
    UploadParts(gl, scene);
    SetFixedState(gl, options, width, height);

    const float aspect = AspectFor(options);
    std::vector<D3DMATRIX> worlds(scene.objectCount);
    PositionPass pass(gl, scene, width, height, margin);
    const int64_t total = static_cast<int64_t>(scene.cameraCount) * scene.frameCount;
    int64_t done = 0;
    for (int32_t c = 0; c < scene.cameraCount; ++c) {
        for (int32_t f = 0; f < scene.frameCount; ++f) {
            // The renderer blends frame f towards the next one, the last frame
            // towards the first, with the field of view of frame f.
            const int32_t next = f + 1 >= scene.frameCount ? 0 : f + 1;
            D3DMATRIX projection = ProjectionMatrix(scene.cameras[c].frameFov[f], aspect, kNearPlane, kFarPlane);
            for (int step = 0; step < steps; ++step) {
                const float s = steps == 1 ? 0.0f : static_cast<float>(step) / (steps - 1);
                PlaceObjects(scene, c, f, next, s, projection, worlds);
                pass.Run(worlds, c, f, bits);
            }
            ++done;
            if (progress) progress(done, total);
        }
    }
    return true;
}

}  // namespace velmora::tools
