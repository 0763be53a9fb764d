#include "control/model_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "export/texture_file_name.h"
#include "game/archive.h"
#include "game/text_lines.h"

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
    return entry_of(folder.string(), why, ModelEntry::Kind::empty_folder);
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
            out.push_back(entry_of(e.path().string(), "", ModelEntry::Kind::model, relative));
        }
    }
}

// The entry's output name: safe on every file system, and a repeat of an
// earlier name (without case, as Windows compares) gets ~2, ~3, ... before its extension.
std::string entry_file_name(const std::string& name, std::size_t index, std::vector<std::string>& taken) {
    std::string safe = texture_file_stem(name);
    if (safe.empty()) safe = "entry" + std::to_string(index + 1);
    std::string candidate = safe;
    const std::size_t dot = safe.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? safe : safe.substr(0, dot);
    const std::string extension = safe.substr(stem.size());
    for (unsigned n = 2;; ++n) {
        bool used = false;
        for (const std::string& t : taken) used = used || same_name(t, candidate);
        if (!used) break;
        candidate = stem + "~" + std::to_string(n) + extension;
    }
    taken.push_back(candidate);
    return candidate;
}

void add_archive(const std::string& path, std::vector<ModelEntry>& out) {
    ArchiveDirectory directory = read_archive(path);
    if (!directory.refused.empty()) {
        out.push_back(entry_of(path, "not read: " + directory.refused, ModelEntry::Kind::model, ""));
        return;
    }
    std::size_t before = out.size();
    add_archive_models(path, directory, out);
    bool any = false;
    for (std::size_t i = before; i < out.size(); ++i) any = any || out[i].kind == ModelEntry::Kind::model;
    // Said after the directory, whose listing shows what the archive holds instead.
    if (!any)
        out.push_back(folder_entry(path, "no models (no *.dff entries in the archive)"));
}

}  // namespace

void add_archive_models(const std::string& archive, const ArchiveDirectory& directory, std::vector<ModelEntry>& out) {
    out.push_back(entry_of(archive, "", ModelEntry::Kind::directory));
    for (const std::string& d : directory.damage) out.push_back(entry_of(archive, d, ModelEntry::Kind::notice, ""));
    fs::path named(archive);
    const std::string folder = (named.parent_path() / named.stem()).string();
    std::vector<std::string> taken;
    for (std::size_t i = 0; i < directory.entries.size(); ++i) {
        const ArchiveEntry& e = directory.entries[i];
        if (std::string(archive_entry_kind(e.name)) != "model") continue;
        ModelEntry m;
        m.path = entry_path(archive, e.name);
        m.archive_data = directory.data_file;
        m.entry_start = e.start;
        m.entry_length = e.length;
        m.entry_name = e.name;
        m.archive_folder = folder;
        m.file_name = entry_file_name(e.name, i, taken);
        m.error = e.damage;
        const bool repeated = m.file_name != texture_file_stem(e.name) && !texture_file_stem(e.name).empty() &&
                              !same_name(m.file_name, texture_file_stem(e.name));
        out.push_back(std::move(m));
        if (repeated)
            out.push_back(entry_of(out.back().path,
                           "a second entry of this name (entry " + std::to_string(i + 1) + "): its files are named " +
                               out.back().file_name + ".*",
                           ModelEntry::Kind::notice, ""));
    }
}

std::vector<ModelEntry> list_models(const std::vector<std::string>& named, bool recursive,
                                    std::size_t first_literal) {
    std::vector<ModelEntry> models;
    for (std::size_t i = 0; i < named.size(); ++i) {
        const std::string& name = named[i];
        std::string path = absolute_path(name);
        std::error_code ec;
        fs::file_status status = fs::status(path, ec);
        if (fs::is_directory(status) && i < first_literal && has_archive_extension(path)) {
            models.push_back(entry_of(path, "not read: a folder, not an archive", ModelEntry::Kind::model, ""));
        } else if (fs::is_directory(status)) {
            std::size_t before = models.size();
            add_folder(path, path, recursive, models);
            if (models.size() == before)
                models.push_back(folder_entry(path, recursive ? "no models (no *.dff files in the folder or its subfolders)"
                                                              : "no models (no *.dff files in the folder)"));
        } else if (i < first_literal && is_own_output(path)) {
            models.push_back(entry_of(name, "skipped: an OBJ or MTL file is this program's output (name it after -- to convert it)",
                              ModelEntry::Kind::skipped, ""));
        } else if (i < first_literal && has_archive_extension(path) && fs::exists(status)) {
            add_archive(path, models);
        } else if (!fs::exists(status)) {
            bool missing = !ec || ec == std::errc::no_such_file_or_directory ||
                           ec == std::errc::not_a_directory;
            models.push_back(entry_of(name, missing ? "no such file or folder" : ec.message(), ModelEntry::Kind::model, ""));
        } else {
            models.push_back(entry_of(path, "", ModelEntry::Kind::model, ""));
        }
    }
    return models;
}

std::string archive_listing(const std::string& archive) { return archive_directory_text(read_archive(archive)); }
