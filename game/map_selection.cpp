#include "game/map_selection.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

bool has_lod_field(InstanceForm form) { return form == InstanceForm::third || form == InstanceForm::binary; }

std::string unresolved_label(const Instance& instance) {
    std::string label = "id " + std::to_string(instance.id);
    if (!instance.name.empty()) label += " (" + instance.name + ")";
    return label;
}

}  // namespace

const char* left_out_name(LeftOut reason) {
    switch (reason) {
        case LeftOut::none: return "placed";
        case LeftOut::unresolved: return "unresolved";
        case LeftOut::lod: return "LOD";
        case LeftOut::interior: return "interior";
        case LeftOut::time: return "time";
    }
    return "?";
}

MapSelection select_instances(const std::vector<const PlacementFile*>& group, const ItemIndex& items,
                              const MapOptions& options) {
    MapSelection out;
    // The stand-ins the group's lod fields name, by index into the text file's inst list.
    std::unordered_set<std::size_t> named_as_lod;
    for (const PlacementFile* file : group)
        for (const Instance& instance : file->instances)
            if (has_lod_field(instance.form) && instance.lod >= 0) named_as_lod.insert(std::size_t(instance.lod));
    const PlacementFile* text_file = !group.empty() && !group.front()->binary ? group.front() : nullptr;

    std::unordered_map<std::string, std::size_t> unresolved;
    for (const PlacementFile* file : group) {
        out.bad += file->bad.size();
        for (const Instance& instance : file->instances) {
            InstanceChoice choice;
            choice.file = file;
            choice.instance = &instance;
            choice.item = items.by_id(instance.id);
            if (!choice.item && !instance.name.empty()) {
                choice.item = items.by_name(instance.name);
                choice.by_name = choice.item != nullptr;
            }
            bool lod = has_lod_field(instance.form)
                           ? file == text_file && named_as_lod.count(instance.index) != 0
                           : choice.item && items.is_lod_definition(*choice.item);
            if (!choice.item) choice.left_out = LeftOut::unresolved;
            else if (lod && !options.keep_lod) choice.left_out = LeftOut::lod;
            else if (!is_outside(instance.interior) && !options.keep_interiors) choice.left_out = LeftOut::interior;
            else if (!shown_at_hour(*choice.item, options.hour)) choice.left_out = LeftOut::time;

            switch (choice.left_out) {
                case LeftOut::none: ++out.placed; break;
                case LeftOut::unresolved: ++out.unresolved; ++unresolved[unresolved_label(instance)]; break;
                case LeftOut::lod: ++out.lod; break;
                case LeftOut::interior: ++out.interior; break;
                case LeftOut::time: ++out.time; break;
            }
            out.choices.push_back(choice);
        }
    }
    for (auto& [name, count] : unresolved) out.unresolved_names.push_back({name, count});
    std::sort(out.unresolved_names.begin(), out.unresolved_names.end(), [](const NameCount& a, const NameCount& b) {
        return a.count != b.count ? a.count > b.count : a.name < b.name;
    });
    return out;
}

std::string unresolved_text(const MapSelection& selection, std::size_t at_most) {
    std::string text;
    std::size_t shown = std::min(at_most, selection.unresolved_names.size());
    for (std::size_t i = 0; i < shown; ++i) {
        if (i) text += ", ";
        const NameCount& n = selection.unresolved_names[i];
        text += n.name + " x" + std::to_string(n.count);
    }
    if (shown < selection.unresolved_names.size())
        text += ", and " + std::to_string(selection.unresolved_names.size() - shown) + " more";
    return text;
}
