#include "control/scene_gltf_output.h"

#include <filesystem>

namespace fs = std::filesystem;

bool write_gltf_scene_files(GltfScene plan, GltfContainer container, const std::string& obj_path, bool images,
                            const std::function<std::string(const std::string& key)>& placed_at,
                            std::string& written, std::string& why) {
    const fs::path folder = fs::path(obj_path).parent_path();
    GltfImageLookup lookup = [&](const std::string& key, GltfImage& image) {
        if (!images || key.empty()) return false;
        std::error_code error;
        const std::string where = placed_at(key);
        const fs::path file = folder / fs::path(where);
        return fs::is_regular_file(file, error) && gltf_image_of_file(file, where, container, image);
    };
    GltfDocument document = finish_gltf_scene(std::move(plan), lookup);
    return write_gltf_document(document, container, obj_path, written, why);
}
