// What vorlund-obj leaves on disk: a model bound to fail leaves no OBJ or MTL
// file and an OBJ file that was there stays as it was; -o puts the OBJ files
// under another folder and never into the models' folders.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/cli_fixture.h"
#include "support/process_guards.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;

namespace {

using CliOutput = CliFolder;

struct FailureCase {
    const char* name;
    std::function<void(const fs::path& model)> make;
    std::string reason;
    const char* box = nullptr;  // the window's box for such a model, shown with -v
};

// Run as the user nobody, so that a file without read permission is one.
TEST_F(CliOutput, EachFailureSaysWhyAndLeavesNoFileBehindNorTouchesAnOldOne) {
    open_to_everyone(folder.path);
    auto bytes = [](std::vector<std::uint8_t> b) {
        return [b](const fs::path& p) {
            std::FILE* f = std::fopen(p.c_str(), "wb");
            if (!f) return;
            if (!b.empty()) std::fwrite(b.data(), 1, b.size(), f);
            std::fclose(f);
        };
    };
    const FailureCase cases[] = {
        {"empty.dff", bytes({}), "empty file"},
        {"wrong.dff", bytes({'{', '\n', ' ', ' ', 'x'}),
         "not a model file (first bytes 7b 0a 20 20; a model starts with 10)", "This doesn't seem to be a dff file!"},
        {"short.dff", bytes({0x7f}), "not a model file (first bytes 7f; a model starts with 10)",
         "This doesn't seem to be a dff file!"},
        {"big.dff", [&](const fs::path& p) { bytes({16})(p); fs::resize_file(p, 127000000); },
         "too large: 127,000,000 bytes, the limit is 126,999,999", "error: dff file > 124 MB. Nicht akzeptiert..."},
        {"secret.dff",
         [&](const fs::path& p) {
             bytes({16, 0, 0, 0})(p);
             fs::permissions(p, fs::perms::none);
         },
         "permission denied"},
    };
    for (bool old_files : {false, true}) {
        for (const auto& c : cases) {
            const fs::path model = folder.path / c.name;
            c.make(model);
            if (old_files) {
                folder.write(std::string(c.name) + ".obj", std::vector<std::uint8_t>{'o', 'l', 'd'});
                folder.write(std::string(c.name) + ".mtl", std::vector<std::uint8_t>{'m'});
            }
            ProgramRun run = cli({"-v", c.name}, true);
            if (run.could_not_start) GTEST_SKIP() << "cannot run as an unprivileged user: " << run.err;
            EXPECT_EQ(run.exit_status, 1) << c.name;
            std::vector<std::string> expected{"vorlund-obj: " + model.string() + ": not converted: " + c.reason,
                                              "vorlund-obj: 1 model: 0 clean, 0 doubtful, 1 failed"};
            if (c.box) expected.insert(expected.begin(), std::string("vorlund-obj: ") + c.box);
            EXPECT_EQ(lines_of_text(run.err), expected);
            if (old_files) {
                EXPECT_EQ(read_file(model.string() + ".obj"), "old") << c.name;
                EXPECT_EQ(read_file(model.string() + ".mtl"), "m") << c.name;
            } else {
                EXPECT_FALSE(fs::exists(model.string() + ".obj")) << c.name;
            }
            fs::remove(model);
            fs::remove(model.string() + ".obj");
            fs::remove(model.string() + ".mtl");
        }
    }
}

TEST_F(CliOutput, OutputFolderTakesFilesFlatAndFoldersWithTheirPaths) {
    copy_sample("crate.dff", "models/cars/bullet.dff");
    copy_sample("house.dff", "models/house.dff");
    copy_sample("lantern.dff", "loose/lantern.dff");
    const auto models_before = entries();
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> written;  // under out/
    } cases[] = {
        {{"-o", "out", "--recursive", "models"}, {"out/cars/bullet.dff.obj", "out/house.dff.obj"}},
        {{"-o", "out", "models"}, {"out/house.dff.obj"}},
        {{"-o", "out/new/deeper", "loose/lantern.dff", "models/cars/bullet.dff"},
         {"out/new/deeper/bullet.dff.obj", "out/new/deeper/lantern.dff.obj"}},
    };
    for (const auto& c : cases) {
        ProgramRun run = cli(c.args);
        EXPECT_EQ(run.exit_status, 0) << run.err;
        std::vector<std::string> written;
        for (const auto& e : entries())
            if (e.size() > 4 && e.substr(e.size() - 4) == ".obj") written.push_back(e);
        EXPECT_EQ(written, c.written) << c.args[2];
        EXPECT_NE(run.err.find("converted it clean into " + at(c.written[0])), std::string::npos) << run.err;
        // The header line still names the model where it is.
        EXPECT_EQ(lines_of_text(read_file(folder.path / c.written[0])).at(0).substr(0, 2 + at("").size()),
                  "# " + at(""));
        fs::remove_all(folder.path / "out");
        EXPECT_EQ(entries(), models_before);
    }
}

TEST_F(CliOutput, TwoModelsForOneOutputPathFailTheSecond) {
    copy_sample("crate.dff", "a/crate.dff");
    copy_sample("house.dff", "b/crate.dff");
    ProgramRun run = cli({"-o", "out", "a/crate.dff", "b/crate.dff", "a/./crate.dff"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(lines_of_text(run.err),
              (std::vector<std::string>{
                  "vorlund-obj: " + at("a/crate.dff") + ": go1 converted it clean into " + at("out/crate.dff.obj"),
                  "vorlund-obj: " + at("b/crate.dff") + ": not converted: " + at("out/crate.dff.obj") +
                      " is already the OBJ file of " + at("a/crate.dff"),
                  "vorlund-obj: " + at("a/crate.dff") + ": not converted: named more than once",
                  "vorlund-obj: 3 models: 1 clean, 0 doubtful, 2 failed"}));
    // The first model's text, not the second's.
    EXPECT_NE(read_file(folder.path / "out/crate.dff.obj").find("# button go1"), std::string::npos);
}

TEST_F(CliOutput, UnwritableOutputFolderFailsEveryModelAndTouchesNothing) {
    open_to_everyone(folder.path);
    copy_sample("crate.dff", "models/crate.dff");
    copy_sample("house.dff", "models/house.dff");
    fs::create_directory(folder.path / "locked");  // root's: nobody cannot write in it
    const auto before = entries();
    const struct {
        const char* dir;
        std::string (*line)(const std::string& at_folder, const std::string& model);
    } cases[] = {
        {"locked", [](const std::string& f, const std::string& m) {
             return "cannot create " + f + "locked/" + m + ".obj (permission denied)";
         }},
        {"locked/sub", [](const std::string& f, const std::string&) {
             return "cannot create the folder " + f + "locked/sub (permission denied)";
         }},
    };
    for (const auto& c : cases) {
        ProgramRun run = cli({"-o", c.dir, "models"}, true);
        if (run.could_not_start) GTEST_SKIP() << "cannot run as an unprivileged user: " << run.err;
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(lines_of_text(run.err),
                  (std::vector<std::string>{
                      "vorlund-obj: " + at("models/crate.dff") + ": not converted: " + c.line(at(""), "crate.dff"),
                      "vorlund-obj: " + at("models/house.dff") + ": not converted: " + c.line(at(""), "house.dff"),
                      "vorlund-obj: 2 models: 0 clean, 0 doubtful, 2 failed"}));
        EXPECT_EQ(entries(), before);
    }
}

}  // namespace

#endif
