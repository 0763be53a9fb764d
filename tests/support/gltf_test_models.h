#pragma once
// Small models that hold, between them, what the glTF output carries: a
// hierarchy of three levels, two UV sets, vertex colours, several clumps, an
// unused geometry, textured and untextured materials, alpha. Shared by the
// glTF tests and the generator the validator's check runs.

#include <string>
#include <vector>

#include "support/dictionary_builder.h"
#include "support/model_layout.h"

struct GltfTestModel {
    std::string name;                    // file name without extension
    ModelLayout model;
    std::vector<TextureLayout> textures; // a dictionary of the same name beside it, when any
};

std::vector<GltfTestModel> gltf_test_models();

// A lamp post with one 2D effect of every type (and two of the wrong size), a
// lamp head on two turned arms with its light, and UV animations (both
// interpolators, with skew, a second-pass node, an unused one) on its materials.
GltfTestModel lamp_post();

// A street lamp that looks like one, on a patch of ground, its light under
// the head: for the README's picture at night. Written as street-lamp.dff.
GltfTestModel street_lamp();
