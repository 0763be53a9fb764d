#include "game/game_paths.h"

#include <string>
#include <system_error>
#include <vector>

#include "game/text_lines.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> parts_of(std::string_view written) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : written) {
        if (c == '\\' || c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

// The entry of folder named part without case; empty when none.
fs::path find_part(const fs::path& folder, const std::string& part) {
    std::error_code ec;
    fs::path exact = folder / part;
    if (fs::exists(exact, ec)) return exact;
    fs::directory_iterator it(folder, ec);
    if (ec) return {};
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return {};
        if (same_name(it->path().filename().string(), part)) return it->path();
    }
    return {};
}

}  // namespace

fs::path resolve_game_path(const fs::path& root, std::string_view written) {
    if (!written.empty() && (written.front() == '\\' || written.front() == '/')) return {};
    if (written.size() > 1 && written[1] == ':') return {};
    fs::path at = root;
    for (const std::string& part : parts_of(written)) {
        if (part == "..") return {};
        if (part == ".") continue;
        at = find_part(at, part);
        if (at.empty()) return {};
    }
    return at == root ? fs::path() : at;
}

std::string placement_scene_path(std::string_view relative) {
    std::vector<std::string> parts;
    for (const std::string& part : parts_of(relative))
        if (part != "." && part != "..") parts.push_back(lower_name(part));  // never outside the output
    if (parts.size() > 1 && parts.front() == "data") parts.erase(parts.begin());
    if (parts.empty()) return "";
    std::string& last = parts.back();
    const std::size_t dot = last.rfind('.');
    if (dot != std::string::npos && dot > 0) last.erase(dot);
    last += ".obj";
    std::string path;
    for (const std::string& part : parts) path += (path.empty() ? "" : "/") + part;
    return path;
}
