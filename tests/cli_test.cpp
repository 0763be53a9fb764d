// vorlund-obj end to end: the real program on the bundled samples and on
// models made here, against what the window's commands write for the same model.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "control/commands.h"
#include "engine/conversion_state.h"
#include "support/fake_platform.h"
#include "support/model_builder.h"
#include "support/process_guards.h"
#include "support/run_program.h"
#include "support/vertices_first_reference.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;

namespace {

const fs::path samples_folder = fs::path(VORLUND_SOURCE_DIR) / "samples";
const std::string doubtful_line = "vorlund-obj: There were errors!  Choose another button.";

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> sorted_lines(const std::string& text) {
    std::vector<std::string> lines = lines_of(text);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// f lines with a vertex number (before each '/') past the v lines above them:
// faces that a one-pass importer drops.
int faces_pointing_ahead(const std::string& text) {
    long long vertices = 0;
    int ahead = 0;
    for (const auto& line : lines_of(text)) {
        if (line.rfind("v ", 0) == 0) ++vertices;
        if (line.rfind("f ", 0) != 0) continue;
        std::istringstream corners(line.substr(2));
        for (std::string corner; corners >> corner;)
            if (std::stoll(corner) > vertices) {
                ++ahead;
                break;
            }
    }
    return ahead;
}

int count_lines_starting(const std::string& text, const std::string& start) {
    int n = 0;
    for (const auto& line : lines_of(text)) n += line.rfind(start, 0) == 0;
    return n;
}

// What the window leaves for a model and one button: the OBJ text when the
// conversion is clean, the text on disk while "There were errors!" is up when not.
struct WindowResult {
    std::string text;
    bool doubtful = false;
};

WindowResult window_output(const fs::path& model, int button_id) {
    FakePlatform fake;
    CurrentFolder in_folder(model.parent_path());
    const fs::path obj = model.string() + ".obj";
    WindowResult result;
    fake.while_box_up = [&](const MessageBoxCall& box) {
        if (box.text == text_doubtful) {
            result.text = read_file(obj);
            result.doubtful = true;
        }
    };
    fake.dialog_choice = model.string();
    handle_command(nullptr, id_open);
    handle_command(nullptr, static_cast<std::uintptr_t>(button_id));
    handle_close(nullptr);
    if (!result.doubtful) result.text = read_file(obj);
    fs::remove(obj);
    return result;
}

class Cli : public ::testing::Test {
protected:
    TempFolder folder;

    ProgramRun cli(const std::vector<std::string>& args, bool unprivileged = false) {
        return run_program(VORLUND_OBJ_PROGRAM, args, RunSettings{folder.path.string(), unprivileged});
    }

    fs::path copy_sample(const std::string& name, const std::string& as = "") {
        fs::path to = folder.path / (as.empty() ? name : as);
        fs::create_directories(to.parent_path());
        fs::copy_file(samples_folder / name, to);
        return to;
    }

    std::string at(const std::string& name) { return (folder.path / name).string(); }
};

std::string summary(int models, int clean, int doubtful, int failed, const std::string& more = "") {
    return "vorlund-obj: " + std::to_string(models) + (models == 1 ? " model: " : " models: ") +
           std::to_string(clean) + " clean, " + std::to_string(doubtful) + " doubtful, " +
           std::to_string(failed) + " failed" + more;
}

// --- usage -----------------------------------------------------------------

struct UsageCase {
    std::vector<std::string> args;
    std::string first_line;
};

TEST_F(Cli, UsageErrorsExitWithTwoAndConvertNothing) {
    copy_sample("crate.dff");
    const UsageCase cases[] = {
        {{}, "vorlund-obj: no model or folder named"},
        {{"--recursive"}, "vorlund-obj: no model or folder named"},
        {{"--button", "go5", "crate.dff"}, "vorlund-obj: unknown button 'go5' (structure, go1, go2, go3, go4 or auto)"},
        {{"--button=GO1", "crate.dff"}, "vorlund-obj: unknown button 'GO1' (structure, go1, go2, go3, go4 or auto)"},
        {{"crate.dff", "-b"}, "vorlund-obj: option '-b' needs a button (structure, go1, go2, go3, go4 or auto)"},
        {{"crate.dff", "--button"},
         "vorlund-obj: option '--button' needs a button (structure, go1, go2, go3, go4 or auto)"},
        {{"--bogus", "crate.dff"}, "vorlund-obj: unknown option '--bogus'"},
        {{"crate.dff", "-r"}, "vorlund-obj: unknown option '-r'"},
    };
    for (const auto& c : cases) {
        ProgramRun run = cli(c.args);
        std::vector<std::string> err = lines_of(run.err);
        ASSERT_EQ(err.size(), 2u) << run.err;
        EXPECT_EQ(run.exit_status, 2) << err[0];
        EXPECT_EQ(err[0], c.first_line);
        EXPECT_EQ(err[1], "vorlund-obj: try 'vorlund-obj --help'");
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(fs::exists(folder.path / "crate.dff.obj")) << err[0];
    }
}

TEST_F(Cli, HelpAndVersionGoToStdout) {
    ProgramRun help = cli({"--help"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(lines_of(help.out).at(0),
              "usage: vorlund-obj [-b structure|go1|go2|go3|go4|auto] [--local] [--recursive]");
    for (const char* word : {"--button", "-b", "--recursive", "--help", "--version", "auto", "go4",
                             "structure", "--local", "house.dff.mtl", "house.dff.obj", "Exit status",
                             "--output-dir", "--quiet", "--verbose", "-h,", "--exact-text"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    ProgramRun version = cli({"--version"});
    EXPECT_EQ(version.exit_status, 0);
    EXPECT_EQ(version.out, "vorlund-obj " VORLUND_VERSION "\n");
    EXPECT_EQ(version.err, "");
}

// --- each button -----------------------------------------------------------

struct ButtonCase {
    const char* sample;
    const char* spelling;  // the button as named on the command line
    int button_id;
    const char* doubt;     // why the button's output is doubtful; null when clean
};
void PrintTo(const ButtonCase& c, std::ostream* os) {
    *os << c.sample << " " << c.spelling << " go" << c.button_id - id_go1 + 1;
}

class EachButton : public Cli, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(EachButton, WritesWhatTheWindowWritesAndKeepsDoubtfulOutput) {
    const ButtonCase& c = GetParam();
    const fs::path model = copy_sample(c.sample);
    const std::string obj = model.string() + ".obj";
    WindowResult window = window_output(model, c.button_id);
    ASSERT_FALSE(window.text.empty());

    std::vector<std::string> args = {c.spelling};
    if (std::string(c.spelling) == "-b" || std::string(c.spelling) == "--button")
        args.push_back(std::string("go") + std::to_string(c.button_id - id_go1 + 1));
    args.push_back(c.sample);
    std::vector<std::string> exact_args = args;
    exact_args.insert(exact_args.begin(), "--exact-text");
    ProgramRun exact = cli(exact_args);
    EXPECT_EQ(read_file(obj), window.text);

    // By default the same lines, each group's v lines ahead of the faces using them.
    ProgramRun run = cli(args);
    const std::string text = read_file(obj);
    EXPECT_EQ(text, vertices_first_reference(window.text));
    EXPECT_EQ(sorted_lines(text), sorted_lines(window.text));
    if (window.doubtful) {
        // Doubtful faces may point past every vertex; none points further ahead than before.
        EXPECT_LE(faces_pointing_ahead(text), faces_pointing_ahead(window.text));
    } else {
        EXPECT_EQ(faces_pointing_ahead(text), 0);
        EXPECT_GT(faces_pointing_ahead(window.text), 0);
    }
    EXPECT_EQ(exact.exit_status, run.exit_status);
    EXPECT_EQ(exact.err, run.err);

    const std::string name = std::string("go") + std::to_string(c.button_id - id_go1 + 1);
    EXPECT_EQ(run.out, "");
    args.insert(args.begin(), {"-v", "--exact-text"});
    ProgramRun verbose = cli(args);
    EXPECT_EQ(read_file(obj), window.text);
    EXPECT_EQ(window.doubtful, c.doubt != nullptr);
    if (window.doubtful) {
        const std::string model_line = "vorlund-obj: " + model.string() + ": " + name +
                                       " found doubtful output (" + c.doubt + "), kept in " + obj;
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(lines_of(run.err), (std::vector<std::string>{model_line, summary(1, 0, 1, 0)}));
        // The window's box is shown only when asked for.
        EXPECT_EQ(verbose.exit_status, 1);
        EXPECT_EQ(lines_of(verbose.err),
                  (std::vector<std::string>{doubtful_line, model_line, summary(1, 0, 1, 0)}));
    } else {
        EXPECT_EQ(verbose.err, run.err);
        EXPECT_EQ(run.exit_status, 0);
        EXPECT_EQ(lines_of(run.err),
                  (std::vector<std::string>{"vorlund-obj: " + model.string() + ": " + name +
                                                " converted it clean into " + obj,
                                            summary(1, 1, 0, 0)}));
    }
}

std::vector<ButtonCase> every_sample_and_button() {
    std::vector<ButtonCase> cases;
    const char* spellings[] = {"--button", "-b", "--button=go3", "-bgo4"};
    const char* none = "no blocks found";
    const struct {
        const char* sample;
        const char* doubt[4];  // for go1..go4
    } samples[] = {
        {"crate.dff", {nullptr, none, "2 blocks, 2 with face indices out of range", none}},
        {"house.dff",
         {"2 blocks, 2 with face indices out of range, 2 with a normal not of unit length", none, nullptr,
          none}},
        {"lantern.dff", {none, none, none, nullptr}},
    };
    for (const auto& s : samples)
        for (int id = id_go1; id <= id_go4; ++id)
            cases.push_back({s.sample, spellings[id - id_go1], id, s.doubt[id - id_go1]});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(SamplesTimesButtons, EachButton, ::testing::ValuesIn(every_sample_and_button()),
                         [](const auto& info) {
                             std::string s = info.param.sample;
                             return s.substr(0, s.find('.')) + "_go" +
                                    std::to_string(info.param.button_id - id_go1 + 1);
                         });

// The samples are made for this: each one is clean with its own button first.
TEST_F(Cli, SamplesAreCleanExactlyWithTheButtonsTheyAreMadeFor) {
    const struct {
        const char* sample;
        const char* clean;  // for go1..go4
    } expected[] = {{"crate.dff", "1..."}, {"house.dff", "0.1."}, {"lantern.dff", "0001"}};
    for (const auto& e : expected) {
        fs::path model = copy_sample(e.sample);
        for (int i = 0; i < 4; ++i) {
            if (e.clean[i] == '.') continue;
            WindowResult r = window_output(model, id_go1 + i);
            EXPECT_EQ(!r.doubtful, e.clean[i] == '1') << e.sample << " go" << i + 1;
            if (!r.doubtful) {
                EXPECT_EQ(count_lines_starting(r.text, "g submesh_"), 2) << e.sample;
                EXPECT_EQ(count_lines_starting(r.text, "# ERROR"), 0) << e.sample;
            }
        }
    }
}

// --- auto ------------------------------------------------------------------

TEST_F(Cli, AutoStopsAtTheFirstCleanButton) {
    const struct {
        const char* sample;
        int clean_id;
    } cases[] = {{"crate.dff", id_go1}, {"house.dff", id_go3}, {"lantern.dff", id_go4}};
    for (const auto& c : cases) {
        const fs::path model = copy_sample(c.sample);
        const std::string obj = model.string() + ".obj";
        const std::string expected_text = window_output(model, c.clean_id).text;
        ProgramRun run = cli({"-v", "--exact-text", c.sample});
        // structure first: these samples are no chunk trees.
        const int tries = c.clean_id - id_go1 + 1;
        std::vector<std::string> expected_err(static_cast<std::size_t>(tries), doubtful_line);
        const std::string model_line = "vorlund-obj: " + model.string() + ": go" + std::to_string(tries) +
                                       " converted it clean into " + obj;
        expected_err.push_back(model_line);
        expected_err.push_back(summary(1, 1, 0, 0));
        EXPECT_EQ(run.exit_status, 0) << c.sample;
        EXPECT_EQ(lines_of(run.err), expected_err);
        // Only the clean button's output is left: every try starts on the emptied file.
        EXPECT_EQ(read_file(obj), expected_text) << c.sample;
        // structure's MTL file goes with structure's text.
        EXPECT_FALSE(fs::exists(model.string() + ".mtl")) << c.sample;
        EXPECT_EQ(cli({"--button", "auto", "--verbose", "--exact-text", c.sample}).err, run.err);
        // Without -v the conversions passed over say nothing.
        EXPECT_EQ(lines_of(cli({c.sample}).err), (std::vector<std::string>{model_line, summary(1, 1, 0, 0)}));
        const std::string reordered = read_file(obj);
        EXPECT_EQ(sorted_lines(reordered), sorted_lines(expected_text)) << c.sample;
        EXPECT_EQ(faces_pointing_ahead(reordered), 0) << c.sample;
    }
}

TEST_F(Cli, AutoLeavesTheFileEmptyWhenNoButtonIsClean) {
    ModelBuilder nothing;
    nothing.u8(16);
    nothing.fill(200, 0x55);
    folder.write("nothing.dff", nothing);
    ProgramRun run = cli({"-v", "nothing.dff"});
    EXPECT_EQ(run.exit_status, 1);
    std::vector<std::string> expected(5, doubtful_line);
    expected.push_back("vorlund-obj: " + at("nothing.dff") +
                       ": no conversion is clean (structure: not a chunked model: no clump among the first "
                       "chunks (at 0x0); go1: no blocks found; go2: no blocks found; go3: no blocks found; go4: no "
                       "blocks found); " +
                       at("nothing.dff.obj") +
                       " is left empty (--button structure and go1 to go4 keep each one's doubtful output)");
    expected.push_back(summary(1, 0, 1, 0));
    EXPECT_EQ(lines_of(run.err), expected);
    EXPECT_TRUE(fs::exists(folder.path / "nothing.dff.obj"));
    EXPECT_FALSE(fs::exists(folder.path / "nothing.dff.mtl"));
    EXPECT_EQ(read_file(folder.path / "nothing.dff.obj"), "");
}

// --- several models and folders ------------------------------------------------

TEST_F(Cli, MissingFileAmongGoodOnesFailsAloneAndIsCountedAsFailed) {
    copy_sample("crate.dff");
    copy_sample("house.dff");
    ProgramRun run = cli({"crate.dff", "missing.dff", "house.dff"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find("vorlund-obj: missing.dff: no such file or folder\n"), std::string::npos);
    EXPECT_EQ(lines_of(run.err).back(), summary(3, 2, 0, 1));
    EXPECT_EQ(count_lines_starting(read_file(folder.path / "crate.dff.obj"), "g submesh_"), 2);
    EXPECT_EQ(count_lines_starting(read_file(folder.path / "house.dff.obj"), "g submesh_"), 2);
    EXPECT_FALSE(fs::exists(folder.path / "missing.dff.obj"));
    // The order of the lines is the order of the models.
    EXPECT_LT(run.err.find("crate.dff: go1"), run.err.find("missing.dff"));
    EXPECT_LT(run.err.find("missing.dff"), run.err.find("house.dff: go3"));
}

TEST_F(Cli, FolderConvertsItsDffFilesInAnyCaseAndSubfoldersOnlyWithRecursive) {
    copy_sample("crate.dff", "top/a.dff");
    copy_sample("crate.dff", "top/B.DFF");
    copy_sample("house.dff", "top/sub/c.Dff");
    copy_sample("lantern.dff", "top/sub/deeper/d.dff");
    copy_sample("crate.dff", "top/not-a-model.dffx");
    folder.write("top/notes.txt", std::vector<std::uint8_t>{'h', 'i'});

    ProgramRun flat = cli({"top"});
    EXPECT_EQ(flat.exit_status, 0) << flat.err;
    EXPECT_EQ(lines_of(flat.err).back(), summary(2, 2, 0, 0));
    EXPECT_TRUE(fs::exists(folder.path / "top/a.dff.obj"));
    EXPECT_TRUE(fs::exists(folder.path / "top/B.DFF.obj"));
    EXPECT_FALSE(fs::exists(folder.path / "top/sub/c.Dff.obj"));
    EXPECT_FALSE(fs::exists(folder.path / "top/not-a-model.dffx.obj"));
    EXPECT_FALSE(fs::exists(folder.path / "top/notes.txt.obj"));

    ProgramRun deep = cli({"--recursive", "top"});
    EXPECT_EQ(deep.exit_status, 0) << deep.err;
    EXPECT_EQ(lines_of(deep.err).back(), summary(4, 4, 0, 0));
    EXPECT_NE(deep.err.find(at("top/sub/c.Dff") + ": go3 converted it clean into " +
                            at("top/sub/c.Dff.obj")),
              std::string::npos);
    EXPECT_NE(deep.err.find(at("top/sub/deeper/d.dff") + ": go4 converted it clean into " +
                            at("top/sub/deeper/d.dff.obj")),
              std::string::npos);
    // The header line names each model by its full path.
    EXPECT_EQ(lines_of(read_file(folder.path / "top/sub/deeper/d.dff.obj")).at(0),
              "# " + at("top/sub/deeper/d.dff"));
}

TEST_F(Cli, FolderWithoutModelsFails) {
    fs::create_directory(folder.path / "empty");
    ProgramRun run = cli({"empty"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(lines_of(run.err),
              (std::vector<std::string>{"vorlund-obj: " + at("empty") + ": no models (no *.dff files in the folder)",
                                        summary(0, 0, 0, 0, "; 1 folder without models")}));
}

// The public corpus, reached through links: the OBJ files go beside the links.
TEST_F(Cli, PublicCorpusThroughLinksConvertsEveryModel) {
    const fs::path corpus = VORLUND_CORPUS_DIR;
    if (!fs::exists(corpus / "cube.dff")) GTEST_SKIP() << "no public corpus at " << corpus;
    int models = 0;
    // Links to copies: the engine locks the model it reads, and other tests
    // read the corpus at the same time.
    TempFolder copies_folder;
    const fs::path& copies = copies_folder.path;
    for (const auto& e : fs::directory_iterator(corpus)) {
        if (e.path().extension() != ".dff") continue;
        fs::copy_file(e.path(), copies / e.path().filename());
        fs::create_symlink(copies / e.path().filename(), folder.path / e.path().filename());
        ++models;
    }
    ProgramRun run = cli({"."});
    ASSERT_FALSE(run.err.empty());
    EXPECT_NE(run.exit_status, 2);
    EXPECT_NE(run.err.find("vorlund-obj: " + at("cube.dff") + ": structure converted it clean into " +
                           at("cube.dff.obj")),
              std::string::npos)
        << run.err;
    // Clean or doubtful, but none fails.
    const std::string last = lines_of(run.err).back();
    EXPECT_EQ(last.rfind("vorlund-obj: " + std::to_string(models) + " models: ", 0), 0u) << last;
    EXPECT_TRUE(last.size() > 10 && last.substr(last.size() - 10) == ", 0 failed") << last;
    for (const auto& e : fs::directory_iterator(corpus)) {
        if (e.path().extension() != ".dff") continue;
        EXPECT_TRUE(fs::exists(folder.path / (e.path().filename().string() + ".obj")))
            << e.path().filename();
    }
}

// --- where the OBJ file goes ---------------------------------------------------

TEST_F(Cli, ObjFileIsBesideTheModelNamedAfterItsWholeNameAndLinksAreKept) {
    fs::create_directory(folder.path / "elsewhere");
    copy_sample("crate.dff", "models/tree");
    fs::create_symlink(folder.path / "models/tree", folder.path / "elsewhere/linked.dff");

    ProgramRun run = cli({"./models/./tree", "elsewhere/linked.dff"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_TRUE(fs::exists(folder.path / "models/tree.obj"));
    EXPECT_EQ(lines_of(read_file(folder.path / "models/tree.obj")).at(0), "# " + at("models/tree"));
    // A model reached through a link keeps the link's name and folder.
    EXPECT_TRUE(fs::exists(folder.path / "elsewhere/linked.dff.obj"));
    EXPECT_FALSE(fs::exists(folder.path / "models/linked.dff.obj"));
    EXPECT_EQ(lines_of(read_file(folder.path / "elsewhere/linked.dff.obj")).at(0),
              "# " + at("elsewhere/linked.dff"));
}

// Worker processes may read one model through two links at once: a reader's
// lock is waited for, not taken as a refusal.
TEST_F(Cli, AModelAnotherReaderHoldsForAMomentIsWaitedFor) {
    const fs::path model = copy_sample("crate.dff");
    const int fd = open(model.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    std::thread reader([fd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        close(fd);
    });
    ProgramRun run = cli({"-j", "1", "crate.dff"});
    reader.join();
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_TRUE(fs::exists(folder.path / "crate.dff.obj"));
}

// --- failures ----------------------------------------------------------------

TEST_F(Cli, ModelsThatCannotBeLoadedFailThoughTheWindowEndsThemClean) {
    ModelBuilder wrong;
    wrong.u8(17);
    wrong.fill(100, 1);
    folder.write("wrong.dff", wrong);
    folder.write("empty.dff", std::vector<std::uint8_t>{});
    ProgramRun run = cli({"-v", "wrong.dff", "empty.dff"});
    EXPECT_EQ(run.exit_status, 1);
    // Known before the Open: the window's commands never run, but -v shows the
    // box the window would show for such a file (none for an empty one).
    EXPECT_EQ(lines_of(run.err),
              (std::vector<std::string>{
                  "vorlund-obj: This doesn't seem to be a dff file!",
                  "vorlund-obj: " + at("wrong.dff") +
                      ": not converted: not a model file (first bytes 11 01 01 01; a model starts with 10)",
                  "vorlund-obj: " + at("empty.dff") + ": not converted: empty file", summary(2, 0, 0, 2)}));
    // Unlike the window, which leaves the header line, no OBJ file at all.
    EXPECT_FALSE(fs::exists(folder.path / "wrong.dff.obj"));
    EXPECT_FALSE(fs::exists(folder.path / "empty.dff.obj"));
}

TEST_F(Cli, ObjNameTakenByAFolderFailsWithTheOpenError) {
    copy_sample("crate.dff");
    copy_sample("house.dff");
    fs::create_directory(folder.path / "crate.dff.obj");
    ProgramRun run = cli({"-v", "crate.dff", "house.dff"});
    EXPECT_EQ(run.exit_status, 1);
    std::vector<std::string> err = lines_of(run.err);
    ASSERT_GE(err.size(), 3u);
    EXPECT_EQ(err[0], "vorlund-obj: <*.obj> open error!");
    EXPECT_EQ(err[1], "vorlund-obj: " + at("crate.dff") + ": not converted: cannot create " +
                          at("crate.dff.obj") + " (is a directory)");
    EXPECT_TRUE(fs::is_directory(folder.path / "crate.dff.obj"));
    EXPECT_EQ(err.back(), summary(2, 1, 0, 1));
}

TEST_F(Cli, FullDiskIsAWriteErrorNotACleanConversion) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    copy_sample("crate.dff");
    fs::create_symlink("/dev/full", folder.path / "crate.dff.obj");
    ProgramRun run = cli({"-v", "--button", "go1", "crate.dff"});
    // A failed conversion takes back only what it created: the link was there before.
    EXPECT_TRUE(fs::is_symlink(folder.path / "crate.dff.obj"));
    fs::remove(folder.path / "crate.dff.obj");  // the link, never the device
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(lines_of(run.err),
              (std::vector<std::string>{"vorlund-obj: <*.obj> write error!",
                                        "vorlund-obj: " + at("crate.dff") + ": not converted: could not write " +
                                            at("crate.dff.obj"),
                                        summary(1, 0, 0, 1)}));
}

// Root writes into read-only files and folders; these run the program as the
// user nobody then.
class CliWithoutRoot : public Cli {
protected:
    ProgramRun run_unprivileged(const std::vector<std::string>& args) {
        ProgramRun run = cli(args, true);
        if (run.could_not_start)
            skipped_reason = "the program cannot run as an unprivileged user here: " + run.err;
        return run;
    }
    std::string skipped_reason;
};

TEST_F(CliWithoutRoot, ReadOnlyFolderFailsEveryModelInIt) {
    copy_sample("crate.dff", "locked/crate.dff");
    copy_sample("house.dff", "locked/house.dff");
    fs::permissions(folder.path / "locked", fs::perms::owner_write | fs::perms::group_write |
                                                 fs::perms::others_write,
                    fs::perm_options::remove);
    ProgramRun run = run_unprivileged({"-v", "locked"});
    if (!skipped_reason.empty()) GTEST_SKIP() << skipped_reason;
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(count_lines_starting(run.err, "vorlund-obj: <*.obj> open error!"), 2) << run.err;
    EXPECT_EQ(lines_of(run.err).back(), summary(2, 0, 0, 2));
    EXPECT_FALSE(fs::exists(folder.path / "locked/crate.dff.obj"));
}

TEST_F(CliWithoutRoot, ReadOnlyObjFileIsLeftAsItWas) {
    open_to_everyone(folder.path);
    copy_sample("crate.dff");
    folder.write("crate.dff.obj", std::vector<std::uint8_t>{'o', 'l', 'd'});
    fs::permissions(folder.path / "crate.dff.obj",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ProgramRun run = run_unprivileged({"-v", "crate.dff"});
    if (!skipped_reason.empty()) GTEST_SKIP() << skipped_reason;
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(lines_of(run.err),
              (std::vector<std::string>{"vorlund-obj: <*.obj> open error!",
                                        "vorlund-obj: " + at("crate.dff") + ": not converted: cannot create " +
                                            at("crate.dff.obj") + " (permission denied)",
                                        summary(1, 0, 0, 1)}));
    EXPECT_EQ(read_file(folder.path / "crate.dff.obj"), "old");
}

// The OBJ file can be written but no file made beside it: the vertices-first
// text is written into the OBJ file itself as it is made, so the model converts.
TEST_F(CliWithoutRoot, ObjFileInAFolderThatTakesNoNewFilesGetsTheVerticesFirstText) {
    open_to_everyone(folder.path);
    const std::string window_text = window_output(copy_sample("crate.dff"), id_go1).text;
    copy_sample("crate.dff", "locked/crate.dff");
    folder.write("locked/crate.dff.obj", std::vector<std::uint8_t>{'o', 'l', 'd'});
    fs::permissions(folder.path / "locked/crate.dff.obj", fs::perms::all & ~fs::perms::owner_exec &
                                                              ~fs::perms::group_exec & ~fs::perms::others_exec);
    fs::permissions(folder.path / "locked", fs::perms::owner_write | fs::perms::group_write |
                                                fs::perms::others_write,
                    fs::perm_options::remove);
    ProgramRun run = run_unprivileged({"--button", "go1", "locked/crate.dff"});
    if (!skipped_reason.empty()) GTEST_SKIP() << skipped_reason;
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(lines_of(run.err),
              (std::vector<std::string>{"vorlund-obj: " + at("locked/crate.dff") + ": go1 converted it clean into " +
                                            at("locked/crate.dff.obj"),
                                        summary(1, 1, 0, 0)}));
    std::vector<std::string> left = lines_of(read_file(folder.path / "locked/crate.dff.obj"));
    std::vector<std::string> window = lines_of(vertices_first_reference(window_text));
    ASSERT_FALSE(left.empty());
    ASSERT_FALSE(window.empty());
    // The first line names the model by its path, which differs.
    EXPECT_EQ(std::vector<std::string>(left.begin() + 1, left.end()),
              std::vector<std::string>(window.begin() + 1, window.end()));
}

}  // namespace

#endif  // VORLUND_OBJ_PROGRAM
