#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/conversion_state.h"
#include "engine/source_file.h"
#include "engine/source_loading.h"
#include "support/process_guards.h"
#include "support/fake_platform.h"
#include "support/model_builder.h"
#include "support/output_capture.h"

namespace fs = std::filesystem;

namespace {

const std::string size_message = "error: dff file > 124 MB. Nicht akzeptiert...";
const std::string type_message = "This doesn't seem to be a dff file!";

struct Prepared {
    int result;
    int source_length;
    std::string text;
    std::vector<std::string> boxes;
};

// One strategy's opening step with its own OBJ output and boxes.
Prepared prepare(const std::string& path) {
    FakePlatform fake;
    OutputCapture out;
    int result = prepare_source(path.c_str());
    return {result, conversion_state.source_length, out.text(), fake.box_texts()};
}

std::string header(const std::string& path) { return "# " + path + "\n"; }

std::string lookup_failure(int code) {
    return " Invalid file handle. Error is " + std::to_string(code) + "\n";
}

std::string open_failure(const std::string& path) { return "Could not open file " + path + "!"; }

// A sparse file of size bytes: type mark first, 0x5A last, holes between.
fs::path write_sparse(const fs::path& p, unsigned long long size) {
    { std::ofstream out(p, std::ios::binary); out.put(16); }
    fs::resize_file(p, size);
    std::fstream io(p, std::ios::in | std::ios::out | std::ios::binary);
    io.seekp(static_cast<std::streamoff>(size - 1));
    io.put(0x5A);
    return p;
}

// Leaves the source buffer as the program starts with it, whatever a test loaded.
struct SourceLoading : testing::Test {
    void TearDown() override { place_source(nullptr, 0); }
};

}  // namespace

TEST_F(SourceLoading, LoadsTheWholeModelAfterTheHeaderLine) {
    TempFolder folder;
    CurrentFolder here(folder.path);
    ModelBuilder m;
    m.u8(16);
    for (int i = 1; i < 300; ++i) m.u8(static_cast<std::uint8_t>(i * 7));
    fs::path p = folder.write("ship.dff", m);

    Prepared r = prepare(p.string());
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.source_length, 300);
    EXPECT_EQ(r.text, header(p.string()));
    EXPECT_TRUE(r.boxes.empty());
    EXPECT_EQ(0, std::memcmp(conversion_state.source_buffer, m.bytes.data(), m.size()));
}

TEST_F(SourceLoading, SizeLimitComparesTheWholeSize) {
    struct Case {
        unsigned long long size;
        bool accepted;
    };
    const Case cases[] = {
        {126999999ULL, true},
        {127000000ULL, false},
        {1ULL << 32, false},
        // Its low 32 bits alone would pass the limit.
        {(1ULL << 32) + 100, false},
    };
    TempFolder folder;
    CurrentFolder here(folder.path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        fs::path p = write_sparse(folder.path / "big.dff", c.size);
        Prepared r = prepare(p.string());
        EXPECT_EQ(r.text, header(p.string()));
        if (c.accepted) {
            EXPECT_EQ(r.result, 1);
            EXPECT_EQ(static_cast<unsigned long long>(r.source_length), c.size);
            EXPECT_TRUE(r.boxes.empty());
            EXPECT_EQ(conversion_state.source_buffer[0], 16);
            EXPECT_EQ(conversion_state.source_buffer[c.size - 1], 0x5A);
            EXPECT_EQ(conversion_state.source_buffer[c.size], 0);
        } else {
            EXPECT_EQ(r.result, 0);
            EXPECT_EQ(r.source_length, 0);
            EXPECT_EQ(r.boxes, std::vector<std::string>{size_message});
        }
        fs::remove(p);
    }
}

// The failure rows that any user can produce, each with its exact OBJ text.
TEST_F(SourceLoading, FailureTable) {
    TempFolder folder;
    ModelBuilder good;
    good.raw({16, 1, 2, 3});
    ModelBuilder wrong_mark;
    wrong_mark.raw({15, 16, 16, 16, 16});
    fs::path model = folder.write("model.dff", good);
    fs::path wrong = folder.write("wrong.dff", wrong_mark);
    fs::path empty = folder.write("empty.dff", std::vector<std::uint8_t>{});
    fs::create_directory(folder.path / "other");
    fs::create_directory(folder.path / "folder.dff");
    const std::string missing = (folder.path / "absent.dff").string();
    const std::string through_file = (model / "inner.dff").string();
    const std::string dir = (folder.path / "folder.dff").string();

    struct Row {
        const char* what;
        std::string path;
        fs::path current;
        std::string after_header;
        std::vector<std::string> boxes;
        int result;
        int source_length;
    };
    const Row rows[] = {
        {"no such file", missing, folder.path, lookup_failure(ENOENT), {}, 0, 0},
        // The header is then "#" and a blank.
        {"empty path", "", folder.path, lookup_failure(ENOENT), {}, 0, 0},
        {"path through a file", through_file, folder.path, lookup_failure(ENOTDIR), {}, 0, 0},
        {"found name absent from the current directory", model.string(), folder.path / "other",
         open_failure(model.string()), {}, 0, 0},
        {"a folder", dir, folder.path, open_failure(dir), {}, 0, 0},
        {"empty file", empty.string(), folder.path, "", {}, 0, 0},
        {"first byte not 16", wrong.string(), folder.path, "", {type_message}, 0, 5},
        {"relative path, written as given", "./model.dff", folder.path, "", {}, 1, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CurrentFolder here(row.current);
        Prepared r = prepare(row.path);
        EXPECT_EQ(r.text, header(row.path) + row.after_header);
        EXPECT_EQ(r.boxes, row.boxes);
        EXPECT_EQ(r.result, row.result);
        EXPECT_EQ(r.source_length, row.source_length);
    }
}

TEST_F(SourceLoading, TypeMarkIsTheFirstByteAlone) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        int result;
    };
    const Case cases[] = {
        {{16}, 1},
        {{16, 0, 0, 0}, 1},
        {{16, 255, 17, 15}, 1},
        {{0, 16}, 0},
        {{15}, 0},
        {{17, 16, 16}, 0},
        {{255}, 0},
    };
    TempFolder folder;
    CurrentFolder here(folder.path);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.bytes[0]));
        fs::path p = folder.write("m.dff", c.bytes);
        Prepared r = prepare(p.string());
        EXPECT_EQ(r.result, c.result);
        // The length stays set even when the mark is wrong.
        EXPECT_EQ(r.source_length, static_cast<int>(c.bytes.size()));
        EXPECT_EQ(r.text, header(p.string()));
        EXPECT_EQ(r.boxes, c.result ? std::vector<std::string>{} : std::vector<std::string>{type_message});
    }
}

TEST_F(SourceLoading, FileHeldLockedElsewhereCannotBeOpened) {
    TempFolder folder;
    CurrentFolder here(folder.path);
    fs::path p = folder.write("held.dff", std::vector<std::uint8_t>{16, 1});
    int holder = ::open(p.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    Prepared r = prepare(p.string());
    EXPECT_EQ(r.text, header(p.string()) + open_failure(p.string()));
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.boxes.empty());
    ::close(holder);

    // Released, the same file loads.
    EXPECT_EQ(prepare(p.string()).result, 1);
}

TEST_F(SourceLoading, FileWithoutReadRightCannotBeOpened) {
    // Root may read any plain file; a write-only kernel attribute refuses even root.
    const std::string attribute = "/sys/bus/pci/drivers_probe";
    if (geteuid() != 0) {
        TempFolder folder;
        CurrentFolder here(folder.path);
        fs::path p = folder.write("locked.dff", std::vector<std::uint8_t>{16, 1});
        fs::permissions(p, fs::perms::none);
        Prepared r = prepare(p.string());
        EXPECT_EQ(r.text, header(p.string()) + open_failure(p.string()));
        EXPECT_EQ(r.result, 0);
        return;
    }
    int probe = ::open(attribute.c_str(), O_RDONLY);
    if (probe >= 0) ::close(probe);
    if (probe >= 0 || !fs::exists(attribute)) GTEST_SKIP() << "no file that refuses root's reading";
    CurrentFolder here(fs::path(attribute).parent_path());
    Prepared r = prepare(attribute);
    EXPECT_EQ(r.text, header(attribute) + open_failure(attribute));
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.source_length, 0);
    EXPECT_TRUE(r.boxes.empty());
}

// A kernel attribute claims a size of a page but holds a few bytes: the read
// ends early, which must fail rather than give a short model.
TEST_F(SourceLoading, ShortReadIsAReadFailureAndLeavesNoStaleBytes) {
    const std::string attribute = "/sys/kernel/mm/transparent_hugepage/enabled";
    struct stat st;
    if (stat(attribute.c_str(), &st) != 0 || st.st_size <= 0 || st.st_size > 100000 ||
        static_cast<long long>(read_file(attribute).size()) >= st.st_size)
        GTEST_SKIP() << "no file that reads shorter than its size";

    // Shorter than what the failed read will leave behind.
    const unsigned char one[] = {16};
    place_source(one, 1);
    {
        CurrentFolder here(fs::path(attribute).parent_path());
        Prepared r = prepare(attribute);
        EXPECT_EQ(r.text, header(attribute) + "Error reading file: " + std::to_string(EIO) + "\n\n");
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.source_length, 0);
        EXPECT_TRUE(r.boxes.empty());
    }
    // The failed read wrote into the buffer; none of it may outlive the next model.
    TempFolder folder;
    CurrentFolder here(folder.path);
    fs::path p = folder.write("short.dff", std::vector<std::uint8_t>{16, 2, 3});
    ASSERT_EQ(prepare(p.string()).result, 1);
    for (long long i = 3; i < st.st_size + 100; ++i)
        ASSERT_EQ(conversion_state.source_buffer[i], 0) << "offset " << i;
}

TEST_F(SourceLoading, ReadOfFewerBytesThanAskedFails) {
    TempFolder folder;
    CurrentFolder here(folder.path);
    folder.write("ten.dff", std::vector<std::uint8_t>(10, 16));
    SourceFileInfo info;
    unsigned error = 0;
    ASSERT_EQ(look_up_source_file((folder.path / "ten.dff").c_str(), info, error), 1);
    EXPECT_EQ(info.size, 10u);
    EXPECT_STREQ(info.found_name, "ten.dff");
    SourceFileHandle file;
    ASSERT_EQ(open_source_file(info, file), 1);
    unsigned char bytes[20];
    EXPECT_EQ(read_source_file(file, bytes, 20, error), 0);
    EXPECT_EQ(error, static_cast<unsigned>(EIO));
    close_source_file(file);
}

TEST_F(SourceLoading, ShorterModelAfterLongerOneSeesZerosPastItsEnd) {
    TempFolder folder;
    CurrentFolder here(folder.path);
    std::vector<std::uint8_t> long_model(5000, 0xEE);
    long_model[0] = 16;
    fs::path long_path = folder.write("long.dff", long_model);
    fs::path short_path = folder.write("short.dff", std::vector<std::uint8_t>{16, 1, 2, 3, 4, 5, 6, 7, 8, 9});

    ASSERT_EQ(prepare(long_path.string()).result, 1);
    ASSERT_EQ(prepare(short_path.string()).result, 1);
    EXPECT_EQ(conversion_state.source_length, 10);
    for (int i = 10; i < 5000; ++i) ASSERT_EQ(conversion_state.source_buffer[i], 0) << "offset " << i;

    // Placed models follow the same rule, in both directions.
    place_source(long_model.data(), 5000);
    EXPECT_EQ(conversion_state.source_buffer[4999], 0xEE);
    const unsigned char tiny[] = {16, 42};
    place_source(tiny, 2);
    EXPECT_EQ(conversion_state.source_length, 2);
    EXPECT_EQ(conversion_state.source_buffer[1], 42);
    for (int i = 2; i < 5000; ++i) ASSERT_EQ(conversion_state.source_buffer[i], 0) << "offset " << i;
}

TEST_F(SourceLoading, ClearingTheTailStopsWhereModelsEverWrote) {
    const unsigned char ten[10] = {16};
    place_source(ten, sizeof ten);
    // Written behind the loader's back, far past anything a model wrote.
    conversion_state.source_buffer[100000] = 0x77;
    const unsigned char five[5] = {16};
    place_source(five, sizeof five);
    EXPECT_EQ(conversion_state.source_buffer[100000], 0x77);
    conversion_state.source_buffer[100000] = 0;
}
