// vorlund-obj against a hostile file system: every case ends with a clear
// message and a non-zero exit, and touches nothing but the OBJ files it names.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/model_builder.h"
#include "support/model_pieces.h"
#include "support/run_program.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;

namespace {

// One block that go1 converts clean: faces span all vertices, the normal has
// unit length, the UV bytes pass go1's byte test.
std::vector<std::uint8_t> clean_go1_model(std::uint32_t vertices) {
    BlockSpec block;
    block.vertex_count = vertices;
    block.face_count = (vertices + 2) / 3;
    block.indices.clear();
    for (std::uint32_t k = 0; k < block.face_count; ++k) {
        auto index = [&](std::uint32_t i) { return static_cast<std::uint16_t>(i < vertices ? i : 0); };
        block.indices.insert(block.indices.end(), {index(3 * k), index(3 * k + 1), 0, index(3 * k + 2)});
    }
    block.uvs = {0.75f, 0.5f};
    std::vector<std::uint8_t> model = noise_model(400 + block_size(block) + 64);
    put_double_marker(model, 100);
    put_block(model, 400, block);
    return model;
}

class CliHostile : public ::testing::Test {
public:
    ProgramRun run_cli(const std::vector<std::string>& args) { return cli(args); }

protected:
    TempFolder folder;

    ProgramRun cli(const std::vector<std::string>& args) {
        return run_program(VORLUND_OBJ_PROGRAM, args, RunSettings{folder.path.string(), false});
    }
    std::string at(const std::string& name) { return (folder.path / name).string(); }
    // Everything in the folder, for "nothing else touched".
    std::vector<std::string> entries() {
        std::vector<std::string> names;
        for (auto& e : fs::recursive_directory_iterator(folder.path))
            names.push_back(e.path().lexically_relative(folder.path).string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

void test_write(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string last_line(const std::string& text) {
    std::string t = text;
    while (!t.empty() && t.back() == '\n') t.pop_back();
    return t.substr(t.rfind('\n') + 1);
}

}  // namespace

TEST_F(CliHostile, ModelThatIsAFolderFailsAndWritesNothing) {
    fs::create_directory(folder.path / "thing.dff");
    ProgramRun run = cli({"thing.dff"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find(at("thing.dff") + ": no models (no *.dff files in the folder)"), std::string::npos)
        << run.err;
    EXPECT_EQ(entries(), std::vector<std::string>{"thing.dff"});
}

TEST_F(CliHostile, DanglingLinkNamedAsModelFailsAsMissing) {
    fs::create_symlink(folder.path / "gone", folder.path / "gone.dff");
    ProgramRun run = cli({"gone.dff"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find("gone.dff: no such file or folder"), std::string::npos) << run.err;
    EXPECT_EQ(entries(), std::vector<std::string>{"gone.dff"});
}

TEST_F(CliHostile, LinkedModelConvertsBesideTheLinkAndLeavesTheTargetAlone) {
    fs::create_directory(folder.path / "store");
    folder.write("store/real.dff", clean_go1_model(30));
    fs::create_symlink(folder.path / "store/real.dff", folder.path / "link.dff");
    ProgramRun run = cli({"link.dff"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(entries(), (std::vector<std::string>{"link.dff", "link.dff.obj", "store", "store/real.dff"}));
}

TEST_F(CliHostile, NameWithBlanksAndNonAsciiBytesKeepsItsBytes) {
    const std::string name = "my model \xe9\xff\x01.dff";
    folder.write(name, clean_go1_model(30));
    ProgramRun run = cli({name});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    std::string obj = read_file(folder.path / (name + ".obj"));
    EXPECT_EQ(obj.substr(0, obj.find('\n')), "# " + at(name));
    EXPECT_EQ(last_line(run.err), "vorlund-obj: 1 model: 1 clean, 0 doubtful, 0 failed");
}

// The model is listed, then changed before it is loaded. The OBJ file of the
// model before it is a pipe, so that model's conversion holds the program
// still until the test has changed the next one.
struct ChangedRun {
    ProgramRun run;
    bool writing = false;
    std::size_t received = 0;
};

ChangedRun run_while_changing_b(CliHostile& test, const fs::path& folder, const std::function<void()>& change) {
    ChangedRun r;
    test_write(folder / "a.dff", clean_go1_model(30000));  // OBJ text far beyond a pipe's buffer
    test_write(folder / "b.dff", clean_go1_model(30));
    if (mkfifo((folder / "a.dff.obj").c_str(), 0600) != 0) return r;
    int reader = open((folder / "a.dff.obj").c_str(), O_RDONLY | O_NONBLOCK);
    if (reader < 0) return r;

    // go1 alone: auto's first try (structure) would close the pipe, ending the reader's loop early.
    // One job: b is loaded only after a is written, as the race needs.
    std::thread program([&] { r.run = test.run_cli({"-j", "1", "--button", "go1", "."}); });
    pollfd ready{reader, POLLIN, 0};
    r.writing = poll(&ready, 1, 60000) == 1;  // a's text is arriving: the listing is done
    change();
    fcntl(reader, F_SETFL, 0);
    char buffer[65536];
    for (ssize_t n; (n = read(reader, buffer, sizeof buffer)) > 0;) r.received += static_cast<std::size_t>(n);
    program.join();
    close(reader);
    return r;
}

TEST_F(CliHostile, ModelRemovedBetweenListingAndLoadingFails) {
    ChangedRun r = run_while_changing_b(*this, folder.path, [&] { fs::remove(folder.path / "b.dff"); });
    ProgramRun& run = r.run;
    ASSERT_TRUE(r.writing);
    EXPECT_GT(r.received, 1000000u);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find(at("b.dff") + ": not converted: no such file or folder"), std::string::npos)
        << run.err;
    EXPECT_EQ(last_line(run.err), "vorlund-obj: 2 models: 1 clean, 0 doubtful, 1 failed");
    // Found missing before its OBJ file was opened: there is none.
    EXPECT_FALSE(fs::exists(folder.path / "b.dff.obj"));
}

TEST_F(CliHostile, ModelTurnedIntoAFolderBetweenListingAndLoadingFails) {
    ChangedRun r = run_while_changing_b(*this, folder.path, [&] {
        fs::remove(folder.path / "b.dff");
        fs::create_directory(folder.path / "b.dff");
    });
    ASSERT_TRUE(r.writing);
    EXPECT_EQ(r.run.exit_status, 1);
    EXPECT_NE(r.run.err.find(at("b.dff") + ": not converted: is a folder\n"), std::string::npos) << r.run.err;
    EXPECT_EQ(entries(), (std::vector<std::string>{"a.dff", "a.dff.obj", "b.dff"}));
}

TEST_F(CliHostile, FullFileSystemIsAWriteError) {
    fs::path small = folder.path / "small";
    fs::create_directory(small);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    std::vector<std::uint8_t> model = clean_go1_model(2000);  // about 50 KB, its OBJ text far more
    std::FILE* f = std::fopen((small / "m.dff").c_str(), "wb");
    bool written = f && std::fwrite(model.data(), 1, model.size(), f) == model.size();
    if (f) std::fclose(f);
    ProgramRun run;
    if (written)
        run = run_program(VORLUND_OBJ_PROGRAM, {"-v", "--button", "go1", "m.dff"}, RunSettings{small.string(), false});
    // The cut-off OBJ file was made by the failed conversion: it is gone.
    bool obj_left = fs::exists(small / "m.dff.obj");
    umount(small.c_str());
    ASSERT_TRUE(written);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find("vorlund-obj: <*.obj> write error!"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(": not converted: could not write "), std::string::npos) << run.err;
    EXPECT_FALSE(obj_left);
}

// One group of 65,535 vertices, some 4 MB of text held whole and written when
// the group ends, onto a file system with room for 512 KB: the disk fills in
// the middle of the held group's text.
TEST_F(CliHostile, FullFileSystemInTheMiddleOfAHeldGroupIsAWriteError) {
    fs::path small = folder.path / "small";
    fs::create_directory(small);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=512k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    std::vector<std::uint8_t> model = clean_go1_model(65535);
    std::FILE* f = std::fopen((folder.path / "m.dff").c_str(), "wb");
    bool written = f && std::fwrite(model.data(), 1, model.size(), f) == model.size();
    if (f) std::fclose(f);
    ProgramRun run;
    if (written) run = cli({"-v", "--button", "go1", "-o", "small", "m.dff"});
    bool obj_left = fs::exists(small / "m.dff.obj");
    umount(small.c_str());
    ASSERT_TRUE(written);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, "vorlund-obj: <*.obj> write error!\nvorlund-obj: " + at("m.dff") +
                           ": not converted: could not write " + at("small/m.dff.obj") +
                           "\nvorlund-obj: 1 model: 0 clean, 0 doubtful, 1 failed\n");
    EXPECT_FALSE(obj_left);
}

#endif
