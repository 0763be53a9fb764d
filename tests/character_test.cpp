// Skinned characters and night colours, from model files laid out as real ones
// are: read by the structure reader and written as OBJ text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "export/obj_writer.h"
#include "model/structure_reader.h"
#include "support/character_layout.h"

namespace {

struct Converted {
    Model model;
    ObjText text;
    std::vector<std::vector<double>> v, vn;  // the numbers of each v and vn line
};

Converted convert(const std::vector<std::uint8_t>& bytes, bool local = false, bool night = false) {
    Converted c;
    c.model = read_model(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    ObjWriteOptions options;
    options.local = local;
    options.night = night;
    c.text = write_obj(c.model, options);
    std::istringstream lines(c.text.obj);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind != "v" && kind != "vn") continue;
        std::vector<double> numbers;
        for (double n; words >> n;) numbers.push_back(n);
        (kind == "v" ? c.v : c.vn).push_back(numbers);
    }
    return c;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void expect_points(const std::vector<std::vector<double>>& got, const std::vector<Point>& want, const char* what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < want.size(); ++i)
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[i][k], want[i][k], 2e-5) << what << " vertex " << i << " axis " << k;
}

const struct {
    const char* name;
    CharacterLayout layout;
} layouts[] = {
    {"pelvis space", {SkinSpace::pelvis, false, true}},
    {"root bone space", {SkinSpace::root_bone, false, true}},
    {"clump space", {SkinSpace::clump, false, true}},
    {"older layout, clump space", {SkinSpace::clump, true, true}},
};

}  // namespace

// Each layout stands along +z, head up, pelvis at the origin, facing +y, its
// normals turned alike; --local keeps the positions as stored.
TEST(Characters, EveryLayoutStandsUpright) {
    for (const auto& c : layouts) {
        Character character = character_model(c.layout);
        std::vector<std::uint8_t> bytes = build_model(character.model);
        Converted upright = convert(bytes);
        EXPECT_FALSE(upright.text.doubtful) << c.name << "\n" << upright.text.obj;
        const Skin& skin = upright.model.clumps[0].geometries[0].skin;
        EXPECT_TRUE(skin.usable) << c.name;
        EXPECT_EQ(skin.markers, c.layout.older_skin) << c.name;
        expect_points(upright.v, character.upright, c.name);
        expect_points(upright.vn, character.upright_normals, c.name);
        EXPECT_GT(upright.v[Character::head][2], 0.7) << c.name;
        EXPECT_LT(upright.v[Character::foot][2], -0.9) << c.name;
        EXPECT_TRUE(has(upright.text.obj, "# character is skinned, 5 bones: stood upright from its pelvis bone"))
            << upright.text.obj;

        Converted local = convert(bytes, true);
        expect_points(local.v, character.stored, c.name);
        EXPECT_TRUE(has(local.text.obj, "is skinned, 5 bones: written as stored")) << c.name;
    }
}

// Node 1 is another game's bone: the frames' pose skins it, which here is the
// bind pose in the clump's space, not where the frame chain puts the mesh.
TEST(Characters, WithoutAPelvisTheFramesPoseSkinsIt) {
    for (SkinSpace space : {SkinSpace::pelvis, SkinSpace::clump}) {
        Character character = character_model({space, false, false});
        Converted c = convert(build_model(character.model));
        EXPECT_FALSE(c.text.doubtful) << c.text.obj;
        expect_points(c.v, character.frame_pose, "frames' pose");
        EXPECT_TRUE(has(c.text.obj, "its skeleton has no pelvis bone: skinned with the frames' pose")) << c.text.obj;
    }
}

// Damage to the skin or the skeleton: a doubtful line at the damaged chunk, the
// geometry written as stored (placed by its frame, which is the identity here).
TEST(Characters, DamagedSkinsAreWrittenAsStored) {
    using Damage = void (*)(std::vector<chunks::Node>&);
    const struct {
        const char* name;
        Damage damage;
        const std::vector<std::size_t>* at;
        const char* text;
    } cases[] = {
        {"skin cut short", [](std::vector<chunks::Node>& n) { chunks::node_at(n, skin_path).body.resize(200); },
         &skin_path, "matches neither layout"},
        {"bone index past the count",
         [](std::vector<chunks::Node>& n) { chunks::node_at(n, skin_path).body[4 + 5 + 4 * 2] = 9; }, &skin_path,
         "vertex 2 names bone 9 of 5"},
        {"weight not finite",
         [](std::vector<chunks::Node>& n) {
             float nan = std::numeric_limits<float>::quiet_NaN();
             std::memcpy(&chunks::node_at(n, skin_path).body[4 + 5 + 24 + 16 * 3], &nan, 4);
         },
         &skin_path, "vertex 3 has a weight that is not a finite number"},
        {"node id no frame carries",
         [](std::vector<chunks::Node>& n) { chunks::node_at(n, bone_list_path) = bone_plugin(0, {0, 1, 2, 5, 77}); },
         &bone_list_path, "bone 4 has node id 77, which no frame carries"},
        {"bones in a cycle",
         [](std::vector<chunks::Node>& n) {
             // The pelvis's parent becomes the head, two frames below it.
             std::vector<std::uint8_t>& frames = chunks::node_at(n, frame_struct_path).body;
             const std::uint32_t head = 5;
             std::memcpy(&frames[4 + 56 * 2 + 48], &head, 4);
         },
         &bone_list_path, "has a broken parent chain"},
    };
    for (const auto& c : cases) {
        Character character = character_model({SkinSpace::clump, false, true});
        std::vector<chunks::Node> nodes = model_nodes(character.model);
        c.damage(nodes);
        Converted got = convert(model_bytes(nodes));
        EXPECT_TRUE(got.text.doubtful) << c.name;
        bool found = false;
        for (const Finding& f : got.model.findings)
            found = found || (f.doubtful && f.offset == chunks::offset_of(nodes, *c.at) && has(f.text, c.text));
        EXPECT_TRUE(found) << c.name << "\n" << got.text.obj;
        expect_points(got.v, character.stored, c.name);
        EXPECT_TRUE(has(got.text.obj, "written in the pose it is stored in")) << c.name;
    }
    // The older layout's markers out of place: neither layout.
    Character older = character_model({SkinSpace::clump, true, true});
    std::vector<chunks::Node> nodes = model_nodes(older.model);
    chunks::node_at(nodes, skin_path).body[4 + 20 * 6] = 0;
    Converted got = convert(model_bytes(nodes));
    EXPECT_TRUE(got.text.doubtful);
    expect_points(got.v, older.stored, "older layout without its markers");
}

// --night takes each geometry's night colours into the v lines; one without
// them keeps its day colours, said once; short ones are damage.
TEST(Characters, NightColoursThroughTheVLines) {
    GeometryLayout lit = quad_geometry();
    lit.flags |= geometry_prelit;
    lit.colors = std::vector<std::uint8_t>(16, 255);
    GeometryLayout night = lit, day = lit, short_night = lit;
    night.plugins = {night_colors_plugin({0, 0, 51, 255, 0, 0, 51, 255, 0, 0, 51, 255, 0, 0, 51, 255}, 0x41)};
    short_night.plugins = {night_colors_plugin({0, 0, 51, 255})};
    ModelLayout layout = single_geometry_model(night);
    layout.clumps[0].geometries.push_back(day);
    layout.clumps[0].atomics.push_back({0, 1});
    std::vector<std::uint8_t> bytes = build_model(layout);

    Converted by_day = convert(bytes), by_night = convert(bytes, false, true);
    ASSERT_EQ(by_night.v.size(), 8u);
    EXPECT_EQ(by_day.v[0], (std::vector<double>{0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(by_night.v[0], (std::vector<double>{0, 0, 0, 0, 0, 0.2}));
    EXPECT_EQ(by_night.v[4], (std::vector<double>{0, 0, 0, 1, 1, 1}));
    EXPECT_FALSE(by_night.text.doubtful);
    EXPECT_TRUE(has(by_night.text.obj, "# night colours: 1 of 2 geometries have none and keep their day colours\n"));
    EXPECT_FALSE(has(by_day.text.obj, "night colours"));

    Converted damaged = convert(build_model(single_geometry_model(short_night)), false, true);
    EXPECT_TRUE(damaged.text.doubtful);
    EXPECT_TRUE(has(damaged.text.obj, "night colours of 4 bytes for 4 vertices: day colours kept"));
    EXPECT_EQ(damaged.v[0], (std::vector<double>{0, 0, 0, 1, 1, 1}));
}
