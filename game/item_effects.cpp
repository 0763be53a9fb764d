#include "game/item_effects.h"

#include <algorithm>

#include "game/item_definitions.h"
#include "game/text_lines.h"

namespace {

constexpr std::size_t common = 9;  // id, x, y, z, r, g, b, a, type

// What a line's fields after the common ones are, by the line's type. Type 2
// is an attractor here, type 3 the second game's ped attractor.
struct LineKind {
    const char* name;
    std::vector<const char*> fields;  // "$" before a name: quoted text; "3" after: three numbers
};

const LineKind* kind_of(int type) {
    static const LineKind kinds[] = {
        {"light",
         {"$corona_tex_name", "$shadow_tex_name", "corona_far_clip", "point_light_range", "corona_size",
          "shadow_size", "#shadow_intensity", "#corona_show_mode", "#corona_reflection", "#flare_type", "#flags"}},
        {"particle", {"#particle_kind", "strength3", "scale"}},
        {"attractor", {"#attractor_kind", "direction3", "#probability"}},
        {"attractor", {"#attractor_kind", "queue_direction3", "use_direction3"}},
        {"sun_glare", {}},
    };
    return type >= 0 && type < 5 ? &kinds[type] : nullptr;
}

std::size_t width_of(std::string_view layout) { return layout.back() == '3' ? 3 : 1; }

std::string_view unquoted(std::string_view f) {
    if (f.size() >= 2 && f.front() == '"' && f.back() == '"') return f.substr(1, f.size() - 2);
    return f;
}

// The type's fields from f[at...]; false with why when one does not read.
bool read_fields(const std::vector<std::string_view>& f, const LineKind& kind, Effect& e, std::string& why) {
    std::size_t at = common;
    for (std::string_view layout : kind.fields) {
        EffectField field;
        if (layout.front() == '$') {
            field.name = std::string(layout.substr(1));
            field.text = std::string(unquoted(f[at++]));
            for (char& c : field.text)
                if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
        } else {
            field.integers = layout.front() == '#';
            const std::size_t width = width_of(layout);
            field.name = std::string(layout.substr(field.integers ? 1 : 0, layout.size() - (field.integers ? 1 : 0) -
                                                                             (width == 3 ? 1 : 0)));
            for (std::size_t i = 0; i < width; ++i, ++at) {
                float v = 0;
                if (!parse_float(f[at], v) || (field.integers && v != static_cast<float>(static_cast<long long>(v)))) {
                    why = "its " + field.name + " is no " + (field.integers ? "whole number" : "number");
                    return false;
                }
                field.numbers.push_back(v);
            }
        }
        e.fields.push_back(std::move(field));
    }
    return true;
}

std::size_t field_count(const LineKind& kind) {
    std::size_t n = common;
    for (std::string_view layout : kind.fields) n += layout.front() == '$' ? 1 : width_of(layout);
    return n;
}

void read_line(std::size_t number, const std::vector<std::string_view>& f, std::vector<ItemEffect>& out,
               std::vector<SkippedLine>& skipped) {
    ItemEffect item;
    int type = -1;
    if (f.size() < common || !parse_number(f[0], item.id) || !parse_number(f[8], type)) {
        skipped.push_back({number, "a 2dfx line without its id, position, colour and type"});
        return;
    }
    const LineKind* kind = kind_of(type);
    if (!kind) {
        skipped.push_back({number, "2dfx type " + std::to_string(type) + " unknown"});
        return;
    }
    if (f.size() < field_count(*kind)) {
        skipped.push_back({number, std::string("too few fields for a 2dfx ") + kind->name});
        return;
    }
    Effect& e = item.effect;
    e.offset = static_cast<std::uint32_t>(number);
    e.kind = kind->name;
    int colour[4];
    for (int k = 0; k < 3; ++k)
        if (!parse_float(f[1 + k], e.position[k])) {
            skipped.push_back({number, "a 2dfx position that is no number"});
            return;
        }
    for (int k = 0; k < 4; ++k)
        if (!parse_number(f[4 + k], colour[k]) || colour[k] < 0 || colour[k] > 255) {
            skipped.push_back({number, "a 2dfx colour outside 0-255"});
            return;
        }
    e.fields.push_back({"colour", {double(colour[0]), double(colour[1]), double(colour[2]), double(colour[3])}, {}, true});
    e.fields.push_back({"line_type", {double(type)}, {}, true});
    std::string why;
    if (!read_fields(f, *kind, e, why)) {
        skipped.push_back({number, "2dfx " + std::string(kind->name) + ": " + why});
        return;
    }
    if (type == 0) {
        e.light = true;
        for (int k = 0; k < 4; ++k) e.colour[k] = static_cast<std::uint8_t>(colour[k]);
        float range = 0;
        parse_float(f[common + 3], range);
        e.range = range > 0 ? range : 0;
    }
    out.push_back(std::move(item));
}

}  // namespace

std::vector<ItemEffect> read_item_effects(std::string_view text, std::vector<SkippedLine>& skipped) {
    std::vector<ItemEffect> out;
    for_each_section_line(
        text, [](std::size_t, std::string_view, const std::vector<std::string_view>&) {},
        [&](std::size_t number, std::string_view section, const std::vector<std::string_view>& f) {
            if (section == "2dfx") read_line(number, f, out, skipped);
        });
    // Each model's effects are numbered from 0 in the order written.
    std::vector<std::pair<std::int32_t, std::uint32_t>> counts;
    for (ItemEffect& item : out) {
        auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == item.id; });
        if (it == counts.end()) it = counts.insert(counts.end(), {item.id, 0});
        item.effect.index = it->second++;
    }
    return out;
}

void ItemEffectCatalog::add_items(const ItemDefinitionFile& file) {
    for (const ItemDefinition& item : file.items)
        if (item.id >= 0) id_of_.emplace(lower_name(item.model), item.id);
}

void ItemEffectCatalog::add_effects(const std::vector<ItemEffect>& effects) {
    for (const ItemEffect& e : effects) {
        std::vector<Effect>& list = effects_[e.id];
        list.push_back(e.effect);
        list.back().index = static_cast<std::uint32_t>(list.size() - 1);
    }
}

std::vector<Effect> ItemEffectCatalog::effects_for(const std::string& model) const {
    const auto id = id_of_.find(lower_name(model));
    if (id == id_of_.end()) return {};
    const auto found = effects_.find(id->second);
    return found == effects_.end() ? std::vector<Effect>{} : found->second;
}
