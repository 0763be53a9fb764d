#pragma once
// The game's animations as glTF animations on a character's skeleton: per
// animation one glTF animation named as in its file, per driven bone a
// rotation channel (and a translation channel where the keys carry one),
// linear, its keys as binary floats.
//
// The root bone's channel does the standing, as in the game: it replaces the
// upright correction folded into that bone's static transform, and the nodes
// above it play as identity while such an animation runs. Bones an animation
// does not drive keep their static transform; without animations the
// document is left as it was.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "export/gltf_document.h"
#include "game/animation_file.h"

// The skeleton's nodes in a planned document, in skin bone order: bone 0 is the root bone.
struct GltfSkeletonNodes {
    struct Bone {
        std::int32_t id = -1;  // the bone's node id
        std::string name;      // its frame's name, as stored
        int node = -1;         // its node in the document
    };
    std::vector<Bone> bones;
    std::vector<int> above_root;  // the nodes between the clump's top and the root bone's, nearest first
};

struct AnimationCounts {
    std::size_t added = 0;
    std::size_t without_bones = 0;  // drive none of the skeleton's bones: left out
    std::size_t not_named = 0;      // left out by the list of names
};

// Adds the file's animations that drive skeleton's bones to document; only
// those named in only (letter case aside) unless it is empty. The nodes are
// written with translation, rotation and scale, the only transforms glTF animates.
AnimationCounts add_gltf_animations(GltfDocument& document, const GltfSkeletonNodes& skeleton,
                                    const AnimationFile& file, const std::vector<std::string>& only);

// The skeleton bone an object drives: by its bone id where it stores one,
// otherwise by name (letter case and blanks at either end aside); -1 for none.
int driven_bone(const GltfSkeletonNodes& skeleton, const AnimationObject& object);
