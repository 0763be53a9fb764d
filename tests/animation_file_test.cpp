// The animation file reader: the worked keys of both layouts, every key type
// written and read back, and damaged files; and the keys as a glb plays them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "export/gltf_animation.h"
#include "game/animation_file.h"
#include "support/animation_layout.h"
#include "support/gltf_reader.h"
#include "support/model_builder.h"

namespace {

std::string bytes_of_hex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        i += 2;
    }
    return out;
}

struct WorkedKey {
    const char* what;
    bool anpk;
    KeyType type;
    const char* hex;
    float rotation[4];  // as the game applies it
    float translation[3];
    float time;
};

// The keys of the notes, byte for byte; ANPK's rotations come out negated, as its loader does.
const WorkedKey worked_keys[] = {
    {"KR00", true, KeyType::r, "0000003f 0000003f 0000003f 0000003f 0000803e", {-0.5f, -0.5f, -0.5f, 0.5f}, {0, 0, 0}, 0.25f},
    {"KRT0", true, KeyType::rt, "00000000 00000000 f30435bf f304353f 00000000 00000000 0ad7a3bc 0000003f",
     {0, 0, 0.70710677f, 0.70710677f}, {0, 0, -0.02f}, 0.5f},
    {"KRTS", true, KeyType::rts,
     "00000000 00000000 f30435bf f304353f 00000000 00000000 0ad7a3bc 0000803f 0000803f 0000803f 0000003f",
     {0, 0, 0.70710677f, 0.70710677f}, {0, 0, -0.02f}, 0.5f},
    {"type 2", false, KeyType::rt, "00000000 00000000 f304353f f304353f 0000003f 00000000 0000c03f 0ad7a3bc",
     {0, 0, 0.70710677f, 0.70710677f}, {0, 1.5f, -0.02f}, 0.5f},
    {"type 3", false, KeyType::compressed_r, "00f8 00f8 00f8 0008 1e00", {-0.5f, -0.5f, -0.5f, 0.5f}, {0, 0, 0}, 0.5f},
    {"type 4", false, KeyType::compressed_rt, "0000 0000 500b 500b 0c00 0000 0006 ecff",
     {0, 0, 2896 / 4096.0f, 2896 / 4096.0f}, {0, 1.5f, -20 / 1024.0f}, 0.2f},
};

TEST(AnimationFile, WorkedKeysReadAsTheGameAppliesThem) {
    for (const WorkedKey& row : worked_keys) {
        SCOPED_TRACE(row.what);
        ObjectRow object = object_row("Pelvis", 1, row.type, {});
        object.raw_keys = bytes_of_hex(row.hex);
        const AnimationFileRow layout = file_row("block", {animation_row("idle", {object})});
        const AnimationFile file = read_animation_file(row.anpk ? anpk_file(layout) : anp3_file(layout));
        ASSERT_EQ(file.animations.size(), 1u) << file.stopped;
        const AnimationObject& o = file.animations[0].objects.at(0);
        EXPECT_EQ(o.type, row.type);
        EXPECT_EQ(o.bone_id, 1);
        ASSERT_EQ(o.key_count(), 1u);
        ASSERT_EQ(o.rotations.size(), 4u);
        ASSERT_EQ(o.translations.size(), o.translated ? 3u : 0u);
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(o.rotations[k], row.rotation[k], 1e-6) << k;
        for (std::size_t k = 0; k < o.translations.size(); ++k) EXPECT_NEAR(o.translations[k], row.translation[k], 1e-6) << k;
        EXPECT_NEAR(o.times[0], row.time, 1e-6);
    }
}

// Every key type of both layouts through the test writer and back, with names, ids and the 48-byte header.
TEST(AnimationFile, EveryKeyTypeOfBothLayoutsReadsBack) {
    const KeyRow a{{0.1f, -0.2f, 0.3f, 0.9f}, {0.5f, -1.25f, 2.0f}, 0.0f};
    const KeyRow b{{-0.25f, 0.5f, 0.125f, 0.75f}, {1.0f, 0.25f, -0.5f}, 1.5f};
    struct Row {
        bool anpk;
        KeyType type;
        bool name_only;
        double tolerance;  // compressed keys: within their steps
    } rows[] = {
        {true, KeyType::r, false, 0},           {true, KeyType::rt, false, 0},
        {true, KeyType::rts, true, 0},          {false, KeyType::r, false, 0},
        {false, KeyType::rt, false, 0},         {false, KeyType::compressed_r, false, 1 / 4096.0},
        {false, KeyType::compressed_rt, false, 1 / 1024.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.anpk ? "ANPK " : "ANP3 ") + key_type_name(row.type));
        ObjectRow object = object_row("R Thigh", 52, row.type, {a, b});
        object.name_only = row.name_only;
        AnimationFileRow layout = file_row("ped", {animation_row("walk_civi", {object_row("Root", 0, row.type, {}), object})});
        layout.junk = "junk after the declared animations";
        const AnimationFile file = read_animation_file(row.anpk ? anpk_file(layout) : anp3_file(layout));
        EXPECT_EQ(file.layout, row.anpk ? AnimationLayout::anpk : AnimationLayout::anp3);
        EXPECT_EQ(file.block_name, "ped");
        EXPECT_TRUE(file.stopped.empty()) << file.stopped;
        ASSERT_EQ(file.animations.size(), 1u);
        const Animation& anim = file.animations[0];
        EXPECT_EQ(anim.name, "walk_civi");
        ASSERT_EQ(anim.objects.size(), 2u);
        EXPECT_EQ(anim.objects[0].key_count(), 0u);
        const AnimationObject& o = anim.objects[1];
        EXPECT_EQ(o.name, "R Thigh");
        EXPECT_EQ(o.bone_id, row.name_only ? -1 : 52);
        const bool translated = row.type != KeyType::r && row.type != KeyType::compressed_r;
        EXPECT_EQ(o.translated, translated);
        ASSERT_EQ(o.key_count(), 2u);
        ASSERT_EQ(o.rotations.size(), 8u);
        ASSERT_EQ(o.translations.size(), translated ? 6u : 0u);
        const float sign = row.anpk ? -1.0f : 1.0f;
        for (std::size_t k = 0; k < 2; ++k) {
            const KeyRow& want = k ? b : a;
            for (std::size_t i = 0; i < 4; ++i)
                EXPECT_NEAR(o.rotations[4 * k + i], (i < 3 ? sign : 1.0f) * want.rotation[i], row.tolerance);
            for (std::size_t i = 0; translated && i < 3; ++i)
                EXPECT_NEAR(o.translations[3 * k + i], want.translation[i], row.tolerance);
            EXPECT_NEAR(o.times[k], want.time, row.tolerance ? 1 / 60.0 : 0);
        }
        EXPECT_FLOAT_EQ(anim.duration(), row.tolerance ? 90 / 60.0f : 1.5f);
    }
}

// Damaged files: which animations are read, which skipped with what reason, and why reading stopped.
TEST(AnimationFile, DamagedFilesSkipTheBadAnimationsOnly) {
    const KeyRow key{{0, 0, 0, 1}, {0, 0, 0}, 0};
    const ObjectRow good_object = object_row("Pelvis", 1, KeyType::r, {key, key});
    auto file_of = [&](bool anpk, AnimationRow bad, std::optional<std::int32_t> count = {}) {
        AnimationFileRow f = file_row("ped", {animation_row("first", {good_object}), std::move(bad),
                                             animation_row("last", {good_object})});
        f.count = count;
        return anpk ? anpk_file(f) : anp3_file(f);
    };
    ObjectRow negative_keys = good_object, huge_keys = good_object, unknown_ident = good_object,
              unknown_type = good_object;
    negative_keys.key_count = -3;
    huge_keys.key_count = 0x3FFFFFFF;
    unknown_ident.key_ident = "KRQ0";
    unknown_type.frame_type = 7;
    AnimationRow many_objects = animation_row("bad", {good_object});
    many_objects.object_count = 100000;
    AnimationRow negative_objects = animation_row("bad", {good_object});
    negative_objects.object_count = -1;
    AnimationRow wrong_size = animation_row("wrongsize", {good_object});
    wrong_size.chunks_size = 4;  // a good animation with an unreliable size is still read

    struct Row {
        const char* what;
        std::string bytes;
        std::vector<std::string> read;
        std::string skipped_reason;  // of the one skipped, "" for none
        std::string stopped;         // "" when all were read
    } rows[] = {
        {"ANPK negative key count", file_of(true, animation_row("bad", {negative_keys})), {"first", "last"}, "negative key count", ""},
        {"ANPK keys past the file", file_of(true, animation_row("bad", {huge_keys})), {"first", "last"}, "pass the end of the file",
         ""},
        {"ANPK unknown key type", file_of(true, animation_row("bad", {unknown_ident})), {"first", "last"}, "unknown key type KRQ0", ""},
        {"ANPK objects past the file", file_of(true, many_objects), {"first", "last"}, "objects pass", ""},
        {"ANPK negative object count", file_of(true, negative_objects), {"first", "last"}, "negative object count", ""},
        {"ANPK unreliable animation size", file_of(true, wrong_size), {"first", "wrongsize", "last"}, "", ""},
        {"ANPK count past the animations", file_of(true, animation_row("mid", {good_object}), 5), {"first", "mid", "last"}, "",
         "ends after 3 of 5"},
        {"ANPK negative animation count", file_of(true, animation_row("mid", {good_object}), -2), {}, "", "negative animation count"},
        {"ANPK fewer declared than stored", file_of(true, animation_row("mid", {good_object}), 1), {"first"}, "", ""},
        {"ANP3 negative key count", file_of(false, animation_row("bad", {negative_keys})), {"first"}, "pass the end of the file",
         "the rest cannot be found"},
        {"ANP3 unknown frame type", file_of(false, animation_row("bad", {unknown_type})), {"first"}, "unknown frame type 7",
         "the rest cannot be found"},
        {"ANP3 objects past the file", file_of(false, many_objects), {"first"}, "objects pass", "cannot be found"},
        {"ANP3 count past the animations", file_of(false, animation_row("mid", {good_object}), 4), {"first", "mid", "last"}, "",
         "ends after 3 of 4"},
        {"ANP3 fewer declared than stored", file_of(false, animation_row("mid", {good_object}), 2), {"first", "mid"}, "", ""},
        {"neither layout", "ANPX and more", {}, "", "not an animation file"},
        {"ANPK header only", "ANPK\x10", {}, "", "header"},
        {"ANP3 header only", std::string("ANP3\0\0\0\0", 8), {}, "", "header"},
        {"empty", "", {}, "", "not an animation file"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const AnimationFile file = read_animation_file(row.bytes);
        std::vector<std::string> read;
        for (const Animation& a : file.animations) read.push_back(a.name);
        EXPECT_EQ(read, row.read);
        if (row.skipped_reason.empty()) {
            EXPECT_TRUE(file.skipped.empty()) << file.skipped[0].reason;
        } else {
            ASSERT_EQ(file.skipped.size(), 1u);
            EXPECT_EQ(file.skipped[0].index, 1u);
            EXPECT_EQ(file.skipped[0].name, "bad");
            EXPECT_NE(file.skipped[0].reason.find(row.skipped_reason), std::string::npos) << file.skipped[0].reason;
        }
        if (row.stopped.empty()) EXPECT_TRUE(file.stopped.empty()) << file.stopped;
        else EXPECT_NE(file.stopped.find(row.stopped), std::string::npos) << file.stopped;
    }
}

// One bone's keys as they come out of a glb: times from 0 and strictly
// increasing, unit quaternions the short way round; keys glTF cannot hold left out.
TEST(AnimationKeys, ComeOutAsTheGltfPlaysThem) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), s = std::sqrt(0.5f);
    struct Key {
        float x, y, z, w, time;
    };
    const struct Row {
        const char* what;
        std::vector<Key> in;
        std::vector<double> times, rotations;  // none: the animation is left out
    } rows[] = {
        {"counted from the first key", {{0, 0, 0, 1, -0.5f}, {0, 0, s, s, 0.25f}}, {0, 0.75}, {0, 0, 0, 1, 0, 0, s, s}},
        {"made unit", {{0, 0, 0, 2, 0}, {0, 3, 0, 4, 1}}, {0, 1}, {0, 0, 0, 1, 0, 0.6, 0, 0.8}},
        {"squares past a float, made unit", {{0, 0, 1e20f, 1e20f, 0}}, {0}, {0, 0, s, s}},
        {"the short way round", {{0, 0, 0, 1, 0}, {0, 0, -s, -s, 1}}, {0, 1}, {0, 0, 0, 1, 0, 0, s, s}},
        {"the last of keys at one time, the short way from the one before",
         {{0, 0, 0, 1, 0}, {1, 0, 0, 0, 1}, {-s, 0, 0, -s, 1}}, {0, 1}, {0, 0, 0, 1, s, 0, 0, s}},
        {"a key going back takes the turn of the one before, not its time",
         {{0, 0, 0, 1, 0}, {1, 0, 0, 0, 1}, {0, 0, 1, 0, 2}, {0, 1, 0, 0, 0.5f}}, {0, 1, 2},
         {0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0}},
        {"no turn and no number left out", {{0, 0, 0, 0, 0}, {nan, 0, 0, 1, 1}, {0, 0, 0, 1, 2}, {0, 0, 0, 1, INFINITY}},
         {0}, {0, 0, 0, 1}},
        {"nothing left", {{0, 0, 0, 0, 0}, {0, 0, 0, nan, 1}}, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        AnimationObject object;
        object.bone_id = 7;
        for (const Key& k : row.in) {
            object.rotations.insert(object.rotations.end(), {k.x, k.y, k.z, k.w});
            object.times.push_back(k.time);
        }
        AnimationFile file;
        file.animations.push_back({"turn", {object}});
        GltfDocument document;
        GltfSkeletonNodes skeleton;
        skeleton.bones.push_back({7, "Root", document.add("nodes", {{"name", "Root"}})});
        const AnimationCounts counts = add_gltf_animations(document, skeleton, file, {});
        EXPECT_EQ(counts.added + counts.without_bones, 1u);
        ASSERT_EQ(counts.added, row.times.empty() ? 0u : 1u);
        if (row.times.empty()) continue;
        TempFolder folder;
        std::string why;
        ASSERT_TRUE(document.write_glb((folder.path / "turn.glb").string(), why)) << why;
        const Gltf g = read_glb(folder.path / "turn.glb");
        const nlohmann::json& sampler = g.doc["animations"][0]["samplers"][0];
        const std::vector<double> times = numbers(g, sampler["input"].get<int>()),
                                  rotations = numbers(g, sampler["output"].get<int>());
        ASSERT_EQ(times.size(), row.times.size());
        ASSERT_EQ(rotations.size(), row.rotations.size());
        for (std::size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(times[i], row.times[i], 1e-6) << i;
        for (std::size_t i = 0; i < rotations.size(); ++i) EXPECT_NEAR(rotations[i], row.rotations[i], 1e-6) << i;
    }
}

}  // namespace
