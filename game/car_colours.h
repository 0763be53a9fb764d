#pragma once
// The vehicles' colour file (carcols.dat): a table of colours and, per car
// model, the combinations of table indices the game paints it with.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A colour index per paint slot: primary, secondary, tertiary, quaternary.
using CarPaint = std::array<std::uint8_t, 4>;

struct CarColourLine {
    std::string model;                 // as written; matched without case
    std::vector<CarPaint> combinations;  // a two-colour line gives slots 3 and 4 = 0
    std::size_t line = 0;
};

struct CarColourNote {
    std::size_t line = 0;
    std::string reason;
};

struct CarColourFile {
    std::vector<std::array<std::uint8_t, 3>> colours;  // RGB, the table's index order
    std::vector<CarColourLine> cars;
    std::vector<CarColourNote> skipped;  // lines that did not parse, with why
};

// The table holds at most this many colours (the newest game uses the first 128).
constexpr std::size_t max_car_colours = 256;

// Reads the file's text as the game does (see the vehicles note): sections
// col, car and car4 opened by a line starting with that word, closed by a
// line starting "end".
CarColourFile read_car_colours(std::string_view text);

// The line of a model, matched without case; null when the file has none.
const CarColourLine* car_colours_of(const CarColourFile& file, std::string_view model);

// "carcols.dat: line 4 (why) and line 9 (why) skipped", or "" when none.
std::string car_colour_notes_text(const CarColourFile& file, std::string_view file_name);
