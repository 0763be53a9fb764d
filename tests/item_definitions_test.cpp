// Item definition files as real games and mods write them: sections, both
// line forms, comments, mixed separators and lines that say nothing.

#include <gtest/gtest.h>

#include "game/car_colours.h"
#include "game/item_definitions.h"
#include "game/text_lines.h"

namespace {

TEST(TextLines, FieldsSplitOnCommasAndBlanksKeepingEmptyOnes) {
    struct Case {
        const char* line;
        std::vector<std::string_view> fields;
    } cases[] = {
        {"1, a, b", {"1", "a", "b"}},
        {"1 a\tb", {"1", "a", "b"}},
        {"1,a,,b", {"1", "a", "", "b"}},
        {"3425, , 0", {"3425", "", "0"}},
        {"1 ,\ta ,b", {"1", "a", "b"}},
        {"  -4.37114E-008  0 ", {"-4.37114E-008", "0"}},
    };
    for (const Case& c : cases) EXPECT_EQ(split_fields(strip_line(c.line)), c.fields) << c.line;
    EXPECT_EQ(strip_line("  objs # a comment\r"), "objs");
}

TEST(ItemDefinitions, ReadsEachSectionsFieldsAndBothLineForms) {
    const char* text =
        "# first game\n"
        "objs\n"
        "100, building1, town, 1, 299, 0\n"
        "101, tower, town, 3, 30, 120, 300, 4\n"
        "102\tstreetlamp\tgeneric\t150\t2097152\n"  // third game: dist, flags
        "end\n"
        "TOBJ\n"
        "200, shopsign, town, 1, 100, 0, 20, 6\n"
        "end\n"
        "anim\n"
        "300, flag, flagtxd, flaganim, 80, 0\n"
        "end\n"
        "cars\n"
        "400, infernus, infernus, car, INFERNUS, INFERNUS, null, normal, 5, 0, 0\n"
        "end\n"
        "txdp\n"
        "infernus, vehicle\n"
        "end\n";
    ItemDefinitionFile file = read_item_definitions(text, "test.ide");
    ASSERT_EQ(file.items.size(), 6u);
    EXPECT_TRUE(file.skipped.empty()) << skipped_lines_text(file);

    struct Expect {
        int id;
        const char* section;
        const char* model;
        const char* dictionary;
        std::vector<float> distances;
        std::uint32_t flags;
        int on, off;
        std::size_t line;
    } expect[] = {
        {100, "objs", "building1", "town", {299}, 0, -1, -1, 3},
        {101, "objs", "tower", "town", {30, 120, 300}, 4, -1, -1, 4},
        {102, "objs", "streetlamp", "generic", {150}, 0x200000, -1, -1, 5},
        {200, "tobj", "shopsign", "town", {100}, 0, 20, 6, 8},
        {300, "anim", "flag", "flagtxd", {80}, 0, -1, -1, 11},
        {400, "cars", "infernus", "infernus", {}, 0, -1, -1, 14},
    };
    for (std::size_t i = 0; i < std::size(expect); ++i) {
        const ItemDefinition& item = file.items[i];
        SCOPED_TRACE(item.model);
        EXPECT_EQ(item.id, expect[i].id);
        EXPECT_EQ(item.section, expect[i].section);
        EXPECT_EQ(item.model, expect[i].model);
        EXPECT_EQ(item.dictionary, expect[i].dictionary);
        EXPECT_EQ(item.draw_distances, expect[i].distances);
        EXPECT_EQ(item.flags, expect[i].flags);
        EXPECT_EQ(item.time_on, expect[i].on);
        EXPECT_EQ(item.time_off, expect[i].off);
        EXPECT_EQ(item.line, expect[i].line);
        EXPECT_EQ(item.file, "test.ide");
    }
    ASSERT_EQ(file.parents.size(), 1u);
    EXPECT_EQ(file.parents[0].dictionary, "infernus");
    EXPECT_EQ(file.parents[0].parent, "vehicle");
}

TEST(ItemDefinitions, LinesThatSayNothingAreSkippedAndNamed) {
    const char* text =
        "objs\n"
        "1, onlytwo\n"            // 2: too few fields
        "x1, badid, town, 1, 10, 0\n"  // 3: id no number
        "-, noid, town, 1, 10, 0\n"    // a '-' id is kept as -1
        "end\n"
        "zzzz\n"                  // 6: unknown section, passed over to its end
        "7, hidden, town, 1, 10, 0\n"
        "end\n"
        "2dfx\n"
        "1, 2, 3, 4\n"
        "end\n"
        "objs\n"
        "8, unended, town, 1, 10, 0\n";  // a file cut short still gives its items
    ItemDefinitionFile file = read_item_definitions(text, "bad.ide");
    ASSERT_EQ(file.items.size(), 2u);
    EXPECT_EQ(file.items[0].id, -1);
    EXPECT_EQ(file.items[0].model, "noid");
    EXPECT_EQ(file.items[1].model, "unended");
    EXPECT_EQ(skipped_lines_text(file),
              "lines 2 (too few fields), 3 (the id is no number) and 6 (unknown section) skipped");
}

}  // namespace

namespace {

TEST(ItemDefinitions, CarsLinesGiveTheWheelOfEachGamesForm) {
    struct Case {
        const char* line;
        int game;
        const char* type;
        int wheel_id;
        float scale, front, rear;
        bool skipped;
    } cases[] = {
        {"90, car1, car1, car, CAR1, CAR1, normal, 10, 0, 0, 251, 0.8", 1, "car", 251, 0.8f, 1, 1, false},
        {"130, mycar, mycar, car, MYCAR, MYCAR, null, normal, 10, 7, 0, 250, 0.7", 2, "car", 250, 0.7f, 1, 1, false},
        {"131\tmybike\tmybike\tbike\tB\tB\tnull\tmotorbike\t10\t7\t0\t23\t0.6", 2, "bike", -1, 1, 1, 1, false},
        {"132, myboat, myboat, boat, B, B, null, normal, 10, 7, 0", 2, "boat", -1, 1, 1, 1, false},
        {"400, mycar3, mycar3, car, C, C, null, normal, 10, 7, 0, 0, 0.72, 0.8, -1", 3, "car", 0, 1, 0.72f, 0.8f, false},
        {"401, wide, wide, Car, C, C, null, normal, 10, 7, 0, x, 0.7", 2, "car", -1, 1, 1, 1, true},
        {"402, bad3, bad3, car, C, C, null, normal, 10, 7, 0, 1, 0, 0.8, -1", 3, "car", -1, 1, 1, 1, true},
    };
    for (const Case& c : cases) {
        const ItemDefinitionFile file = read_item_definitions(std::string("cars\n") + c.line + "\nend\n", "v.ide");
        ASSERT_EQ(file.items.size(), 1u) << c.line;
        const ItemDefinition::Vehicle& v = file.items[0].vehicle;
        EXPECT_EQ(v.game, c.game) << c.line;
        EXPECT_EQ(v.type, c.type) << c.line;
        EXPECT_EQ(v.wheel_id, c.wheel_id) << c.line;
        EXPECT_FLOAT_EQ(v.wheel_scale, c.scale) << c.line;
        EXPECT_FLOAT_EQ(v.front_size, c.front) << c.line;
        EXPECT_FLOAT_EQ(v.rear_size, c.rear) << c.line;
        EXPECT_EQ(file.skipped.size(), c.skipped ? 1u : 0u) << c.line;
    }
}

TEST(CarColours, ReadsEveryLineFormAndNamesTheLinesItCannot) {
    const char* text =
        "# header comment\r\n"
        "  col\r\n"
        "5,5,5        # 0 black\r\n"
        "130,0,0      # 1 dark red\n"
        "\n"
        "77.93,96\n"           // a dot as a separator
        "12 34\n"              // too few: kept as black so that later indices stay
        "1,2,300\n"            // past 255
        "end\n"
        "junk outside\n"
        "car\n"
        "mycar, 0,1, 1,1\n"
        "MyCar 2,0\n"          // the same car again, other case
        "odd, 1,2,3\n"
        "end\n"
        "car4\n"
        "big, 1,0,2,3, 0,0,0,0\n"
        "bad4, 1,0,2\n"
        "endsection\n";
    const CarColourFile file = read_car_colours(text);
    const std::vector<std::array<std::uint8_t, 3>> colours = {
        {5, 5, 5}, {130, 0, 0}, {77, 93, 96}, {0, 0, 0}, {0, 0, 0}};
    EXPECT_EQ(file.colours, colours);
    ASSERT_EQ(file.cars.size(), 2u);
    const CarColourLine* mycar = car_colours_of(file, "MYCAR");
    ASSERT_NE(mycar, nullptr);
    EXPECT_EQ(mycar->combinations, (std::vector<CarPaint>{{0, 1, 0, 0}, {1, 1, 0, 0}, {2, 0, 0, 0}}));
    const CarColourLine* big = car_colours_of(file, "big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->combinations, (std::vector<CarPaint>{{1, 0, 2, 3}, {0, 0, 0, 0}}));
    EXPECT_EQ(car_colours_of(file, "odd"), nullptr);
    std::vector<std::size_t> lines;
    for (const CarColourNote& n : file.skipped) lines.push_back(n.line);
    EXPECT_EQ(lines, (std::vector<std::size_t>{7, 8, 10, 14, 18}));
    EXPECT_EQ(car_colour_notes_text(file, "carcols.dat").rfind("carcols.dat: line 7 (", 0), 0u);
    // Nothing readable at all: an empty table, not a failure.
    EXPECT_TRUE(read_car_colours("\x01\x02garbage").colours.empty());
}

}  // namespace
