#include "platform/gl/fixed_function_program.h"

#include <cmath>

namespace velmora::platform::gl {

namespace {

// Matrices arrive in row-vector order and are uploaded untransposed, so that
// M * v in GLSL equals v * M of the old API.
const char* const kVertexShader = R"(#version 330 core
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
uniform int uLightCount;
uniform int uLightKind[8];
uniform vec3 uLightDiffuse[8];
uniform vec3 uLightAmbient[8];
uniform vec3 uLightPosition[8];
uniform vec3 uLightDirection[8];
uniform float uLightRange[8];
uniform vec3 uLightAttenuation[8];
uniform vec3 uLightCone[8];  // cos(theta / 2), cos(phi / 2), falloff

out vec4 vColor;
flat out vec4 vFlatColor;
out vec2 vTexCoord;

void main() {
    vec4 eye = uWorldView * vec4(inPosition, 1.0);
    vec4 clip = uProjection * eye;
    clip.xy += uPixelOffset * clip.w;
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;

    vec4 diffuse = (uVertexDiffuse && uHasVertexDiffuse) ? inDiffuse : uMaterialDiffuse;
    vec4 color;
    if (uLighting) {
        vec3 n = uNormalMatrix * inNormal;
        float nLength = length(n);
        n = nLength > 0.0 ? n / nLength : vec3(0.0);
        vec3 sum = uMaterialEmissive.rgb + uMaterialAmbient.rgb * uAmbient;
        for (int i = 0; i < uLightCount; ++i) {
            vec3 toLight;
            float scale = 1.0;
            if (uLightKind[i] == 3) {
                toLight = -uLightDirection[i];
            } else {
                vec3 offset = uLightPosition[i] - eye.xyz;
                float d = length(offset);
                if (d > uLightRange[i]) continue;
                toLight = d > 0.0 ? offset / d : vec3(0.0);
                float denominator = uLightAttenuation[i].x + uLightAttenuation[i].y * d +
                                    uLightAttenuation[i].z * d * d;
                scale = denominator > 0.0 ? 1.0 / denominator : 1.0;
                if (uLightKind[i] == 2) {
                    float rho = dot(uLightDirection[i], -toLight);
                    float cosTheta = uLightCone[i].x;
                    float cosPhi = uLightCone[i].y;
                    if (rho <= cosPhi) continue;
                    if (rho <= cosTheta) {
                        float t = (rho - cosPhi) / max(cosTheta - cosPhi, 1e-20);
                        scale *= pow(t, uLightCone[i].z);
                    }
                }
            }
            sum += scale * (uMaterialAmbient.rgb * uLightAmbient[i] +
                            diffuse.rgb * uLightDiffuse[i] * max(dot(n, toLight), 0.0));
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

const char* const kFragmentShader = R"(#version 330 core
in vec4 vColor;
flat in vec4 vFlatColor;
in vec2 vTexCoord;

uniform bool uFlat;
uniform sampler2D uTexture;
uniform ivec2 uStageOps;   // colour, alpha
uniform ivec4 uStageArgs;  // colour 1, colour 2, alpha 1, alpha 2
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
    vec4 texel = texture(uTexture, vTexCoord);
    vec4 color = diffuse;
    if (uStageOps.x != 1) {
        vec3 rgb = Combine(uStageOps.x, Argument(uStageArgs.x, texel, diffuse),
                           Argument(uStageArgs.y, texel, diffuse)).rgb;
        float alpha = uStageOps.y == 1
            ? diffuse.a
            : Combine(uStageOps.y, Argument(uStageArgs.z, texel, diffuse),
                      Argument(uStageArgs.w, texel, diffuse)).a;
        color = vec4(rgb, alpha);
    }
    outColor = clamp(color, 0.0, 1.0);
    float depth = gl_FragCoord.z;
    if (uWBuffer) {
        float w = 1.0 / gl_FragCoord.w;
        depth = mix(uDepthRange.x, uDepthRange.y, clamp(w * uDepthMap.x + uDepthMap.y, 0.0, 1.0));
    }
    gl_FragDepth = depth;
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

void Color3(float out[3], const float in[3]) {
    for (int i = 0; i < 3; ++i) out[i] = in[i];
}

}  // namespace

bool BuildFixedFunctionProgram(FixedFunctionProgram& p, std::string& error) {
    GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader, error);
    if (!vertex) return false;
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader, error);
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
    p.lightKind = at("uLightKind");
    p.lightDiffuse = at("uLightDiffuse");
    p.lightAmbient = at("uLightAmbient");
    p.lightPosition = at("uLightPosition");
    p.lightDirection = at("uLightDirection");
    p.lightRange = at("uLightRange");
    p.lightAttenuation = at("uLightAttenuation");
    p.lightCone = at("uLightCone");
    p.flat = at("uFlat");
    p.sampler = at("uTexture");
    p.stageOps = at("uStageOps");
    p.stageArgs = at("uStageArgs");
    p.textureFactor = at("uTextureFactor");
    p.wBuffer = at("uWBuffer");
    p.depthMap = at("uDepthMap");
    p.depthRange = at("uDepthRange");
    glUseProgram(p.program);
    glUniform1i(p.sampler, 0);
    return true;
}

void UploadTransform(const FixedFunctionProgram& p, const TransformState& t) {
    glUniformMatrix4fv(p.worldView, 1, GL_FALSE, t.worldView);
    glUniformMatrix4fv(p.projection, 1, GL_FALSE, t.projection);
    glUniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, t.normalMatrix);
}

void UploadLighting(const FixedFunctionProgram& p, const LightingState& l) {
    glUniform1i(p.lighting, l.enabled);
    glUniform1i(p.vertexDiffuse, l.colorFromVertex);
    glUniform4fv(p.materialDiffuse, 1, l.materialDiffuse);
    glUniform4fv(p.materialAmbient, 1, l.materialAmbient);
    glUniform4fv(p.materialEmissive, 1, l.materialEmissive);
    glUniform3fv(p.ambient, 1, l.ambient);
    int count = l.lightCount < 0 ? 0 : (l.lightCount > kMaxActiveLights ? kMaxActiveLights : l.lightCount);
    glUniform1i(p.lightCount, count);
    if (count == 0) return;
    GLint kind[kMaxActiveLights];
    float diffuse[kMaxActiveLights][3], ambient[kMaxActiveLights][3];
    float position[kMaxActiveLights][3], direction[kMaxActiveLights][3];
    float range[kMaxActiveLights], attenuation[kMaxActiveLights][3], cone[kMaxActiveLights][3];
    for (int i = 0; i < count; ++i) {
        const LightState& light = l.lights[i];
        kind[i] = static_cast<GLint>(light.kind);
        Color3(diffuse[i], light.diffuse);
        Color3(ambient[i], light.ambient);
        Color3(position[i], light.position);
        Color3(direction[i], light.direction);
        range[i] = light.range;
        Color3(attenuation[i], light.attenuation);
        cone[i][0] = light.cosHalfTheta;
        cone[i][1] = light.cosHalfPhi;
        cone[i][2] = light.falloff;
    }
    glUniform1iv(p.lightKind, count, kind);
    glUniform3fv(p.lightDiffuse, count, &diffuse[0][0]);
    glUniform3fv(p.lightAmbient, count, &ambient[0][0]);
    glUniform3fv(p.lightPosition, count, &position[0][0]);
    glUniform3fv(p.lightDirection, count, &direction[0][0]);
    glUniform1fv(p.lightRange, count, range);
    glUniform3fv(p.lightAttenuation, count, &attenuation[0][0]);
    glUniform3fv(p.lightCone, count, &cone[0][0]);
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

void UploadDepth(const FixedFunctionProgram& p, const RasterState& r, const Viewport& v) {
    float span = r.wFar - r.wNear;
    bool usable = r.wBuffer && std::isfinite(span) && span > 0.0f;
    glUniform1i(p.wBuffer, usable ? 1 : 0);
    if (usable) glUniform2f(p.depthMap, 1.0f / span, -r.wNear / span);
    glUniform2f(p.depthRange, v.minZ, v.maxZ);
}

}  // namespace velmora::platform::gl
