#include "game/game_data_file.h"

#include "game/text_lines.h"

namespace {

bool is_space_or_tab(char c) { return c == ' ' || c == '\t'; }

}  // namespace

GameDataFile read_game_data_file(std::string_view text) {
    GameDataFile out;
    const struct {
        const char* directive;
        std::vector<GamePath> GameDataFile::*list;
    } directives[] = {
        {"ide", &GameDataFile::item_definitions},   {"img", &GameDataFile::archives},
        {"texdiction", &GameDataFile::shared_dictionaries}, {"modelfile", &GameDataFile::model_files},
        {"ipl", &GameDataFile::placements},         {"colfile", &GameDataFile::collision_files},
    };
    for_each_line(text, [&](std::size_t number, std::string_view line) {
        std::size_t end = 0;
        while (end < line.size() && !is_space_or_tab(line[end])) ++end;
        const std::string_view word = line.substr(0, end);
        std::string_view rest = line.substr(end);
        while (!rest.empty() && is_space_or_tab(rest.front())) rest.remove_prefix(1);
        for (const auto& d : directives) {
            if (!same_name(word, d.directive)) continue;
            // COLFILE's single level digit comes before its path.
            if (d.list == &GameDataFile::collision_files && !rest.empty() && rest.front() >= '0' && rest.front() <= '9') {
                rest.remove_prefix(1);
                while (!rest.empty() && is_space_or_tab(rest.front())) rest.remove_prefix(1);
            }
            // A path may hold blanks: all the rest of the line is the path.
            if (rest.empty()) out.skipped.push_back({number, "no path"});
            else (out.*d.list).push_back({std::string(rest), number});
        }
    });
    return out;
}
