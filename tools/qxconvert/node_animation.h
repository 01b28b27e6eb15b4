// The nodes' transforms at any time: their animation channels sampled,
// positions and scales linearly, rotations along the shortest arc.
#pragma once

#include <assimp/scene.h>

#include <unordered_map>

namespace velmora::tools {

class NodeAnimator {
public:
    // The channels of every animation of the scene, each node moved by the
    // first that names it. ticks per second of 0 (files that keep frames as
    // ticks) count as defaultRate.
    NodeAnimator(const aiScene& scene, double defaultRate);

    // The node's transform relative to its parent, and to the scene's root's
    // parent (the whole chain), at the time in seconds. Before a channel's
    // first key the first holds, after its last the last.
    aiMatrix4x4 Local(const aiNode& node, double seconds) const;
    aiMatrix4x4 Global(const aiNode& node, double seconds) const;
    // The last key's time over all channels, in seconds.
    double EndSeconds() const { return endSeconds_; }
    // Nodes that more than one animation moves (only the first is used).
    int SharedNodes() const { return sharedNodes_; }

private:
    struct Track {
        const aiNodeAnim* channel;
        double ticksPerSecond;
    };
    std::unordered_map<const aiNode*, Track> tracks_;
    double endSeconds_ = 0.0;
    int sharedNodes_ = 0;
};

}  // namespace velmora::tools
