#pragma once
// The 2dfx section of the older games' item definitions: one effect a line,
// "id, x, y, z, r, g, b, a, type" and the type's own fields. The effect
// belongs to the model of that id, at a position relative to its origin.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/item_definitions.h"
#include "model/effect.h"

struct ItemEffect {
    std::int32_t id = -1;
    Effect effect;  // its offset is the line's number
};

// The 2dfx lines of an item definition file's text, in order; lines that do
// not read go to skipped with the reason.
std::vector<ItemEffect> read_item_effects(std::string_view text, std::vector<SkippedLine>& skipped);
