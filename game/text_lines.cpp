#include "game/text_lines.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

}  // namespace

std::string_view strip_line(std::string_view line) {
    std::size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    while (!line.empty() && is_blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && is_blank(line.back())) line.remove_suffix(1);
    return line;
}

std::vector<std::string_view> split_fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0, n = line.size();
    bool after_comma = false;  // a comma was the last separator: an empty field may follow
    while (i < n) {
        while (i < n && is_blank(line[i])) ++i;
        if (i < n && line[i] == ',') {
            // Two commas with nothing but blanks between them enclose an empty field.
            if (after_comma || fields.empty()) fields.emplace_back();
            after_comma = true;
            ++i;
            continue;
        }
        if (i >= n) break;
        std::size_t start = i;
        while (i < n && !is_blank(line[i]) && line[i] != ',') ++i;
        fields.push_back(line.substr(start, i - start));
        after_comma = false;
    }
    return fields;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string lower_name(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = lower(c);
    return out;
}
