#include "game/game_files.h"

#include <fstream>
#include <set>
#include <utility>

#include "game/file_source.h"
#include "game/game_data_file.h"
#include "game/game_paths.h"
#include "game/text_lines.h"

namespace fs = std::filesystem;

namespace {

struct Finder {
    GameFiles& game;
    std::set<std::string> seen;  // each file once a directive

    // The file a data file's line names into list, or a message when there is none.
    void add(const char* directive, const std::string& data_file, const GamePath& named, std::vector<GameFile>& list) {
        fs::path found = resolve_game_path(game.root, named.path);
        if (found.empty()) {
            // Line 0: the main archive, which no data file lists.
            const std::string where = named.line ? data_file + " line " + std::to_string(named.line) : game.root.string();
            game.messages.push_back(where + ": " + named.path + ": no such file in " + game.root.string());
            return;
        }
        if (seen.insert(std::string(directive) + " " + lower_name(found.lexically_normal().string())).second)
            list.push_back({found, named.path});
    }
};

// An archive that starts "VER2": the third game's kind, with its directory inside.
bool starts_version2(const fs::path& file) {
    char magic[4] = {};
    std::ifstream in(file, std::ios::binary);
    return in.read(magic, sizeof magic) && std::string(magic, sizeof magic) == "VER2";
}

}  // namespace

GameFiles find_game_files(const std::string& folder, bool placements) {
    GameFiles game;
    game.root = fs::path(absolute_path(folder));
    std::vector<std::pair<std::string, GameDataFile>> data;
    for (const char* name : {"data/default.dat", "data/gta.dat"}) {
        const fs::path file = resolve_game_path(game.root, name);
        std::string text;
        if (file.empty() || !read_text_file(file.string(), text).empty()) continue;
        data.emplace_back(file.string(), read_game_data_file(text));
    }
    game.read = !data.empty();
    if (!game.read) return game;
    Finder finder{game, {}};
    for (auto& [file, d] : data)
        for (const GamePath& p : d.item_definitions) finder.add("IDE", file, p, game.item_definitions);
    for (auto& [file, d] : data)
        for (const GamePath& p : d.shared_dictionaries) finder.add("TEXDICTION", file, p, game.shared_dictionaries);
    // The main archive is always loaded and never listed.
    finder.add("IMG", "", {"models/gta3.img", 0}, game.archives);
    for (auto& [file, d] : data)
        for (const GamePath& p : d.archives) finder.add("IMG", file, p, game.archives);
    for (auto& [file, d] : data)
        for (const GamePath& p : d.model_files) finder.add("MODELFILE", file, p, game.model_files);
    for (auto& [file, d] : data)
        for (const GamePath& p : d.collision_files) finder.add("COLFILE", file, p, game.collision_files);
    if (placements)
        for (auto& [file, d] : data)
            for (const GamePath& p : d.placements) finder.add("IPL", file, p, game.placements);
    game.third_game = !resolve_game_path(game.root, "data/surfinfo.dat").empty();
    for (std::size_t i = 0; i < game.archives.size() && !game.third_game; ++i)
        game.third_game = starts_version2(game.archives[i].file);
    return game;
}
