// Item definition files as real games and mods write them: sections, both
// line forms, comments, mixed separators and lines that say nothing.

#include <gtest/gtest.h>

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
