#pragma once
// Item definition files (.ide): which model each id stands for, which texture
// dictionary it takes its textures from, and what a map needs to place it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/item_effects.h"

struct ItemDefinition {
    std::int32_t id = -1;      // -1 where the line gives none ("-")
    std::string section;       // lower case: "objs", "tobj", "anim", "cars", ...
    std::string model;         // as written, without extension
    std::string dictionary;    // as written, without extension
    std::vector<float> draw_distances;  // objs/tobj/anim: one per level of detail
    std::uint32_t flags = 0;
    std::int32_t time_on = -1, time_off = -1;  // tobj only: shown from on to off
    // cars only: what the vehicle's wheels are, by the line's form (the
    // games differ, see the vehicles note). wheel_id -1: none named.
    struct Vehicle {
        std::string type;          // lower case: "car", "bike", "boat", "plane", ...
        int game = 0;              // 1, 2 or 3: the line form it was read as
        std::int32_t wheel_id = -1;
        float wheel_scale = 1;     // first, second game: uniform
        float front_size = 1, rear_size = 1;  // third game: the wheels' sizes
        bool sizes = false;        // front and rear sizes were given
    } vehicle;
    std::string file;          // where it was defined, for messages
    std::size_t line = 0;
};

struct DictionaryParent {
    std::string dictionary, parent;
};

struct SkippedLine {
    std::size_t line = 0;
    std::string reason;
};

struct ItemDefinitionFile {
    std::vector<ItemDefinition> items;
    std::vector<DictionaryParent> parents;  // txdp
    std::vector<SkippedLine> skipped;       // lines that say nothing readable
};

// Reads an item definition file's text. Sections are named on a line of their
// own and end with "end"; unknown sections are passed over to their end.
ItemDefinitionFile read_item_definitions(std::string_view text, std::string_view file_name);

// "file: lines 3, 9 and 12 skipped (too few fields)" style summary, or "" when none.
std::string skipped_lines_text(const ItemDefinitionFile& file);

// An item definition file read from disk: its definitions, and the lines for
// the user (why it cannot be read, which of its lines were skipped), each
// starting with the file as named. Every command reads them through this.
struct ItemDefinitionRead {
    ItemDefinitionFile definitions;
    std::vector<ItemEffect> effects;  // its 2dfx lines
    bool read = false;  // the file's bytes were had
    std::vector<std::string> messages;
};

ItemDefinitionRead read_item_definition_file(const std::string& file);
