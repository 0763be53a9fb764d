#include "game/collision_surfaces.h"

#include <iterator>

namespace {

using G = SurfaceGroup;

struct Range {
    std::uint8_t first, last;
    const char* name;  // numbered _1, _2, ... when the range holds more than one
    SurfaceGroup group;
};

constexpr Range older_table[] = {
    {0, 0, "default", G::ground},      {1, 1, "tarmac", G::road},         {2, 2, "grass", G::grass},
    {3, 3, "gravel", G::sand},         {4, 4, "dry_mud", G::sand},        {5, 5, "pavement", G::pavement},
    {6, 6, "car", G::vehicle},         {7, 7, "glass", G::glass},         {8, 8, "cloth", G::soft},
    {9, 9, "garage_door", G::metal},   {10, 10, "car_panel", G::vehicle}, {11, 11, "metal_plate", G::metal},
    {12, 12, "scaffold_pole", G::metal}, {13, 13, "lamp_post", G::metal}, {14, 14, "hydrant", G::metal},
    {15, 15, "girder", G::metal},      {16, 16, "chain_fence", G::metal}, {17, 17, "ped", G::person},
    {18, 18, "sand", G::sand},         {19, 19, "water", G::water},       {20, 20, "crates", G::wood},
    {21, 21, "bench", G::wood},        {22, 22, "wood", G::wood},         {23, 23, "rubber", G::soft},
    {24, 24, "plastic", G::soft},      {25, 25, "hedge", G::grass},       {26, 26, "cliff", G::rock},
    {27, 27, "container", G::metal},   {28, 28, "news_stand", G::metal},  {29, 29, "wheelbase", G::vehicle},
    {30, 30, "cardboard", G::soft},    {31, 31, "clear_stone", G::rock},  {32, 32, "metal_gate", G::metal},
    {33, 33, "beach_sand", G::sand},   {34, 34, "beach_concrete", G::pavement},
};

constexpr Range third_table[] = {
    {0, 0, "default", G::ground},
    {1, 3, "tarmac", G::road},
    {4, 5, "pavement", G::pavement},
    {6, 6, "gravel", G::sand},
    {7, 7, "concrete", G::pavement},
    {8, 8, "painted_ground", G::road},
    {9, 17, "grass", G::grass},
    {18, 18, "cliff", G::rock},
    {19, 23, "vegetation", G::grass},
    {24, 27, "dirt", G::sand},
    {28, 33, "sand", G::sand},
    {34, 34, "beach_concrete", G::pavement},
    {35, 37, "rock", G::rock},
    {38, 39, "water", G::water},
    {40, 40, "corn", G::grass},
    {41, 41, "hedge", G::grass},
    {42, 44, "wood", G::wood},
    {45, 47, "glass", G::glass},
    {48, 49, "unused", G::unknown},
    {50, 59, "metal", G::metal},
    {60, 60, "wheelbase", G::vehicle},
    {61, 61, "cardboard", G::soft},
    {62, 62, "ped", G::person},
    {63, 65, "car", G::vehicle},
    {66, 66, "cloth", G::soft},
    {67, 67, "rubber", G::soft},
    {68, 68, "plastic", G::soft},
    {69, 69, "clear_stone", G::rock},
    {70, 70, "bench", G::wood},
    {71, 71, "carpet", G::soft},
    {72, 72, "wooden_floor", G::wood},
    {73, 73, "wooden_stairs", G::wood},
    {74, 79, "p_sand", G::sand},
    {80, 82, "p_grass", G::grass},
    {83, 84, "p_woodland", G::grass},
    {85, 86, "p_roadside", G::sand},
    {87, 87, "p_flowerbed", G::grass},
    {88, 88, "p_waste", G::ground},
    {89, 89, "p_concrete", G::pavement},
    {90, 95, "p_furniture", G::wood},
    {96, 100, "p_underwater", G::water},
    {101, 101, "p_rubble", G::rock},
    {102, 108, "p_floor", G::pavement},
    {109, 109, "p_mountain", G::rock},
    {110, 110, "p_marsh", G::water},
    {111, 114, "p_bushes", G::grass},
    {115, 122, "p_grass_b", G::grass},
    {123, 124, "p_dirt", G::sand},
    {125, 125, "p_grass_c", G::grass},
    {126, 126, "p_riverbank", G::sand},
    {127, 127, "p_poolside", G::pavement},
    {128, 130, "p_woodland_b", G::grass},
    {131, 133, "p_desert", G::sand},
    {134, 142, "p_industrial", G::metal},
    {143, 143, "p_cactus", G::grass},
    {144, 144, "p_airport", G::road},
    {145, 145, "p_corn", G::grass},
    {146, 153, "p_grass_d", G::grass},
    {154, 157, "p_underwater_b", G::water},
    {158, 158, "door", G::wood},
    {159, 159, "plastic_barrier", G::soft},
    {160, 160, "park_grass", G::grass},
    {161, 161, "stone_stairs", G::pavement},
    {162, 162, "metal_stairs", G::metal},
    {163, 163, "carpet_stairs", G::soft},
    {164, 164, "metal_floor", G::metal},
    {165, 165, "concrete_floor", G::pavement},
    {166, 166, "bin_bag", G::soft},
    {167, 167, "thin_metal", G::metal},
    {168, 168, "barrel", G::metal},
    {169, 169, "plastic_cone", G::soft},
    {170, 170, "dumpster", G::soft},
    {171, 171, "metal_dumpster", G::metal},
    {172, 174, "wooden_fence", G::wood},
    {175, 175, "unbreakable_glass", G::glass},
    {176, 176, "hay", G::grass},
    {177, 177, "gore", G::person},
    {178, 178, "rail_track", G::metal},
};

template <std::size_t N>
SurfaceKind look_up(const Range (&table)[N], std::uint8_t material) {
    for (const Range& r : table)
        if (material >= r.first && material <= r.last) {
            std::string name = r.name;
            if (r.last > r.first) {
                name += '_';
                name += std::to_string(material - r.first + 1);
            }
            return {name, r.group};
        }
    return {"", SurfaceGroup::unknown};
}

}  // namespace

SurfaceKind surface_kind(SurfaceTable table, std::uint8_t material) {
    return table == SurfaceTable::third ? look_up(third_table, material) : look_up(older_table, material);
}

const char* surface_group_name(SurfaceGroup group) {
    static const char* const names[surface_group_count] = {"ground", "road",  "pavement", "grass", "sand",
                                                            "rock",   "metal", "wood",     "glass", "water",
                                                            "vehicle", "person", "soft",   "unknown"};
    const auto i = static_cast<std::size_t>(group);
    return i < std::size(names) ? names[i] : "unknown";
}

std::string surface_material_name(SurfaceTable table, std::uint8_t material) {
    std::string name = "col_";
    name += std::to_string(material);
    const SurfaceKind kind = surface_kind(table, material);
    if (!kind.name.empty()) {
        name += '_';
        name += kind.name;
    }
    return name;
}

SurfaceTable surface_table_for(int record_version, bool third_game) {
    return record_version >= 2 || third_game ? SurfaceTable::third : SurfaceTable::older;
}
