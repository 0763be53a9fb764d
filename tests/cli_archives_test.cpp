// Archives, item definitions and the game's data files through the real
// program: an archive of either version converts as its entries would as
// files, textures come from the dictionaries in the game's order into one
// folder per dictionary, and any number of jobs gives the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/archive_writer.h"
#include "support/cli_fixture.h"
#include "support/dictionary_builder.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes sample(const std::string& name) {
    const std::string text = read_file(fs::path(VORLUND_SOURCE_DIR) / "samples" / name);
    return Bytes(text.begin(), text.end());
}

// A dictionary of 1x1 textures of these names.
Bytes dictionary(const std::vector<std::string>& names) {
    std::vector<TextureLayout> textures;
    for (const std::string& n : names) {
        TextureLayout t;
        t.name = n, t.raster_format = 0x600, t.format = 22;
        t.levels = {{1, 2, 3, 0}};
        textures.push_back(t);
    }
    return build_dictionary(textures);
}

// Every file under folder with its bytes, by its path relative to it.
std::map<std::string, std::string> files_under(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file()) files[e.path().lexically_relative(folder).generic_string()] = read_file(e.path());
    return files;
}

std::vector<std::string> map_lines(const std::string& mtl) {
    std::vector<std::string> lines;
    for (const std::string& l : lines_of_text(mtl))
        if (l.rfind("map_", 0) == 0) lines.push_back(l);
    return lines;
}

bool mentions(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// The text without its comment lines, which name the path the model was read from.
std::string without_comments(const std::string& text) {
    std::string out;
    for (const std::string& l : lines_of_text(text))
        if (l.rfind("#", 0) != 0) out += l + "\n";
    return out;
}

ArchiveLayout pack() {
    ArchiveLayout layout;
    layout.entries = {{"lamp.dff", sample("lamp.dff")},   {"lamp.txd", sample("lamp.txd")},
                      {"CRATE.DFF", sample("crate.dff")}, {"house.dff", sample("house.dff")},
                      {"note.col", Bytes(40, 7)},         {"house.dff", sample("house.dff")},
                      {"gone.dff", sample("crate.dff"), 900}};
    return layout;
}

class CliArchives : public CliFolder {
protected:
    // The pack as pack.img of the version asked for; returns the name to give.
    std::string write_pack(int version, const ArchiveLayout& layout = pack()) {
        if (version == 2) return folder.write("pack.img", build_version2(layout)).string();
        Version1Files files = build_version1(layout);
        folder.write("pack.dir", files.directory);
        return folder.write("pack.img", files.data).string();
    }
};

}  // namespace

TEST_F(CliArchives, EitherVersionConvertsItsModelsAsTheirFilesWouldAndJobsChangeNothing) {
    copy_sample("lamp.dff", "loose/lamp.dff");
    copy_sample("lamp.txd", "loose/lamp.txd");
    ASSERT_EQ(cli({"-q", at("loose/lamp.dff")}).exit_status, 0);
    for (int version : {1, 2}) {
        SCOPED_TRACE("version " + std::to_string(version));
        const std::string archive = write_pack(version);
        ProgramRun one = cli({"-j", "1", archive});
        EXPECT_EQ(one.exit_status, 1) << one.err;
        const auto files = files_under(folder.path / "pack");
        std::vector<std::string> names;
        for (const auto& [name, bytes] : files) names.push_back(name);
        EXPECT_EQ(names, (std::vector<std::string>{"CRATE.DFF.obj", "house.dff.obj", "house~2.dff.obj", "lamp.dff.mtl",
                                                   "lamp.dff.obj", "textures/lamp/glass.png",
                                                   "textures/lamp/glass_mask.png", "textures/lamp/metal.png",
                                                   "textures/lamp/stone.png"}));
        EXPECT_EQ(without_comments(files.at("lamp.dff.obj")), without_comments(read_file(at("loose/lamp.dff.obj"))));
        EXPECT_EQ(files.at("textures/lamp/stone.png"), read_file(at("loose/stone.png")));
        EXPECT_EQ(map_lines(files.at("lamp.dff.mtl"))[0], "map_Kd textures/lamp/stone.png");
        EXPECT_TRUE(mentions(one.err, archive + "/lamp.dff: structure converted it clean into " + at("pack/lamp.dff.obj")));
        EXPECT_TRUE(mentions(one.err, archive + "/gone.dff: not converted: it starts at byte 1843200, past the end"));
        EXPECT_TRUE(mentions(one.err, archive + "/house.dff: a second entry of this name (entry 6): its files are named house~2.dff.*"));
        // A .col entry converts as collision does: this one is none.
        EXPECT_TRUE(mentions(one.err, archive + "/note.col: not converted: not a collision file: it starts with no collision record"));
        EXPECT_TRUE(mentions(one.err, "6 models: 4 clean, 0 doubtful, 2 failed")) << one.err;

        ProgramRun two = cli({"-j", "2", "-o", at("jobs"), archive});
        EXPECT_EQ(two.exit_status, 1);
        EXPECT_EQ(files_under(folder.path / "jobs"), files);
        std::string err = two.err;
        for (std::size_t at_ = err.find(at("jobs")); at_ != std::string::npos; at_ = err.find(at("jobs")))
            err.replace(at_, at("jobs").size(), at("pack"));
        EXPECT_EQ(err, one.err);
        fs::remove_all(folder.path / "pack");
        fs::remove_all(folder.path / "jobs");
    }
}

TEST_F(CliArchives, TexturesInTheGamesOrderFromItemDefinitionsParentsAndSharedDictionaries) {
    // stone in the item definition's dictionary, metal in its parent, glass in
    // the shared one before the model's own, glass_mask nowhere.
    ArchiveLayout layout;
    layout.entries = {{"lamp.dff", sample("lamp.dff")},
                      {"other.dff", sample("lamp.dff")},
                      {"child.txd", dictionary({"stone"})},
                      {"PARENT.TXD", dictionary({"Metal"})},
                      {"lamp.txd", dictionary({"glass", "stone", "metal"})}};
    fs::create_directories(folder.path / "Game/DATA/Maps");
    fs::create_directories(folder.path / "Game/models/Generic");
    folder.write("Game/models/gta3.img", build_version2(layout));
    folder.write("Game/models/Generic/Vehicle.txd", dictionary({"glass"}));
    const std::string ide =
        "objs\n1, lamp, child, 100, 0\n2, other, nowhere, 100, 0\nbad\n3, ghost, child, 100, 0\nend\ntxdp\nchild, parent\nend\n";
    folder.write("Game/DATA/Maps/lamp.IDE", Bytes(ide.begin(), ide.end()));
    const std::string dat = "IDE DATA\\MAPS\\LAMP.IDE\r\nTEXDICTION MODELS\\GENERIC\\VEHICLE.TXD\r\nIMG MODELS\\NONE.IMG\r\n"
                            "MODELFILE MODELS\\GENERIC\\LANTERN.DFF\r\n";
    folder.write("Game/models/Generic/Lantern.dff", sample("lantern.dff"));
    fs::create_directories(folder.path / "Game/data");
    folder.write("Game/data/gta.dat", Bytes(dat.begin(), dat.end()));

    EXPECT_EQ(cli({"--game", at("Game")}).exit_status, 2);
    ProgramRun run = cli({"--game", at("Game"), "-o", at("out")});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(map_lines(read_file(at("out/gta3/lamp.dff.mtl"))),
              (std::vector<std::string>{"map_Kd ../textures/child/stone.png", "map_Kd ../textures/parent/metal.png",
                                        "map_Kd ../textures/parent/metal.png", "map_Kd ../textures/parent/metal.png",
                                        "map_Kd ../textures/vehicle/glass.png", "map_d glass_mask.png"}));
    for (const char* png : {"out/textures/child/stone.png", "out/textures/parent/metal.png", "out/textures/vehicle/glass.png"})
        EXPECT_TRUE(fs::is_regular_file(at(png))) << png;
    EXPECT_FALSE(fs::exists(at("out/textures/lamp")));
    EXPECT_TRUE(fs::is_regular_file(at("out/models/Generic/Lantern.dff.obj")));
    const std::string lamp = at("Game/models/gta3.img") + "/lamp.dff";
    EXPECT_TRUE(mentions(run.err, lamp + ": textures not found: glass_mask\n")) << run.err;
    EXPECT_TRUE(mentions(run.err, "/other.dff: textures not found: stone, metal, glass_mask (dictionary 'nowhere' "
                                  "(its item definition's) is in no archive or file named)")) << run.err;
    EXPECT_TRUE(mentions(run.err, "lamp.IDE: line 4 (too few fields) skipped"));
    EXPECT_TRUE(mentions(run.err, "gta.dat line 3: MODELS\\NONE.IMG: no such file in " + at("Game")));
    EXPECT_TRUE(mentions(run.err, "1 model the item definitions name is in no archive or model file: ghost\n"));
    // With --ide and the archive named, the same order less the shared dictionary.
    ProgramRun named = cli({"--ide", at("Game/DATA/Maps/lamp.IDE"), at("Game/models/gta3.img"), "-o", at("named")});
    EXPECT_EQ(map_lines(read_file(at("named/lamp.dff.mtl")))[4], "map_Kd textures/lamp/glass.png") << named.err;
}

TEST_F(CliArchives, InspectPrintsTheDirectoryThenEachModelAndExtractWritesEveryDictionary) {
    const std::string archive = write_pack(2);
    ProgramRun inspect = cli({"--inspect", archive});
    EXPECT_EQ(inspect.exit_status, 1);
    const std::vector<std::string> lines = lines_of_text(inspect.out);
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[0], "== " + archive);
    EXPECT_EQ(lines[1], "archive version 2, 7 entries, data in " + archive + " (" +
                            std::to_string(fs::file_size(archive)) + " bytes)");
    EXPECT_EQ(lines[6], "5 note.col: start " + lines[6].substr(lines[6].find("start ") + 6, lines[6].find(',') - lines[6].find("start ") - 6) +
                            ", length 2048, collision");
    EXPECT_TRUE(mentions(lines[8], "gone.dff: start 1843200, length 4096, model, damage at byte 1843200: it starts"));
    EXPECT_EQ(lines[9], "== " + archive + "/lamp.dff");
    EXPECT_TRUE(mentions(inspect.err, archive + "/gone.dff: not inspected: it starts at byte 1843200"));
    EXPECT_TRUE(mentions(inspect.out, "== " + archive + "/note.col\nnot a collision file: it starts with no collision record"));
    EXPECT_TRUE(mentions(inspect.err, "6 models: 1 well-formed, 4 damaged, 1 not read")) << inspect.err;

    ProgramRun extract = cli({"--extract", archive});
    EXPECT_EQ(extract.exit_status, 0) << extract.err;
    EXPECT_TRUE(fs::is_regular_file(at("pack/textures/lamp/glass_mask.png")));
}

TEST_F(CliArchives, CorpusArchivesFailTheirEntriesAndNeverTheRun) {
    const fs::path corpus = fs::path(VORLUND_CORPUS_DIR) / "archives";
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    for (const auto& e : fs::directory_iterator(corpus)) fs::copy_file(e.path(), folder.path / e.path().filename());
    const struct {
        const char* file;
        std::vector<std::string> said;
    } cases[] = {
        {"v1.dir", {"v1.dir/VIRGO.DFF: not converted: not a model file", "LANDSTAL.DFF: not converted: it runs past the end"}},
        {"v2.img", {"v2.img/VIRGO.DFF: not converted: not a model file", "2 models: 0 clean, 0 doubtful, 2 failed"}},
        {"truncated.dir", {"is no multiple of 32", "no truncated.img beside truncated.dir"}},
        {"duplicate-names.dir", {"no models (no *.dff entries in the archive)"}},
    };
    for (const auto& c : cases) {
        ProgramRun run = cli({at(c.file)});
        EXPECT_EQ(run.exit_status, 1) << c.file << run.err;
        for (const std::string& s : c.said) EXPECT_TRUE(mentions(run.err, s)) << c.file << ": " << run.err;
        ProgramRun inspect = cli({"--inspect", at(c.file)});
        EXPECT_TRUE(mentions(inspect.out, "== " + at(c.file) + "\narchive version ")) << c.file;
    }
    ProgramRun names = cli({"--inspect", at("v2.img")});
    EXPECT_TRUE(mentions(names.out, "\n3 abcdefghijklmnopqrstuvwx: start 6144"));
}

#endif
