#include "control/gltf_output.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "export/texture_file_name.h"
#include "game/text_lines.h"

namespace fs = std::filesystem;

std::string gltf_file_name_for(const std::string& obj_file_name, const char* extension) {
    const std::string obj = ".obj";
    std::string base = obj_file_name;
    if (base.size() >= obj.size() && base.compare(base.size() - obj.size(), obj.size(), obj) == 0)
        base.resize(base.size() - obj.size());
    return base + extension;
}

bool gltf_image_of_file(const fs::path& file, const std::string& uri, GltfContainer container, GltfImage& image) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    image.png.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (container != GltfContainer::glb) image.uri = uri;
    return true;
}

bool write_gltf_document(GltfDocument& document, GltfContainer container, const std::string& obj_path,
                         std::string& written, std::string& why) {
    if (container == GltfContainer::glb) {
        written = gltf_file_name_for(obj_path, ".glb");
        return document.write_glb(written, why);
    }
    const std::string path = gltf_file_name_for(obj_path, ".gltf"), bin = gltf_file_name_for(obj_path, ".bin");
    written = path + (document.binary_length() ? ", " + bin : "");
    return document.write_gltf(path, bin, why);
}

bool write_gltf_files(GltfModel plan, GltfContainer container, const std::string& obj_path,
                      const std::string& png_folder, const std::map<std::string, std::string>& placed, bool images,
                      std::string& written, std::string& why, std::vector<std::string>* notes) {
    // The PNG file a texture's map_Kd line would name, when it is there.
    GltfImageLookup lookup = [&](const std::string& texture, GltfImage& image) {
        std::string file = texture_file_name(texture);
        if (!images || file.empty()) return false;
        if (auto it = placed.find(lower_name(file)); it != placed.end()) file = it->second;
        return gltf_image_of_file(fs::path(png_folder) / file, file, container, image);
    };
    GltfDocument document = finish_gltf(std::move(plan), lookup, notes);
    return write_gltf_document(document, container, obj_path, written, why);
}
