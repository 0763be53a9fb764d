#include "control/game_catalog.h"

#include "control/collision_conversion.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <system_error>

#include "game/item_definitions.h"
#include "game/game_paths.h"
#include "game/text_lines.h"

namespace fs = std::filesystem;

namespace {

using Command = CatalogRequest::Command;

// The kinds archives hold by an entry's extension (see archive_entry_kind).
const struct {
    const char* entry_kind;
    SourceKind kind;
} archive_kinds[] = {
    {"model", SourceKind::model},
    {"texture dictionary", SourceKind::dictionary},
    {"animation", SourceKind::animation},
    {"collision", SourceKind::collision},
};

bool has_extension(const fs::path& p, const char* extension) { return same_name(p.extension().string(), extension); }

bool named_archive(const CatalogRequest& request, std::size_t i) {
    std::error_code error;
    return i < request.first_literal_path && has_archive_extension(request.paths[i]) &&
           fs::is_regular_file(request.paths[i], error);
}

class Builder {
public:
    Builder(const CatalogRequest& request, GameCatalog& catalog) : request_(request), catalog_(catalog) {}

    void build() {
        switch (request_.command) {
            case Command::convert:
            case Command::worker: return for_models();
            case Command::inspect:
                catalog_.models = list_models(request_.paths, request_.recursive, request_.first_literal_path);
                // A vehicle's inspection tells the wheel its cars line names.
                for (const std::string& file : request_.item_definitions) add_item_definitions(file, false);
                add_vehicle_files();
                return;
            case Command::map: return for_map();
            case Command::extract: return for_extract();
        }
    }

private:
    const CatalogRequest& request_;
    GameCatalog& catalog_;
    std::vector<std::string> defined_;  // the models the game's item definitions name, as written
    std::set<std::string> extracted_;   // extract: the files and archives listed, absolute: each once

    void tell(std::string line) { catalog_.messages.push_back(std::move(line)); }

    void add_item_definitions(const std::string& file, bool game) {
        ItemDefinitionRead read = read_item_definition_file(file);
        for (std::string& m : read.messages) tell(std::move(m));
        if (!read.read) {
            catalog_.all_read = false;
            return;
        }
        catalog_.add(SourceKind::item_definitions, fs::path(file).stem().string(), file_source(file));
        catalog_.items.add(read.definitions);
        catalog_.textures.add_item_definitions(read.definitions);
        catalog_.effects.add_items(read.definitions);
        catalog_.effects.add_effects(read.effects);
        if (game)
            for (const ItemDefinition& item : read.definitions.items) defined_.push_back(item.model);
    }

    void add_dictionary_file(const fs::path& file) {
        catalog_.add(SourceKind::dictionary, file.stem().string(), file_source(file));
        catalog_.textures.add_dictionary_file(file);
    }

    // An archive's entries by kind and name, its dictionaries into the texture catalog.
    void add_archive_sources(const std::string& path, const ArchiveDirectory& directory) {
        catalog_.textures.add_archive(path, directory);
        for (const ArchiveEntry& e : directory.entries) {
            const std::string kind = archive_entry_kind(e.name);
            for (const auto& k : archive_kinds)
                if (kind == k.entry_kind) catalog_.add(k.kind, entry_base_name(e.name), entry_source(path, directory, e));
        }
    }

    // The game keeps its loose animation files in its anim folder (any letter case).
    void add_game_animations() {
        std::error_code error;
        for (const fs::directory_entry& folder : fs::directory_iterator(catalog_.game.root, error)) {
            if (!same_name(folder.path().filename().string(), "anim") || !folder.is_directory(error)) continue;
            std::vector<fs::path> files;
            for (const fs::directory_entry& f : fs::directory_iterator(folder.path(), error))
                if (has_extension(f.path(), ".ifp") && f.is_regular_file(error)) files.push_back(f.path());
            std::sort(files.begin(), files.end());
            for (const fs::path& f : files) catalog_.add(SourceKind::animation, f.stem().string(), file_source(f));
        }
    }

    // The game's item definitions and shared dictionaries, and its messages.
    bool add_game_files(bool placements) {
        catalog_.game = find_game_files(request_.game_dir, placements);
        if (!catalog_.game.read) return false;
        catalog_.messages.insert(catalog_.messages.end(), catalog_.game.messages.begin(), catalog_.game.messages.end());
        for (const GameFile& f : catalog_.game.item_definitions) add_item_definitions(f.file.string(), true);
        for (const GameFile& f : catalog_.game.collision_files)
            catalog_.add(SourceKind::collision, f.file.stem().string(), file_source(f.file));
        for (const GameFile& f : catalog_.game.shared_dictionaries) {
            catalog_.textures.add_shared(f.file);
            add_dictionary_file(f.file);
        }
        add_game_animations();
        return true;
    }

    // The vehicles' colour file and wheels, named or where the game keeps them
    // (wheels.dff is also a model file the older games' data files name).
    void add_vehicle_files() {
        if (!request_.car_colours.empty())
            catalog_.add(SourceKind::car_colours, "carcols", file_source(request_.car_colours));
        if (!request_.wheels.empty()) catalog_.add(SourceKind::wheels, "wheels", file_source(request_.wheels));
        if (!catalog_.game.read) return;
        if (const fs::path file = resolve_game_path(catalog_.game.root, "data/carcols.dat"); !file.empty())
            catalog_.add(SourceKind::car_colours, "carcols", file_source(file));
        if (const FileSource* model = catalog_.find(SourceKind::model, "wheels"))
            catalog_.add(SourceKind::wheels, "wheels", *model);
        else if (const fs::path file = resolve_game_path(catalog_.game.root, "models/generic/wheels.dff"); !file.empty())
            catalog_.add(SourceKind::wheels, "wheels", file_source(file));
    }

    // --- convert: the models in the game's order, then the paths' ---

    void for_models() {
        std::vector<ModelEntry> game_models;
        if (!request_.game_dir.empty()) add_game_models(game_models);
        for (const std::string& file : request_.item_definitions) add_item_definitions(file, false);
        for (std::size_t i = 0; i < request_.paths.size(); ++i) {
            if (!named_archive(request_, i)) continue;
            const std::string path = absolute_path(request_.paths[i]);
            const ArchiveDirectory directory = read_archive(path);
            if (directory.refused.empty()) add_archive_sources(path, directory);
        }
        // Dictionaries named with -t are found by name too, where an item definition names them.
        for (const std::string& file : request_.dictionaries) add_dictionary_file(file);
        std::vector<ModelEntry> named = list_models(request_.paths, request_.recursive, request_.first_literal_path);
        // Collision files named or found are where --collision looks models up by name, a worker's too.
        for (const ModelEntry& m : named)
            if (m.kind == ModelEntry::Kind::model && m.error.empty() && !m.in_archive() && is_collision_path(m.path))
                catalog_.add(SourceKind::collision, fs::path(m.path).stem().string(), file_source(m.path));
        add_vehicle_files();
        if (request_.command == Command::worker) return;
        catalog_.models = std::move(game_models);
        catalog_.models.insert(catalog_.models.end(), std::make_move_iterator(named.begin()),
                               std::make_move_iterator(named.end()));
    }

    void add_game_models(std::vector<ModelEntry>& models) {
        if (!add_game_files(false)) {
            models.push_back(entry_of(catalog_.game.root.string(), "not read: no data/gta.dat or data/default.dat in it",
                                      ModelEntry::Kind::model));
            return;
        }
        const GameFiles& game = catalog_.game;
        for (const GameFile& f : game.archives) {
            const std::string path = f.file.string();
            const ArchiveDirectory directory = read_archive(path);
            if (!directory.refused.empty()) {
                models.push_back(entry_of(path, "not read: " + directory.refused, ModelEntry::Kind::model));
                continue;
            }
            add_archive_sources(path, directory);
            // Under a folder named after the archive.
            const std::size_t first = models.size();
            add_archive_models(path, directory, models);
            for (std::size_t i = first; i < models.size(); ++i) models[i].relative_folder = f.file.stem().string();
        }
        for (const GameFile& f : game.model_files) {
            catalog_.add(SourceKind::model, f.file.stem().string(), file_source(f.file));
            const std::string relative = f.file.parent_path().lexically_relative(game.root).generic_string();
            models.push_back(entry_of(f.file.string(), "", ModelEntry::Kind::model, relative == "." ? "" : relative));
        }
        tell_models_not_held();
    }

    // One line for the models the game's item definitions name that none of its
    // archives or model files holds: no model's line can tell of them.
    void tell_models_not_held() {
        std::vector<std::string> missing;
        std::set<std::string> told;
        for (const std::string& model : defined_)
            if (!catalog_.find(SourceKind::model, model) && told.insert(lower_name(model)).second) missing.push_back(model);
        if (missing.empty()) return;
        constexpr std::size_t shown = 10;
        std::string text;
        for (std::size_t i = 0; i < missing.size() && i < shown; ++i) text += (i ? ", " : "") + missing[i];
        if (missing.size() > shown) text += ", ...";
        tell(std::to_string(missing.size()) +
             (missing.size() == 1 ? " model the item definitions name is" : " models the item definitions name are") +
             " in no archive or model file: " + text);
    }

    // --- map: models, dictionaries and placement files by name ---

    void for_map() {
        if (!request_.game_dir.empty()) {
            if (!add_game_files(true)) {
                tell(catalog_.game.root.string() + ": not read: no data/gta.dat or data/default.dat in it");
                catalog_.game_refused = true;
                catalog_.all_read = false;
                return;
            }
            for (const GameFile& f : catalog_.game.archives) add_map_archive(f.file.string());
            for (const GameFile& f : catalog_.game.model_files)
                catalog_.add(SourceKind::model, f.file.stem().string(), file_source(f.file));
        }
        for (const std::string& file : request_.item_definitions) add_item_definitions(file, false);
        // Named .ipl files are placement files too, so that "--map maps/*.ipl" takes them all.
        std::vector<std::string> maps = request_.maps, listed;
        std::size_t literal = static_cast<std::size_t>(-1);
        for (std::size_t i = 0; i < request_.paths.size(); ++i) {
            const std::string& path = request_.paths[i];
            const bool after_dashes = i >= request_.first_literal_path;
            if (!after_dashes && has_extension(path, ".ipl")) {
                maps.push_back(path);
            } else if (named_archive(request_, i)) {
                add_map_archive(absolute_path(path));
            } else {
                if (after_dashes && literal > listed.size()) literal = listed.size();
                listed.push_back(path);
            }
        }
        add_map_models(listed, literal);
        for (const std::string& t : request_.dictionaries) add_dictionary_file(t);
        if (request_.game_dir.empty()) {
            for (const std::string& map : maps) catalog_.add(SourceKind::placement, fs::path(map).stem().string(), file_source(map));
            return;
        }
        catalog_.scenes = game_scenes(catalog_.game, maps, catalog_.archives, request_.output_dir);
        for (const std::string& m : catalog_.scenes.messages) tell(m);
        if (!catalog_.scenes.messages.empty()) catalog_.all_read = false;
    }

    // Its damage told once, here, and each damaged entry's where it is placed.
    void add_map_archive(const std::string& path) {
        ArchiveDirectory directory = read_archive(path);
        if (!directory.refused.empty()) {
            tell(path + ": not read: " + directory.refused);
            catalog_.all_read = false;
            return;
        }
        for (const std::string& d : directory.damage) tell(path + ": " + d);
        add_archive_sources(path, directory);
        catalog_.archives.emplace_back(path, std::move(directory));
    }

    // The named models and folders: models by name, the dictionaries in the
    // models' folders, then those in the folders named.
    void add_map_models(const std::vector<std::string>& listed, std::size_t literal) {
        std::set<std::string> folders_seen, dictionary_folders;
        std::vector<fs::path> beside, in_named;  // dictionaries beside the models, in the folders named
        for (const std::string& name : listed) {
            std::error_code error;
            if (!fs::is_directory(name, error)) continue;
            const std::size_t before = in_named.size();
            folder_dictionaries(absolute_path(name), in_named);
            if (in_named.size() > before) dictionary_folders.insert(absolute_path(name));
        }
        for (const ModelEntry& entry : list_models(listed, request_.recursive, literal)) {
            // A folder named for its dictionaries holds no models, rightly.
            if (entry.kind == ModelEntry::Kind::empty_folder && dictionary_folders.count(entry.path)) continue;
            if (entry.kind != ModelEntry::Kind::model || !entry.error.empty()) {
                if (!entry.error.empty()) tell(entry.path + ": " + entry.error);
                continue;
            }
            const fs::path path(entry.path);
            if (is_collision_path(entry.path)) {
                catalog_.add(SourceKind::collision, path.stem().string(), file_source(path));
                continue;
            }
            catalog_.add(SourceKind::model, path.stem().string(), file_source(path));
            const fs::path folder = path.parent_path();
            if (!folders_seen.insert(folder.string()).second) continue;
            std::error_code error;
            for (const fs::directory_entry& e : fs::directory_iterator(folder, error))
                if (has_extension(e.path(), ".txd") && e.is_regular_file(error)) beside.push_back(e.path());
        }
        for (const fs::path& file : beside) add_dictionary_file(file);
        for (const fs::path& file : in_named)
            if (std::find(beside.begin(), beside.end(), file) == beside.end()) add_dictionary_file(file);
    }

    // A named folder's dictionaries (its subfolders' too with --recursive), in name
    // order: found by name as those beside the models are, after them.
    void folder_dictionaries(const fs::path& folder, std::vector<fs::path>& out) {
        std::error_code error;
        std::vector<fs::path> found;
        const auto options = fs::directory_options::skip_permission_denied;
        if (request_.recursive) {
            for (fs::recursive_directory_iterator it(folder, options, error), end; !error && it != end; it.increment(error))
                if (has_extension(it->path(), ".txd") && it->is_regular_file(error)) found.push_back(it->path());
        } else {
            for (fs::directory_iterator it(folder, options, error), end; !error && it != end; it.increment(error))
                if (has_extension(it->path(), ".txd") && it->is_regular_file(error)) found.push_back(it->path());
        }
        std::sort(found.begin(), found.end());
        out.insert(out.end(), found.begin(), found.end());
    }

    // --- extract: the game's dictionaries, then those named, an archive's in its order ---

    void for_extract() {
        if (!request_.game_dir.empty()) add_extracted_game();
        for (std::size_t i = 0; i < request_.paths.size(); ++i) {
            const std::string& name = request_.paths[i];
            std::error_code error;
            if (fs::is_directory(name, error)) {
                std::vector<fs::path> found;
                folder_dictionaries(name, found);
                for (const fs::path& file : found) add_extracted_file(file, file.string());
                if (found.empty())
                    line(name + (request_.recursive ? ": no texture dictionaries (no *.txd files in the folder or its subfolders)"
                                                    : ": no texture dictionaries (no *.txd files in the folder)"),
                         true);
            } else if (i < request_.first_literal_path && has_archive_extension(name)) {
                add_extracted_archive(name);
            } else {
                add_extracted_file(name, name);
            }
        }
        place_extracted_files();
    }

    // Every dictionary of the game: its archives' entries, the shared ones its
    // data files name, and those beside the loose models they name.
    void add_extracted_game() {
        if (!add_game_files(false))
            return line(catalog_.game.root.string() + ": not read: no data/gta.dat or data/default.dat in it", true);
        for (const std::string& m : catalog_.messages) line(m, false);
        catalog_.messages.clear();
        for (const GameFile& f : catalog_.game.archives) add_extracted_archive(f.file.string());
        for (const GameFile& f : catalog_.game.shared_dictionaries) add_extracted_file(f.file, f.file.string());
        for (const GameFile& f : catalog_.game.model_files)
            if (const fs::path own = own_dictionary(f.file); !own.empty()) add_extracted_file(own, own.string());
    }

    // A dictionary file, once however often named; its folder is set when all are known.
    void add_extracted_file(const fs::path& file, const std::string& name) {
        if (!extracted_.insert(absolute_path(file.string())).second) return;
        catalog_.named_dictionaries.push_back({name, file_source(file), {}, "", true});
    }

    // One dictionary alone: its PNGs beside it or under -o, as they always
    // were. More: each one's in ROOT/textures/NAME, as a game's conversion
    // puts them, so that names the dictionaries share do not collide. Files
    // named that are not there are no dictionaries.
    void place_extracted_files() {
        std::size_t dictionaries = 0;
        for (const NamedDictionary& d : catalog_.named_dictionaries) {
            std::error_code error;
            if (d.line.empty() && (d.source.in_archive || fs::is_regular_file(d.source.file, error))) ++dictionaries;
        }
        for (NamedDictionary& d : catalog_.named_dictionaries) {
            if (!d.line.empty() || d.source.in_archive) continue;
            fs::path root = request_.output_dir.empty() ? d.source.file.parent_path() : fs::path(request_.output_dir);
            if (root.empty()) root = ".";
            d.folder = dictionaries > 1 ? root / "textures" / dictionary_folder_name(d.source.file.stem().string()) : root;
        }
    }

    void line(std::string text, bool counted) {
        NamedDictionary d;
        d.line = std::move(text);
        d.counted = counted;
        catalog_.named_dictionaries.push_back(std::move(d));
    }

    // Every dictionary entry of an archive, each into textures/NAME/ under the
    // output, where a conversion of the archive puts them.
    void add_extracted_archive(const std::string& name) {
        const std::string path = absolute_path(name);
        if (!extracted_.insert(path).second) return;
        const ArchiveDirectory directory = read_archive(path);
        if (!directory.refused.empty()) return line(name + ": not read: " + directory.refused, true);
        for (const std::string& d : directory.damage) line(name + ": " + d, false);
        const fs::path named(path);
        const fs::path root = request_.output_dir.empty() ? named.parent_path() / named.stem() : fs::path(request_.output_dir);
        std::size_t found = 0;
        for (const ArchiveEntry& e : directory.entries) {
            if (std::string(archive_entry_kind(e.name)) != "texture dictionary") continue;
            ++found;
            const FileSource source = entry_source(path, directory, e);
            if (!e.damage.empty()) {
                line(source.shown + ": not extracted: " + e.damage, true);
                continue;
            }
            catalog_.named_dictionaries.push_back(
                {source.shown, source, root / "textures" / dictionary_folder_name(entry_base_name(e.name)), "", true});
        }
        if (found == 0) line(name + ": no texture dictionaries (no *.txd entries in the archive)", true);
    }
};

}  // namespace

const FileSource* GameCatalog::find(SourceKind kind, const std::string& name) const {
    const Kind& k = kinds_[index(kind)];
    auto it = k.by_name.find(lower_name(name));
    return it == k.by_name.end() ? nullptr : &k.all[it->second];
}

void GameCatalog::add(SourceKind kind, const std::string& name, FileSource source) {
    Kind& k = kinds_[index(kind)];
    auto [it, fresh] = k.by_name.try_emplace(lower_name(name), k.all.size());
    if (!fresh && !k.all[it->second].damage.empty() && source.damage.empty()) it->second = k.all.size();
    k.all.push_back(std::move(source));
}

GameCatalog build_catalog(const CatalogRequest& request) {
    GameCatalog catalog;
    Builder(request, catalog).build();
    return catalog;
}
