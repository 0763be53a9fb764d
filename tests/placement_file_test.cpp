// Placement files as the three games write them, text and binary, and where
// their records put a model's points: each checked against points worked out
// by hand from the inverse-quaternion rule.

#include <gtest/gtest.h>

#include <cmath>

#include "game/placement_file.h"
#include "game/placement_transform.h"
#include "support/placement_builder.h"

namespace {

std::string bad_text(const PlacementFile& file) {
    std::string text;
    for (const BadRecord& b : file.bad) text += record_place(file, b.where) + ": " + b.reason + "\n";
    return text;
}

void expect_near3(const double got[3], std::array<double, 3> want, double tolerance) {
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], want[k], tolerance) << "axis " << k;
}

// The model point (1, 2, 3) placed by one line of each form. A quarter turn
// stored about Z sends the model's X to world -Y, about X its Y to -Z, about Y
// its Z to -X: the stored quaternion is the inverse of the model's turn.
TEST(PlacementArithmetic, EachLineFormPlacesAHandComputedPoint) {
    struct Case {
        const char* line;
        InstanceForm form;
        std::array<double, 3> unscaled, scaled;
    } cases[] = {
        // first game, a quaternion of length 2.83 about Z, scale (2, 3, 4): s o p = (2, 6, 12)
        {"10, box, 100, 200, 30, 2, 3, 4, 0, 0, 2, 2", InstanceForm::first, {102, 199, 33}, {106, 198, 42}},
        // second game, about X, scale (1, 1, 0.5): s o p = (1, 2, 1.5)
        {"10, box, 0, 100, 200, 30, 1, 1, 0.5, 0.7071068, 0, 0, 0.7071068", InstanceForm::second,
         {101, 203, 28}, {101, 201.5, 28}},
        // third game, about Y, no scale field
        {"10, box, 0, 100, 200, 30, 0, 0.7071068, 0, 0.7071068, -1", InstanceForm::third, {97, 202, 31},
         {97, 202, 31}},
        // the real-file form of a half turn about Z, w written as -4.37114E-008
        {"10, box, 0, 1, 1, 1, 0, 0, 1, -4.37114E-008, -1", InstanceForm::third, {0, -1, 4}, {0, -1, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        PlacementFile file = read_placement_text(std::string("inst\n") + c.line + "\nend\n", "t.ipl");
        ASSERT_EQ(file.instances.size(), 1u) << bad_text(file);
        EXPECT_EQ(file.instances[0].form, c.form);
        const double p[3] = {1, 2, 3};
        for (bool scale : {false, true}) {
            InstanceTransform t;
            ASSERT_TRUE(instance_transform(file.instances[0], scale, t));
            double out[3];
            place_instance_point(t, p, out);
            expect_near3(out, scale ? c.scaled : c.unscaled, 1e-5);
        }
    }
}

// A real third-game track piece: q = (0, 0, 0.358, 0.934) turns the model's
// long axis X to (0.743, -0.669), along its line heading -42 degrees; the usual
// R(q) would lay it across.
TEST(PlacementArithmetic, BinaryRecordTurnsTheTrackAlongItsLine) {
    std::string bytes = binary_placement({{{10, 20, 5}, {0, 0, 0.358f, 0.934f}, 7, 512, -1}});
    PlacementFile file = read_placement_file(bytes, "track_stream0.ipl");
    ASSERT_EQ(file.instances.size(), 1u) << bad_text(file);
    InstanceTransform t;
    ASSERT_TRUE(instance_transform(file.instances[0], false, t));
    const double x[3] = {1, 0, 0};
    double out[3];
    place_instance_point(t, x, out);
    expect_near3(out, {10.7437, 19.3314, 5}, 1e-3);
    auto gltf = y_up(out);
    EXPECT_NEAR(gltf[1], 5, 1e-9);
    EXPECT_NEAR(gltf[2], -19.3314, 1e-3);
}

TEST(PlacementText, SectionsFormsAndBadLinesAsTheyCountInTheLodNumbering) {
    const char* text =
        "# a map\n"
        "cull\n"
        "1, 2, 3, 4\n"
        "end\n"
        "INST\n"
        "100, shed, 0, 1, 2, 3, 0, 0, 0, 1, 3\n"             // 6  index 0
        "3425, , 13, 4, 5, 6, 0, 0, 0, 1, -1   # no name\n"  // 7  index 1
        "101, wall, 0, 1, 2\n"                              // 8  index 2: too few fields
        "102 mast 7 1.5 2 3 1 1 1 0 0 0 1\n"                // 9  index 3, blanks only
        "103, hut, x, 1, 2, 3, 0, 0, 0, 1, -1\n"            // 10 index 4: unreadable interior
        "104, hut, 0, 1, 2, 3, 0, 0, 0, 0, -1\n"            // 11 index 5: no rotation
        "105, hut, 0, 1, nan, 3, 0, 0, 0, 1, -1\n"          // 12 index 6: position not finite
        "\n"
        "106,lamp,1,2,3,1,1,1,0,0,0,1\n"                    // 14 index 7
        "end\n"
        "zone\n"
        "a, 0, 1, 2, 3, 4, 5, 6, 7\n"
        "end\n"
        "enex\n"
        "end\n"
        "auzo\n"
        "end\n";
    PlacementFile file = read_placement_text(text, "map.ipl");
    EXPECT_EQ(file.instance_count, 8u);
    struct Expect {
        std::size_t line, index;
        InstanceForm form;
        int id;
        const char* name;
        int interior, lod;
        double x;
    } expect[] = {
        {6, 0, InstanceForm::third, 100, "shed", 0, 3, 1},
        {7, 1, InstanceForm::third, 3425, "", 13, -1, 4},
        {9, 3, InstanceForm::second, 102, "mast", 7, -1, 1.5},
        {14, 7, InstanceForm::first, 106, "lamp", 0, -1, 1},
    };
    ASSERT_EQ(file.instances.size(), std::size(expect));
    for (std::size_t i = 0; i < std::size(expect); ++i) {
        const Instance& got = file.instances[i];
        SCOPED_TRACE(expect[i].line);
        EXPECT_EQ(got.where, expect[i].line);
        EXPECT_EQ(got.index, expect[i].index);
        EXPECT_EQ(got.form, expect[i].form);
        EXPECT_EQ(got.id, expect[i].id);
        EXPECT_EQ(got.name, expect[i].name);
        EXPECT_EQ(got.interior, expect[i].interior);
        EXPECT_EQ(got.lod, expect[i].lod);
        EXPECT_EQ(got.position[0], expect[i].x);
    }
    EXPECT_EQ(bad_text(file),
              "line 8: 5 fields, not 11, 12 or 13\n"
              "line 10: the interior field 'x' is no number\n"
              "line 11: the rotation has length 0\n"
              "line 12: the position field 'nan' is no number\n");
    EXPECT_EQ(bad_text(read_placement_text("100, shed, 0, 1, 2, 3, 0, 0, 0, 1, 3\n", "bare.ipl")),
              "line 1: no section is open here (a missing 'inst' line?)\n");
}

TEST(PlacementBinary, RecordsAndDamagedFiles) {
    std::vector<BinaryInstance> records = {
        {{1, 2, 3}, {0, 0, 0, 1}, 500, 512, 4},
        {{4, 5, 6}, {0, 0, 0, 0}, 501, 0, -1},                // no rotation
        {{NAN, 0, 0}, {0, 0, 0, 1}, 502, 0, -1},              // position not finite
        {{7, 8, 9}, {0.5f, 0.5f, 0.5f, 0.5f}, 503, 0x107, -1},
    };
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<int> ids;  // of the instances read
        std::size_t count;
        const char* bad;
    } cases[] = {
        {"whole", binary_placement(records), {500, 503}, 4,
         "record 1: the rotation has length 0\nrecord 2: the position is not finite\n"},
        {"count past the end", binary_placement(records, 1000000), {500, 503}, 1000000,
         "record 1: the rotation has length 0\nrecord 2: the position is not finite\n"
         "record 4: records 4 to 999999 lie past the end of the file (1000000 records of 40 bytes from "
         "offset 76, the file has 236 bytes)\n"},
        {"cut inside a record", binary_placement(records).substr(0, 76 + 40 + 39), {500}, 4,
         "record 1: records 1 to 3 lie past the end of the file (4 records of 40 bytes from offset 76, the "
         "file has 155 bytes)\n"},
        {"negative count", binary_placement(records, 0xFFFFFFFF), {}, 0,
         "header: instance count -1 at offset 76 in a file of 236 bytes\n"},
        {"header cut short", binary_placement(records).substr(0, 60), {}, 0,
         "header: no binary placement header (76 bytes starting 'bnry')\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlacementFile file = read_placement_binary(c.bytes, "x_stream0.ipl");
        std::vector<int> ids;
        for (const Instance& i : file.instances) ids.push_back(i.id);
        EXPECT_EQ(ids, c.ids);
        EXPECT_EQ(file.instance_count, c.count);
        EXPECT_EQ(bad_text(file), c.bad);
    }
    PlacementFile file = read_placement_file(binary_placement(records), "x_stream0.ipl");
    ASSERT_EQ(file.instances.size(), 2u);
    const Instance& last = file.instances[1];
    EXPECT_EQ(last.form, InstanceForm::binary);
    EXPECT_EQ(last.where, 3u);
    EXPECT_EQ(last.interior, 0x107);
    EXPECT_EQ(last.position[2], 9);
    EXPECT_EQ(last.rotation[3], 0.5f);
    EXPECT_EQ(file.instances[0].lod, 4);
}

}  // namespace
