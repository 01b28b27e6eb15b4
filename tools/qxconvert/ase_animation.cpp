// Node animation of ASCII scene exports: sampled tracks and the keys of TCB
// and Bezier controllers, all taken as keys to interpolate linearly.
#include <assimp/anim.h>

#include <algorithm>
#include <cmath>

#include "qxconvert/ase_parts.h"

namespace velmora::tools::ase {
namespace {

enum class Track { Position, Rotation, Scale, None };

Track TrackOf(const std::string& key) {
    if (key.rfind("CONTROL_POS_", 0) == 0) return Track::Position;
    if (key.rfind("CONTROL_ROT_", 0) == 0) return Track::Rotation;
    if (key.rfind("CONTROL_SCALE_", 0) == 0) return Track::Scale;
    return Track::None;
}

template <typename Key>
Key* Copy(const std::vector<Key>& keys) {
    Key* out = new Key[keys.size()];
    std::copy(keys.begin(), keys.end(), out);
    return out;
}

// Keys written out of order (never by the exporter) are sorted; keys of one
// time keep the last.
template <typename Key>
void Order(std::vector<Key>& keys) {
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.mTime < b.mTime; });
    std::vector<Key> unique;
    for (const Key& key : keys) {
        if (!unique.empty() && unique.back().mTime == key.mTime)
            unique.back() = key;
        else
            unique.push_back(key);
    }
    keys.swap(unique);
}

}  // namespace

bool BuildChannel(const AseBlock& animation, const std::string& nodeName, const aiMatrix4x4& local,
                  double ticksPerSecond, aiNodeAnim*& channel, double& lastSeconds, std::string& why) {
    aiVector3D restScale, restPosition;
    aiQuaternion restRotation;
    local.Decompose(restScale, restRotation, restPosition);

    std::vector<aiVectorKey> positions, scales;
    std::vector<aiQuatKey> rotations;
    for (const AseEntry& track : animation.entries) {
        Track kind = TrackOf(track.key);
        if (kind == Track::None || !track.block) continue;
        aiQuaternion turned;
        bool first = true;
        for (const AseEntry& key : track.block->entries) {
            int64_t tick;
            if (!AseInt(key, 0, -(int64_t{1} << 40), int64_t{1} << 40, tick))
                return (why = At(key, "an animation key needs its time"), false);
            double time = static_cast<double>(tick);
            if (kind == Track::Rotation) {
                aiVector3D axis;
                float angle;
                if (!AseFloat(key, 1, axis.x) || !AseFloat(key, 2, axis.y) || !AseFloat(key, 3, axis.z) ||
                    !AseFloat(key, 4, angle))
                    return (why = At(key, "a rotation key needs an axis and an angle"), false);
                // The modeller's angles turn the other way round its axes; each
                // key turns the rotation before it, about the parent's axes.
                aiQuaternion step;
                if (axis.Length() > 0.0f) step = aiQuaternion(axis.Normalize(), -angle);
                turned = first ? step : (step * turned).Normalize();
                first = false;
                rotations.push_back(aiQuatKey(time, turned));
            } else {
                aiVector3D value;
                if (!AseFloat(key, 1, value.x) || !AseFloat(key, 2, value.y) || !AseFloat(key, 3, value.z))
                    return (why = At(key, "an animation key needs three numbers"), false);
                (kind == Track::Position ? positions : scales).push_back(aiVectorKey(time, value));
            }
            lastSeconds = std::max(lastSeconds, time / ticksPerSecond);
        }
    }
    if (positions.empty() && rotations.empty() && scales.empty()) {
        channel = nullptr;
        return true;
    }
    // A part the block leaves out holds the node's own value.
    if (positions.empty()) positions.push_back(aiVectorKey(0.0, restPosition));
    if (rotations.empty()) rotations.push_back(aiQuatKey(0.0, restRotation));
    if (scales.empty()) scales.push_back(aiVectorKey(0.0, restScale));
    Order(positions);
    Order(rotations);
    Order(scales);

    channel = new aiNodeAnim();
    channel->mNodeName = nodeName;
    channel->mNumPositionKeys = static_cast<unsigned>(positions.size());
    channel->mPositionKeys = Copy(positions);
    channel->mNumRotationKeys = static_cast<unsigned>(rotations.size());
    channel->mRotationKeys = Copy(rotations);
    channel->mNumScalingKeys = static_cast<unsigned>(scales.size());
    channel->mScalingKeys = Copy(scales);
    channel->mPreState = channel->mPostState = aiAnimBehaviour_CONSTANT;
    return true;
}

}  // namespace velmora::tools::ase
