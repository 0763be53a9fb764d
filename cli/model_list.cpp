#include "cli/model_list.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool has_model_extension(const fs::path& p) {
    std::string ext = p.extension().string();
    if (ext.size() != 4 || ext[0] != '.') return false;
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".dff";
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
void add_folder(const fs::path& folder, bool recursive, std::vector<ModelEntry>& out) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        out.push_back({folder.string(), "cannot read the folder (" + ec.message() + ")"});
        return;
    }
    std::vector<fs::directory_entry> entries;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        entries.push_back(*it);
    }
    if (ec) {
        out.push_back({folder.string(), "cannot read the folder (" + ec.message() + ")"});
        return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    for (const auto& e : entries) {
        std::error_code type_ec;
        if (e.is_directory(type_ec)) {
            if (recursive && !e.is_symlink(type_ec)) add_folder(e.path(), recursive, out);
        } else if (e.is_regular_file(type_ec) && has_model_extension(e.path())) {
            out.push_back({e.path().string(), ""});
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

std::vector<ModelEntry> list_models(const std::vector<std::string>& named, bool recursive) {
    std::vector<ModelEntry> models;
    for (const std::string& name : named) {
        std::string path = absolute_path(name);
        std::error_code ec;
        fs::file_status status = fs::status(path, ec);
        if (!fs::exists(status)) {
            bool missing = !ec || ec == std::errc::no_such_file_or_directory ||
                           ec == std::errc::not_a_directory;
            models.push_back({name, missing ? "no such file or folder" : ec.message()});
        } else if (fs::is_directory(status)) {
            std::size_t before = models.size();
            add_folder(path, recursive, models);
            if (models.size() == before)
                models.push_back({path, recursive ? "no *.dff files in the folder or its subfolders"
                                                  : "no *.dff files in the folder"});
        } else {
            models.push_back({path, ""});
        }
    }
    return models;
}
