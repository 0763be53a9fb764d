#include "game/item_definitions.h"

#include <charconv>

#include "game/file_source.h"
#include "game/text_lines.h"

namespace {

// Sections whose lines start with id, model, dictionary.
bool is_item_section(std::string_view s) {
    for (const char* known : {"objs", "tobj", "anim", "weap", "hier", "cars", "peds"})
        if (s == known) return true;
    return false;
}

bool is_known_section(std::string_view s) {
    if (is_item_section(s) || s == "txdp") return true;
    for (const char* known : {"path", "2dfx", "tanm", "mlo", "amat", "hand"})
        if (s == known) return true;
    return false;
}

// Flags are written in decimal by most games, in hex by some tools.
bool parse_flags(std::string_view field, std::uint32_t& out) {
    if (field.size() > 2 && field[0] == '0' && (field[1] == 'x' || field[1] == 'X')) {
        const char* end = field.data() + field.size();
        auto [ptr, ec] = std::from_chars(field.data() + 2, end, out, 16);
        return ec == std::errc() && ptr == end;
    }
    std::int64_t wide = 0;
    if (!parse_number(field, wide) || wide < INT32_MIN || wide > UINT32_MAX) return false;
    out = static_cast<std::uint32_t>(wide);
    return true;
}

// The distances, flags and times of objs/tobj/anim lines after id, model, dictionary.
// Newer form: dist, flags [on, off]; anim: anim, dist, flags. Older form: n,
// n distances, flags [on, off].
bool read_placement_fields(const std::vector<std::string_view>& f, ItemDefinition& item) {
    std::size_t times = item.section == "tobj" ? 2 : 0;
    std::size_t first = item.section == "anim" ? 4 : 3;
    if (f.size() < first + 2 + times) return false;
    std::size_t rest = f.size() - first - times;  // fields between the fixed ones and the times
    std::size_t count = 0;
    if (rest >= 3 && parse_number(f[first], count) && count >= 1 && count <= 3 && rest == count + 2) {
        for (std::size_t i = 0; i < count; ++i) {
            float d = 0;
            if (!parse_float(f[first + 1 + i], d)) return false;
            item.draw_distances.push_back(d);
        }
        if (!parse_flags(f[first + 1 + count], item.flags)) return false;
    } else if (rest == 2) {
        float d = 0;
        if (!parse_float(f[first], d) || !parse_flags(f[first + 1], item.flags)) return false;
        item.draw_distances.push_back(d);
    } else {
        return false;
    }
    if (times) {
        std::size_t t = f.size() - 2;
        if (!parse_number(f[t], item.time_on) || !parse_number(f[t + 1], item.time_off)) return false;
    }
    return true;
}

// Types whose wheel field names a wheel: a plane's names its far model, a
// bike's is its steer angle, boats and trains stop before it.
bool has_wheels(std::string_view type) {
    for (const char* known : {"car", "mtruck", "quad", "trailer"})
        if (type == known) return true;
    return false;
}

// The cars line's wheel fields, by the form the line is in: field 8 a number
// is the first game's; else 14 fields or more the third's.
bool read_vehicle_fields(const std::vector<std::string_view>& f, ItemDefinition& item) {
    ItemDefinition::Vehicle& v = item.vehicle;
    if (f.size() > 3) v.type = lower_name(f[3]);
    float number = 0;
    v.game = f.size() > 7 && parse_float(f[7], number) ? 1 : f.size() >= 14 ? 3 : 2;
    const std::size_t wheel = v.game == 1 ? 10 : 11;
    if (!has_wheels(v.type) || f.size() <= wheel) return true;
    if (!parse_number(f[wheel], v.wheel_id)) return false;
    if (v.game == 3) {
        v.sizes = f.size() > wheel + 2;
        return !v.sizes || (parse_float(f[wheel + 1], v.front_size) && parse_float(f[wheel + 2], v.rear_size) &&
                            v.front_size > 0 && v.rear_size > 0);
    }
    return f.size() <= wheel + 1 || (parse_float(f[wheel + 1], v.wheel_scale) && v.wheel_scale > 0);
}

void read_item_line(const std::vector<std::string_view>& f, std::string_view section, std::size_t line,
                    std::string_view file_name, ItemDefinitionFile& out) {
    if (f.size() < 3) {
        out.skipped.push_back({line, "too few fields"});
        return;
    }
    ItemDefinition item;
    item.section = std::string(section);
    if (f[0] != "-" && !parse_number(f[0], item.id)) {
        out.skipped.push_back({line, "the id is no number"});
        return;
    }
    item.model = std::string(f[1]);
    item.dictionary = std::string(f[2]);
    item.file = std::string(file_name);
    item.line = line;
    bool placed = section == "objs" || section == "tobj" || section == "anim";
    if (placed && !read_placement_fields(f, item)) {
        // The model and its dictionary are still known; a map will not place it by distance or time.
        item.draw_distances.clear();
        item.flags = 0;
        item.time_on = item.time_off = -1;
    }
    if (section == "cars" && !read_vehicle_fields(f, item)) {
        // Still a vehicle by its name; only its wheels are unknown.
        out.skipped.push_back({line, "wheel fields that are not numbers: read without wheels"});
        item.vehicle = ItemDefinition::Vehicle{item.vehicle.type, item.vehicle.game};
    }
    out.items.push_back(std::move(item));
}

}  // namespace

ItemDefinitionFile read_item_definitions(std::string_view text, std::string_view file_name) {
    ItemDefinitionFile out;
    for_each_section_line(
        text,
        [&](std::size_t number, std::string_view section, const std::vector<std::string_view>& f) {
            if (f.size() != 1) out.skipped.push_back({number, "a section name with more on its line"});
            else if (!is_known_section(section)) out.skipped.push_back({number, "unknown section"});
        },
        [&](std::size_t number, std::string_view section, const std::vector<std::string_view>& f) {
            if (is_item_section(section)) {
                read_item_line(f, section, number, file_name, out);
            } else if (section == "txdp") {
                if (f.size() < 2) out.skipped.push_back({number, "too few fields"});
                else out.parents.push_back({std::string(f[0]), std::string(f[1])});
            }
        });
    return out;
}

std::string skipped_lines_text(const ItemDefinitionFile& file) {
    if (file.skipped.empty()) return {};
    std::string text;
    text += file.skipped.size() == 1 ? "line " : "lines ";
    for (std::size_t i = 0; i < file.skipped.size(); ++i) {
        if (i) text += i + 1 == file.skipped.size() ? " and " : ", ";
        text += std::to_string(file.skipped[i].line) + " (" + file.skipped[i].reason + ")";
    }
    text += " skipped";
    return text;
}

ItemDefinitionRead read_item_definition_file(const std::string& file) {
    ItemDefinitionRead read;
    std::string text;
    if (std::string why = read_text_file(file, text); !why.empty()) {
        read.messages.push_back(file + ": item definitions cannot be read: " + why);
        return read;
    }
    read.read = true;
    read.definitions = read_item_definitions(text, file);
    if (std::string skipped = skipped_lines_text(read.definitions); !skipped.empty())
        read.messages.push_back(file + ": " + skipped);
    ItemDefinitionFile effect_lines;
    read.effects = read_item_effects(text, effect_lines.skipped);
    if (std::string skipped = skipped_lines_text(effect_lines); !skipped.empty())
        read.messages.push_back(file + ": 2dfx " + skipped);
    return read;
}
