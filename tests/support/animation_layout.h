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

std::string anpk_file(const AnimationFileRow& file);
std::string anp3_file(const AnimationFileRow& file);
