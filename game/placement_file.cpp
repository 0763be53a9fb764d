#include "game/placement_file.h"

#include <cmath>
#include <cstring>

#include "game/placement_transform.h"
#include "game/text_lines.h"

namespace {

// Field positions of each text form; -1 where the form has no such field.
struct LineForm {
    InstanceForm form;
    std::size_t fields;
    int interior, position, scale, rotation, lod;
};

constexpr LineForm line_forms[] = {
    {InstanceForm::first, 12, -1, 2, 5, 8, -1},
    {InstanceForm::second, 13, 2, 3, 6, 9, -1},
    {InstanceForm::third, 11, 2, 3, -1, 6, 10},
};

const char* field_name(int field, const LineForm& form) {
    if (field == 0) return "id";
    if (field == form.interior) return "interior";
    if (field == form.lod) return "lod";
    if (field >= form.position && field < form.position + 3) return "position";
    if (form.scale >= 0 && field >= form.scale && field < form.scale + 3) return "scale";
    return "rotation";
}

// Reads one inst line of a known form; the reason it cannot when it cannot.
std::string read_inst_fields(const std::vector<std::string_view>& f, const LineForm& form, Instance& out) {
    out.form = form.form;
    int bad_field = -1;
    auto read_float = [&](int field, float& value) {
        if (bad_field < 0 && !parse_float(f[field], value)) bad_field = field;
    };
    auto read_int = [&](int field, std::int32_t& value) {
        if (bad_field < 0 && field >= 0 && !parse_number(f[field], value)) bad_field = field;
    };
    read_int(0, out.id);
    out.name = std::string(f[1]);
    read_int(form.interior, out.interior);
    for (int k = 0; k < 3; ++k) {
        float p = 0;
        read_float(form.position + k, p);
        out.position[k] = p;
        if (form.scale >= 0) read_float(form.scale + k, out.scale[k]);
    }
    for (int k = 0; k < 4; ++k) read_float(form.rotation + k, out.rotation[k]);
    read_int(form.lod, out.lod);
    if (bad_field >= 0)
        return std::string("the ") + field_name(bad_field, form) + " field '" + std::string(f[bad_field]) +
               "' is no number";
    double unit[4];
    if (!normalised_rotation(out.rotation, unit)) return "the rotation has length 0";
    return {};
}

std::int32_t read_i32(const unsigned char* p) {
    std::uint32_t u = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                      std::uint32_t(p[3]) << 24;
    return static_cast<std::int32_t>(u);
}

float read_f32(const unsigned char* p) {
    std::uint32_t u = static_cast<std::uint32_t>(read_i32(p));
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

constexpr std::size_t binary_header_size = 76;
constexpr std::size_t binary_record_size = 40;

std::string_view base_name(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    std::size_t dot = path.rfind('.');
    return dot == std::string_view::npos ? path : path.substr(0, dot);
}

}  // namespace

PlacementFile read_placement_text(std::string_view text, std::string_view file_name) {
    PlacementFile out;
    out.name = std::string(file_name);
    for_each_section_line(
        text,
        [&](std::size_t number, std::string_view, const std::vector<std::string_view>& f) {
            // A record outside any section: most likely its section's name is missing.
            if (f.size() != 1) out.bad.push_back({number, "no section is open here (a missing 'inst' line?)"});
        },
        [&](std::size_t number, std::string_view section, const std::vector<std::string_view>& f) {
            if (section != "inst") return;
            Instance instance;
            instance.where = number;
            instance.index = out.instance_count++;
            const LineForm* form = nullptr;
            for (const LineForm& candidate : line_forms)
                if (candidate.fields == f.size()) form = &candidate;
            if (!form) {
                out.bad.push_back({number, std::to_string(f.size()) + " fields, not 11, 12 or 13"});
                return;
            }
            std::string reason = read_inst_fields(f, *form, instance);
            if (!reason.empty()) out.bad.push_back({number, std::move(reason)});
            else out.instances.push_back(std::move(instance));
        });
    return out;
}

PlacementFile read_placement_binary(std::string_view bytes, std::string_view file_name) {
    PlacementFile out;
    out.name = std::string(file_name);
    out.binary = true;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < binary_header_size || std::memcmp(data, "bnry", 4) != 0) {
        out.bad.push_back({whole_file, "no binary placement header (76 bytes starting 'bnry')"});
        return out;
    }
    std::int32_t count = read_i32(data + 4), offset = read_i32(data + 28);
    if (count < 0 || offset < 0 || std::size_t(offset) > bytes.size()) {
        out.bad.push_back({whole_file, "instance count " + std::to_string(count) + " at offset " +
                                           std::to_string(offset) + " in a file of " +
                                           std::to_string(bytes.size()) + " bytes"});
        return out;
    }
    out.instance_count = std::size_t(count);
    std::size_t present = (bytes.size() - std::size_t(offset)) / binary_record_size;
    std::size_t readable = present < out.instance_count ? present : out.instance_count;
    for (std::size_t i = 0; i < readable; ++i) {
        const unsigned char* r = data + offset + i * binary_record_size;
        Instance instance;
        instance.where = instance.index = i;
        instance.form = InstanceForm::binary;
        bool finite = true;
        for (int k = 0; k < 3; ++k) {
            float p = read_f32(r + 4 * k);
            finite = finite && std::isfinite(p);
            instance.position[k] = p;
        }
        for (int k = 0; k < 4; ++k) instance.rotation[k] = read_f32(r + 12 + 4 * k);
        instance.id = read_i32(r + 28);
        instance.interior = read_i32(r + 32);
        instance.lod = read_i32(r + 36);
        double unit[4];
        if (!finite) out.bad.push_back({i, "the position is not finite"});
        else if (!normalised_rotation(instance.rotation, unit)) out.bad.push_back({i, "the rotation has length 0"});
        else out.instances.push_back(std::move(instance));
    }
    if (readable < out.instance_count)
        out.bad.push_back({readable, "records " + std::to_string(readable) + " to " +
                                         std::to_string(out.instance_count - 1) +
                                         " lie past the end of the file (" + std::to_string(count) +
                                         " records of 40 bytes from offset " + std::to_string(offset) +
                                         ", the file has " + std::to_string(bytes.size()) + " bytes)"});
    return out;
}

PlacementFile read_placement_file(std::string_view bytes, std::string_view file_name) {
    if (bytes.size() >= 4 && bytes.substr(0, 4) == "bnry") return read_placement_binary(bytes, file_name);
    return read_placement_text(bytes, file_name);
}

std::string record_place(const PlacementFile& file, std::size_t where) {
    if (where == whole_file) return "header";
    return (file.binary ? "record " : "line ") + std::to_string(where);
}

std::vector<std::vector<std::size_t>> placement_groups(const std::vector<std::string>& file_names) {
    std::vector<std::vector<std::size_t>> groups;
    std::vector<bool> grouped(file_names.size(), false);
    auto name_of = [&](std::size_t i) {
        std::string_view n = file_names[i];
        std::size_t slash = n.find_last_of("/\\");
        return slash == std::string_view::npos ? n : n.substr(slash + 1);
    };
    for (std::size_t i = 0; i < file_names.size(); ++i) {
        bool stream = false;
        for (std::size_t j = 0; j < file_names.size() && !stream; ++j)
            stream = j != i && is_stream_file_of(name_of(i), name_of(j));
        if (stream || grouped[i]) continue;
        std::vector<std::size_t>& group = groups.emplace_back(1, i);
        grouped[i] = true;
        for (std::size_t j = 0; j < file_names.size(); ++j)
            if (!grouped[j] && is_stream_file_of(name_of(j), name_of(i))) {
                group.push_back(j);
                grouped[j] = true;
            }
    }
    // A stream file whose text file is named only as another stream file's (never so in real files).
    for (std::size_t i = 0; i < file_names.size(); ++i)
        if (!grouped[i]) groups.push_back({i});
    return groups;
}

bool is_stream_file_of(std::string_view entry_name, std::string_view text_file) {
    std::string base = lower_name(base_name(text_file)) + "_stream";
    std::string entry = lower_name(entry_name);
    return entry.size() > base.size() + 4 && entry.compare(0, base.size(), base) == 0 &&
           entry.compare(entry.size() - 4, 4, ".ipl") == 0;
}
