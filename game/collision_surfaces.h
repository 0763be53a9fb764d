#pragma once
// What a collision surface's material byte means: the game that loads the
// record decides, not the record. The older games share one table (0-34), the
// third game has its own (0-178) and reads version-1 bytes with it too.

#include <cstdint>
#include <string>

enum class SurfaceTable { older, third };

// Kinds of surface, for one colour each in the written files.
enum class SurfaceGroup {
    ground, road, pavement, grass, sand, rock, metal, wood, glass, water, vehicle, person, soft, unknown
};
inline constexpr int surface_group_count = 14;

struct SurfaceKind {
    std::string name;   // one lower-case word, "" past the table's end
    SurfaceGroup group;
};

SurfaceKind surface_kind(SurfaceTable table, std::uint8_t material);

// "ground", "road", ...: the group's word, for legends and messages.
const char* surface_group_name(SurfaceGroup group);

// The material name of the written files: col_<id>_<name>, or col_<id> past the table.
std::string surface_material_name(SurfaceTable table, std::uint8_t material);

// The table a record of this version is read with: version 2 and later are
// the third game's; version 1 the older games' unless the game is the third.
SurfaceTable surface_table_for(int record_version, bool third_game);
