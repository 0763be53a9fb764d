#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "engine/conversion_state.h"
#include "engine/geometry_block.h"
#include "support/engine_runs.h"
#include "support/fake_platform.h"
#include "support/model_builder.h"

namespace {

const char* const normal_line = "# one normal(?) for test only: vn  0.000000 0.000000 1.000000\n";
const char* const buffer_end_line = "# ERROR! block runs past the end of the source buffer\n\n";
const char* const box_text = "vertex count is way to large. Try other button.";

// The type byte, zeros up to at, then the block.
std::vector<std::uint8_t> model_with_block(unsigned at, const BlockSpec& shape) {
    ModelBuilder m;
    m.u8(16);
    m.pad_to(at);
    append_block(m, shape);
    return m.bytes;
}

BlockSpec variant_block(int variant) {
    BlockSpec shape;
    shape.variant = variant;
    return shape;
}

// The lines of the three-vertex example block (default UVs and positions).
std::string example_vt_lines() {
    return "vt 0.000000 0.500000 \nvt 0.250000 0.500000 \nvt 0.500000 0.500000 \n";
}
std::string example_v_lines() {
    return "v  0.000000 0.500000 -0.000000\n"
           "v  1.000000 1.500000 -1.000000\n"
           "v  2.000000 2.500000 -2.000000\n";
}

std::string example_text(const std::string& uvs_at, const std::string& fis_at,
                         const std::string& verts_at, const std::string& face_line = "f 1/1 2/2 3/3 \n",
                         const std::string& range = "1 / 3") {
    return "#  3 verts, 1 faces\n# uvs at 0x" + uvs_at + "\n" + example_vt_lines() + "\n# FIs at 0x" +
           fis_at + "\n" + face_line + "# face index min/max: " + range + "\n\n# verts at 0x" + verts_at +
           "\n" + example_v_lines() + "\n" + normal_line + "\n";
}

}  // namespace

TEST(GeometryBlock, ExampleBlockInEveryVariant) {
    struct Case {
        int variant;
        const char *uvs_at, *fis_at, *verts_at;
        unsigned end;
    };
    const Case cases[] = {
        {1, "10c", "124", "144", 0x174},
        {2, "10c", "124", "144", 0x174},
        {3, "10c", "13c", "15c", 0x18c},
        {4, "118", "130", "150", 0x180},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variant);
        load_model(model_with_block(0x100, variant_block(c.variant)));
        DecodedBlock block = decode_block(0x100, c.variant, 0);
        EXPECT_EQ(block.text, example_text(c.uvs_at, c.fis_at, c.verts_at));
        EXPECT_EQ(block.result, 1);
        EXPECT_EQ(block.end, c.end);
        EXPECT_EQ(block.vertex_base, 3);
        EXPECT_EQ(block.had_errors, 0);
    }
}

TEST(GeometryBlock, SecondBlockOfARunContinuesTheNumbers) {
    load_model(model_with_block(0x100, variant_block(1)));
    DecodedBlock block = decode_block(0x100, 1, 3);
    EXPECT_EQ(block.text, example_text("10c", "124", "144", "f 4/4 5/5 6/6 \n", "4 / 6"));
    EXPECT_EQ(block.vertex_base, 6);
    EXPECT_EQ(block.had_errors, 0);
}

TEST(GeometryBlock, SkippedThirdIndexStillWidensTheRange) {
    BlockSpec shape;
    shape.indices = {0, 1, 7, 2};
    load_model(model_with_block(0x100, shape));
    DecodedBlock block = decode_block(0x100, 1, 0);
    std::string expected = example_text("10c", "124", "144", "f 1/1 2/2 3/3 \n", "1 / 8");
    expected.insert(expected.find("# verts"), "# ERROR! faceindex delta= 8 != verts count\n\n");
    EXPECT_EQ(block.text, expected);
    EXPECT_EQ(block.had_errors, 1);
    EXPECT_EQ(block.vertex_base, 8);
    EXPECT_EQ(block.end, 0x174u);
}

TEST(GeometryBlock, ObjNumbersUseUnsigned32BitArithmeticPrintedSigned) {
    load_model(model_with_block(0x100, variant_block(1)));
    DecodedBlock block = decode_block(0x100, 1, INT_MAX - 1);
    EXPECT_NE(block.text.find("f 2147483647/2147483647 -2147483648/-2147483648 "
                              "-2147483647/-2147483647 \n"),
              std::string::npos);
    // Compared unsigned, 0x80000001 is the highest; the lowest never gets below
    // its start of 10000000, so the range check fails.
    EXPECT_NE(block.text.find("# face index min/max: 10000000 / -2147483647\n\n"
                              "# ERROR! faceindex delta= 2137483650 != verts count\n\n"),
              std::string::npos);
    EXPECT_EQ(block.had_errors, 1);
    EXPECT_EQ(block.vertex_base, INT_MIN + 1);
}

TEST(GeometryBlock, ReadFaceIndex) {
    struct Case {
        std::uint8_t lo, hi;
        unsigned base, expected, lowest_after, highest_after;
    };
    const Case cases[] = {
        {0x00, 0x00, 0, 1, 1, 100},
        {0x34, 0x12, 0, 0x1235, 50, 0x1235},
        {0xff, 0xff, 0, 65536, 50, 65536},
        {0x00, 0x00, 0xffffffffu, 0, 0, 100},  // wraps to 0, the lowest of all
        {0x00, 0x00, 0xfffffffeu, 0xffffffffu, 50, 0xffffffffu},
        {0x01, 0x00, 0x7fffffffu, 0x80000001u, 50, 0x80000001u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        load_model({16, 0, 0, 0, c.lo, c.hi});
        unsigned read_pos = 4, consumed = 10, lowest = 50, highest = 100;
        EXPECT_EQ(read_face_index(read_pos, consumed, lowest, highest, c.base), c.expected);
        EXPECT_EQ(read_pos, 6u);
        EXPECT_EQ(consumed, 12u);
        EXPECT_EQ(lowest, std::min(50u, c.lowest_after));
        EXPECT_EQ(highest, c.highest_after);
    }
}

TEST(GeometryBlock, VertexCountLimit) {
    FakePlatform fake;
    BlockSpec shape;
    shape.vertex_count = 65535;
    load_model(model_with_block(0x100, shape));
    DecodedBlock accepted = decode_block(0x100, 1, 0);
    EXPECT_EQ(accepted.result, 1);
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(accepted.text.rfind("#  65535 verts, 1 faces\n# uvs at 0x10c\n", 0), 0u);
    EXPECT_EQ(std::count(accepted.text.begin(), accepted.text.end(), '\n'), 2 * 65535 + 13);
    EXPECT_EQ(accepted.end, 0x100 + block_size(shape));
    EXPECT_EQ(accepted.had_errors, 1);  // delta 3 against 65535 vertices

    for (std::uint32_t face_count : {1u, 0u}) {
        SCOPED_TRACE(face_count);
        fake.boxes.clear();
        ModelBuilder m;
        m.u8(16);
        m.pad_to(0x100);
        m.u32(face_count);
        m.u32(65536);
        m.raw({1, 0, 0, 0});
        m.fill(64, 0x3f);
        load_model(m.bytes);
        DecodedBlock rejected = decode_block(0x100, 1, 7);
        EXPECT_EQ(rejected.result, 0);
        EXPECT_EQ(rejected.text, "");
        EXPECT_EQ(rejected.end, 0x100u);
        EXPECT_EQ(rejected.vertex_base, 7);
        EXPECT_EQ(rejected.had_errors, 0);
        EXPECT_EQ(fake.box_texts(), std::vector<std::string>{box_text});
    }
}

TEST(GeometryBlock, FaceCountZeroWritesOnlyItsLine) {
    FakePlatform fake;
    BlockSpec shape;
    shape.face_count = 0;
    load_model(model_with_block(0x100, shape));
    DecodedBlock block = decode_block(0x100, 1, 7);
    EXPECT_EQ(block.text, "# faces count is zero.\n");
    EXPECT_EQ(block.result, 0);
    EXPECT_EQ(block.end, 0x100u);
    EXPECT_EQ(block.vertex_base, 7);
    EXPECT_EQ(block.had_errors, 0);
    EXPECT_TRUE(fake.boxes.empty());
}

TEST(GeometryBlock, MissingMarkerOnlyWarns) {
    BlockSpec shape;
    shape.marker = 0;
    load_model(model_with_block(0x100, shape));
    DecodedBlock block = decode_block(0x100, 1, 0);
    std::string expected = example_text("10c", "124", "144");
    expected.insert(expected.find("# uvs"),
                    "# >>> Warning: missing 1 after vertscount. Following data unreliable!\n\n");
    EXPECT_EQ(block.text, expected);
    EXPECT_EQ(block.end, 0x174u);
    EXPECT_EQ(block.had_errors, 0);
}

TEST(GeometryBlock, VertexCountZeroStillWritesFacesAndFailsTheRange) {
    BlockSpec shape;
    shape.vertex_count = 0;
    load_model(model_with_block(0x100, shape));
    DecodedBlock block = decode_block(0x100, 1, 0);
    EXPECT_EQ(block.text, std::string("#  0 verts, 1 faces\n# uvs at 0x10c\n\n# FIs at 0x10c\n"
                                      "f 1/1 2/2 3/3 \n# face index min/max: 1 / 3\n\n"
                                      "# ERROR! faceindex delta= 3 != verts count\n\n"
                                      "# verts at 0x12c\n\n") +
                              normal_line + "\n");
    EXPECT_EQ(block.result, 1);
    EXPECT_EQ(block.end, 0x138u);
    EXPECT_EQ(block.vertex_base, 3);
    EXPECT_EQ(block.had_errors, 1);
}

TEST(GeometryBlock, UvSizeCheckComparesTheUvBytesAlone) {
    struct Case {
        int variant;
        unsigned source_length;
        bool stops;
        unsigned end;
    };
    const Case cases[] = {
        {1, 23, true, 0x10c}, {1, 24, false, 0x174}, {4, 23, true, 0x118},
        {4, 24, false, 0x180}, {3, 47, true, 0x10c}, {3, 48, false, 0x18c},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "variant " << c.variant << " length " << c.source_length);
        load_model(model_with_block(0x100, variant_block(c.variant)));
        DecodedBlock block = decode_block(0x100, c.variant, 5, c.source_length);
        std::string uvs_at = c.variant == 4 ? "118" : "10c";
        std::string stopped = "#  3 verts, 1 faces\n# uvs at 0x" + uvs_at + "\n" + example_vt_lines() + "\n";
        EXPECT_EQ(block.result, 1);
        EXPECT_EQ(block.end, c.end);
        if (c.stops) {
            EXPECT_EQ(block.text, stopped);
            EXPECT_EQ(block.vertex_base, 5);
        } else {
            EXPECT_EQ(block.text.rfind(stopped + "# FIs", 0), 0u);
            EXPECT_EQ(block.vertex_base, 8);
        }
    }
}

TEST(GeometryBlock, UvLinesPastTheSourceLengthReadZero) {
    BlockSpec shape;
    shape.vertex_count = 20;
    std::vector<std::uint8_t> bytes = model_with_block(16, shape);
    bytes.resize(100);
    std::string expected = "#  20 verts, 1 faces\n# uvs at 0x1c\n";
    // Bytes 28 to 99 hold the first nine UV pairs whole.
    const char* const loaded[] = {"0.000000", "0.250000", "0.500000", "0.750000", "1.000000",
                                  "1.250000", "1.500000", "1.750000", "2.000000"};
    for (const char* u : loaded) expected += std::string("vt ") + u + " 0.500000 \n";
    for (int i = 9; i < 20; ++i) expected += "vt 0.000000 0.000000 \n";
    expected += "\n";

    // Also after a longer model left other bytes behind.
    std::vector<std::uint8_t> longer(4000, 0x41);
    longer[0] = 16;
    for (bool after_longer : {false, true}) {
        SCOPED_TRACE(after_longer);
        if (after_longer) load_model(longer);
        load_model(bytes);
        DecodedBlock block = decode_block(16, 1, 2);
        EXPECT_EQ(block.text, expected);
        EXPECT_EQ(block.result, 1);
        EXPECT_EQ(block.end, 28u);
        EXPECT_EQ(block.vertex_base, 2);
    }
}

// Blocks near the end of the 127,000,000-byte buffer: whatever the counts say,
// nothing past it is read.
namespace {

// Bytes written straight into the buffer behind a small loaded model, zeroed
// again afterwards so later tests find the buffer as a load leaves it.
struct BufferTail {
    unsigned at;
    std::size_t size;
    BufferTail(unsigned offset, const std::vector<std::uint8_t>& bytes) : at(offset), size(bytes.size()) {
        load_model({16, 1, 2, 3});
        std::memcpy(conversion_state.source_buffer + at, bytes.data(), size);
    }
    ~BufferTail() { std::memset(conversion_state.source_buffer + at, 0, size); }
};

std::string hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

// The block's first keep bytes; a face count too large to lay out is laid out
// with enough faces and then written into the header.
std::vector<std::uint8_t> block_bytes(const BlockSpec& shape, std::size_t keep) {
    BlockSpec laid = shape;
    laid.face_count = std::min<std::uint32_t>(shape.face_count, 100);
    ModelBuilder m;
    append_block(m, laid);
    m.put_u32(0, shape.face_count);
    m.bytes.resize(keep);
    return m.bytes;
}

}  // namespace

TEST(GeometryBlockAtBufferEnd, FaceSectionStopsAtTheLastWholeRecord) {
    BlockSpec shape;
    shape.face_count = 0xffffffffu;  // 8 x face count wraps in 32 bits
    shape.indices.assign(4 * 6, 1);
    // Header, three UV pairs, five whole faces and three bytes of a sixth.
    std::size_t keep = 12 + 24 + 5 * 8 + 3;
    unsigned start = source_capacity - static_cast<unsigned>(keep);
    BufferTail tail(start, block_bytes(shape, keep));
    DecodedBlock block = decode_block(start, 1, 4, static_cast<unsigned>(max_model_size));
    std::string expected = "#  3 verts, -1 faces\n# uvs at 0x" + hex(start + 12) + "\n" + example_vt_lines() +
                           "\n# FIs at 0x" + hex(start + 36) + "\n";
    for (int i = 0; i < 5; ++i) expected += "f 6/6 6/6 6/6 \n";
    expected += buffer_end_line;
    EXPECT_EQ(block.text, expected);
    EXPECT_EQ(block.result, 1);
    EXPECT_EQ(block.had_errors, 1);
    EXPECT_EQ(block.end, start + 36 + 40);  // where the record that did not fit starts
    EXPECT_EQ(block.vertex_base, 4);        // the faces were not all read
}

TEST(GeometryBlockAtBufferEnd, EachSectionStopsAtTheLastWholeRecord) {
    struct Case {
        const char* what;
        std::uint32_t vertex_count;
        std::size_t keep;     // bytes of the block that lie inside the buffer
        std::size_t stop_at;  // where the record that does not fit starts
        int vertex_base;      // after the call, from 0
    };
    // Example block layout: UVs at 12, faces at 36, positions at 68, normal at 104.
    const Case cases[] = {
        {"uvs", 20, 12 + 10 * 8 + 7, 12 + 10 * 8, 0},
        {"positions", 3, 68 + 2 * 12 + 5, 68 + 2 * 12, 3},
        {"normal", 3, 104 + 11, 104, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BlockSpec shape;
        shape.vertex_count = c.vertex_count;
        unsigned start = source_capacity - static_cast<unsigned>(c.keep);
        BufferTail tail(start, block_bytes(shape, c.keep));
        DecodedBlock block = decode_block(start, 1, 0, static_cast<unsigned>(max_model_size));
        EXPECT_EQ(block.result, 1);
        EXPECT_EQ(block.had_errors, 1);
        EXPECT_EQ(block.end, start + c.stop_at);
        EXPECT_EQ(block.vertex_base, c.vertex_base);
        ASSERT_GE(block.text.size(), std::strlen(buffer_end_line));
        EXPECT_EQ(block.text.substr(block.text.size() - std::strlen(buffer_end_line)), buffer_end_line);
        std::string before = block.text.substr(0, block.text.size() - std::strlen(buffer_end_line));
        if (c.vertex_count == 20) {
            EXPECT_EQ(std::count(before.begin(), before.end(), '\n'), 2 + 10);
            EXPECT_EQ(before.substr(before.size() - 22), "vt 2.250000 0.500000 \n");
        } else if (c.stop_at == 104) {
            EXPECT_EQ(before.substr(before.size() - example_v_lines().size()), example_v_lines());
        } else {
            EXPECT_EQ(before.substr(before.size() - 31), "v  1.000000 1.500000 -1.000000\n");
        }
    }
}

TEST(GeometryBlockAtBufferEnd, BlockEndingWithTheBufferIsComplete) {
    BlockSpec shape;
    std::size_t size = block_size(shape);
    unsigned start = source_capacity - static_cast<unsigned>(size);
    BufferTail tail(start, block_bytes(shape, size));
    DecodedBlock block = decode_block(start, 1, 0, static_cast<unsigned>(max_model_size));
    EXPECT_EQ(block.text, example_text(hex(start + 12), hex(start + 36), hex(start + 68)));
    EXPECT_EQ(block.end, source_capacity);
    EXPECT_EQ(block.had_errors, 0);
}

TEST(GeometryBlockAtBufferEnd, HeaderOutsideTheBufferReadsZero) {
    for (unsigned start : {source_capacity - 3, source_capacity, source_capacity + 100, 0xfffffff0u}) {
        SCOPED_TRACE(start);
        load_model({16, 1, 2, 3});
        DecodedBlock block = decode_block(start, 4, 9, static_cast<unsigned>(max_model_size));
        EXPECT_EQ(block.text, "# faces count is zero.\n");
        EXPECT_EQ(block.result, 0);
        EXPECT_EQ(block.end, start);
        EXPECT_EQ(block.vertex_base, 9);
    }
    // A face count in the last four bytes: the rest of the header reads zero.
    BufferTail tail(source_capacity - 4, {1, 0, 0, 0});
    DecodedBlock block = decode_block(source_capacity - 4, 3, 0, static_cast<unsigned>(max_model_size));
    std::string past = hex(source_capacity + 8);
    EXPECT_EQ(block.text, "#  0 verts, 1 faces\n"
                          "# >>> Warning: missing 1 after vertscount. Following data unreliable!\n\n"
                          "# uvs at 0x" + past + "\n\n# FIs at 0x" + past + "\n" + buffer_end_line);
    EXPECT_EQ(block.end, source_capacity + 8);
    EXPECT_EQ(block.had_errors, 1);
}
