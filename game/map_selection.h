#pragma once
// Which instances of a placement file (and its stream files) a scene takes,
// and why each of the others is left out.

#include <cstddef>
#include <string>
#include <vector>

#include "game/map_items.h"
#include "game/placement_file.h"

struct MapOptions {
    bool keep_lod = false;        // far-view stand-ins
    bool keep_interiors = false;  // areas other than outside
    bool apply_scale = false;     // the older games' scale fields, which the game ignores
    int hour = 12;                // time objects shown at this hour
};

enum class LeftOut { none, unresolved, lod, interior, time };

// "LOD", "interior", ... as the per-run lines name a reason.
const char* left_out_name(LeftOut reason);

struct InstanceChoice {
    const PlacementFile* file = nullptr;
    const Instance* instance = nullptr;
    const ItemDefinition* item = nullptr;  // null when unresolved
    bool by_name = false;                  // no definition has the id; the line's name found one
    LeftOut left_out = LeftOut::none;
};

struct NameCount {
    std::string name;
    std::size_t count = 0;
};

struct MapSelection {
    std::vector<InstanceChoice> choices;  // every readable instance, file by file in file order
    std::size_t bad = 0;                  // records the files could not give
    std::size_t placed = 0, lod = 0, interior = 0, time = 0, unresolved = 0;
    std::vector<NameCount> unresolved_names;  // the most often placed first
};

// Outside: the low byte of the interior field is 0, or 13 (shown everywhere).
inline bool is_outside(std::int32_t interior) {
    return (interior & 0xFF) == 0 || (interior & 0xFF) == 13;
}

// Decides every instance of one placement group: a text file and its stream
// files, the text file first, whose lod fields all count into its inst list.
MapSelection select_instances(const std::vector<const PlacementFile*>& group, const ItemIndex& items,
                              const MapOptions& options);

// The unresolved ids, most often placed first: "id 77 (shed) x4, id 80 x2, and 3 more".
std::string unresolved_text(const MapSelection& selection, std::size_t at_most);
