#pragma once
// Skinned characters laid out as the tools that write real ones do: a root
// bone frame that lays the skeleton on its back, a pelvis, a spine, a head and
// a foot, and one geometry bound to them, its bind pose stored in the pelvis
// bone's space, the root bone's or the clump's, in either skin layout.

#include <array>
#include <cstddef>
#include <vector>

#include "support/model_layout.h"

enum class SkinSpace { pelvis, root_bone, clump };

struct CharacterLayout {
    SkinSpace space = SkinSpace::pelvis;
    bool older_skin = false;   // used-bone count 0, a 0xDEADDEAD marker before each matrix
    bool pelvis_named = true;  // node 1's frame is " Pelvis"; otherwise another game's bone name
};

using Point = std::array<double, 3>;

struct Character {
    ModelLayout model;
    std::vector<Point> stored;     // the positions as the file holds them
    std::vector<Point> upright;    // where the pelvis rule puts them: standing along +z, facing +y
    std::vector<Point> frame_pose; // skinned with the frames' pose (here the bind pose, in the clump's space)
    std::vector<Point> upright_normals;
    static constexpr std::size_t head = 0, foot = 3;  // vertex numbers
};

Character character_model(const CharacterLayout& layout);

// Where the parts lie in character_model's nodes: the skin plug-in, the bone
// list (on the root bone frame) and the frame list's Struct.
extern const std::vector<std::size_t> skin_path, bone_list_path, frame_struct_path;

// A skin plug-in of the newer layout (or the older, with markers): per vertex
// four bone slots and weights, per bone its inverse bind matrix (right, up,
// at, position), each row's fourth float junk as in real files.
struct SkinSlots {
    std::uint8_t bones[4];
    float weights[4];
};
chunks::Node skin_chunk(const std::vector<SkinSlots>& vertices, const std::vector<std::array<double, 12>>& inverse_binds,
                        bool older);

// The plug-ins' bodies, for tests that damage them.
chunks::Node bone_plugin(std::int32_t node_id, const std::vector<std::int32_t>& list = {});
chunks::Node night_colors_plugin(const std::vector<std::uint8_t>& rgba, std::uint32_t flag = 1);
