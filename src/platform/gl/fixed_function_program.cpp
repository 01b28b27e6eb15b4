#include "platform/gl/fixed_function_program.h"

#include <cmath>
#include <string>

namespace velmora::platform::gl {

namespace {

// Matrices arrive in row-vector order and are uploaded untransposed, so that
// M * v in GLSL equals v * M of the old API.
const char* const kVertexShader = R"(
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec4 inDiffuse;
layout(location = 3) in vec2 inTexCoord;

uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform vec2 uPixelOffset;
uniform bool uLighting;
uniform bool uVertexDiffuse;
uniform bool uHasVertexDiffuse;
uniform vec4 uMaterialDiffuse;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialEmissive;
uniform vec3 uAmbient;
uniform vec2 uReversedW;  // 1 under the w-buffer, and the near plane
uniform int uLightCount;
// Five vec4 a light keeps MAX_LIGHTS of them within the smallest uniform
// space OpenGL 3.3 promises a vertex shader.
uniform vec4 uLightPosition[MAX_LIGHTS];     // position, range
uniform vec4 uLightDirection[MAX_LIGHTS];    // unit direction, kind (1 point, 2 spot, 3 directional)
uniform vec4 uLightDiffuse[MAX_LIGHTS];      // colour, cos(theta / 2)
uniform vec4 uLightAmbient[MAX_LIGHTS];      // colour, cos(phi / 2)
uniform vec4 uLightAttenuation[MAX_LIGHTS];  // constant, linear, quadratic, falloff

out vec4 vColor;
flat out vec4 vFlatColor;
out vec2 vTexCoord;

void main() {
    vec4 eye = uWorldView * vec4(inPosition, 1.0);
    vec4 clip = uProjection * eye;
    clip.xy += uPixelOffset * clip.w;
#ifdef REVERSED_DEPTH
    // Clip z runs from 0 to w as in the old API. Under the w-buffer the
    // depth is near / w, exact in float at every distance, and the far plane
    // that z gave is a clip plane.
    gl_ClipDistance[0] = clip.w - clip.z;
    if (uReversedW.x > 0.5) clip.z = uReversedW.y;
#else
    clip.z = 2.0 * clip.z - clip.w;
#endif
    gl_Position = clip;

    vec4 diffuse = (uVertexDiffuse && uHasVertexDiffuse) ? inDiffuse : uMaterialDiffuse;
    vec4 color;
    if (uLighting) {
        vec3 n = uNormalMatrix * inNormal;
        float nLength = length(n);
        n = nLength > 0.0 ? n / nLength : vec3(0.0);
        vec3 sum = uMaterialEmissive.rgb + uMaterialAmbient.rgb * uAmbient;
        for (int i = 0; i < uLightCount; ++i) {
            vec3 direction = uLightDirection[i].xyz;
            int kind = int(uLightDirection[i].w + 0.5);
            vec3 toLight;
            float scale = 1.0;
            if (kind == 3) {
                toLight = -direction;
            } else {
                vec3 offset = uLightPosition[i].xyz - eye.xyz;
                float d = length(offset);
                if (d > uLightPosition[i].w) continue;
                toLight = d > 0.0 ? offset / d : vec3(0.0);
                vec4 attenuation = uLightAttenuation[i];
                float denominator = attenuation.x + attenuation.y * d + attenuation.z * d * d;
                scale = denominator > 0.0 ? 1.0 / denominator : 1.0;
                if (kind == 2) {
                    float rho = dot(direction, -toLight);
                    float cosTheta = uLightDiffuse[i].w;
                    float cosPhi = uLightAmbient[i].w;
                    if (rho <= cosPhi) continue;
                    if (rho <= cosTheta) {
                        float t = (rho - cosPhi) / max(cosTheta - cosPhi, 1e-20);
                        scale *= pow(t, attenuation.w);
                    }
                }
            }
            sum += scale * (uMaterialAmbient.rgb * uLightAmbient[i].rgb +
                            diffuse.rgb * uLightDiffuse[i].rgb * max(dot(n, toLight), 0.0));
        }
        color = vec4(sum, diffuse.a);
    } else {
        color = uHasVertexDiffuse ? inDiffuse : vec4(1.0);
    }
    color = clamp(color, 0.0, 1.0);
    vColor = color;
    vFlatColor = color;
    vTexCoord = inTexCoord;
}
)";

// Compiled either with the texture stage's operations and arguments as
// uniforms, or with them fixed (FIXED_STAGE), which lets the compiler drop
// every branch the stage does not take: a software rasteriser then shades
// each pixel with far fewer instructions.
const char* const kFragmentShader = R"(
in vec4 vColor;
flat in vec4 vFlatColor;
in vec2 vTexCoord;

uniform bool uFlat;
uniform sampler2D uTexture;
#ifdef FIXED_STAGE
const ivec2 kStageOps = ivec2(COLOR_OP, ALPHA_OP);
const ivec4 kStageArgs = ivec4(COLOR_ARG1, COLOR_ARG2, ALPHA_ARG1, ALPHA_ARG2);
#else
uniform ivec2 uStageOps;   // colour, alpha
uniform ivec4 uStageArgs;  // colour 1, colour 2, alpha 1, alpha 2
#define kStageOps uStageOps
#define kStageArgs uStageArgs
#endif
uniform vec4 uTextureFactor;
uniform bool uWBuffer;
uniform vec2 uDepthMap;    // depth = w * x + y
uniform vec2 uDepthRange;  // viewport min and max z

out vec4 outColor;

vec4 Argument(int argument, vec4 texel, vec4 diffuse) {
    vec4 value;
    int source = argument & 15;
    if (source == 2) value = texel;
    else if (source == 3) value = uTextureFactor;
    else value = diffuse;
    if ((argument & 0x20) != 0) value = value.aaaa;
    if ((argument & 0x10) != 0) value = vec4(1.0) - value;
    return value;
}

vec4 Combine(int op, vec4 a, vec4 b) {
    if (op == 2) return a;
    if (op == 3) return b;
    if (op == 4) return a * b;
    if (op == 5) return 2.0 * a * b;
    if (op == 6) return 4.0 * a * b;
    if (op == 7) return a + b;
    if (op == 8) return a + b - 0.5;
    if (op == 10) return a - b;
    return b;
}

void main() {
    vec4 diffuse = uFlat ? vFlatColor : vColor;
#ifdef NO_TEXTURE
    vec4 texel = vec4(1.0);
#else
    vec4 texel = texture(uTexture, vTexCoord);
#endif
    vec4 color = diffuse;
    if (kStageOps.x != 1) {
        vec3 rgb = Combine(kStageOps.x, Argument(kStageArgs.x, texel, diffuse),
                           Argument(kStageArgs.y, texel, diffuse)).rgb;
        float alpha = kStageOps.y == 1
            ? diffuse.a
            : Combine(kStageOps.y, Argument(kStageArgs.z, texel, diffuse),
                      Argument(kStageArgs.w, texel, diffuse)).a;
        color = vec4(rgb, alpha);
    }
    outColor = clamp(color, 0.0, 1.0);
#ifdef WRITE_DEPTH
    float depth = gl_FragCoord.z;
    if (uWBuffer) {
        float w = 1.0 / gl_FragCoord.w;
        depth = mix(uDepthRange.x, uDepthRange.y, clamp(w * uDepthMap.x + uDepthMap.y, 0.0, 1.0));
    }
    gl_FragDepth = depth;
#endif
}
)";

GLuint Compile(GLenum type, const char* source, std::string& error) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    error = log;
    glDeleteShader(shader);
    return 0;
}

void Pack(float out[4], const float xyz[3], float w) {
    for (int i = 0; i < 3; ++i) out[i] = xyz[i];
    out[3] = w;
}

}  // namespace

bool BuildFixedFunctionProgram(FixedFunctionProgram& p, std::string& error,
                               const TextureStageState* fixedStage, DepthOutput depth, bool samplesTexture) {
    // The light arrays are as long as the back end's light limit says.
    std::string vertexSource = "#version 330 core\n#define MAX_LIGHTS " + std::to_string(kMaxActiveLights) + "\n";
    if (depth == DepthOutput::Reversed) vertexSource += "#define REVERSED_DEPTH 1\n";
    vertexSource += kVertexShader;
    GLuint vertex = Compile(GL_VERTEX_SHADER, vertexSource.c_str(), error);
    if (!vertex) return false;
    std::string fragmentSource = "#version 330 core\n";
    if (depth == DepthOutput::Written) fragmentSource += "#define WRITE_DEPTH 1\n";
    if (!samplesTexture) fragmentSource += "#define NO_TEXTURE 1\n";
    if (fixedStage) {
        const TextureStageState& s = *fixedStage;
        fragmentSource += "#define FIXED_STAGE 1\n#define COLOR_OP " + std::to_string(s.colorOp) +
                          "\n#define COLOR_ARG1 " + std::to_string(s.colorArg1) + "\n#define COLOR_ARG2 " +
                          std::to_string(s.colorArg2) + "\n#define ALPHA_OP " + std::to_string(s.alphaOp) +
                          "\n#define ALPHA_ARG1 " + std::to_string(s.alphaArg1) + "\n#define ALPHA_ARG2 " +
                          std::to_string(s.alphaArg2) + "\n";
    }
    fragmentSource += kFragmentShader;
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource.c_str(), error);
    if (!fragment) {
        glDeleteShader(vertex);
        return false;
    }
    p.program = glCreateProgram();
    glAttachShader(p.program, vertex);
    glAttachShader(p.program, fragment);
    glLinkProgram(p.program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(p.program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(p.program, sizeof log, nullptr, log);
        error = log;
        glDeleteProgram(p.program);
        p.program = 0;
        return false;
    }
    auto at = [&](const char* name) { return glGetUniformLocation(p.program, name); };
    p.worldView = at("uWorldView");
    p.projection = at("uProjection");
    p.normalMatrix = at("uNormalMatrix");
    p.pixelOffset = at("uPixelOffset");
    p.lighting = at("uLighting");
    p.vertexDiffuse = at("uVertexDiffuse");
    p.hasVertexDiffuse = at("uHasVertexDiffuse");
    p.materialDiffuse = at("uMaterialDiffuse");
    p.materialAmbient = at("uMaterialAmbient");
    p.materialEmissive = at("uMaterialEmissive");
    p.ambient = at("uAmbient");
    p.lightCount = at("uLightCount");
    p.lightPosition = at("uLightPosition");
    p.lightDirection = at("uLightDirection");
    p.lightDiffuse = at("uLightDiffuse");
    p.lightAmbient = at("uLightAmbient");
    p.lightAttenuation = at("uLightAttenuation");
    p.flat = at("uFlat");
    p.sampler = at("uTexture");
    p.stageOps = at("uStageOps");
    p.stageArgs = at("uStageArgs");
    p.textureFactor = at("uTextureFactor");
    p.wBuffer = at("uWBuffer");
    p.depthMap = at("uDepthMap");
    p.depthRange = at("uDepthRange");
    p.reversedW = at("uReversedW");
    p.depth = depth;
    glUseProgram(p.program);
    glUniform1i(p.sampler, 0);
    return true;
}

void UploadTransform(const FixedFunctionProgram& p, const TransformState& t) {
    glUniformMatrix4fv(p.worldView, 1, GL_FALSE, t.worldView);
    glUniformMatrix4fv(p.projection, 1, GL_FALSE, t.projection);
    glUniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, t.normalMatrix);
}

void UploadMaterial(const FixedFunctionProgram& p, const MaterialState& m) {
    glUniform1i(p.lighting, m.enabled);
    glUniform1i(p.vertexDiffuse, m.colorFromVertex);
    glUniform4fv(p.materialDiffuse, 1, m.materialDiffuse);
    glUniform4fv(p.materialAmbient, 1, m.materialAmbient);
    glUniform4fv(p.materialEmissive, 1, m.materialEmissive);
    glUniform3fv(p.ambient, 1, m.ambient);
}

void UploadLights(const FixedFunctionProgram& p, const LightingState& l) {
    int count = l.lightCount < 0 ? 0 : (l.lightCount > kMaxActiveLights ? kMaxActiveLights : l.lightCount);
    glUniform1i(p.lightCount, count);
    if (count == 0) return;
    float position[kMaxActiveLights][4], direction[kMaxActiveLights][4];
    float diffuse[kMaxActiveLights][4], ambient[kMaxActiveLights][4], attenuation[kMaxActiveLights][4];
    for (int i = 0; i < count; ++i) {
        const LightState& light = l.lights[i];
        Pack(position[i], light.position, light.range);
        Pack(direction[i], light.direction, static_cast<float>(light.kind));
        Pack(diffuse[i], light.diffuse, light.cosHalfTheta);
        Pack(ambient[i], light.ambient, light.cosHalfPhi);
        Pack(attenuation[i], light.attenuation, light.falloff);
    }
    glUniform4fv(p.lightPosition, count, &position[0][0]);
    glUniform4fv(p.lightDirection, count, &direction[0][0]);
    glUniform4fv(p.lightDiffuse, count, &diffuse[0][0]);
    glUniform4fv(p.lightAmbient, count, &ambient[0][0]);
    glUniform4fv(p.lightAttenuation, count, &attenuation[0][0]);
}

void UploadLighting(const FixedFunctionProgram& p, const LightingState& l) {
    UploadMaterial(p, l.material());
    UploadLights(p, l);
}

void UploadStage(const FixedFunctionProgram& p, const TextureStageState& s) {
    glUniform2i(p.stageOps, s.colorOp, s.alphaOp);
    glUniform4i(p.stageArgs, s.colorArg1, s.colorArg2, s.alphaArg1, s.alphaArg2);
    uint32_t f = s.textureFactor;
    glUniform4f(p.textureFactor, ((f >> 16) & 255) / 255.0f, ((f >> 8) & 255) / 255.0f,
                (f & 255) / 255.0f, (f >> 24) / 255.0f);
}

void UploadViewport(const FixedFunctionProgram& p, const Viewport& v) {
    // The old API puts pixel centres on whole coordinates, OpenGL half a pixel in.
    float w = v.width > 0 ? static_cast<float>(v.width) : 1.0f;
    float h = v.height > 0 ? static_cast<float>(v.height) : 1.0f;
    glUniform2f(p.pixelOffset, 1.0f / w, -1.0f / h);
}

bool UsableWBuffer(const RasterState& r, DepthOutput depth) {
    if (!r.wBuffer || depth == DepthOutput::Projected) return false;
    float span = r.wFar - r.wNear;
    if (!std::isfinite(span) || !(span > 0.0f)) return false;
    return depth == DepthOutput::Written || (r.wNear > 0.0f && std::isfinite(r.wNear));
}

void UploadDepth(const FixedFunctionProgram& p, const RasterState& r, const Viewport& v) {
    bool usable = UsableWBuffer(r, p.depth);
    switch (p.depth) {
        case DepthOutput::Written: {
            float span = r.wFar - r.wNear;
            glUniform1i(p.wBuffer, usable ? 1 : 0);
            if (usable) glUniform2f(p.depthMap, 1.0f / span, -r.wNear / span);
            glUniform2f(p.depthRange, v.minZ, v.maxZ);
            break;
        }
        case DepthOutput::Reversed: glUniform2f(p.reversedW, usable ? 1.0f : 0.0f, usable ? r.wNear : 0.0f); break;
        case DepthOutput::Projected: break;
    }
}

}  // namespace velmora::platform::gl
