#include "support/vertices_first_reference.h"

#include <vector>

namespace {

bool starts(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

bool is_section(const std::string& line) {
    return starts(line, "v ") || starts(line, "vt ") || starts(line, "f ") || starts(line, "# uvs at 0x") ||
           starts(line, "# verts at 0x");
}

// The group's lines in their new order, or as they stand.
std::vector<std::string> reordered(const std::vector<std::string>& g, bool ends_cut) {
    const std::size_t n = g.size();
    std::size_t i = 1;
    for (; i < n && !starts(g[i], "# uvs at 0x"); ++i)
        if (is_section(g[i])) return g;
    const std::size_t uvs = i++;
    for (; i < n && !starts(g[i], "# verts at 0x"); ++i)
        if (starts(g[i], "v ") || starts(g[i], "# uvs at 0x")) return g;
    if (i >= n) return g;
    const std::size_t verts = i++;
    while (i < n && starts(g[i], "v ")) ++i;
    if (i < n && (g[i] == "\n" || g[i] == "\r\n")) ++i;
    const std::size_t verts_end = i;
    for (; i < n; ++i)
        if (is_section(g[i])) return g;
    if (verts_end == n && ends_cut) return g;
    std::vector<std::string> out(g.begin(), g.begin() + uvs);
    out.insert(out.end(), g.begin() + verts, g.begin() + verts_end);
    out.insert(out.end(), g.begin() + uvs, g.begin() + verts);
    out.insert(out.end(), g.begin() + verts_end, g.end());
    return out;
}

}  // namespace

std::string vertices_first_reference(const std::string& text) {
    std::vector<std::vector<std::string>> groups(1);  // the first holds what comes before any group
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(at, end - at);
        if (starts(line, "g ")) groups.emplace_back();
        groups.back().push_back(line);
        at = end;
    }
    const bool ends_cut = !text.empty() && text.back() != '\n';
    std::string out;
    for (std::size_t k = 0; k < groups.size(); ++k) {
        const bool last = k + 1 == groups.size();
        for (const std::string& line : k == 0 ? groups[0] : reordered(groups[k], last && ends_cut)) out += line;
    }
    return out;
}
