#pragma once
// Animation files named on the command line (--animations), read once for a
// run: a file, or an entry of an archive named as ARCHIVE.img/ENTRY.ifp. Each
// skinned model written as glTF gets the animations that drive its bones.

#include <string>
#include <vector>

#include "control/game_catalog.h"
#include "export/gltf_writer.h"
#include "game/animation_file.h"

struct NamedAnimations {
    std::string name;  // as named, for messages
    AnimationFile file;
};

// Reads the animation file named: a file, or an archive's entry. Empty on
// success, else the reason (not found, not an animation file). A file read
// in part (damaged animations) is a success: what was read is kept.
std::string load_animation_file(const std::string& named, NamedAnimations& out);

// Whether a path names an animation file (.ifp, any case).
bool is_animation_path(const std::string& path);

// The files --animations names, in order: a file, an archive entry the
// catalog holds by name (or named ARCHIVE.img/ENTRY.ifp), or "all": every
// animation file of the catalog (the game's, with --game). One line each for
// those that cannot be read, in messages; false when there were any.
bool load_animations(const std::vector<std::string>& named, const GameCatalog& catalog,
                     std::vector<NamedAnimations>& out, std::vector<std::string>& messages);

// Adds the animations of files to the plan's document, only those named in
// only unless it is empty. The model's part of its line: "241 animations from
// ped.ifp, 53 without any of its bones"; "no skeleton for animations" for a
// model without one; empty without files.
std::string add_animations(GltfModel& plan, const std::vector<NamedAnimations>& files,
                           const std::vector<std::string>& only);

// --inspect of an animation file: a line for the file, one per animation
// (name, objects, keys, duration, bone ids), one per skipped animation and
// why reading stopped, if it did. Its animations are all whole when true.
bool inspect_animation_file(const NamedAnimations& file, std::string& text);
