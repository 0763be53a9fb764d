#include "export/texture_file_name.h"

#include <string_view>

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool reserved_character(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u < ' ' || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
}

// Windows opens the device instead of a file of these names, whatever follows the dot.
bool device_name(const std::string& stem) {
    std::string l;
    for (char c : stem) l += lower(c);
    for (const char* r : {"con", "prn", "aux", "nul"})
        if (l == r) return true;
    return l.size() == 4 && (l.rfind("com", 0) == 0 || l.rfind("lpt", 0) == 0) && l[3] >= '0' && l[3] <= '9';
}

}  // namespace

std::string texture_file_stem(const std::string& texture) {
    if (texture.empty() || texture == "." || texture == "..") return {};
    std::string stem = texture;
    for (char& c : stem)
        if (reserved_character(c)) c = '_';
    if (stem.back() == '.' || stem.back() == ' ') stem.back() = '_';
    if (device_name(stem)) stem += '_';
    return stem;
}

std::string texture_file_name(const std::string& texture) {
    std::string stem = texture_file_stem(texture);
    return stem.empty() ? stem : stem + ".png";
}
