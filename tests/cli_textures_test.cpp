// Textures, --extract and --inspect through the real program: the PNG files
// it leaves read back as images, the inspection text compared with the
// inspector's own, with any number of jobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <stb_image.h>

#include "model/model_inspection.h"
#include "support/archive_writer.h"
#include "support/cli_fixture.h"
#include "support/dictionary_builder.h"
#include "support/model_layout.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A w x h texture: X8R8G8B8, or A8R8G8B8 when alpha is below 255.
TextureLayout image(const std::string& name, std::uint16_t w, std::uint16_t h, std::uint8_t alpha = 255) {
    TextureLayout t;
    t.name = name, t.width = w, t.height = h;
    t.raster_format = alpha < 255 ? 0x500 : 0x600, t.format = alpha < 255 ? 21 : 22;
    Bytes pixels;
    for (int i = 0; i < w * h; ++i) pixels.insert(pixels.end(), {10, 20, 30, alpha});
    t.levels = {pixels};
    return t;
}

struct Picture {
    int width = -1, height = -1, channels = -1;
    bool operator==(const Picture&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Picture& p) {
    return out << p.width << "x" << p.height << "x" << p.channels;
}

// Every PNG under folder, by its path relative to it, as stb_image reads it.
std::map<std::string, Picture> pngs_under(const fs::path& folder) {
    std::map<std::string, Picture> found;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        if (e.path().extension() != ".png") continue;
        Picture p;
        stbi_info(e.path().string().c_str(), &p.width, &p.height, &p.channels);
        found[e.path().lexically_relative(folder).generic_string()] = p;
    }
    return found;
}

// The files the MTL file's map lines name.
std::vector<std::string> mapped_files(const fs::path& mtl) {
    std::vector<std::string> files;
    for (const std::string& line : lines_of_text(read_file(mtl)))
        if (line.rfind("map_", 0) == 0) files.push_back(line.substr(line.find(' ') + 1));
    return files;
}

bool has_line(const std::string& text, const std::string& line) {
    for (const std::string& l : lines_of_text(text))
        if (l == line) return true;
    return false;
}

// A quad whose materials name textures in several spellings, one of them no file name as it stands.
Bytes textured_model() {
    GeometryLayout g = quad_geometry();
    g.materials = {MaterialLayout{{255, 255, 255, 255}, "Paint", ""}, MaterialLayout{{255, 255, 255, 255}, "Glass", "Glass_A"},
                   MaterialLayout{{255, 255, 255, 255}, "rim:1", ""}, MaterialLayout{{255, 255, 255, 255}, "chrome", ""}};
    g.triangles[1].material = 1;
    return build_model(single_geometry_model(g));
}

class CliTextures : public CliFolder {};

TEST_F(CliTextures, StructurePutsTheMaterialsTexturesBesideTheObjFile) {
    const Picture own_paint{4, 2, 3}, glass{2, 2, 3}, mask{2, 4, 4}, rim{1, 3, 3};
    const struct Case {
        std::vector<std::string> options;
        std::string out;  // where the OBJ and PNG files go, relative to the case's folder
        std::map<std::string, Picture> pngs;
        std::string missing;  // the not-found line's list; empty: no such line
        bool routine_line;
    } cases[] = {
        {{"-b", "structure"}, "", {{"Paint.png", own_paint}, {"Glass_A.png", mask}, {"rim_1.png", rim}},
         "Glass, chrome", true},
        // The model's own dictionary comes first: shared's 1x1 "paint" is not taken.
        {{"-t", "SHARED"}, "", {{"Paint.png", own_paint}, {"Glass.png", glass}, {"Glass_A.png", mask}, {"rim_1.png", rim}},
         "chrome", true},
        {{"-q", "-t", "SHARED", "-o", "OUT"}, "out",
         {{"out/Paint.png", own_paint}, {"out/Glass.png", glass}, {"out/Glass_A.png", mask}, {"out/rim_1.png", rim}},
         "chrome", false},
        {{"--no-textures", "-b", "structure"}, "", {}, "", false},
        {{"-b", "go1"}, "", {}, "", false},  // only structure writes materials
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        const std::string dir = "case" + std::to_string(i);
        fs::create_directories(folder.path / dir);
        folder.write(dir + "/car.dff", textured_model());
        folder.write(dir + "/car.TXD", build_dictionary({image("paint", 4, 2), image("GLASS_A", 2, 4, 128),
                                                         image("RIM:1", 1, 3)}));
        folder.write(dir + "/shared.txd", build_dictionary({image("paint", 1, 1), image("glass", 2, 2)}));
        std::vector<std::string> args;
        for (const std::string& o : c.options)
            args.push_back(o == "SHARED" ? dir + "/shared.txd" : o == "OUT" ? dir + "/out" : o);
        args.push_back(dir + "/car.dff");
        const ProgramRun run = cli(args);
        EXPECT_EQ(run.exit_status, c.options.back() == "go1" ? 1 : 0) << run.err;
        EXPECT_EQ(pngs_under(folder.path / dir), c.pngs);

        const std::string model = at(dir + "/car.dff");
        const fs::path obj_folder = c.out.empty() ? folder.path / dir : folder.path / dir / c.out;
        EXPECT_EQ(has_line(run.err, "vorlund-obj: " + model + ": textures not found: " + c.missing), !c.missing.empty())
            << run.err;
        const std::string routine = "vorlund-obj: " + model + ": " + std::to_string(c.pngs.size()) +
                                    " textures written to " + obj_folder.string();
        EXPECT_EQ(has_line(run.err, routine), c.routine_line) << run.err;
        // Every PNG written is one the MTL file names.
        if (c.pngs.empty()) continue;
        std::vector<std::string> named = mapped_files(obj_folder / "car.dff.mtl");
        for (const auto& [png, picture] : c.pngs) {
            const std::string file = fs::path(png).filename().string();
            EXPECT_NE(std::find(named.begin(), named.end(), file), named.end()) << file;
        }
    }
}

TEST_F(CliTextures, DamagedOrMissingDictionariesAreOneLineAndTheGeometryStillConverts) {
    Bytes cut = build_dictionary({image("paint", 4, 2), image("glass", 2, 2)});
    cut.resize(cut.size() - 8);
    folder.write("car.dff", textured_model());
    folder.write("cut.txd", cut);
    const ProgramRun run = cli({"-t", "cut.txd", "-t", "none.txd", "car.dff"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_TRUE(fs::exists(folder.path / "car.dff.obj"));
    EXPECT_NE(run.err.find("vorlund-obj: " + at("cut.txd") + ": offset 0: "), std::string::npos) << run.err;
    EXPECT_TRUE(has_line(run.err, "vorlund-obj: " + at("none.txd") + ": no such file")) << run.err;
    // What the damaged dictionary holds whole before the damage is still used.
    EXPECT_EQ(pngs_under(folder.path), (std::map<std::string, Picture>{{"Glass.png", {2, 2, 3}}, {"Paint.png", {4, 2, 3}}}));
}

TEST_F(CliTextures, ExtractWritesEveryTextureOfTheCorpusDictionary) {
    const fs::path corpus = fs::path(VORLUND_CORPUS_DIR) / "two-textures.txd";
    if (!fs::exists(corpus)) GTEST_SKIP() << "no public corpus at " << corpus.parent_path();
    fs::copy_file(corpus, folder.path / "two-textures.txd");
    const std::map<std::string, Picture> both = {{"leaves.png", {128, 128, 4}}, {"wood.png", {64, 128, 3}}};
    const struct {
        std::vector<std::string> args;
        std::string out;
        int status;
        std::string line;
    } cases[] = {
        {{"--extract", "two-textures.txd"}, "", 0, "two-textures.txd: 2 textures written to ."},
        {{"-j", "3", "--extract", "-o", "png", "two-textures.txd", "none.txd"}, "png", 1, "none.txd: not extracted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        const ProgramRun run = cli(c.args);
        EXPECT_EQ(run.exit_status, c.status) << run.err;
        EXPECT_TRUE(has_line(run.err, "vorlund-obj: " + c.line)) << run.err;
        std::map<std::string, Picture> found;
        for (const auto& [name, picture] : pngs_under(c.out.empty() ? folder.path : folder.path / c.out))
            if (name.find('/') == std::string::npos) found[name] = picture;
        EXPECT_EQ(found, both);
    }
}

// --extract over files, folders, archives and a game: one dictionary keeps the
// flat layout, more each get textures/NAME/; a name two dictionaries share
// goes to the first. Each run with -j 2 says the same lines and leaves the
// same bytes as with -j 1.
TEST_F(CliTextures, ExtractTakesFoldersArchivesAndGamesTheSameWithAnyNumberOfJobs) {
    const auto txd = [](std::vector<TextureLayout> textures) { return build_dictionary(textures); };
    for (const char* sub : {"sub/deeper", "other", "Game/models", "Game/data", "empty"})
        fs::create_directories(folder.path / sub);
    folder.write("a.txd", txd({image("wood", 2, 2), image("metal", 1, 1, 7)}));
    folder.write("sub/b.txd", txd({image("WOOD", 4, 2), image("glass", 2, 1)}));
    folder.write("sub/deeper/C.TXD", txd({image("stone", 1, 2)}));
    folder.write("other/A.TXD", txd({image("wood", 8, 8), image("bark", 1, 1)}));
    ArchiveLayout pack;
    pack.entries = {{"d.txd", txd({image("wood", 2, 4)})}, {"E.txd", txd({image("leaf", 1, 1, 0)})}, {"m.dff", Bytes(64, 1)}};
    folder.write("pack.img", build_version2(pack));
    folder.write("Game/models/gta3.img", build_version2(pack));
    folder.write("Game/models/shared.txd", txd({image("sky", 4, 4)}));
    const std::string dat = "TEXDICTION MODELS\\SHARED.TXD\r\n";
    folder.write("Game/data/gta.dat", Bytes(dat.begin(), dat.end()));
    const struct {
        std::vector<std::string> args;
        int status;
        std::map<std::string, Picture> pngs;  // under out
        std::string line;                     // one of the lines said
    } cases[] = {
        {{"a.txd"}, 0, {{"wood.png", {2, 2, 3}}, {"metal.png", {1, 1, 4}}}, "a.txd: 2 textures written to out"},
        {{"a.txd", "sub/b.txd", "none.txd"}, 1,
         {{"textures/a/wood.png", {2, 2, 3}}, {"textures/a/metal.png", {1, 1, 4}},
          {"textures/b/WOOD.png", {4, 2, 3}}, {"textures/b/glass.png", {2, 1, 3}}},
         "sub/b.txd: 2 textures written to out/textures/b"},
        {{"sub"}, 0, {{"WOOD.png", {4, 2, 3}}, {"glass.png", {2, 1, 3}}}, "1 dictionary: 1 extracted whole, 0 not"},
        {{"--recursive", "sub"}, 0,
         {{"textures/b/WOOD.png", {4, 2, 3}}, {"textures/b/glass.png", {2, 1, 3}}, {"textures/c/stone.png", {1, 2, 3}}},
         "sub/deeper/C.TXD: 1 texture written to out/textures/c"},
        {{"pack.img"}, 0, {{"textures/d/wood.png", {2, 4, 3}}, {"textures/e/leaf.png", {1, 1, 4}}},
         "2 dictionaries: 2 extracted whole, 0 not"},
        {{"a.txd", "other/A.TXD"}, 1,
         {{"textures/a/wood.png", {2, 2, 3}}, {"textures/a/metal.png", {1, 1, 4}}, {"textures/a/bark.png", {1, 1, 3}}},
         "out/textures/a/wood.png already written from a.txd in this run; other/A.TXD's texture 'wood' not written"},
        {{"empty", "a.txd"}, 1, {{"wood.png", {2, 2, 3}}, {"metal.png", {1, 1, 4}}},
         "empty: no texture dictionaries (no *.txd files in the folder)"},
        {{"--game", "Game"}, 0,
         {{"textures/d/wood.png", {2, 4, 3}}, {"textures/e/leaf.png", {1, 1, 4}}, {"textures/shared/sky.png", {4, 4, 3}}},
         "3 dictionaries: 3 extracted whole, 0 not"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        std::map<std::string, std::string> bytes[2];
        std::string said[2];
        for (int j = 0; j < 2; ++j) {
            fs::remove_all(folder.path / "out");
            std::vector<std::string> args = {"-j", j ? "2" : "1", "--extract", "-o", "out"};
            args.insert(args.end(), c.args.begin(), c.args.end());
            const ProgramRun run = cli(args);
            EXPECT_EQ(run.exit_status, c.status) << run.err;
            EXPECT_TRUE(has_line(run.err, "vorlund-obj: " + c.line)) << run.err;
            EXPECT_EQ(pngs_under(folder.path / "out"), c.pngs);
            for (const auto& [name, picture] : c.pngs) bytes[j][name] = read_file(folder.path / "out" / name);
            said[j] = run.err;
        }
        EXPECT_EQ(said[1], said[0]);
        EXPECT_TRUE(bytes[1] == bytes[0]);
    }
}

TEST_F(CliTextures, InspectPrintsTheSameTextWithAnyNumberOfJobs) {
    const fs::path corpus = fs::path(VORLUND_CORPUS_DIR) / "torus.dff";
    if (!fs::exists(corpus)) GTEST_SKIP() << "no public corpus at " << corpus.parent_path();
    fs::copy_file(corpus, folder.path / "torus.dff");
    Bytes cut = build_model(single_geometry_model(quad_geometry()));
    cut.resize(cut.size() - 20);
    folder.write("cut.dff", cut);
    std::string expected;
    for (const char* name : {"torus.dff", "cut.dff"}) {
        const std::string bytes = read_file(folder.path / name);
        expected += "== " + at(name) + "\n" +
                    inspect_model(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                  static_cast<std::uint32_t>(bytes.size()));
    }
    EXPECT_TRUE(has_line(expected, "well-formed"));
    EXPECT_NE(expected.find("\nfirst damage at 0x000000: "), std::string::npos) << expected;
    for (const std::vector<std::string>& jobs : {std::vector<std::string>{}, {"-j", "1"}, {"-j", "3"}}) {
        std::vector<std::string> args = jobs;
        args.insert(args.end(), {"--inspect", "torus.dff", "cut.dff"});
        const ProgramRun run = cli(args);
        EXPECT_EQ(run.exit_status, 1) << run.err;
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(lines_of_text(run.err),
                  (std::vector<std::string>{"vorlund-obj: 2 models: 1 well-formed, 1 damaged, 0 not read"}));
    }
    const ProgramRun one = cli({"--inspect", "torus.dff"});
    EXPECT_EQ(one.exit_status, 0) << one.err;
    EXPECT_TRUE(fs::exists(folder.path / "torus.dff") && !fs::exists(folder.path / "torus.dff.obj"));
}

TEST_F(CliTextures, ModesRefuseTheOptionsTheyWouldIgnore) {
    const struct {
        std::vector<std::string> args;
        std::string reason;
    } cases[] = {
        {{"--extract", "-b", "go1", "a.txd"}, "option '--button' cannot be used with '--extract'"},
        {{"--extract", "--ide", "a.ide", "a.txd"}, "option '--ide' cannot be used with '--extract'"},
        {{"--extract"}, "no texture dictionary named"},
        {{"--inspect", "--extract", "a.dff"}, "options '--inspect' and '--extract' cannot be used together"},
        {{"--inspect", "-t", "a.txd", "a.dff"}, "option '--textures' cannot be used with '--inspect'"},
        {{"--inspect", "-o", "out", "a.dff"}, "option '--output-dir' cannot be used with '--inspect'"},
        {{"--inspect", "-b", "auto", "a.dff"}, "option '--button' cannot be used with '--inspect'"},
        {{"-t", "a.txd", "--no-textures", "a.dff"}, "options '--textures' and '--no-textures' cannot be used together"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const ProgramRun run = cli(c.args);
        EXPECT_EQ(run.exit_status, 2);
        EXPECT_EQ(lines_of_text(run.err),
                  (std::vector<std::string>{"vorlund-obj: " + c.reason, "vorlund-obj: try 'vorlund-obj --help'"}));
    }
    EXPECT_EQ(entries(), std::vector<std::string>{});
}

// The PS2 sample dictionary through the model's texture lookup, --extract and
// --inspect: the 8-bit swizzled mask comes out as the PC dictionary's does.
TEST_F(CliTextures, Ps2DictionaryThroughLookupExtractAndInspect) {
    copy_sample("lamp.dff", "ps2/lamp.dff");
    copy_sample("lamp_ps2.txd", "ps2/lamp.txd");
    copy_sample("lamp.txd", "pc/lamp.txd");
    ProgramRun run = cli({"-b", "structure", "ps2/lamp.dff"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    const std::map<std::string, Picture> lamp = {{"glass.png", {16, 16, 4}}, {"glass_mask.png", {16, 16, 3}},
                                                 {"metal.png", {16, 16, 3}}, {"stone.png", {32, 32, 3}}};
    EXPECT_EQ(pngs_under(folder.path / "ps2"), lamp) << run.err;

    run = cli({"--extract", "-o", "out", "pc/lamp.txd"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    fs::rename(folder.path / "out/glass_mask.png", folder.path / "pc_mask.png");
    run = cli({"--extract", "-o", "out", "ps2/lamp.txd"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_TRUE(has_line(run.err, "vorlund-obj: ps2/lamp.txd: 5 textures written to out")) << run.err;
    int w = 0, h = 0, n = 0, w2 = 0, h2 = 0;
    stbi_uc* pc = stbi_load(at("pc_mask.png").c_str(), &w, &h, &n, 4);
    stbi_uc* ps2 = stbi_load(at("out/glass_mask.png").c_str(), &w2, &h2, &n, 4);
    ASSERT_TRUE(pc && ps2);
    EXPECT_EQ(Bytes(pc, pc + 16 * 16 * 4), Bytes(ps2, ps2 + 16 * 16 * 4));
    stbi_image_free(pc), stbi_image_free(ps2);
    EXPECT_EQ(pngs_under(folder.path / "out").at("glass_frame.png"), (Picture{32, 16, 4}));

    const std::string whole = read_file(folder.path / "ps2/lamp.txd");
    Bytes cut(whole.begin(), whole.end());
    cut.resize(cut.size() - 100);
    folder.write("cut.txd", cut);
    run = cli({"--inspect", "ps2/lamp.txd", "cut.txd"});
    EXPECT_EQ(run.exit_status, 1) << run.err;
    EXPECT_TRUE(has_line(run.out, "texture \"glass_mask\" at 0x001908: platform PS2, 16 x 16, depth 8, "
                                  "palette of 256 RGBA8888 colours, swizzled, 1 level"))
        << run.out;
    EXPECT_NE(run.out.find("\ndamage at 0x"), std::string::npos) << run.out;
    EXPECT_EQ(lines_of_text(run.err), (std::vector<std::string>{"vorlund-obj: 2 texture dictionaries: 1 well-formed"}));
}

}  // namespace

#endif
