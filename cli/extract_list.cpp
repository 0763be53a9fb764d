#include "cli/extract_list.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "cli/game_files.h"
#include "cli/model_list.h"
#include "control/texture_order.h"
#include "game/archive.h"

namespace fs = std::filesystem;

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_dictionary_file(const fs::path& p) {
    std::string extension = p.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), lower);
    return extension == ".txd";
}

struct Listing {
    std::vector<ExtractEntry> entries;
    std::vector<bool> loose;  // each entry's: a dictionary file, whose folder depends on the count
    std::set<std::string> seen;  // files and archives listed, absolute: each once
    std::string output_dir;

    void say(std::string line, bool failure) {
        ExtractEntry e;
        e.line = std::move(line);
        e.failure = failure;
        entries.push_back(std::move(e));
        loose.push_back(false);
    }
    void file(const fs::path& path, const std::string& name) {
        if (!seen.insert(absolute_path(path.string())).second) return;
        ExtractEntry e;
        e.source = dictionary_file(path);
        e.name = name;
        entries.push_back(std::move(e));
        loose.push_back(true);
    }
};

// Every dictionary entry of an archive, into ROOT/textures/NAME/.
void add_archive(const std::string& name, Listing& list) {
    const std::string path = absolute_path(name);
    if (!list.seen.insert(path).second) return;
    const ArchiveDirectory directory = read_archive(path);
    if (!directory.refused.empty()) return list.say(name + ": not read: " + directory.refused, true);
    for (const std::string& d : directory.damage) list.say(name + ": " + d, false);
    const fs::path named(path);
    const fs::path root = list.output_dir.empty() ? named.parent_path() / named.stem() : fs::path(list.output_dir);
    bool found = false;
    for (const ArchiveEntry& e : directory.entries) {
        if (std::string(archive_entry_kind(e.name)) != "texture dictionary") continue;
        found = true;
        const std::string shown = entry_path(path, e.name);
        if (!e.damage.empty()) {
            list.say(shown + ": not extracted: " + e.damage, true);
            continue;
        }
        ExtractEntry x;
        x.source = dictionary_entry(path, directory, e);
        x.source.folder = root / "textures" / dictionary_folder_name(entry_base_name(e.name));
        x.name = shown;
        list.entries.push_back(std::move(x));
        list.loose.push_back(false);
    }
    if (!found) list.say(name + ": no texture dictionaries (no *.txd entries in the archive)", true);
}

// The folder's *.txd files (any case) by name, with recursive its subfolders' after them.
bool add_folder(const fs::path& folder, bool recursive, Listing& list) {
    std::vector<fs::path> files, folders;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code type;
        if (it->is_directory(type)) {
            if (recursive && !it->is_symlink(type)) folders.push_back(it->path());
        } else if (it->is_regular_file(type) && is_dictionary_file(it->path())) {
            files.push_back(it->path());
        }
    }
    if (error) {
        list.say(folder.string() + ": cannot read the folder (" + error.message() + ")", true);
        return true;
    }
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const fs::path& f : files) list.file(f, f.string());
    bool any = !files.empty();
    for (const fs::path& f : folders) any = add_folder(f, recursive, list) || any;
    return any;
}

// Every dictionary of the game: its archives' entries, the shared ones its data
// files name, and those beside the loose models they name.
void add_game(const std::string& folder, Listing& list) {
    const GameFiles game = find_game_files(folder, false);
    if (!game.read) return list.say(game.root.string() + ": not read: no data/gta.dat or data/default.dat in it", true);
    for (const std::string& m : game.messages) list.say(m, false);
    for (const GameFile& f : game.archives) add_archive(f.file.string(), list);
    for (const GameFile& f : game.shared_dictionaries) list.file(f.file, f.file.string());
    for (const GameFile& f : game.model_files)
        if (const fs::path own = own_dictionary(f.file); !own.empty()) list.file(own, own.string());
}

}  // namespace

std::vector<ExtractEntry> list_dictionaries(const Options& options) {
    Listing list;
    list.output_dir = options.output_dir;
    if (!options.game_dir.empty()) add_game(options.game_dir, list);
    for (std::size_t i = 0; i < options.paths.size(); ++i) {
        const std::string& name = options.paths[i];
        std::error_code error;
        const fs::file_status status = fs::status(name, error);
        if (fs::is_directory(status)) {
            if (!add_folder(name, options.recursive, list))
                list.say(name + (options.recursive ? ": no texture dictionaries (no *.txd files in the folder or its subfolders)"
                                                   : ": no texture dictionaries (no *.txd files in the folder)"),
                         true);
        } else if (i < options.first_literal_path && has_archive_extension(name)) {
            add_archive(name, list);
        } else {
            list.file(name, name);
        }
    }
    // Named files that are not there are no dictionaries: they do not make the others move into folders.
    std::size_t dictionaries = 0;
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        std::error_code error;
        if (list.entries[i].line.empty() && (!list.loose[i] || fs::is_regular_file(list.entries[i].source.file, error)))
            ++dictionaries;
    }
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        if (!list.loose[i]) continue;
        DictionarySource& s = list.entries[i].source;
        fs::path root = options.output_dir.empty() ? s.file.parent_path() : fs::path(options.output_dir);
        if (root.empty()) root = ".";
        s.folder = dictionaries > 1 ? root / "textures" / dictionary_folder_name(s.file.stem().string()) : root;
    }
    return list.entries;
}
