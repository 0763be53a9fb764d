#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "control/map_scene_parts.h"
#include "control/structure_conversion.h"

namespace fs = std::filesystem;

bool write_map_obj(const MapScenePlan& plan, const MapRequest& request, ObjSceneText& text,
                   std::vector<std::string>& lines) {
    const std::string obj_path = request.obj_path.string(), part = obj_path + ".part";
    std::FILE* out = std::fopen(part.c_str(), "wb");
    if (!out) {
        lines.push_back(part + " cannot be written");
        return false;
    }
    bool wrote = true;
    ObjSceneOptions options;
    options.header = {request.program_name_version + ", a map scene"};
    for (const FileSource& p : request.placement_files) options.header.push_back("placement file " + p.shown);
    options.mtl_file_name = fs::path(mtl_file_name_for(obj_path)).filename().string();
    options.obj_sink = [&](std::string_view piece) {
        wrote = wrote && std::fwrite(piece.data(), 1, piece.size(), out) == piece.size();
    };
    options.max_obj_bytes = plan.max_obj_bytes;
    options.texture_folder = [&](const std::string& dictionary) { return texture_folder_text(request, dictionary); };
    text = write_obj_scene(plan.models, plan.instances, options);
    if (std::fclose(out) != 0) wrote = false;
    std::error_code error;
    if (wrote) fs::rename(part, obj_path, error);
    if (!wrote || error) {
        fs::remove(part, error);
        lines.push_back(obj_path + " cannot be written");
        return false;
    }
    return true;
}

bool write_map_mtl(const MapRequest& request, const ObjSceneText& text,
                   const std::map<std::string, std::string>& placed_textures, std::vector<std::string>& lines) {
    const std::string mtl_path = mtl_file_name_for(request.obj_path.string());
    std::ofstream mtl(mtl_path, std::ios::binary);
    mtl << "# " << request.program_name_version << ", materials of the map scene\n"
        << place_mtl_textures(text.mtl, placed_textures);
    mtl.close();
    if (!mtl) {
        lines.push_back(mtl_path + " cannot be written");
        return false;
    }
    return true;
}
