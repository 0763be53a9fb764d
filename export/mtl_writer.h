#pragma once
// The MTL side: every material of the written geometries gets a unique name
// and a newmtl entry.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/model.h"
#include "export/obj_names.h"
#include "export/texture_file_name.h"

class MtlWriter {
public:
    explicit MtlWriter(const std::string& header_comment);

    // Names (and writes) the materials of one geometry; number is the
    // geometry's place in the model, for untextured materials' names.
    std::vector<std::string> add_geometry(const Geometry& geometry, std::uint32_t number);

    // A material shared by every geometry that names the same key (a scene's:
    // dictionary, texture, mask and colour), written the first time; its map
    // lines name the textures' files under folder ("" for beside the MTL file).
    const std::string& add_shared(const std::string& key, const Material& material, const std::string& folder);

    // A material under a name of the caller's (collision surfaces), written
    // the first time the name is asked for; the name as written.
    const std::string& add_named(const std::string& name, const Material& material);

    // The material of triangles whose material index has none; written once, when first asked for.
    const std::string& default_material();

    std::string take_text() { return std::move(text_); }
    std::vector<std::string> take_textures() { return std::move(textures_); }
    std::vector<std::string> take_masks() { return std::move(masks_); }

private:
    static void add_once(std::vector<std::string>& list, std::unordered_set<std::string>& seen,
                         const std::string& name);

    std::string text_;
    UniqueNames names_;
    std::string default_name_;
    std::vector<std::string> textures_, masks_;
    std::unordered_set<std::string> textures_seen_, masks_seen_;
    std::unordered_map<std::string, std::string> shared_;  // key -> name
};
