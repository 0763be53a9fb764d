// The OBJ text of a strategy run is gathered and handed to the stream in large
// pieces: nothing may be lost or reordered, and a box shown during a run must
// find the text written before it already in the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/conversion_state.h"
#include "engine/obj_output.h"
#include "engine/strategies.h"
#include "support/process_guards.h"
#include "support/fake_platform.h"
#include "support/model_builder.h"
#include "support/model_pieces.h"
#include "support/output_capture.h"

namespace {

// A near pair of markers and the block 40 bytes after its second marker, as go2 finds it.
void append_pair_and_block(ModelBuilder& m, const BlockSpec& block) {
    append_noise(m, 60);
    m.raw({1, 0, 0, 0, 1, 0, 0, 0});
    append_noise(m, 21);
    m.raw({1, 0, 0, 0, 1, 0, 0, 0});
    append_noise(m, 32);
    append_block(m, block);
}

// A go2 model: a clean block, a block whose vertex count is refused with a
// box, another clean block.
std::vector<std::uint8_t> model_with_refused_block() {
    ModelBuilder m;
    m.u8(16);
    BlockSpec clean;
    append_pair_and_block(m, clean);
    BlockSpec refused;
    refused.vertex_count = 70000;
    refused.face_count = 0;  // nothing to lay out; the decoder stops at the count
    append_pair_and_block(m, refused);
    append_pair_and_block(m, clean);
    append_noise(m, 60);
    return m.bytes;
}

}  // namespace

TEST(ObjOutput, ABoxDuringARunFindsTheTextSoFarInTheFileAndNothingIsLost) {
    TempFolder folder;
    const std::string path = folder.write("model.dff", model_with_refused_block()).string();
    CurrentFolder here(folder.path);
    FakePlatform fake;
    OutputCapture capture;
    std::vector<std::string> seen_while_box_up;
    fake.while_box_up = [&](const MessageBoxCall&) { seen_while_box_up.push_back(capture.text()); };

    go2(path.c_str());
    const std::string text = capture.text();

    ASSERT_EQ(fake.box_texts(), std::vector<std::string>{"vertex count is way to large. Try other button."});
    ASSERT_EQ(seen_while_box_up.size(), 1u);
    const std::string& before_box = seen_while_box_up[0];
    // Everything up to the refused block's group line, and nothing after it.
    EXPECT_EQ(text.compare(0, before_box.size(), before_box), 0);
    const std::string group_line = "g submesh_2\n";
    ASSERT_GE(before_box.size(), group_line.size());
    EXPECT_EQ(before_box.substr(before_box.size() - group_line.size()), group_line);
    EXPECT_NE(before_box.find("# face index min/max: 1 / 3\n"), std::string::npos);
    EXPECT_NE(text.find("g submesh_3\n"), std::string::npos);
    EXPECT_NE(text.find("# face index min/max: 4 / 6\n"), std::string::npos);
}

TEST(ObjOutput, OutsideARunEveryPieceReachesTheStreamAtOnce) {
    OutputCapture capture;
    put_text("# one\n");
    EXPECT_EQ(capture.text(), "# one\n");
    char* room = reserve_output(3);
    room[0] = 'a';
    room[1] = '\n';
    commit_output(2);
    EXPECT_EQ(capture.text(), "# one\na\n");
}

TEST(ObjOutput, RunsLongerThanTheBufferKeepEveryByteInOrder) {
    OutputCapture capture;
    std::string expected;
    run_with_gathered_output(
        [](const char*) {
            for (int i = 0; i < 100000; ++i) {
                const std::string line = "# line " + std::to_string(i) + "\n";
                put_text(line.c_str());
            }
            const std::string long_piece(obj_output_capacity + 17, 'x');
            put_text(long_piece.c_str());
        },
        "");
    for (int i = 0; i < 100000; ++i) expected += "# line " + std::to_string(i) + "\n";
    expected += std::string(obj_output_capacity + 17, 'x');
    EXPECT_EQ(capture.text(), expected);
}
