// vorlund-obj's arguments: the option spellings getopt users expect, usage
// errors with their one-line reason, the program's own output named by a shell
// pattern, and how much each verbosity tells.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/cli_fixture.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;

namespace {

using CliArguments = CliFolder;

TEST_F(CliArguments, MalformedArgumentsAreUsageErrorsThatTouchNothing) {
    copy_sample("crate.dff");
    folder.write("taken", std::vector<std::uint8_t>{'x'});
    const struct {
        std::vector<std::string> args;
        std::string reason;
    } cases[] = {
        {{""}, "empty path"},
        {{"crate.dff", ""}, "empty path"},
        {{"--", ""}, "empty path"},
        {{"crate.dff", "-o"}, "option '-o' needs a folder"},
        {{"--output-dir=", "crate.dff"}, "option '--output-dir' needs a folder"},
        {{"-o", "taken", "crate.dff"}, "output folder 'taken' exists and is not a folder"},
        {{"-otaken", "crate.dff"}, "output folder 'taken' exists and is not a folder"},
        {{"-j0", "crate.dff"}, "invalid number of jobs '0' (a whole number from 1)"},
        {{"-j", "x", "crate.dff"}, "invalid number of jobs 'x' (a whole number from 1)"},
        {{"--jobs=2x", "crate.dff"}, "invalid number of jobs '2x' (a whole number from 1)"},
        {{"crate.dff", "--jobs"}, "option '--jobs' needs a number of jobs"},
        {{"--recursive=yes", "crate.dff"}, "option '--recursive' takes no value"},
        {{"-qx", "crate.dff"}, "unknown option '-x'"},
        {{"--output", "out", "crate.dff"}, "unknown option '--output'"},
        {{"-bgo5", "crate.dff"}, "unknown button 'go5' (structure, go1, go2, go3, go4 or auto)"},
        {{"crate.dff", "-t"}, "option '-t' needs a texture dictionary file"},
    };
    for (const auto& c : cases) {
        ProgramRun run = cli(c.args);
        EXPECT_EQ(run.exit_status, 2) << c.reason;
        EXPECT_EQ(lines_of_text(run.err),
                  (std::vector<std::string>{"vorlund-obj: " + c.reason, "vorlund-obj: try 'vorlund-obj --help'"}));
        EXPECT_EQ(entries(), (std::vector<std::string>{"crate.dff", "taken"})) << c.reason;
    }
}

TEST_F(CliArguments, ValuesComeAttachedOrSeparateAndFlagsCluster) {
    copy_sample("crate.dff");
    const std::vector<std::vector<std::string>> spellings = {
        {"-bgo1", "crate.dff"},           {"-b", "go1", "crate.dff"},  {"--button=go1", "crate.dff"},
        {"-j2", "crate.dff"},             {"-j", "2", "crate.dff"},    {"--jobs", "2", "crate.dff"},
        {"-oout", "crate.dff"},           {"-o", "out", "crate.dff"},  {"--output-dir=out", "crate.dff"},
        {"crate.dff", "--output-dir", "out"}, {"-qbgo1", "crate.dff"}, {"-vqo", "out", "crate.dff"},
    };
    for (const auto& args : spellings) {
        ProgramRun run = cli(args);
        EXPECT_EQ(run.exit_status, 0) << args[0] << " " << run.err;
        EXPECT_EQ(lines_of_text(run.err).back(), "vorlund-obj: 1 model: 1 clean, 0 doubtful, 0 failed");
    }
    EXPECT_TRUE(fs::exists(folder.path / "out/crate.dff.obj"));
    ProgramRun help = cli({"-h", "--bogus"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_EQ(help.out.rfind("usage: vorlund-obj ", 0), 0u);
}

// A shell pattern such as *.obj names the program's own output: skipped, unless after --.
TEST_F(CliArguments, NamedObjAndMtlFilesAreSkippedUnlessAfterDoubleDash) {
    copy_sample("crate.dff");
    copy_sample("crate.dff", "model.OBJ");
    folder.write("crate.dff.mtl", std::vector<std::uint8_t>{'m'});
    const std::string skip = ": skipped: an OBJ or MTL file is this program's output (name it after -- to convert it)";
    const struct {
        std::vector<std::string> args;
        int exit_status;
        std::vector<std::string> lines;
    } cases[] = {
        {{"model.OBJ", "crate.dff.mtl"},
         1,
         {"model.OBJ" + skip, "crate.dff.mtl" + skip, "0 models: 0 clean, 0 doubtful, 0 failed; 2 files skipped",
          "nothing was converted: every file named was skipped"}},
        {{"model.OBJ", "crate.dff"},
         0,
         {"model.OBJ" + skip, at("crate.dff") + ": go1 converted it clean into " + at("crate.dff.obj"),
          "1 model: 1 clean, 0 doubtful, 0 failed; 1 file skipped"}},
        {{"--", "model.OBJ"},
         0,
         {at("model.OBJ") + ": go1 converted it clean into " + at("model.OBJ.obj"),
          "1 model: 1 clean, 0 doubtful, 0 failed"}},
    };
    for (const auto& c : cases) {
        ProgramRun run = cli(c.args);
        EXPECT_EQ(run.exit_status, c.exit_status) << c.args[0];
        std::vector<std::string> expected;
        for (const auto& line : c.lines) expected.push_back("vorlund-obj: " + line);
        EXPECT_EQ(lines_of_text(run.err), expected);
        EXPECT_EQ(read_file(folder.path / "crate.dff.mtl"), "m");
        EXPECT_FALSE(fs::exists(folder.path / "crate.dff.mtl.obj"));
    }
}

TEST_F(CliArguments, QuietTellsOnlyTroubleAndVerboseEveryBox) {
    copy_sample("crate.dff");
    copy_sample("house.dff");  // structure, go1 and go2 doubtful before go3
    ModelBuilder nothing;
    nothing.u8(16);
    nothing.fill(200, 0x55);
    folder.write("nothing.dff", nothing);
    folder.write("empty.dff", std::vector<std::uint8_t>{});
    const std::string box = "vorlund-obj: There were errors!  Choose another button.";
    const std::string crate = "vorlund-obj: " + at("crate.dff") + ": go1 converted it clean into " + at("crate.dff.obj");
    const std::string house = "vorlund-obj: " + at("house.dff") + ": go3 converted it clean into " + at("house.dff.obj");
    const std::string none = "vorlund-obj: " + at("nothing.dff") +
                             ": no conversion is clean (structure: not a chunked model: no clump among the first "
                             "chunks (at 0x0); go1: no blocks found; go2: no blocks found; go3: no blocks found; go4: no "
                             "blocks found); " +
                             at("nothing.dff.obj") +
                             " is left empty (--button structure and go1 to go4 keep each one's doubtful output)";
    const std::string empty = "vorlund-obj: " + at("empty.dff") + ": not converted: empty file";
    const std::string summary = "vorlund-obj: 4 models: 2 clean, 1 doubtful, 1 failed";
    const struct {
        const char* flag;
        std::vector<std::string> lines;
    } cases[] = {
        {"--quiet", {none, empty, summary}},
        {"-q", {none, empty, summary}},
        {"--button=auto", {crate, house, none, empty, summary}},
        // structure comes first in auto, and none of these is a chunked model.
        {"-v", {box, crate, box, box, box, house, box, box, box, box, box, none, empty, summary}},
    };
    for (const auto& c : cases) {
        ProgramRun run = cli({c.flag, "crate.dff", "house.dff", "nothing.dff", "empty.dff"});
        EXPECT_EQ(run.exit_status, 1) << c.flag;
        EXPECT_EQ(lines_of_text(run.err), c.lines) << c.flag;
    }
}

}  // namespace

#endif
