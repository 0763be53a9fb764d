#include "game/map_items.h"

#include <algorithm>

#include "game/text_lines.h"

namespace {

constexpr float lod_distance = 300;

float largest_distance(const ItemDefinition& item) {
    float largest = 0;
    for (float d : item.draw_distances) largest = std::max(largest, d);
    return largest;
}

bool ends_with_lower(const std::string& name, std::string_view suffix) {
    return name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

void ItemIndex::add(const ItemDefinitionFile& file) {
    for (const ItemDefinition& item : file.items) add(item);
    for (const DictionaryParent& p : file.parents) parents_[lower_name(p.dictionary)] = p.parent;
}

std::vector<std::string> ItemIndex::dictionary_chain(const std::string& dictionary) const {
    std::vector<std::string> chain;
    std::unordered_set<std::string> seen;
    for (std::string at = dictionary; !at.empty() && seen.insert(lower_name(at)).second;) {
        chain.push_back(at);
        auto parent = parents_.find(lower_name(at));
        at = parent == parents_.end() ? std::string() : parent->second;
    }
    return chain;
}

void ItemIndex::add(const ItemDefinition& item) {
    std::size_t at = items_.size();
    items_.push_back(item);
    if (item.id >= 0) by_id_[item.id] = at;
    std::string name = lower_name(item.model);
    if (!item.draw_distances.empty() && largest_distance(item) <= lod_distance) {
        detailed_.insert(name);
        if (name.size() > 3) detailed_.insert(name.substr(3));
    }
    by_name_[std::move(name)] = at;
}

const ItemDefinition* ItemIndex::by_id(std::int32_t id) const {
    auto it = by_id_.find(id);
    return it == by_id_.end() ? nullptr : &items_[it->second];
}

const ItemDefinition* ItemIndex::by_name(std::string_view model) const {
    auto it = by_name_.find(lower_name(model));
    return it == by_name_.end() ? nullptr : &items_[it->second];
}

bool ItemIndex::is_lod_definition(const ItemDefinition& item) const {
    if (largest_distance(item) <= lod_distance || item.model.size() <= 3) return false;
    return detailed_.count(lower_name(std::string_view(item.model).substr(3))) != 0;
}

bool shown_at_hour(const ItemDefinition& item, int hour) {
    if (item.time_on < 0 || item.time_off < 0) return true;
    if (item.time_on <= item.time_off) return item.time_on <= hour && hour < item.time_off;
    return hour >= item.time_on || hour < item.time_off;
}

std::vector<std::size_t> map_atomics(const std::vector<std::string_view>& atomic_names) {
    std::vector<std::size_t> taken;
    for (std::size_t i = 0; i < atomic_names.size(); ++i) {
        std::string name = lower_name(atomic_names[i]);
        if (ends_with_lower(name, "_dam")) continue;
        // A lower level of detail: "_l" and a digit other than 0 closing the name.
        std::size_t n = name.size();
        if (n >= 3 && name[n - 3] == '_' && name[n - 2] == 'l' && name[n - 1] > '0' && name[n - 1] <= '9')
            continue;
        taken.push_back(i);
    }
    return taken;
}
