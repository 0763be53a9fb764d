#pragma once
// Where a skinned geometry stands. Its points are stored in the bind pose, in
// whatever space the writing tool chose; the bones' own axes are what all
// characters share, the pelvis's above all (spine along +x, toes along +y).
// So a character is stood up from its pelvis bone's space, its frames left
// aside; a skeleton without a pelvis is skinned with the frames' pose.

#include <cstdint>
#include <vector>

#include "model/model.h"
#include "export/obj_placement.h"

// The skin bone (skeleton node) of id 1 whose frame is named Pelvis, blanks
// around the name and letter case aside; -1 when the skeleton has none.
int pelvis_bone(const Clump& clump);

// The frames' matrix convention as a placement: right, up, at, position.
Placement placement_of(const Matrix3x4& m);

// The turn from the pelvis's space to the world: spine (+x) to +z, +y stays,
// +z to -x.
Placement pelvis_to_upright();

// A stored point into the pelvis's space by its inverse bind matrix, then
// turned upright: the character stands along +z, the pelvis at the origin.
// pelvis must be a bone of the skin.
Placement upright_placement(const Skin& skin, int pelvis);

// Each skeleton node's frame composed up to the root: the bones as the frames
// pose them. The skeleton must be usable.
std::vector<Placement> bone_frames(const Clump& clump);

// Per skin bone: its inverse bind matrix, then its frame's composed placement;
// where the frames' pose takes a point bound to that bone alone.
std::vector<Placement> frame_pose(const Clump& clump, const Skin& skin);

// A vertex's point (or direction, without translation) moved by its weighted
// bones: the sum of weight x (point by pose of bone). poses come from
// frame_pose; the skin must be usable.
void skin_vertex(const std::vector<Placement>& poses, const Skin& skin, std::uint32_t vertex,
                 const double in[3], double out[3], bool point);
