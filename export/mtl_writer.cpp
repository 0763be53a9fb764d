#include "export/mtl_writer.h"

#include "export/obj_numbers.h"

namespace {

const char default_material_name[] = "default";

void put_material(std::string& text, const std::string& name, const Material& m, const std::string& folder = {}) {
    char line[128];
    text += "\nnewmtl ";
    text += name;
    char* p = line;
    p = put_char(p, '\n');
    for (const char c : {'K', 'd'}) p = put_char(p, c);
    for (int k = 0; k < 3; ++k) p = put_unit(put_char(p, ' '), m.color[k]);
    p = put_char(p, '\n');
    if (m.color[3] < 255) {
        p = put_char(put_char(p, 'd'), ' ');
        p = put_char(put_unit(p, m.color[3]), '\n');
    }
    text.append(line, static_cast<std::size_t>(p - line));
    // A name that cannot be a file name ("..") gets no map line: no PNG is written for it.
    if (std::string file = texture_file_name(m.texture); !file.empty()) text += "map_Kd " + folder + file + "\n";
    if (std::string file = texture_file_name(m.mask); !file.empty()) text += "map_d " + folder + file + "\n";
}

}  // namespace

MtlWriter::MtlWriter(const std::string& header_comment) : text_(header_comment) {
    // A texture named "default" must not take the default material's name.
    names_.reserve(default_material_name);
}

void MtlWriter::add_once(std::vector<std::string>& list, std::unordered_set<std::string>& seen,
                         const std::string& name) {
    if (seen.insert(name).second) list.push_back(name);
}

std::vector<std::string> MtlWriter::add_geometry(const Geometry& geometry, std::uint32_t number) {
    std::vector<std::string> result;
    result.reserve(geometry.materials.size());
    for (std::size_t i = 0; i < geometry.materials.size(); ++i) {
        const Material& m = geometry.materials[i];
        std::string wanted = m.texture.empty()
                                 ? "material_" + std::to_string(number) + "_" + std::to_string(i)
                                 : m.texture;
        result.push_back(names_.take(wanted));
        put_material(text_, result.back(), m);
        if (!m.texture.empty()) add_once(textures_, textures_seen_, m.texture);
        if (!m.mask.empty()) add_once(masks_, masks_seen_, m.mask);
    }
    return result;
}

const std::string& MtlWriter::add_shared(const std::string& key, const Material& m, const std::string& folder) {
    auto [it, fresh] = shared_.try_emplace(key);
    if (fresh) {
        it->second = names_.take(m.texture.empty() ? "untextured" : m.texture);
        put_material(text_, it->second, m, folder);
    }
    return it->second;
}

const std::string& MtlWriter::add_named(const std::string& name, const Material& m) {
    auto [it, fresh] = shared_.try_emplace(std::string(1, '\0') + name);
    if (fresh) {
        it->second = names_.take(name);
        put_material(text_, it->second, m);
    }
    return it->second;
}

const std::string& MtlWriter::default_material() {
    if (default_name_.empty()) {
        default_name_ = default_material_name;
        put_material(text_, default_name_, Material{});
    }
    return default_name_;
}
