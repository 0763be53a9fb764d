// vorlund-obj -j N end to end: worker processes change nothing but the speed,
// and a worker that dies costs only the model it was converting.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/model_builder.h"
#include "support/run_program.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;

namespace {

const fs::path samples_folder = fs::path(VORLUND_SOURCE_DIR) / "samples";

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

struct Outcome {
    int exit_status = -1;
    std::vector<std::string> err;
    std::map<std::string, std::string> objs;  // OBJ file under the folder -> its text
};

class Jobs : public ::testing::Test {
protected:
    TempFolder folder;

    // Good, doubtful and broken models, in two folders; the worker tests rely
    // on the listed order (m/a... first, then m/sub/...).
    void SetUp() override {
        const char* samples[] = {"crate.dff", "house.dff", "lantern.dff"};
        const char* names[] = {"m/a0-crate.dff", "m/a1-house.dff", "m/a2-lantern.dff",
                               "m/a3-crate.dff", "m/sub/a4-house.dff", "m/sub/a5-lantern.dff"};
        for (int i = 0; i < 6; ++i) {
            fs::path to = folder.path / names[i];
            fs::create_directories(to.parent_path());
            fs::copy_file(samples_folder / samples[i % 3], to);
        }
        ModelBuilder doubtful;  // a model file in which no strategy finds anything clean
        doubtful.u8(16);
        doubtful.fill(300, 0x55);
        folder.write("m/b-doubtful.dff", doubtful);
        ModelBuilder wrong;
        wrong.u8(17);
        wrong.fill(64, 1);
        folder.write("m/c-wrong.dff", wrong);
        folder.write("m/d-empty.dff", std::vector<std::uint8_t>{});
    }

    Outcome run(std::vector<std::string> args) {
        for (const auto& e : fs::recursive_directory_iterator(folder.path))
            if (e.path().extension() == ".obj") fs::remove(e.path());
        ProgramRun r = run_program(VORLUND_OBJ_PROGRAM, args, RunSettings{folder.path.string(), false});
        Outcome o{r.exit_status, lines_of(r.err), {}};
        EXPECT_EQ(r.out, "");
        for (const auto& e : fs::recursive_directory_iterator(folder.path))
            if (e.path().extension() == ".obj")
                o.objs[fs::relative(e.path(), folder.path).string()] = read_file(e.path());
        return o;
    }
};

// Sets an environment variable for the programs the test starts.
struct Environment {
    const char* name;
    Environment(const char* n, const char* value) : name(n) { setenv(n, value, 1); }
    ~Environment() { unsetenv(name); }
};

TEST_F(Jobs, EveryJobCountGivesTheSameFilesLinesAndStatusAsOneJob) {
    const std::vector<std::vector<std::string>> runs[] = {
        {{"-j", "1"}, {"-j", "3"}, {"-j2"}, {"--jobs", "4"}, {"--jobs=20"}, {}},
        {{"-j", "1", "-b", "go1"}, {"-b", "go1", "-j", "3"}},
    };
    for (const auto& group : runs) {
        Outcome one;
        for (const auto& options : group) {
            std::vector<std::string> args = options;
            for (const char* a : {"--recursive", "m", "missing.dff", "m/sub/a4-house.dff"}) args.push_back(a);
            Outcome o = run(args);
            if (one.exit_status < 0) {
                one = o;
                // The folder was converted at all: each kind of result is in it.
                ASSERT_EQ(o.exit_status, 1);
                // a4 named twice has one OBJ file; the wrong and the empty model none.
                ASSERT_EQ(o.objs.size(), 7u);
                ASSERT_EQ(o.err.back().find("vorlund-obj: 11 models: "), 0u) << o.err.back();
                continue;
            }
            std::string spelled;
            for (const auto& a : options) spelled += a + " ";
            EXPECT_EQ(o.exit_status, one.exit_status) << spelled;
            EXPECT_EQ(o.err, one.err) << spelled;
            EXPECT_EQ(o.objs, one.objs) << spelled;
        }
    }
}

TEST_F(Jobs, AStoppedWorkerFailsItsModelAndTheRestOfItsShareStillConverts) {
    const Outcome one = run({"-j", "1", "--recursive", "m"});
    ASSERT_EQ(one.err.back(), "vorlund-obj: 9 models: 6 clean, 1 doubtful, 2 failed");
    // With two workers, a0 is the first of the first worker's share, a3 the
    // second of the second's; each is clean with go1, one line in one.err.
    for (const char* name : {"a0-crate.dff", "a3-crate.dff"}) {
        Outcome stopped;
        {
            Environment stop("VORLUND_OBJ_TEST_WORKER_STOPS_AT", name);
            stopped = run({"-j", "2", "--recursive", "m"});
        }
        const std::string path = (folder.path / "m" / name).string();
        std::vector<std::string> expected = one.err;
        for (std::string& line : expected)
            if (line.find(path + ": go1 converted it clean") != std::string::npos)
                line = "vorlund-obj: " + path + ": not converted: worker stopped while converting it (signal 9)";
        expected.back() = "vorlund-obj: 9 models: 5 clean, 1 doubtful, 3 failed";
        EXPECT_EQ(stopped.err, expected) << name;
        EXPECT_EQ(stopped.exit_status, 1);
        std::map<std::string, std::string> others = one.objs;
        others.erase("m/" + std::string(name) + ".obj");
        stopped.objs.erase("m/" + std::string(name) + ".obj");
        EXPECT_EQ(stopped.objs, others) << name;
    }
}

TEST_F(Jobs, BadJobCountsAreUsageErrors) {
    const struct {
        std::vector<std::string> args;
        std::string first_line;
    } cases[] = {
        {{"-j", "0", "m"}, "vorlund-obj: invalid number of jobs '0' (a whole number from 1)"},
        {{"-j", "x", "m"}, "vorlund-obj: invalid number of jobs 'x' (a whole number from 1)"},
        {{"-j-1", "m"}, "vorlund-obj: invalid number of jobs '-1' (a whole number from 1)"},
        {{"--jobs=", "m"}, "vorlund-obj: invalid number of jobs '' (a whole number from 1)"},
        {{"--jobs=9999999", "m"}, "vorlund-obj: invalid number of jobs '9999999' (a whole number from 1)"},
        {{"m", "-j"}, "vorlund-obj: option '-j' needs a number of jobs"},
        {{"m", "--jobs"}, "vorlund-obj: option '--jobs' needs a number of jobs"},
    };
    for (const auto& c : cases) {
        Outcome o = run(c.args);
        EXPECT_EQ(o.exit_status, 2) << c.first_line;
        EXPECT_EQ(o.err, (std::vector<std::string>{c.first_line, "vorlund-obj: try 'vorlund-obj --help'"}));
        EXPECT_TRUE(o.objs.empty()) << c.first_line;
    }
    // After "--" it is a name like any other.
    Outcome named = run({"-j", "2", "--", "-j"});
    EXPECT_EQ(named.exit_status, 1);
    EXPECT_EQ(named.err, (std::vector<std::string>{"vorlund-obj: -j: no such file or folder",
                                                   "vorlund-obj: 1 model: 0 clean, 0 doubtful, 1 failed"}));
}

}  // namespace

#endif  // VORLUND_OBJ_PROGRAM
