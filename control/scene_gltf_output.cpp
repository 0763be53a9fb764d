#include "control/scene_gltf_output.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

bool write_gltf_scene_files(GltfScene plan, GltfContainer container, const std::string& obj_path, bool images,
                            const std::function<std::string(const std::string& key)>& placed_at,
                            std::string& written, std::string& why) {
    const bool embed = container == GltfContainer::glb;
    const fs::path folder = fs::path(obj_path).parent_path();
    GltfImageLookup lookup = [&](const std::string& key, GltfImage& image) {
        if (!images || key.empty()) return false;
        std::error_code error;
        const std::string where = placed_at(key);
        const fs::path file = folder / fs::path(where);
        if (!fs::is_regular_file(file, error)) return false;
        std::ifstream in(file, std::ios::binary);
        if (!in) return false;
        image.png.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!embed) image.uri = where;
        return true;
    };
    GltfDocument document = finish_gltf_scene(std::move(plan), lookup);
    if (embed) {
        written = gltf_file_name_for(obj_path, ".glb");
        return document.write_glb(written, why);
    }
    const std::string path = gltf_file_name_for(obj_path, ".gltf"), bin = gltf_file_name_for(obj_path, ".bin");
    written = path + (document.binary_length() ? ", " + bin : "");
    return document.write_gltf(path, bin, why);
}
