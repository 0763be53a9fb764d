#pragma once
// The line and field rules the game's text files share (item definitions,
// placement files, data files): one record a line, '#' starts a comment,
// fields split by commas and/or blanks and tabs.

#include <string>
#include <string_view>
#include <vector>

// The line without its comment, line end and surrounding blanks.
std::string_view strip_line(std::string_view line);

// The fields of a stripped line. Around commas, blanks do not count and an
// empty field is kept ("3425, , 0" gives three fields, the second empty);
// between fields with no comma any run of blanks and tabs separates.
std::vector<std::string_view> split_fields(std::string_view line);

// Case-insensitive equality over ASCII letters.
bool same_name(std::string_view a, std::string_view b);

// Lower-cased ASCII copy, the form names are looked up in.
std::string lower_name(std::string_view name);

// Calls visit(line_number, stripped_line) for each line of text, 1-based,
// skipping lines that are empty once stripped.
template <class Visit>
void for_each_line(std::string_view text, Visit&& visit) {
    std::size_t number = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        std::string_view stripped = strip_line(line);
        if (!stripped.empty()) visit(number, stripped);
    }
}
