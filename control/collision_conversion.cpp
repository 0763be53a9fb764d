#include "control/collision_conversion.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "control/gltf_output.h"
#include "control/version.h"
#include "export/collision_gltf.h"
#include "export/collision_obj.h"
#include "game/archive.h"
#include "game/collision_file.h"
#include "game/collision_inspection.h"
#include "game/file_source.h"
#include "game/text_lines.h"

namespace {

// Written beside its name, then renamed over it: a failed write leaves no half file.
bool write_whole(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok) std::filesystem::rename(temporary, path, ec);
    if (!ok || ec) std::filesystem::remove(temporary, ec);
    return ok && !ec;
}

// Collision files are small: far past this, the file is something else.
constexpr std::uintmax_t largest_collision_file = std::uintmax_t(1) << 30;

std::string mtl_path_for(const std::string& obj_path) { return gltf_file_name_for(obj_path, ".mtl"); }

}  // namespace

bool is_collision_path(const std::string& path) {
    return path.size() >= 4 && lower_name(path.substr(path.size() - 4)) == ".col";
}

std::string read_collision_bytes(const std::string& path, const std::string& archive_data, std::uint64_t start,
                                 std::uint64_t length, std::string& bytes) {
    FileSource source = file_source(archive_data.empty() ? path : archive_data);
    source.in_archive = !archive_data.empty();
    source.start = start;
    source.length = length;
    std::vector<std::uint8_t> b;
    using Reason = SourceFailure::Reason;
    switch (const SourceFailure failure = read_source(source, largest_collision_file, b); failure.reason) {
        case Reason::none: break;
        case Reason::missing: return "no such file or folder";
        case Reason::not_a_file: return "is a folder";
        case Reason::too_large: return "too large for a collision file";
        case Reason::unreadable:
        case Reason::damaged:
            if (!failure.detail.empty()) return failure.detail;
            return "cannot be read";
        default: return "cannot be read";
    }
    if (b.empty() && !source.in_archive) return "empty file";
    bytes.assign(b.begin(), b.end());
    return "";
}

std::string collision_listing(std::string_view bytes, bool& well_formed) {
    const CollisionFile file = read_collision_file(bytes);
    well_formed = file.refused.empty() && file.skipped.empty();
    return collision_inspection_text(file);
}

bool write_model_collision(const std::vector<CollisionModel>& models, bool third_game, const std::string& model_obj_path,
                           const std::string& model_name, std::string& written, std::string& why) {
    const std::string obj = gltf_file_name_for(model_obj_path, ".col.obj");
    const std::string mtl = gltf_file_name_for(model_obj_path, ".col.mtl");
    const std::vector<std::string> header = {std::string(PROGRAM_NAME " " PROGRAM_VERSION) + ", collision",
                                             "collision of " + model_name};
    const CollisionObjText text =
        write_collision_obj(models, third_game, header, std::filesystem::path(mtl).filename().string());
    for (const auto& [path, body] : {std::pair{obj, &text.obj}, std::pair{mtl, &text.mtl}})
        if (!write_whole(path, *body)) {
            why = "could not write " + path;
            return false;
        }
    written = obj;
    return true;
}

CollisionResult convert_collision(std::string_view bytes, const std::string& obj_path, const CollisionRequest& request) {
    CollisionResult result;
    const CollisionFile file = read_collision_file(bytes);
    if (!file.refused.empty()) {
        result.refused = "not a collision file: " + file.refused;
        return result;
    }
    result.models = file.models.size();
    result.skipped = file.skipped.size();
    for (const CollisionFault& f : file.skipped)
        result.notes.push_back("model " + (f.name.empty() ? std::string("at byte ") + std::to_string(f.offset)
                                                          : "'" + f.name + "' at byte " + std::to_string(f.offset)) +
                               " skipped: " + f.reason);
    for (const std::string& w : file.warnings) result.notes.push_back(w);
    auto add = [&](const std::string& path) { result.files += (result.files.empty() ? "" : ", ") + path; };
    if (request.obj) {
        const std::string mtl = mtl_path_for(obj_path);
        std::vector<std::string> header = {request.program_name_version + ", collision",
                                           "collision file " + request.source_name,
                                           std::to_string(file.models.size()) + " models, " +
                                               std::to_string(file.skipped.size()) + " skipped"};
        for (const std::string& note : result.notes) header.push_back(note);
        CollisionObjText text = write_collision_obj(file.models, request.third_game, header,
                                                    std::filesystem::path(mtl).filename().string());
        if (!write_whole(obj_path, text.obj)) {
            result.why = "could not write " + obj_path;
            return result;
        }
        if (!write_whole(mtl, text.mtl)) {
            result.why = "could not write " + mtl;
            return result;
        }
        add(obj_path);
    }
    const std::string root = std::filesystem::path(request.source_name).filename().string();
    for (const auto& [wanted, container] : {std::pair{request.glb, GltfContainer::glb}, std::pair{request.gltf, GltfContainer::gltf}}) {
        if (!wanted) continue;
        auto document = collision_gltf(file.models, request.third_game, root, request.program_name_version);
        std::string written, why;
        if (!write_gltf_document(document->document, container, obj_path, written, why)) {
            result.why = "could not write " + written + " (" + why + ")";
            return result;
        }
        add(written);
    }
    return result;
}
