#pragma once
// What a map needs of the item definitions: the model each placed id stands
// for, which definitions are far-view stand-ins, when a time object shows, and
// which atomics of a placed model the game draws.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "game/item_definitions.h"

// Every loaded definition by id and by model name; ids are global over all
// files, and a later definition of an id replaces the earlier one.
class ItemIndex {
public:
    void add(const ItemDefinitionFile& file);
    void add(const ItemDefinition& item);

    const ItemDefinition* by_id(std::int32_t id) const;
    const ItemDefinition* by_name(std::string_view model) const;  // without case; the latest
    // Of the older games: a draw distance past 300 and a name that from its 4th
    // letter on matches a detailed object's.
    bool is_lod_definition(const ItemDefinition& item) const;
    // The dictionaries a model's textures are looked up in: its own, then its
    // parents (txdp), each once.
    std::vector<std::string> dictionary_chain(const std::string& dictionary) const;

private:
    std::vector<ItemDefinition> items_;
    std::unordered_map<std::int32_t, std::size_t> by_id_;
    std::unordered_map<std::string, std::size_t> by_name_;  // lower-cased model name
    std::unordered_map<std::string, std::string> parents_;  // lower-cased dictionary -> parent as written
    // Names of detailed objects, whole and from the 4th letter, lower-cased.
    std::unordered_set<std::string> detailed_;
};

// Whether a time object shows at hour h (0..23): on <= h < off, or when the
// span wraps past midnight (on > off), h >= on or h < off. Other objects always.
bool shown_at_hour(const ItemDefinition& item, int hour);

// The draw flag that turns backface culling off (third game): glTF doubleSided.
inline constexpr std::uint32_t item_flag_no_culling = 0x200000;

// Which atomics of a placed model the game draws, given each atomic's name (its
// frame's): a breakable object's damaged copy "NAME_dam" is left out, and of
// the level-of-detail atomics "NAME_L0", "NAME_L1", ... only "_L0" is taken.
std::vector<std::size_t> map_atomics(const std::vector<std::string_view>& atomic_names);
