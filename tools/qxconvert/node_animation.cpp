#include "qxconvert/node_animation.h"

#include <algorithm>
#include <cmath>

namespace velmora::tools {
namespace {

// The key before the time and the blend towards the next.
template <typename Key>
void Bracket(const Key* keys, unsigned count, double ticks, unsigned& at, double& blend) {
    if (count == 1 || ticks <= keys[0].mTime) {
        at = 0, blend = 0.0;
        return;
    }
    if (ticks >= keys[count - 1].mTime) {
        at = count - 1, blend = 0.0;
        return;
    }
    const Key* next = std::upper_bound(keys, keys + count, ticks,
                                       [](double t, const Key& key) { return t < key.mTime; });
    at = static_cast<unsigned>(next - keys) - 1;
    double span = keys[at + 1].mTime - keys[at].mTime;
    blend = span > 0.0 ? (ticks - keys[at].mTime) / span : 0.0;
}

aiVector3D SampleVector(const aiVectorKey* keys, unsigned count, double ticks) {
    unsigned at;
    double blend;
    Bracket(keys, count, ticks, at, blend);
    if (blend == 0.0) return keys[at].mValue;
    const aiVector3D& a = keys[at].mValue;
    const aiVector3D& b = keys[at + 1].mValue;
    return a + (b - a) * static_cast<float>(blend);
}

aiQuaternion SampleRotation(const aiQuatKey* keys, unsigned count, double ticks) {
    unsigned at;
    double blend;
    Bracket(keys, count, ticks, at, blend);
    if (blend == 0.0) return keys[at].mValue;
    aiQuaternion out;
    aiQuaternion::Interpolate(out, keys[at].mValue, keys[at + 1].mValue, static_cast<float>(blend));
    return out.Normalize();
}

double LastKey(const aiNodeAnim& channel) {
    double last = 0.0;
    if (channel.mNumPositionKeys) last = std::max(last, channel.mPositionKeys[channel.mNumPositionKeys - 1].mTime);
    if (channel.mNumRotationKeys) last = std::max(last, channel.mRotationKeys[channel.mNumRotationKeys - 1].mTime);
    if (channel.mNumScalingKeys) last = std::max(last, channel.mScalingKeys[channel.mNumScalingKeys - 1].mTime);
    return last;
}

// Times of one channel must rise for the bracketing search; readers give them
// so, and a channel that does not is left out rather than misread.
template <typename Key>
bool Rising(const Key* keys, unsigned count) {
    for (unsigned i = 0; i < count; ++i)
        if (!std::isfinite(keys[i].mTime) || (i > 0 && keys[i].mTime < keys[i - 1].mTime)) return false;
    return true;
}

}  // namespace

NodeAnimator::NodeAnimator(const aiScene& scene, double defaultRate) {
    for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
        const aiAnimation* animation = scene.mAnimations[a];
        double rate = animation->mTicksPerSecond > 0.0 ? animation->mTicksPerSecond : defaultRate;
        for (unsigned c = 0; c < animation->mNumChannels; ++c) {
            const aiNodeAnim* channel = animation->mChannels[c];
            const aiNode* node = scene.mRootNode->FindNode(channel->mNodeName);
            if (!node || !Rising(channel->mPositionKeys, channel->mNumPositionKeys) ||
                !Rising(channel->mRotationKeys, channel->mNumRotationKeys) ||
                !Rising(channel->mScalingKeys, channel->mNumScalingKeys))
                continue;
            if (!tracks_.emplace(node, Track{channel, rate}).second) {
                ++sharedNodes_;
                continue;
            }
            endSeconds_ = std::max(endSeconds_, LastKey(*channel) / rate);
        }
    }
}

aiMatrix4x4 NodeAnimator::Local(const aiNode& node, double seconds) const {
    auto found = tracks_.find(&node);
    if (found == tracks_.end()) return node.mTransformation;
    const aiNodeAnim& channel = *found->second.channel;
    double ticks = seconds * found->second.ticksPerSecond;
    aiVector3D scale, position;
    aiQuaternion rotation;
    node.mTransformation.Decompose(scale, rotation, position);
    if (channel.mNumPositionKeys) position = SampleVector(channel.mPositionKeys, channel.mNumPositionKeys, ticks);
    if (channel.mNumRotationKeys) rotation = SampleRotation(channel.mRotationKeys, channel.mNumRotationKeys, ticks);
    if (channel.mNumScalingKeys) scale = SampleVector(channel.mScalingKeys, channel.mNumScalingKeys, ticks);
    return aiMatrix4x4(scale, rotation, position);
}

aiMatrix4x4 NodeAnimator::Global(const aiNode& node, double seconds) const {
    aiMatrix4x4 global = Local(node, seconds);
    for (const aiNode* parent = node.mParent; parent; parent = parent->mParent)
        global = Local(*parent, seconds) * global;
    return global;
}

}  // namespace velmora::tools
