#include "cli/output_place.h"

#include <filesystem>
#include <system_error>

#include "control/model_check.h"

namespace fs = std::filesystem;

namespace {

// Paths as the file system tells them apart: Windows ignores case.
std::string comparable(const std::string& path) {
    std::string key = fs::path(path).lexically_normal().string();
#ifdef _WIN32
    for (char& c : key) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
#endif
    return key;
}

bool exists_as_anything(const std::string& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

}  // namespace

std::string OutputPlan::folder_for(const ModelEntry& model) const {
    // An archive's models have no folder of their own to go beside.
    if (root_.empty()) return model.in_archive() ? model.archive_folder : "";
    if (model.relative_folder.empty()) return root_;
    return (fs::path(root_) / fs::path(model.relative_folder).make_preferred()).string();
}

std::string OutputPlan::obj_path_for(const ModelEntry& model) const {
    fs::path model_path(model.path);
    if (model.in_archive()) return (fs::path(folder_for(model)) / (model.file_name + ".obj")).string();
    fs::path folder = root_.empty() ? model_path.parent_path() : fs::path(folder_for(model));
    return (folder / (model_path.filename().string() + ".obj")).string();
}

std::string OutputPlan::claim(const std::string& obj_path, const std::string& model) {
    auto [it, inserted] = claimed_.emplace(comparable(obj_path), model);
    return inserted ? "" : it->second;
}

std::string make_folder(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return plain_error(ec);
    if (!fs::is_directory(folder, ec)) return "not a folder";
    return "";
}

OutputLeftovers::OutputLeftovers(const std::string& obj_path, bool obj_wanted) {
    std::string base = obj_path.substr(0, obj_path.size() - 4);
    obj_ = {obj_path, exists_as_anything(obj_path)};
    mtl_ = {base + ".mtl", exists_as_anything(base + ".mtl")};
    glb_ = {base + ".glb", exists_as_anything(base + ".glb")};
    gltf_ = {base + ".gltf", exists_as_anything(base + ".gltf")};
    bin_ = {base + ".bin", exists_as_anything(base + ".bin")};
    std::error_code ec;
    if (!obj_wanted && obj_.existed && fs::is_regular_file(obj_path, ec)) {
        fs::rename(obj_path, obj_path + ".aside", ec);
        if (!ec) aside_ = obj_path + ".aside";
    }
}

void OutputLeftovers::remove_created() const {
    std::error_code ec;
    for (const File* f : {&obj_, &mtl_, &glb_, &gltf_, &bin_})
        if (!f->existed) fs::remove(f->path, ec);
}

void OutputLeftovers::settle_obj(bool keep_new) {
    if (aside_.empty()) return;
    std::error_code ec;
    if (keep_new) {
        fs::remove(aside_, ec);
    } else {
        fs::remove(obj_.path, ec);
        fs::rename(aside_, obj_.path, ec);
    }
    aside_.clear();
}
