// vorlund-obj on characters, night colours and models whose clump follows a
// UV animation dictionary, which structure reads and the strategies refuse.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/character_layout.h"
#include "support/cli_fixture.h"

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

#endif
