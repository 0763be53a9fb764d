#pragma once
// The 2dfx section of the older games' item definitions: one effect a line,
// "id, x, y, z, r, g, b, a, type" and the type's own fields. The effect
// belongs to the model of that id, at a position relative to its origin.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/effect.h"

struct ItemDefinitionFile;
struct SkippedLine;

struct ItemEffect {
    std::int32_t id = -1;
    Effect effect;  // its offset is the line's number
};

// The 2dfx lines of an item definition file's text, in order; lines that do
// not read go to skipped with the reason.
std::vector<ItemEffect> read_item_effects(std::string_view text, std::vector<SkippedLine>& skipped);

// The effects of a run's item definitions by model: a 2dfx line names an id,
// an objs/tobj (or other item) line gives the id's model, in any file read.
class ItemEffectCatalog {
public:
    void add_items(const ItemDefinitionFile& file);
    void add_effects(const std::vector<ItemEffect>& effects);
    // The effects of the model of that name (without extension, any case), in the order read.
    std::vector<Effect> effects_for(const std::string& model) const;
    bool empty() const { return effects_.empty(); }

private:
    std::map<std::string, std::int32_t> id_of_;               // lower model name -> its first id
    std::map<std::int32_t, std::vector<Effect>> effects_;     // id -> effects
};
