#pragma once
// The line and field rules the game's text files share (item definitions,
// placement files, data files): one record a line, '#' starts a comment,
// fields split by commas and/or blanks and tabs.

#include <charconv>
#include <cmath>
#include <cstdint>
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

// A whole field as a number: a leading '+' allowed, nothing left over.
template <class T>
bool parse_number(std::string_view field, T& out) {
    if (field.empty()) return false;
    if (field.front() == '+') field.remove_prefix(1);
    const char* end = field.data() + field.size();
    auto [ptr, ec] = std::from_chars(field.data(), end, out);
    return ec == std::errc() && ptr == end;
}

// As parse_number, and finite ("-4.37114E-008" reads; "nan" and "inf" do not).
inline bool parse_float(std::string_view field, float& out) {
    return parse_number(field, out) && std::isfinite(out);
}

// Walks the sections of a file whose records sit between a line naming the
// section and a line "end": opened(line_number, section, fields) for each
// section's first line, section lower-cased; visit(line_number, section,
// fields) for each line inside it. Lines outside any section open one.
template <class Opened, class Visit>
void for_each_section_line(std::string_view text, Opened&& opened, Visit&& visit) {
    std::string section;
    bool in_section = false;
    for_each_line(text, [&](std::size_t number, std::string_view line) {
        std::vector<std::string_view> fields = split_fields(line);
        if (fields.empty()) return;
        if (!in_section) {
            section = lower_name(fields[0]);
            in_section = true;
            opened(number, std::string_view(section), fields);
        } else if (fields.size() == 1 && same_name(fields[0], "end")) {
            in_section = false;
        } else {
            visit(number, std::string_view(section), fields);
        }
    });
}
