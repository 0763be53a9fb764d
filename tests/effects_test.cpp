// 2D effects and UV animations: the readers on generated entries of every
// type, right and wrong; the item definitions' 2dfx lines of both older
// games; the UV transform's conversion against the game's own formula; and
// the lamp post's glb read back (nodes where the frames put them, extras,
// lights, animations) through the real program.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <cmath>
#include <optional>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "export/gltf_effects.h"
#include "export/gltf_uv_animation.h"
#include "game/item_definitions.h"
#include "game/item_effects.h"
#include "model/structure_reader.h"
#include "support/dictionary_builder.h"
#include "support/effect_layout.h"
#include "support/gltf_reader.h"
#include "support/gltf_test_models.h"
#include "support/model_builder.h"
#include "support/model_layout.h"
#include "support/run_program.h"

using nlohmann::json;

namespace {

std::string notes_of(const Model& m) {
    std::string text;
    for (const Finding& f : m.findings) text += f.text + "\n";
    return text;
}

const EffectField* field(const Effect& e, const std::string& name) {
    for (const EffectField& f : e.fields)
        if (f.name == name) return &f;
    return nullptr;
}

Model read(const ModelLayout& layout, std::vector<std::uint8_t>& bytes) {
    bytes = build_model(layout);
    return read_model(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

}  // namespace

TEST(EffectReader, EntriesAreTakenByTheirTypesSizeAndBadOnesSkipped) {
    std::vector<EffectEntryLayout> every;
    std::vector<std::string> every_kind = {"light", "particle", "type_2", "attractor", "sun_glare", "interior",
                                           "enter_exit", "road_sign", "trigger", "cover", "escalator", "type_11"};
    for (std::uint32_t type = 0; type < every_kind.size(); ++type) every.push_back({{1, 2, 3}, type, effect_body(type)});
    every.push_back({{0, 0, 0}, 0, effect_body(0, true)});
    every_kind.push_back("light");
    const EffectEntryLayout particle{{0, 0, 0}, 1, effect_body(1)};
    const struct {
        const char* what;
        std::vector<EffectEntryLayout> entries;
        std::optional<std::uint32_t> count;
        std::vector<std::string> kinds;
        const char* note;  // "" for none
    } cases[] = {
        {"one of every type", every, {}, every_kind, ""},
        {"a light of 78 bytes between particles",
         {particle, {{0, 0, 0}, 0, std::vector<std::uint8_t>(78, 1)}, particle}, {}, {"particle", "particle"},
         "2D effect 1 (light) of 78 bytes, not its type's 80: skipped"},
        {"a sun glare with a body", {{{0, 0, 0}, 4, {1, 2, 3, 4}}, particle}, {}, {"particle"}, "not its type's 0"},
        {"the last entry runs past the plug-in", {particle, {{0, 0, 0}, 1, effect_body(1), 200}}, {}, {"particle"},
         "2D effect 1 of 200 bytes runs past its plug-in"},
        {"a count past the entries", {particle}, 5, {"particle"}, "2D effects promise 5 entries and hold 1"},
        {"a count of 0", {particle}, 0, {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GeometryLayout g = quad_geometry();
        g.plugins.push_back(effects_plugin(c.entries, c.count));
        std::vector<std::uint8_t> bytes;
        const Model m = read(single_geometry_model(g), bytes);
        ASSERT_EQ(m.clumps.size(), 1u);
        const std::vector<Effect>& effects = m.clumps[0].geometries[0].effects;
        std::vector<std::string> kinds;
        for (const Effect& e : effects) kinds.push_back(e.kind);
        EXPECT_EQ(kinds, c.kinds);
        const std::string notes = notes_of(m);
        if (*c.note) {
            EXPECT_NE(notes.find(c.note), std::string::npos) << notes;
        } else {
            EXPECT_EQ(notes, "");
        }
        for (const Finding& f : m.findings) EXPECT_FALSE(f.doubtful) << "the mesh still converts clean";
    }

    // Each type's fields, from the bodies whose values effect_body chose.
    GeometryLayout g = quad_geometry();
    g.plugins.push_back(effects_plugin(every));
    std::vector<std::uint8_t> bytes;
    const Model m = read(single_geometry_model(g), bytes);
    const std::vector<Effect>& e = m.clumps[0].geometries[0].effects;
    const struct {
        std::size_t entry;
        const char* name;
        std::vector<double> numbers;
        const char* text;
    } fields[] = {
        {0, "colour", {255, 200, 120, 200}, ""},      {0, "corona_far_clip", {150}, ""},
        {0, "point_light_range", {12}, ""},           {0, "corona_size", {1.5}, ""},
        {0, "shadow_size", {6}, ""},                  {0, "shadow_colour_multiplier", {40}, ""},
        {0, "flags1", {0x60}, ""},                    {0, "corona_tex_name", {}, "coronastar"},
        {0, "shadow_tex_name", {}, "shad_exp"},       {0, "shadow_z_distance", {15}, ""},
        {0, "look_direction", {0, 0, 100}, ""},       {12, "look_direction", {0, 0, 100}, ""},
        {1, "effect_name", {}, "water_fountain"},     {2, "body_size", {6}, ""},
        {3, "attractor_kind", {4}, ""},               {3, "forward_direction", {0, 0, -1}, ""},
        {3, "script_name", {}, "atm"},                {3, "probability", {75}, ""},
        {5, "rotation", {0.5}, ""},                   {6, "exit_position", {10, 20, 30}, ""},
        {6, "interior", {7}, ""},                     {6, "interior_name", {}, "shop"},
        {6, "hour_off", {6}, ""},                     {7, "size", {4, 2}, ""},
        {7, "flags", {0x15}, ""},                     {7, "text_line_4", {}, "EXIT 4"},
        {8, "index", {3}, ""},                        {9, "cover_kind", {2}, ""},
        {10, "end", {0, 12, 5}, ""},                  {10, "direction", {1}, ""},
    };
    for (const auto& f : fields) {
        SCOPED_TRACE(std::string(e[f.entry].kind) + " " + f.name);
        const EffectField* got = field(e[f.entry], f.name);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(got->numbers, f.numbers);
        EXPECT_EQ(got->text, f.text);
    }
    EXPECT_TRUE(e[0].light);
    EXPECT_EQ(e[0].range, 12.0f);
    EXPECT_EQ(e[4].fields.size(), 0u) << "a sun glare has no fields";
    EXPECT_EQ(e[3].position[2], 3.0f);
}

TEST(UvAnimationReader, KeysGoToTheirNodesAndDamageIsSkipped) {
    const UvKeyLayout key{0, {0, 1, 1, 0, 0, 0}, 0};
    const GltfTestModel lamp = lamp_post();
    const struct {
        const char* what;
        std::vector<chunks::Node> chunks;
        std::size_t animations, keys;
        std::vector<std::int32_t> key_node;
        const char* note;
    } cases[] = {
        {"interleaved nodes, a key naming no key", {lamp.model.uv_animation_chunks[0]}, 1, 6, {0, 1, 0, 1, 0, -1},
         "UV animation \"flow\": 1 keys name a previous key that is not there: skipped"},
        {"a previous key after the key", {uv_animation_chunk("a", 0x1C1, {0}, {key, key, {2, {}, 0}, {3, {}, 4}})}, 1, 4,
         {0, 0, 0, -1}, "1 keys name a previous key"},
        {"more keys stated than held", {uv_animation_chunk("a", 0x1C1, {0}, {key, key}, 3)}, 1, 0, {},
         "UV animation \"a\" promises 3 keys in 64 bytes: no keys"},
        {"an unknown interpolator", {uv_animation_chunk("a", 0x1C5, {0}, {key})}, 1, 0, {}, "unknown interpolator 0x1C5"},
        {"animations past the dictionary's count", {}, 1, 1, {0}, "promises 1 animations and holds 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ModelLayout layout = single_geometry_model(quad_geometry());
        layout.uv_dictionary = true;
        layout.uv_animation_chunks = c.chunks;
        if (c.chunks.empty()) {
            // The dictionary's count says 1 and two follow.
            layout.uv_animation_chunks = {uv_animation_chunk("a", 0x1C1, {0}, {key}), uv_animation_chunk("b", 0x1C1, {0}, {key})};
        }
        std::vector<chunks::Node> nodes = model_nodes(layout);
        if (c.chunks.empty()) nodes[0].children[0].body = chunks::Body().u32(1).bytes;
        const std::vector<std::uint8_t> bytes = model_bytes(nodes);
        const Model m = read_model(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        ASSERT_EQ(m.uv_animations.size(), c.animations);
        EXPECT_EQ(m.uv_animations[0].keys.size(), c.keys);
        EXPECT_EQ(m.uv_animations[0].key_node, c.key_node);
        EXPECT_NE(notes_of(m).find(c.note), std::string::npos) << notes_of(m);
        EXPECT_EQ(m.clumps.size(), 1u);
    }
    // The materials' names, and a plug-in whose mask promises more names than it holds.
    std::vector<std::uint8_t> bytes;
    const Model m = read(lamp.model, bytes);
    EXPECT_EQ(m.clumps[0].geometries[0].materials[0].uv_animations, std::vector<std::string>{"Flow"});
    GeometryLayout g = quad_geometry();
    chunks::Node short_names = uv_animation_names_plugin({"a"});
    short_names.children[0].body[0] = 3;
    g.materials[0].plugins = {short_names};
    const Model damaged = read(single_geometry_model(g), bytes);
    EXPECT_EQ(damaged.clumps[0].geometries[0].materials[0].uv_animations, std::vector<std::string>{"a"});
    EXPECT_NE(notes_of(damaged).find("names fewer animations than its slots"), std::string::npos);
}

// The game's transform of a UV, as it does it: scale and skew, translate, turn about the centre.
std::array<double, 2> game_param(const float* v, double u, double w) {
    const double u1 = v[1] * u + v[4], v1 = v[3] * u + v[2] * w + v[5];
    const double c = std::cos(v[0]), s = std::sin(v[0]);
    return {c * (u1 - 0.5) - s * (v1 - 0.5) + 0.5, s * (u1 - 0.5) + c * (v1 - 0.5) + 0.5};
}

std::array<double, 2> gltf_apply(const UvTransformKey& t, double u, double w) {
    const double c = std::cos(t.rotation), s = std::sin(t.rotation);
    const double su = t.scale[0] * u, sv = t.scale[1] * w;
    return {t.offset[0] + c * su - s * sv, t.offset[1] + s * su + c * sv};
}

TEST(UvTransform, GltfsTransformGivesTheGamesUvs) {
    // Param keys (angle, scale u, scale v, skew 0, offset u, offset v) and linear 2 x 3 matrices without skew.
    const struct {
        std::uint32_t interpolator;
        UvKey key;
    } cases[] = {
        {0x1C1, {0, {0.5f, 2, 1, 0, 0.25f, 0}, 0}},     {0x1C1, {0, {-2.5f, 0.5f, 3, 0, -1, 0.75f}, 0}},
        {0x1C1, {0, {3.1f, -1, 1, 0, 0, 0}, 0}},        {0x1C0, {0, {1, 0, 0, 1, 0.25f, 0.5f}, 0}},
        {0x1C0, {0, {0, 1, -2, 0, 0, 0}, 0}},           {0x1C0, {0, {0.6f, 0.8f, 0.8f, -0.6f, 1, 2}, 0}},
        {0x1C0, {0, {-1, 0, 0, -3, 0.1f, 0.2f}, 0}},
    };
    for (const auto& c : cases) {
        double skew = 1;
        const UvTransformKey t = uv_transform_of(c.key, c.interpolator, skew);
        EXPECT_NEAR(skew, 0, 1e-6);
        for (const auto& uv : {std::array<double, 2>{1, 0}, {0, 1}, {0.3, 0.7}, {-2, 5}}) {
            const float* v = c.key.values;
            const std::array<double, 2> game =
                c.interpolator == 0x1C1 ? game_param(v, uv[0], uv[1])
                                        : std::array<double, 2>{v[0] * uv[0] + v[2] * uv[1] + v[4], v[1] * uv[0] + v[3] * uv[1] + v[5]};
            const std::array<double, 2> gltf = gltf_apply(t, uv[0], uv[1]);
            EXPECT_NEAR(gltf[0], game[0], 1e-5) << c.interpolator << " " << uv[0] << "," << uv[1];
            EXPECT_NEAR(gltf[1], game[1], 1e-5) << c.interpolator << " " << uv[0] << "," << uv[1];
        }
    }
    // The worked numbers: UV (1, 0) goes to (2.27548, 0.90020).
    double skew = 0;
    const UvTransformKey worked = uv_transform_of({0, {0.5f, 2, 1, 0, 0.25f, 0}, 0}, 0x1C1, skew);
    EXPECT_NEAR(worked.offset[0], 0.52032, 1e-5);
    EXPECT_NEAR(worked.offset[1], -0.05865, 1e-5);
    EXPECT_NEAR(gltf_apply(worked, 1, 0)[0], 2.27548, 1e-5);
    EXPECT_NEAR(gltf_apply(worked, 1, 0)[1], 0.90020, 1e-5);
    // Skew is what is dropped: a linear matrix R(r) [[sx, 0], [k, sy]] gives back k.
    uv_transform_of({0, {1, 0.5f, 0, 1, 0, 0}, 0}, 0x1C0, skew);
    EXPECT_NEAR(skew, 0.5, 1e-6);
    uv_transform_of({0, {2, 1, 3, 0.25f, 0, 0}, 0}, 0x1C1, skew);
    EXPECT_EQ(skew, 0.25);
}

TEST(UvTransform, KeysOfAnySizeStayShortAndFinite) {
    // Stored angles of any size turn the short way from the key before; keys glTF cannot hold are left out.
    const float huge = 1e30f, inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        std::vector<std::array<float, 2>> keys;  // time, angle
        std::vector<double> rotations;
        const char* note;
    } rows[] = {
        {{{0, 0}, {1, huge}, {2, -huge}}, {}, ""},
        {{{0, 7}, {1, 0.5f}, {2, 6.5f}}, {7 - 2 * 3.14159265358979, 0.5, 6.5 - 2 * 3.14159265358979}, ""},
        {{{0, 0}, {1, inf}, {2, nan}, {nan, 1}, {3, 1}}, {0, 1}, "3 keys with numbers that are not finite"},
    };
    for (const auto& r : rows) {
        UvAnimation a;
        a.name = "a";
        a.interpolator = 0x1C1;
        a.node_count = 1;
        for (const auto& k : r.keys) {
            a.keys.push_back({k[0], {k[1], 1, 1, 0, 0, 0}, -1});
            a.key_node.push_back(0);
        }
        std::vector<std::string> notes;
        const std::vector<UvTransformKey> keys = uv_transform_keys(a, notes);
        if (!r.rotations.empty()) {
            ASSERT_EQ(keys.size(), r.rotations.size());
        }
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (k) {
                EXPECT_LE(std::fabs(keys[k].rotation - keys[k - 1].rotation), 3.1415927);
            }
            if (!r.rotations.empty()) {
                EXPECT_NEAR(keys[k].rotation, r.rotations[k], 1e-5);
            }
        }
        const std::string all = notes.empty() ? "" : notes.back();
        EXPECT_NE(all.find(r.note), std::string::npos) << all;
    }
}

TEST(ItemEffects, TwoDfxLinesOfBothOlderGames) {
    const std::string text =
        "objs\n1200, lamp-post, street, 100, 0\nend\n"
        "2dfx\n"
        "1200, 0.5, -0.25, 3.0, 255, 200, 120, 200, 0, \"coronastar\", \"shad_exp\", 150, 12, 1.5, 6, 40, 1, 1, 0, 3\n"
        "1200, 0, 0, 4, 255, 255, 255, 200, 0, \"corona\", \"shad_exp\", 100, 0, 1, 4, 40, 0, 0, 0, 24\n"
        "1200, 0, 0, 1, 0, 0, 0, 200, 1, 2, 0, 0, 1, 0.5\n"
        "1200, 1, 1, 0, 0, 0, 0, 200, 2, 1, 0, 1, 0, 80\n"
        "1200, 0, 0, 0, 0, 0, 0, 200, 3, 4, 1, 0, 0, 0, 1, 0\n"
        "1200, 0, 0, 5, 255, 255, 255, 200, 4\n"
        "1200, 0, 0, 5, 255, 255, 255, 200, 7\n"
        "1200, 0, 0, 5, 255, 255, 255, 200, 0, \"corona\"\n"
        "1200, 0, 0, 5, 300, 255, 255, 200, 4\n"
        "1200, 0, 0, 0, 0, 0, 0, 200, 2, ice, 0, 1, 0, 80\n"
        "end\n";
    std::vector<SkippedLine> skipped;
    const std::vector<ItemEffect> effects = read_item_effects(text, skipped);
    const struct {
        const char* kind;
        float z;
        const char* field;
        std::vector<double> numbers;
        const char* text;
        float range;  // the point light's; 0 for none
    } expected[] = {
        {"light", 3, "corona_tex_name", {}, "coronastar", 12},
        {"light", 4, "flags", {24}, "", 0},  // the second game's hide-object and long-distance bits
        {"particle", 1, "strength", {0, 0, 1}, "", 0},
        {"attractor", 0, "probability", {80}, "", 0},
        {"attractor", 0, "use_direction", {0, 1, 0}, "", 0},
        {"sun_glare", 5, "line_type", {4}, "", 0},
    };
    ASSERT_EQ(effects.size(), std::size(expected));
    for (std::size_t i = 0; i < effects.size(); ++i) {
        const auto& x = expected[i];
        const Effect& e = effects[i].effect;
        SCOPED_TRACE(i);
        EXPECT_EQ(effects[i].id, 1200);
        EXPECT_EQ(e.kind, x.kind);
        EXPECT_EQ(e.position[2], x.z);
        const EffectField* f = field(e, x.field);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->numbers, x.numbers);
        EXPECT_EQ(f->text, x.text);
        EXPECT_EQ(e.light, e.kind == "light");
        EXPECT_EQ(e.range, x.range);
        EXPECT_EQ(e.index, i) << "numbered in the model's order";
    }
    ASSERT_EQ(skipped.size(), 4u);
    EXPECT_EQ(skipped[0].reason, "2dfx type 7 unknown");
    EXPECT_EQ(skipped[1].reason, "too few fields for a 2dfx light");
    EXPECT_EQ(skipped[2].reason, "a 2dfx colour outside 0-255");
    EXPECT_EQ(skipped[3].reason, "2dfx attractor: its attractor_kind is no whole number");
    // By model name, through the objs line's id.
    ItemEffectCatalog catalog;
    catalog.add_items(read_item_definitions(text, "lamp.ide"));
    catalog.add_effects(effects);
    EXPECT_EQ(catalog.effects_for("LAMP-POST").size(), effects.size());
    EXPECT_TRUE(catalog.effects_for("bench").empty());
}

#ifdef VORLUND_OBJ_PROGRAM

namespace {

// A node's world position in the model's z-up space, by matrix or translation/rotation/scale.
std::array<double, 3> world_position(const json& nodes, int node) {
    std::map<int, int> parent;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        for (const json& child : nodes[i].value("children", json::array())) parent[child] = static_cast<int>(i);
    Matrix world = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int at = node;; at = parent.at(at)) {
        const json& n = nodes[at];
        Matrix local = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        if (n.contains("matrix")) {
            for (int i = 0; i < 16; ++i) local[i] = n["matrix"][i];
        } else {
            const json r = n.value("rotation", json{0, 0, 0, 1}), s = n.value("scale", json{1, 1, 1});
            const double x = r[0], y = r[1], z = r[2], w = r[3];
            const double m[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w),
                                 2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                                 2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)};
            for (int c = 0; c < 3; ++c)
                for (int k = 0; k < 3; ++k) local[4 * c + k] = m[3 * c + k] * s[c].get<double>();
            const json t = n.value("translation", json{0, 0, 0});
            for (int k = 0; k < 3; ++k) local[12 + k] = t[k];
        }
        world = times(local, world);
        if (!parent.count(at)) break;
    }
    return {world[12], -world[14], world[13]};
}

int node_named(const json& nodes, const std::string& name) {
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].value("name", "") == name) return static_cast<int>(i);
    return -1;
}

std::string parent_name(const json& nodes, int node) {
    for (const json& n : nodes)
        for (const json& child : n.value("children", json::array()))
            if (child == node) return n.value("name", "");
    return "";
}

}  // namespace

TEST(EffectsGltf, LampPostReadBackFromItsGlb) {
    TempFolder folder;
    const GltfTestModel lamp = lamp_post();
    folder.write("lamp-post.dff", build_model(lamp.model));
    folder.write("lamp-post.txd", build_dictionary(lamp.textures));
    const std::string ide =
        "objs\n1200, lamp-post, lamp-post, 100, 0\nend\n2dfx\n"
        "1200, 0, 0, 6, 255, 128, 0, 200, 0, \"coronastar\", \"shad_exp\", 150, 0, 1.5, 6, 40, 1, 1, 0, 3\n"
        "1200, 0, 1, 0, 0, 0, 0, 200, 3, 4, 1, 0, 0, 0, 1, 0\nend\n";
    folder.write("lamp.ide", std::vector<std::uint8_t>(ide.begin(), ide.end()));
    const RunSettings here{folder.path.string(), false};
    const ProgramRun run = run_program(VORLUND_OBJ_PROGRAM, {"-v", "-b", "structure", "-f", "obj,glb", "--ide", "lamp.ide", "lamp-post.dff"}, here);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const Gltf g = read_glb(folder.path / "lamp-post.dff.glb");
    const json& nodes = g.doc["nodes"];
    const json& lights = g.doc["extensions"]["KHR_lights_punctual"]["lights"];

    const struct {
        const char* node;
        const char* parent;
        std::array<double, 3> at;  // world, z-up
        const char* key;
        json value;
        std::array<double, 3> colour;  // of its point light; all -1 for none
        double range;                  // -1 for none
    } rows[] = {
        {"fx_light_0", "post", {0, 0, 1}, "corona_tex_name", "coronastar", {1, 200 / 255.0, 120 / 255.0}, 12},
        {"fx_particle_1", "post", {1, 0, 1}, "effect_name", "water_fountain", {-1, -1, -1}, -1},
        {"fx_attractor_3", "post", {3, 0, 1}, "queue_direction", {1, 0, 0}, {-1, -1, -1}, -1},
        {"fx_sun_glare_4", "post", {4, 0, 1}, "effect", "sun_glare", {-1, -1, -1}, -1},
        {"fx_road_sign_7", "post", {7, 0, 1}, "text_line_1", "NORTH", {-1, -1, -1}, -1},
        {"fx_escalator_10", "post", {10, 0, 1}, "top", {0, 10, 5}, {-1, -1, -1}, -1},
        {"fx_type_12_12", "post", {12, 0, 1}, "body_size", 6, {-1, -1, -1}, -1},
        {"fx_light_13", "post", {0, 0, 2}, "look_direction", {0, 0, 100}, {1, 200 / 255.0, 120 / 255.0}, 12},
        // The lamp head's light on each turned arm that draws it.
        {"fx_light_0_2", "arm", {0.25, 0.5, 7}, "colour", {255, 200, 120, 200}, {1, 200 / 255.0, 120 / 255.0}, 12},
        {"fx_light_0_3", "arm_back", {-0.25, -0.5, 7}, "flags1", 0x60, {1, 200 / 255.0, 120 / 255.0}, 12},
        // The item definitions' lines, in the model's space; a light without a range.
        {"fx_light_0_4", "lamp-post.dff", {0, 0, 6}, "line_type", 0, {1, 128 / 255.0, 0}, -1},
        {"fx_attractor_1", "lamp-post.dff", {0, 1, 0}, "use_direction", {0, 1, 0}, {-1, -1, -1}, -1},
    };
    std::size_t fx_nodes = 0;
    for (const json& n : nodes) fx_nodes += n.value("name", "").rfind("fx_", 0) == 0;
    EXPECT_EQ(fx_nodes, 13u + 1 + 2 + 2) << "every type, the short light, the head twice, two lines; not the two of the wrong size";
    for (const auto& r : rows) {
        SCOPED_TRACE(r.node);
        const int n = node_named(nodes, r.node);
        ASSERT_GE(n, 0);
        EXPECT_EQ(parent_name(nodes, n), r.parent);
        const std::array<double, 3> at = world_position(nodes, n);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(at[k], r.at[k], 1e-6) << k;
        EXPECT_EQ(nodes[n]["extras"][r.key], r.value);
        const bool lit = r.colour[0] >= 0;
        ASSERT_EQ(nodes[n].contains("extensions"), lit);
        if (!lit) continue;
        const json& light = lights[nodes[n]["extensions"]["KHR_lights_punctual"]["light"].get<int>()];
        EXPECT_EQ(light["type"], "point");
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(light["color"][k].get<double>(), r.colour[k], 1e-6);
        EXPECT_EQ(light.contains("range"), r.range > 0);
        if (r.range > 0) {
            EXPECT_EQ(light["range"], r.range);
        }
        EXPECT_EQ(light["intensity"], effect_light_intensity(static_cast<float>(std::max(r.range, 0.0))));
    }

    // The UV animations: each used one, its keys of the base texture's node only, the rotation unwrapped.
    const struct {
        const char* name;
        int material;
        std::vector<double> times, offsets, rotations, scales;
    } animations[] = {
        {"flow", 0, {0, 1, 2}, {0, 0, 0.52032, -0.05865, 0.36029, 0.01991}, {0, 0.5, 6 - 2 * 3.14159265358979}, {1, 1, 2, 1, 2, 1}},
        {"scroll", 1, {0, 0.5}, {0, 0, 0.25, 0.75}, {0, 1.32582}, {1, 1, 0.97014, 2.06155}},
    };
    ASSERT_EQ(g.doc["animations"].size(), std::size(animations)) << "idle is no material's: not written";
    for (std::size_t a = 0; a < std::size(animations); ++a) {
        const auto& x = animations[a];
        const json& anim = g.doc["animations"][a];
        SCOPED_TRACE(x.name);
        EXPECT_EQ(anim["name"], x.name);
        ASSERT_EQ(anim["channels"].size(), 3u);
        const std::vector<double>* wanted[3] = {&x.offsets, &x.rotations, &x.scales};
        const char* property[3] = {"offset", "rotation", "scale"};
        for (int p = 0; p < 3; ++p) {
            const json& channel = anim["channels"][p];
            EXPECT_EQ(channel["target"]["path"], "pointer");
            EXPECT_EQ(channel["target"]["extensions"]["KHR_animation_pointer"]["pointer"],
                      "/materials/" + std::to_string(x.material) +
                          "/pbrMetallicRoughness/baseColorTexture/extensions/KHR_texture_transform/" + property[p]);
            const json& sampler = anim["samplers"][channel["sampler"].get<int>()];
            const std::vector<double> times = numbers(g, sampler["input"]), values = numbers(g, sampler["output"]);
            EXPECT_EQ(times, x.times);
            ASSERT_EQ(values.size(), wanted[p]->size());
            for (std::size_t i = 0; i < values.size(); ++i) EXPECT_NEAR(values[i], (*wanted[p])[i], 1e-5) << property[p] << i;
        }
        const json& transform = g.doc["materials"][x.material]["pbrMetallicRoughness"]["baseColorTexture"]["extensions"]["KHR_texture_transform"];
        EXPECT_EQ(transform["scale"], json({1.0, 1.0})) << "the first key's";
    }
    EXPECT_FALSE(g.doc["materials"][2]["pbrMetallicRoughness"].contains("baseColorTexture"));
    for (const char* line : {"UV animation \"flow\": node 1 moves UV set 1", "UV animation \"flow\": skew (up to 0.250000)",
                             "UV animation \"scroll\": skew", "material glass: its texture was not found",
                             "UV animation \"idle\": no material shows it"})
        EXPECT_NE(run.err.find(line), std::string::npos) << line << "\n" << run.err;
    for (const char* used : {"KHR_lights_punctual", "KHR_texture_transform", "KHR_animation_pointer"})
        EXPECT_NE(std::find(g.doc["extensionsUsed"].begin(), g.doc["extensionsUsed"].end(), used), g.doc["extensionsUsed"].end());

    // --effects none: no effect node, no light; the OBJ file as it was.
    const std::string obj = read_file(folder.path / "lamp-post.dff.obj");
    const ProgramRun none = run_program(VORLUND_OBJ_PROGRAM, {"-q", "-b", "structure", "-f", "obj,glb", "--effects", "none", "--ide", "lamp.ide", "lamp-post.dff"}, here);
    ASSERT_EQ(none.exit_status, 0) << none.err;
    const Gltf bare = read_glb(folder.path / "lamp-post.dff.glb");
    for (const json& n : bare.doc["nodes"]) EXPECT_NE(n.value("name", "").rfind("fx_", 0), 0u);
    EXPECT_FALSE(bare.doc.contains("extensions"));
    EXPECT_EQ(bare.doc["animations"].size(), 2u) << "UV animations are no 2D effects";
    EXPECT_EQ(read_file(folder.path / "lamp-post.dff.obj"), obj);

    // --inspect lists them.
    const ProgramRun inspect = run_program(VORLUND_OBJ_PROGRAM, {"--inspect", "lamp-post.dff"}, here);
    for (const char* line : {"effect 0 at 0x", ": light, position (thousandths) 0 0 1000, colour 255 200 120 200, range (thousandths) 12000",
                             ": road_sign, position (thousandths) 7000 0 1000", "UV animation \"Flow\"",
                             "\"flow\"\n  param, 6 keys, 2 nodes\n", "2D effect 14 (particle) of 20 bytes, not its type's 24: skipped"})
        EXPECT_NE(inspect.out.find(line), std::string::npos) << line << "\n" << inspect.out;
    const ProgramRun wrong = run_program(VORLUND_OBJ_PROGRAM, {"--effects", "some", "lamp-post.dff"}, here);
    EXPECT_NE(wrong.err.find("option '--effects' needs all or none, not 'some'"), std::string::npos) << wrong.err;
}

#endif
