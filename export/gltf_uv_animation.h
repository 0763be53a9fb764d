#pragma once
// UV animations in a glTF document: a material that names one of the
// model's UV animations gets KHR_texture_transform on its base-colour
// texture, and each animation a material uses becomes a glTF animation that
// drives that transform's offset, rotation and scale through
// KHR_animation_pointer at the stored key times.
//
// The game scales (and skews), translates, then turns about the texture's
// centre; glTF scales, turns about the origin, then translates. The turn
// about the centre folds into the offset; skew has no counterpart and is
// dropped. Both put UV (0, 0) at the image's top-left: no V flip.

#include <string>
#include <vector>

#include "export/gltf_document.h"
#include "export/gltf_materials.h"
#include "model/model.h"

struct UvTransformKey {
    float time = 0;
    double offset[2] = {0, 0};
    double rotation = 0;
    double scale[2] = {1, 1};
};

// One key's six values as glTF's transform; skew is the part dropped.
UvTransformKey uv_transform_of(const UvKey& key, std::uint32_t interpolator, double& skew);

// The keys of the animation's base-texture node (the first node of UV set 0),
// times strictly increasing and the rotation unwrapped so that glTF turns
// the short way; what is left out goes to notes.
std::vector<UvTransformKey> uv_transform_keys(const UvAnimation& animation, std::vector<std::string>& notes);

// After the materials are in the document (entry i is material i): the
// transforms and the animations. Lines for what is left out go to notes.
void add_gltf_uv_animations(GltfDocument& document, const std::vector<GltfMaterialEntry>& materials,
                            const std::vector<UvAnimation>& animations, std::vector<std::string>& notes);
