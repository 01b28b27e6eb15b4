#include "qxconvert/light_conversion.h"

#include <assimp/types.h>

#include <algorithm>
#include <cmath>

#include "qxconvert/timed_values.h"
#include "render/display.h"

namespace velmora::tools {
namespace {

// A light ends where it has faded to one step of an 8-bit colour.
constexpr float kFadedOut = 1.0f / 256.0f;

float Peak(const aiColor3D& c) { return std::max({c.r, c.g, c.b}); }

// The factor that makes the player's falloff match the source's far from the
// light, where the dominant term decides (distances scale with the scene),
// with the light's colour shared between its ambient and diffuse parts.
float FalloffMatch(const aiLight& light, AttenuationKind kind, float scale) {
    switch (kind) {
        case kQuadratic: return kLightShare * kPlayerQuadratic * scale * scale / light.mAttenuationQuadratic;
        case kLinear: return kLightShare * kPlayerLinear * scale / light.mAttenuationLinear;
        default: return kLightShare * (light.mAttenuationConstant > 0.0f ? 1.0f / light.mAttenuationConstant : 1.0f);
    }
}

// The source's distance at which its brightest channel fades out, or none
// for a light that never fades.
std::optional<float> FadeDistance(const aiLight& light, float peak) {
    float c = light.mAttenuationConstant, l = light.mAttenuationLinear, q = light.mAttenuationQuadratic;
    float target = peak / kFadedOut - c;
    if (target <= 0.0f) return 0.0f;
    if (q > 0.0f) return (-l + std::sqrt(l * l + 4.0f * q * target)) / (2.0f * q);
    if (l > 0.0f) return target / l;
    return std::nullopt;
}

std::optional<float> RangeOf(const aiNode& node) {
    if (!node.mMetaData) return std::nullopt;
    float range = 0.0f;
    double wide = 0.0;
    if (node.mMetaData->Get("PBR_LightRange", range) && range > 0.0f) return range;
    if (node.mMetaData->Get("PBR_LightRange", wide) && wide > 0.0) return static_cast<float>(wide);
    return std::nullopt;
}

D3DVECTOR Vector(const aiVector3D& v) {
    D3DVECTOR out;
    out.x = v.x, out.y = v.y, out.z = v.z;
    return out;
}

struct Frame {
    aiColor3D colour;  // what the player's light gives at unit attenuation
    aiVector3D position, direction;
};

}  // namespace

AttenuationKind ClosestAttenuation(const aiLight& light) {
    if (light.mType == aiLightSource_DIRECTIONAL) return kConstant;
    if (light.mAttenuationQuadratic > 0.0f) return kQuadratic;
    if (light.mAttenuationLinear > 0.0f) return kLinear;
    return kConstant;
}

ConvertedLights ConvertLights(const ImportedScene& scene, const NodeAnimator& animator, const FramePlan& frames,
                              const PlayerSpace& space, const SceneBounds& bounds, NameSet& names,
                              ConversionNotes& notes) {
    ConvertedLights out;
    const aiScene& graph = *scene.scene;
    float scale = space.Scale();
    for (unsigned i = 0; i < graph.mNumLights; ++i) {
        const aiLight& source = *graph.mLights[i];
        if (source.mType == aiLightSource_AMBIENT) {
            aiColor3D colour = Peak(source.mColorAmbient) > 0.0f ? source.mColorAmbient : source.mColorDiffuse;
            out.ambient = out.ambient.value_or(aiColor3D(0, 0, 0)) + colour;
            continue;
        }
        const aiNode* node = graph.mRootNode->FindNode(source.mName);
        if (!node) {
            notes.Add("light " + std::string(source.mName.C_Str()) + " is in no node and is left out");
            continue;
        }
        bool directional = source.mType == aiLightSource_DIRECTIONAL;
        if (directional) notes.Add("directional lights become point lights far out along their direction");
        if (source.mType == aiLightSource_AREA) notes.Add("area lights become point lights");
        AttenuationKind kind = ClosestAttenuation(source);
        float match = FalloffMatch(source, kind, scale);
        auto animatedColour = scene.lightColour.find(source.mName.C_Str());
        aiVector3D along = source.mDirection.Length() > 0.0f ? source.mDirection : aiVector3D(0, 0, -1);

        std::vector<Frame> light;
        float peak = 0.0f, sourcePeak = 0.0f;
        for (int32_t f = 0; f < frames.count; ++f) {
            double seconds = frames.Seconds(f);
            aiMatrix4x4 global = animator.Global(*node, seconds);
            aiColor3D colour = animatedColour == scene.lightColour.end()
                                   ? source.mColorDiffuse
                                   : ValueAt(animatedColour->second, seconds, source.mColorDiffuse);
            Frame frame;
            frame.colour = colour * match;
            frame.position = space.Point(global * source.mPosition);
            frame.direction = space.Direction(aiMatrix3x3(global) * along);
            if (directional) {
                // Far enough out that its rays are nearly parallel over the scene.
                float away = bounds.Radius() * 20.0f + bounds.FarthestFrom(bounds.Centre());
                frame.position = bounds.Centre() - frame.direction * away;
            }
            peak = std::max(peak, Peak(frame.colour));
            sourcePeak = std::max(sourcePeak, Peak(colour));
            light.push_back(frame);
        }

        WriterLight written;
        written.name = names.Take(source.mName.C_Str(), "Light", kMaxNodeName);
        written.spot = source.mType == aiLightSource_SPOT;
        written.hotspot = source.mAngleInnerCone;
        written.falloff = source.mAngleOuterCone;
        written.attenuation = kind;
        written.colourMultiplier = 1.0f;
        // The player doubles the intensity: colours are kept within 0 to 1 and
        // the intensity carries their brightest value.
        written.intensity = peak / 2.0f;
        std::optional<float> range = RangeOf(*node);
        if (!range) range = FadeDistance(source, sourcePeak);
        float reach = 0.0f;
        for (const Frame& frame : light) reach = std::max(reach, bounds.FarthestFrom(frame.position));
        written.range = range ? *range * scale : reach * 1.01f + 1.0f;
        written.range = std::clamp(written.range, 0.001f, kFarPlane);
        for (const Frame& frame : light) {
            WriterLightFrame out;
            aiColor3D unit = peak > 0.0f ? frame.colour * (1.0f / peak) : aiColor3D(0, 0, 0);
            out.red = unit.r, out.green = unit.g, out.blue = unit.b;
            out.position = Vector(frame.position);
            out.direction = Vector(frame.direction);
            written.frames.push_back(out);
        }
        written.animated = std::any_of(written.frames.begin(), written.frames.end(), [&](const WriterLightFrame& f) {
            const WriterLightFrame& a = written.frames.front();
            return f.red != a.red || f.green != a.green || f.blue != a.blue || f.position.x != a.position.x ||
                   f.position.y != a.position.y || f.position.z != a.position.z ||
                   f.direction.x != a.direction.x || f.direction.y != a.direction.y ||
                   f.direction.z != a.direction.z;
        });
        if (!written.animated) written.frames.resize(1);
        out.lights.push_back(std::move(written));
    }
    if (out.lights.size() > kMaxPlayerLights)
        notes.Add("the player lights a scene with its first " + std::to_string(kMaxPlayerLights) + " lights only");
    return out;
}

std::vector<WriterLight> DefaultLights(const SceneBounds& bounds, NameSet& names) {
    struct Placing {
        const char* name;
        aiVector3D direction;  // from the centre, in radii
        float brightness;
    };
    const Placing placings[] = {{"Key_light", aiVector3D(-1.0f, 1.5f, -1.2f), 0.9f},
                                {"Fill_light", aiVector3D(1.2f, -0.5f, 1.0f), 0.45f}};
    std::vector<WriterLight> lights;
    for (const Placing& placing : placings) {
        WriterLight light;
        light.name = names.Take(placing.name, "Light", kMaxNodeName);
        light.attenuation = kConstant;
        light.intensity = kLightShare * placing.brightness / 2.0f;
        WriterLightFrame frame;
        aiVector3D p = bounds.Centre() + placing.direction * (bounds.Radius() * 3.0f);
        frame.position = Vector(p);
        light.frames.push_back(frame);
        light.range = std::min(bounds.FarthestFrom(p) * 1.01f + 1.0f, kFarPlane);
        lights.push_back(light);
    }
    return lights;
}

}  // namespace velmora::tools
