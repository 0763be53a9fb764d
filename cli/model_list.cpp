#include "cli/model_list.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string lower_extension(const fs::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

bool has_model_extension(const fs::path& p) { return lower_extension(p) == ".dff"; }

// What this program writes: such a file named among models is most likely a
// shell pattern that caught more than meant.
bool is_own_output(const fs::path& p) {
    std::string ext = lower_extension(p);
    return ext == ".obj" || ext == ".mtl";
}

ModelEntry folder_entry(const fs::path& folder, const std::string& why) {
    return {folder.string(), why, ModelEntry::Kind::empty_folder, ""};
}

// The current folder by the name the shell knows it under: a folder reached
// through a link keeps the link in its name, as a path chosen in a dialog would.
fs::path current_folder() {
    fs::path physical = fs::current_path();
#ifndef _WIN32
    const char* pwd = std::getenv("PWD");
    std::error_code ec;
    if (pwd && pwd[0] == '/' && fs::equivalent(pwd, physical, ec)) return fs::path(pwd);
#endif
    return physical;
}

// Appends the models of folder to out; sorted by name so every run converts in
// the same order. Folders reached through links are not entered: they may loop.
void add_folder(const fs::path& folder, const fs::path& named, bool recursive,
                std::vector<ModelEntry>& out) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        out.push_back(folder_entry(folder, "cannot read the folder (" + ec.message() + ")"));
        return;
    }
    std::vector<fs::directory_entry> entries;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        entries.push_back(*it);
    }
    if (ec) {
        out.push_back(folder_entry(folder, "cannot read the folder (" + ec.message() + ")"));
        return;
    }
    std::string relative = folder == named ? "" : folder.lexically_relative(named).generic_string();
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    for (const auto& e : entries) {
        std::error_code type_ec;
        if (e.is_directory(type_ec)) {
            if (recursive && !e.is_symlink(type_ec)) add_folder(e.path(), named, recursive, out);
        } else if (e.is_regular_file(type_ec) && has_model_extension(e.path())) {
            out.push_back({e.path().string(), "", ModelEntry::Kind::model, relative});
        }
    }
}

}  // namespace

std::string absolute_path(const std::string& path) {
    fs::path given(path);
    fs::path full = given.is_absolute() ? given : current_folder() / given;
    fs::path clean = full.root_path();
    for (const auto& part : full.relative_path()) {
        if (part.empty() || part == ".") continue;
        clean /= part;
    }
    return clean.string();
}

std::vector<ModelEntry> list_models(const std::vector<std::string>& named, bool recursive,
                                    std::size_t first_literal) {
    std::vector<ModelEntry> models;
    for (std::size_t i = 0; i < named.size(); ++i) {
        const std::string& name = named[i];
        std::string path = absolute_path(name);
        std::error_code ec;
        fs::file_status status = fs::status(path, ec);
        if (fs::is_directory(status)) {
            std::size_t before = models.size();
            add_folder(path, path, recursive, models);
            if (models.size() == before)
                models.push_back(folder_entry(path, recursive ? "no models (no *.dff files in the folder or its subfolders)"
                                                              : "no models (no *.dff files in the folder)"));
        } else if (i < first_literal && is_own_output(path)) {
            models.push_back({name, "skipped: an OBJ or MTL file is this program's output (name it after -- to convert it)",
                              ModelEntry::Kind::skipped, ""});
        } else if (!fs::exists(status)) {
            bool missing = !ec || ec == std::errc::no_such_file_or_directory ||
                           ec == std::errc::not_a_directory;
            models.push_back({name, missing ? "no such file or folder" : ec.message(), ModelEntry::Kind::model, ""});
        } else {
            models.push_back({path, "", ModelEntry::Kind::model, ""});
        }
    }
    return models;
}
