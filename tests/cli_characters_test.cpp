// vorlund-obj on characters, night colours and models whose clump follows a
// UV animation dictionary, which structure reads and the strategies refuse.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <array>
#include <cmath>

#include <nlohmann/json.hpp>

#include "support/animation_layout.h"
#include "support/character_layout.h"
#include "support/cli_fixture.h"
#include "support/gltf_reader.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;

namespace {

using CliCharacters = CliFolder;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int count_of_lines(const std::string& text, const std::string& start) {
    int n = 0;
    for (const std::string& line : lines_of_text(text)) n += line.rfind(start, 0) == 0;
    return n;
}

// The OBJ text without its header lines, which name the model.
std::string body_of(const std::string& obj) {
    std::string body;
    for (const std::string& line : lines_of_text(obj))
        if (line.rfind("# ", 0) != 0 && line.rfind("mtllib ", 0) != 0) body += line + "\n";
    return body;
}

using nlohmann::json;

std::vector<std::uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

using Turn = std::array<double, 9>;  // a rotation as rows

Turn turn_of(const std::vector<double>& q, std::size_t at = 0) {
    const double x = q[at], y = q[at + 1], z = q[at + 2], w = q[at + 3];
    return {1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y),
            2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x),
            2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)};
}

std::array<double, 3> turned(const Turn& r, std::array<double, 3> v) {
    return {r[0] * v[0] + r[1] * v[1] + r[2] * v[2], r[3] * v[0] + r[4] * v[1] + r[5] * v[2],
            r[6] * v[0] + r[7] * v[1] + r[8] * v[2]};
}

// A node's matrix, written as one or as translation, rotation and scale (column-major).
Matrix matrix_of(const json& node) {
    if (node.contains("matrix")) return node["matrix"].get<Matrix>();
    const std::vector<double> q = node.value("rotation", std::vector<double>{0, 0, 0, 1}),
                              t = node.value("translation", std::vector<double>{0, 0, 0}),
                              s = node.value("scale", std::vector<double>{1, 1, 1});
    const Turn r = turn_of(q);
    Matrix m{};
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) m[4 * c + row] = r[3 * row + c] * s[c];
    for (int k = 0; k < 3; ++k) m[12 + k] = t[k];
    m[15] = 1;
    return m;
}

int node_named(const json& doc, const std::string& name) {
    for (std::size_t n = 0; n < doc["nodes"].size(); ++n)
        if (doc["nodes"][n].value("name", "") == name) return static_cast<int>(n);
    return -1;
}

ModelLayout with_dictionary(ModelLayout m) {
    m.uv_dictionary = true;
    m.uv_animations = {"water", "sign\x01"};
    return m;
}

}  // namespace

// The dictionary first: structure converts the model to what the same model
// without it gives, clean; --inspect names the animations.
TEST_F(CliCharacters, DictionaryFirstLandsWhereTheModelAlone) {
    ModelLayout character = character_model({SkinSpace::root_bone, false, true}).model;
    folder.write("plain.dff", build_model(character));
    folder.write("dict.dff", build_model(with_dictionary(character)));
    ProgramRun plain = cli({"-b", "structure", "plain.dff"});
    ProgramRun auto_run = cli({"dict.dff"});
    EXPECT_EQ(plain.exit_status, 0) << plain.err;
    EXPECT_EQ(auto_run.exit_status, 0) << auto_run.err;
    EXPECT_TRUE(has(auto_run.err, "dict.dff: structure converted it clean into ")) << auto_run.err;
    EXPECT_EQ(body_of(read_file(folder.path / "dict.dff.obj")), body_of(read_file(folder.path / "plain.dff.obj")));

    ProgramRun inspect = cli({"--inspect", "dict.dff"});
    EXPECT_TRUE(has(inspect.out, "0x000000  0x2B UV animation dictionary  ")) << inspect.out;
    EXPECT_TRUE(has(inspect.out, ": \"water\"\n")) << inspect.out;
    EXPECT_TRUE(has(inspect.out, ": no readable name\n")) << inspect.out;
    EXPECT_TRUE(has(inspect.out, "  skeleton on frame 1: 5 bones\n")) << inspect.out;
}

// The strategies see the file as the window does: asked for by name, one
// fails and leaves nothing; auto moves on from them and keeps structure's
// doubtful output.
TEST_F(CliCharacters, StrategiesRefuseADictionaryFirst) {
    ModelLayout m = with_dictionary(single_geometry_model(quad_geometry()));
    m.clumps[0].atomics.push_back({0, 7});  // doubtful: a geometry out of range
    folder.write("dict.dff", build_model(m));
    ProgramRun go1 = cli({"-b", "go1", "dict.dff"});
    EXPECT_EQ(go1.exit_status, 1) << go1.err;
    EXPECT_TRUE(has(go1.err, "dict.dff: not converted: go1 refuses it (This doesn't seem to be a dff file!)"))
        << go1.err;
    EXPECT_FALSE(fs::exists(folder.path / "dict.dff.obj"));

    ProgramRun auto_run = cli({"dict.dff"});
    EXPECT_EQ(auto_run.exit_status, 1) << auto_run.err;
    EXPECT_TRUE(has(auto_run.err, "; go1: This doesn't seem to be a dff file!; go2: This doesn't seem to be a dff "
                                  "file!; go3: This doesn't seem to be a dff file!; go4: This doesn't seem to be a "
                                  "dff file!); structure's doubtful output is kept in "))
        << auto_run.err;
    EXPECT_EQ(count_of_lines(read_file(folder.path / "dict.dff.obj"), "f "), 2);
}

// --night through the command line into the v lines.
TEST_F(CliCharacters, NightColoursOnTheCommandLine) {
    GeometryLayout g = quad_geometry();
    g.flags |= geometry_prelit;
    g.plugins = {night_colors_plugin(std::vector<std::uint8_t>(16, 51))};
    folder.write("lamp.dff", build_model(single_geometry_model(g)));
    ProgramRun night = cli({"-b", "structure", "--night", "lamp.dff"});
    EXPECT_EQ(night.exit_status, 0) << night.err;
    EXPECT_TRUE(has(read_file(folder.path / "lamp.dff.obj"), "\nv 0 0 0 0.2 0.2 0.2\n"));
    ProgramRun day = cli({"-b", "structure", "lamp.dff"});
    EXPECT_TRUE(has(read_file(folder.path / "lamp.dff.obj"), "\nv 0 0 0 1 1 1\n"));
    ProgramRun inspect = cli({"--inspect", "lamp.dff"});
    EXPECT_TRUE(has(inspect.out, "    night colours\n")) << inspect.out;
}

// A character with animations of both layouts read back from the glb: the
// animations named as in the file, their channels on the bones' nodes, times
// from 0 strictly increasing, quaternions as the game applies them, the short
// way round; standing at time 0; the static pose as without animations.
TEST_F(CliCharacters, AnimationsPlayOnTheSkeleton) {
    folder.write("man.dff", build_model(character_model({SkinSpace::root_bone, false, true}).model));
    ASSERT_EQ(cli({"-b", "structure", "-f", "glb", "man.dff"}).exit_status, 0);
    const Gltf still = read_glb(folder.path / "man.dff.glb");
    const double s = std::sqrt(0.5);
    const struct {
        const char* what;
        bool anpk, compressed;
        double tolerance;
    } rows[] = {{"ANPK", true, false, 1e-6}, {"ANP3", false, false, 1e-6}, {"ANP3 compressed", false, true, 1.0 / 1024}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const AnimationFileRow layout = walk_rows({{42}, 42}, row.anpk, row.compressed);
        folder.write("walk.ifp", bytes_of(row.anpk ? anpk_file(layout) : anp3_file(layout)));
        ProgramRun run = cli({"-b", "structure", "-f", "glb", "--animations", "walk.ifp", "man.dff"});
        ASSERT_EQ(run.exit_status, 0) << run.err;
        EXPECT_TRUE(has(run.err, "(2 animations from walk.ifp, 1 without any of its bones)")) << run.err;
        const Gltf g = read_glb(folder.path / "man.dff.glb");
        const json& anims = g.doc["animations"];
        ASSERT_EQ(anims.size(), 2u);
        EXPECT_EQ(anims[0]["name"], "walk");
        EXPECT_EQ(anims[1]["name"], "turn");
        auto channel = [&](const json& a, const std::string& node, const std::string& path, std::vector<double>& times) {
            for (const json& c : a["channels"])
                if (c["target"]["node"] == node_named(g.doc, node) && c["target"]["path"] == path) {
                    const json& sampler = a["samplers"][c["sampler"].get<std::size_t>()];
                    EXPECT_EQ(sampler["interpolation"], "LINEAR");
                    const json& input = g.doc["accessors"][sampler["input"].get<std::size_t>()];
                    EXPECT_EQ(input["componentType"], 5126);
                    times = numbers(g, sampler["input"]);
                    EXPECT_EQ(input["min"][0].get<double>(), times.front());
                    EXPECT_EQ(input["max"][0].get<double>(), times.back());
                    return numbers(g, sampler["output"]);
                }
            ADD_FAILURE() << "no " << path << " channel on " << node;
            return std::vector<double>{};
        };
        // One bone's turn: keys from -0.25 s counted from 0, the key given twice kept once (the last), the
        // last one's sign made the short way.
        std::vector<double> times;
        const std::vector<double> turn = channel(anims[1], "L_Foot", "rotation", times);
        EXPECT_EQ(anims[1]["channels"].size(), 1u);
        ASSERT_EQ(times.size(), 3u);
        ASSERT_EQ(turn.size(), 12u);
        const double want_times[] = {0, 0.5, 1.0}, want_turn[] = {0, 0, 0, 1, s, 0, 0, s, 1, 0, 0, 0};
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(times[k], want_times[k], 1e-6);
        for (int k = 0; k < 12; ++k) EXPECT_NEAR(turn[k], want_turn[k], row.tolerance) << k;
        // The root moves forward along the game's +y, 0.5 a second.
        const std::vector<double> root_t = channel(anims[0], "Root", "translation", times);
        ASSERT_EQ(root_t.size(), 9u);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(root_t[3 * k + 1], 0.25 * k, row.tolerance) << k;
        // At time 0 the root and pelvis keys stand the character: the pelvis's spine along glTF +y, toes along -z.
        const std::vector<double> root_q = channel(anims[0], "Root", "rotation", times),
                                  pelvis_q = channel(anims[0], "_Pelvis", "rotation", times);
        ASSERT_FALSE(root_q.empty());
        ASSERT_FALSE(pelvis_q.empty());
        const Matrix z_up = matrix_of(g.doc["nodes"][0]);
        auto world = [&](std::array<double, 3> v) {
            v = turned(turn_of(root_q), turned(turn_of(pelvis_q), v));
            return std::array<double, 3>{z_up[0] * v[0] + z_up[4] * v[1] + z_up[8] * v[2],
                                         z_up[1] * v[0] + z_up[5] * v[1] + z_up[9] * v[2],
                                         z_up[2] * v[0] + z_up[6] * v[1] + z_up[10] * v[2]};
        };
        const std::array<double, 3> spine = world({1, 0, 0}), toes = world({0, 1, 0});
        EXPECT_NEAR(spine[1], 1, 1e-3);
        EXPECT_NEAR(toes[2], -1, 1e-3);
        // Nodes not driven, and the static pose, as without animations.
        for (std::size_t n = 0; n < still.doc["nodes"].size(); ++n) {
            const Matrix a = matrix_of(still.doc["nodes"][n]), b = matrix_of(g.doc["nodes"][n]);
            for (int k = 0; k < 16; ++k) EXPECT_NEAR(a[k], b[k], 1e-5) << still.doc["nodes"][n].value("name", "") << k;
        }
    }
    EXPECT_FALSE(still.doc.contains("animations"));
    // Only the named one; the layout and the first damage on --inspect.
    ProgramRun named = cli({"-b", "structure", "-f", "glb", "--animations", "walk.ifp", "--animation-names", "TURN", "man.dff"});
    EXPECT_TRUE(has(named.err, "(1 animation from walk.ifp)")) << named.err;
    EXPECT_EQ(read_glb(folder.path / "man.dff.glb").doc["animations"].size(), 1u);
    ProgramRun inspect = cli({"--inspect", "walk.ifp"});
    EXPECT_EQ(inspect.exit_status, 0) << inspect.err;
    EXPECT_TRUE(has(inspect.out, "walk.ifp: ANP3 block \"walk\", 3 animations declared, 3 read\n")) << inspect.out;
    EXPECT_TRUE(has(inspect.out, "  turn: 1 objects, 4 keys, 0.750 s, bones 42\n")) << inspect.out;
    ProgramRun obj = cli({"-b", "structure", "--animations", "walk.ifp", "man.dff"});
    EXPECT_EQ(obj.exit_status, 2);
    EXPECT_TRUE(has(obj.err, "option '--animations' needs '-f glb' or '-f gltf'")) << obj.err;
}

#endif
