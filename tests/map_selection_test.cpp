// Which placed instances a scene takes: the model by id (the name only where
// no definition has the id), far-view stand-ins, interiors and time objects
// left out unless asked for, and the atomics the game draws of a placed model.

#include <gtest/gtest.h>

#include "game/map_selection.h"
#include "support/placement_builder.h"

namespace {

ItemIndex items_of(const char* ide_text) {
    ItemIndex items;
    items.add(read_item_definitions(ide_text, "map.ide"));
    return items;
}

struct Decision {
    std::size_t where;
    std::string model;  // "" when unresolved
    LeftOut left_out;
};

std::vector<Decision> decisions(const MapSelection& selection) {
    std::vector<Decision> out;
    for (const InstanceChoice& c : selection.choices)
        out.push_back({c.instance->where, c.item ? c.item->model : "", c.left_out});
    return out;
}

void expect_decisions(const MapSelection& selection, const std::vector<Decision>& want) {
    std::vector<Decision> got = decisions(selection);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].where);
        EXPECT_EQ(got[i].where, want[i].where);
        EXPECT_EQ(got[i].model, want[i].model);
        EXPECT_EQ(got[i].left_out, want[i].left_out) << left_out_name(got[i].left_out);
    }
}

// Third game: the stand-in is the instance another's lod field names, counted
// over the text file's inst lines (a bad line counts too), and the stream
// files' lod fields point into the same list.
TEST(MapSelection, ThirdGameStandInsInteriorsAndTimes) {
    ItemIndex items = items_of(
        "objs\n"
        "1, house, town, 100, 0\n"
        "2, lodhouse, town, 1000, 0\n"
        "3, shed, town, 100, 0\n"
        "9, pulch2_lod, town, 1000, 0\n"
        "end\n"
        "tobj\n"
        "4, nightsign, town, 100, 0, 20, 6\n"
        "end\n");
    PlacementFile text = read_placement_text(
        "inst\n"
        "2, lodhouse, 0, 0, 0, 0, 0, 0, 0, 1, -1\n"  // 2 index 0, named by the stream record
        "bad line\n"                                 // 3 index 1
        "9, pulch2_lod, 0, 0, 0, 0, 0, 0, 0, 1, -1\n"  // 4 index 2, named by line 5
        "1, house, 0, 0, 0, 0, 0, 0, 0, 1, 2\n"      // 5
        "3, shed, 7, 0, 0, 0, 0, 0, 0, 1, -1\n"      // 6 interior 7
        "3, shed, 525, 0, 0, 0, 0, 0, 0, 1, -1\n"    // 7 525 = 0x200 | 13: outside
        "4, nightsign, 0, 0, 0, 0, 0, 0, 0, 1, -1\n" // 8 shown 20:00 to 6:00
        "77, , 0, 0, 0, 0, 0, 0, 0, 1, -1\n"         // 9 no definition, no name
        "78, shed, 0, 0, 0, 0, 0, 0, 0, 1, -1\n"     // 10 by name
        "77, , 0, 0, 0, 0, 0, 0, 0, 1, -1\n"         // 11
        "end\n",
        "town.ipl");
    PlacementFile stream = read_placement_binary(binary_placement({
                                                     {{0, 0, 0}, {0, 0, 0, 1}, 1, 512, 0},
                                                     {{0, 0, 0}, {0, 0, 0, 1}, 80, 0, -1},
                                                 }),
                                                 "town_stream0.ipl");
    MapSelection noon = select_instances({&text, &stream}, items, {});
    expect_decisions(noon, {
                               {2, "lodhouse", LeftOut::lod},
                               {4, "pulch2_lod", LeftOut::lod},
                               {5, "house", LeftOut::none},
                               {6, "shed", LeftOut::interior},
                               {7, "shed", LeftOut::none},
                               {8, "nightsign", LeftOut::time},
                               {9, "", LeftOut::unresolved},
                               {10, "shed", LeftOut::none},
                               {11, "", LeftOut::unresolved},
                               {0, "house", LeftOut::none},
                               {1, "", LeftOut::unresolved},
                           });
    EXPECT_EQ(noon.bad, 1u);
    EXPECT_EQ(noon.placed, 4u);
    EXPECT_EQ(noon.lod + noon.interior + noon.time + noon.unresolved, 2u + 1 + 1 + 3);
    EXPECT_TRUE(noon.choices[7].by_name);
    EXPECT_EQ(unresolved_text(noon, 5), "id 77 x2, id 80 x1");
    EXPECT_EQ(unresolved_text(noon, 1), "id 77 x2, and 1 more");

    MapOptions all;
    all.keep_lod = all.keep_interiors = true;
    all.hour = 23;
    MapSelection night = select_instances({&text, &stream}, items, all);
    EXPECT_EQ(night.placed, 8u);
    EXPECT_EQ(night.unresolved, 3u);
    all.hour = 6;  // off at 6
    EXPECT_EQ(select_instances({&text, &stream}, items, all).time, 1u);
}

// Older games: no lod field; a stand-in is an object drawn past 300 whose name
// from the 4th letter on matches a detailed object's. A later definition of
// an id replaces the earlier.
TEST(MapSelection, OlderGamesStandInsByDistanceAndName) {
    ItemIndex items = items_of(
        "objs\n"
        "1, building1, town, 1, 200, 0\n"
        "2, LODbuilding1, town, 1, 1500, 0\n"  // matches building1 whole
        "3, hi_tower, town, 2, 100, 250, 0\n"
        "4, LODtower, town, 1, 2000, 0\n"      // matches hi_tower from the 4th letter on
        "5, farhill, town, 1, 2000, 0\n"       // far but no detailed match: placed
        "6, LODnone, town, 1, 100, 0\n"        // LOD-like name, near: placed
        "7, old, town, 1, 100, 0\n"
        "end\n");
    items.add(read_item_definitions("objs\n7, new, town, 1, 100, 0\nend\n", "later.ide"));
    PlacementFile file = read_placement_text(
        "inst\n"
        "1, building1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1\n"
        "2, LODbuilding1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1\n"
        "3, hi_tower, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1\n"
        "4, LODtower, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1\n"
        "5, farhill, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1\n"
        "6, LODnone, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1\n"
        "7, old, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1\n"
        "end\n",
        "old.ipl");
    expect_decisions(select_instances({&file}, items, {}), {
                                                                {2, "building1", LeftOut::none},
                                                                {3, "LODbuilding1", LeftOut::lod},
                                                                {4, "hi_tower", LeftOut::none},
                                                                {5, "LODtower", LeftOut::lod},
                                                                {6, "farhill", LeftOut::none},
                                                                {7, "LODnone", LeftOut::none},
                                                                {8, "new", LeftOut::none},
                                                            });
    MapOptions keep;
    keep.keep_lod = true;
    EXPECT_EQ(select_instances({&file}, items, keep).placed, 7u);
}

TEST(MapAtomics, OnlyTheNearestLevelAndNoDamagedCopy) {
    struct Case {
        std::vector<std::string_view> names;
        std::vector<std::size_t> taken;
    } cases[] = {
        {{"tower_L0", "tower_L1", "tower_L2"}, {0}},
        {{"TOWER_l2", "TOWER_L0"}, {1}},
        {{"fence", "fence_dam"}, {0}},
        {{"fence_DAM", "fence"}, {1}},
        {{"sign", "sign_L10x", ""}, {0, 1, 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(map_atomics(c.names), c.taken) << c.names[0];
}

TEST(StreamFiles, BaseNameAndStreamWithoutCase) {
    struct Case {
        const char* entry;
        const char* text_file;
        bool stream;
    } cases[] = {
        {"countn2_stream0.ipl", "DATA\\MAPS\\country\\countn2.ipl", true},
        {"COUNTN2_STREAM12.IPL", "data/maps/country/countn2.ipl", true},
        {"countn2_stream0.ipl", "countn2", true},
        {"countn2.ipl", "countn2.ipl", false},
        {"countn2_stream0.dff", "countn2.ipl", false},
        {"countn_stream0.ipl", "countn2.ipl", false},
        {"countn22_stream0.ipl", "countn2.ipl", false},
    };
    for (const Case& c : cases) EXPECT_EQ(is_stream_file_of(c.entry, c.text_file), c.stream) << c.entry;
}

}  // namespace
