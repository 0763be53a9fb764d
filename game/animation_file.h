#pragma once
// The game's animation files (.ifp): the older chunked layout (ANPK) and the
// later one with compressed keys (ANP3), read into plain data. Hundreds of
// animations a file; each drives bones of a character by bone id or by name.
//
// A damaged animation is skipped with its reason and the rest read as the
// layout allows: ANPK steps over it by its own size, ANP3 cannot find what
// follows and keeps what came before. Exactly the declared number of
// animations is read: real files carry junk after the last one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class AnimationLayout { unknown, anpk, anp3 };

// How an object's keys were stored: ANPK's chunk or ANP3's frame type.
enum class KeyType { r, rt, rts, compressed_r, compressed_rt };

// An object's keys as the game applies them, a key after another in flat
// arrays (a file holds a hundred thousand keys): the rotation already in the
// game's sign (ANPK's loader negates x, y and z of the stored one; ANP3's are
// as stored), compressed numbers scaled to floats; neither normalised nor
// cleaned up.
struct AnimationObject {
    std::string name;
    std::int32_t bone_id = -1;  // -1: none stored, match by name
    KeyType type = KeyType::r;
    bool translated = false;         // the keys carry translations
    std::vector<float> times;        // seconds, one a key
    std::vector<float> rotations;    // x, y, z, w a key
    std::vector<float> translations; // x, y, z a key; empty unless translated
    std::size_t key_count() const { return times.size(); }
};

struct Animation {
    std::string name;
    std::vector<AnimationObject> objects;
    float duration() const;  // the latest key time of its objects, 0 without keys
};

struct SkippedAnimation {
    std::size_t index = 0;  // 0-based place in the file
    std::string name;       // may be empty when the name itself could not be read
    std::string reason;
};

struct AnimationFile {
    AnimationLayout layout = AnimationLayout::unknown;
    std::string block_name;
    std::int64_t declared = 0;  // the animation count as stored
    std::vector<Animation> animations;
    std::vector<SkippedAnimation> skipped;  // in file order
    // Why reading ended before the declared count; empty when it did not.
    std::string stopped;
};

// Reads the bytes of an animation file of either layout, told apart by their first four bytes.
AnimationFile read_animation_file(std::string_view bytes);

// "ANPK", "ANP3" or "unknown".
const char* layout_name(AnimationLayout layout);
// "KR00", "KRT0", "KRTS", "type 3", "type 4".
const char* key_type_name(KeyType type);
