#include "control/map_scenes.h"

#include <set>

#include "game/game_paths.h"
#include "game/placement_file.h"
#include "game/text_lines.h"

namespace fs = std::filesystem;

namespace {

// Lower case with '/' between parts, as names of placement files are compared.
std::string compared(std::string_view path) {
    std::string out = lower_name(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

bool chooses(const std::string& value, const GameFile& file, const std::string& relative) {
    const std::string v = compared(value);
    return v == compared(file.written) || v == compared(relative) || v == compared(file.file.filename().string());
}

}  // namespace

GameScenes game_scenes(const GameFiles& game, const std::vector<std::string>& chosen,
                       const std::vector<std::pair<std::string, ArchiveDirectory>>& archives,
                       const fs::path& output_dir) {
    GameScenes out;
    bool all = false;
    for (const std::string& value : chosen) all = all || value == "all";
    std::vector<bool> used(chosen.size(), false);
    std::set<std::string> taken;  // scene files, lower-cased
    for (const GameFile& file : game.placements) {
        if (!same_name(file.file.extension().string(), ".ipl")) continue;
        const std::string relative = file.file.lexically_relative(game.root).generic_string();
        bool wanted = all;
        for (std::size_t i = 0; i < chosen.size(); ++i)
            if (chosen[i] != "all" && chooses(chosen[i], file, relative)) used[i] = wanted = true;
        if (!wanted) continue;
        const std::string scene = placement_scene_path(relative);
        if (!taken.insert(scene).second) {
            out.messages.push_back(file.file.string() + ": its scene " + (output_dir / scene).string() +
                                   " is another placement file's; not written");
            continue;
        }
        GameScene& s = out.scenes.emplace_back();
        s.title = file.file.string();
        s.obj_path = output_dir / fs::path(scene);
        s.placement_files.push_back(file_source(file.file));
        for (const auto& [archive, directory] : archives)
            for (const ArchiveEntry& e : directory.entries) {
                if (!is_stream_file_of(e.name, file.written)) continue;
                s.placement_files.push_back(entry_source(archive, directory, e));
            }
    }
    for (std::size_t i = 0; i < chosen.size(); ++i)
        if (!used[i] && chosen[i] != "all")
            out.messages.push_back(chosen[i] + ": no placement file of the game's data files is named so");
    if (out.scenes.empty() && out.messages.empty())
        out.messages.push_back(game.root.string() + ": its data files name no placement file");
    return out;
}
