#pragma once
// Animation files (.ifp) laid out from tables in either layout, with every key
// type: the older chunked one (ANPK) and the later one (ANP3, with compressed
// keys). Keys are given as stored (ANPK's rotation as the file holds it, before
// the game's loader negates it); fields a test damages are stated explicitly.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/animation_file.h"

struct KeyRow {
    float rotation[4] = {0, 0, 0, 1};  // x, y, z, w as stored
    float translation[3] = {0, 0, 0};
    float time = 0;
};

struct ObjectRow {
    std::string name;
    std::int32_t bone_id = -1;
    // ANPK: r, rt or rts (the key chunk); ANP3: r, rt (types 1, 2) or the compressed ones (3, 4).
    KeyType type = KeyType::r;
    std::vector<KeyRow> keys;
    bool name_only = false;                    // ANPK: the 48-byte header without a bone id
    std::string raw_keys;                      // when not empty: the keys' bytes as they are
    std::optional<std::int32_t> key_count;     // damage: another stored count
    std::optional<std::string> key_ident;      // damage (ANPK): another key chunk ident
    std::optional<std::uint32_t> frame_type;   // damage (ANP3): another frame type
};

struct AnimationRow {
    std::string name;
    std::vector<ObjectRow> objects;
    std::optional<std::int32_t> object_count;  // damage: another stored count
    std::optional<std::uint32_t> chunks_size;  // damage (ANPK): another DGAN size
};

struct AnimationFileRow {
    std::string block_name = "test";
    std::vector<AnimationRow> animations;
    std::optional<std::int32_t> count;         // damage: another stored count
    std::string junk;                          // bytes after the last animation, as real files have
};

// Rows with only the usual fields given, the damage left out.
ObjectRow object_row(std::string name, std::int32_t bone_id, KeyType type, std::vector<KeyRow> keys);
AnimationRow animation_row(std::string name, std::vector<ObjectRow> objects);
AnimationFileRow file_row(std::string block_name, std::vector<AnimationRow> animations);

// A small file for a character of the usual bone ids, its rotations given as
// the game applies them (stored negated for ANPK):
//   "walk": the root (id 0) turned to stand (a quarter turn about +z) moving
//     forward along +y, 0.5 a second for 1 s; the pelvis (id 1) at its standing
//     turn; each leg bone named swinging about its z, the two out of step.
//   "turn": bone turn_id turning about its x by 0, 90 and 180 degrees at 0,
//     0.5 and 1 s, its times starting at -0.25 with the middle key twice and
//     the last one stored with the other sign.
//   "stray": a bone no character has (id 99, "Tail").
// compressed: ANP3's types 3 and 4 instead of 1 and 2.
struct WalkBones {
    std::vector<std::int32_t> legs;  // swung, alternately forward and back
    std::int32_t turn_id = 42;
    float root_height = 0;  // the root's height above its origin (the game's z)
};
AnimationFileRow walk_rows(const WalkBones& bones, bool anpk, bool compressed = false);

// Many animations for one character, count of them, each a walk of
// keys keys on every bone of ids: as a real file of several hundred.
AnimationFileRow many_rows(const std::vector<std::int32_t>& ids, std::size_t count, std::size_t keys, bool anpk);

std::string anpk_file(const AnimationFileRow& file);
std::string anp3_file(const AnimationFileRow& file);
