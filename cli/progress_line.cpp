#include "cli/progress_line.h"

#include <cstdio>
#include <vector>

namespace {

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte offsets where each character starts, and the end.
std::vector<std::size_t> character_starts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!is_continuation(text[i])) starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

std::string duration_text(double seconds) {
    long s = static_cast<long>(seconds + 0.5);
    char text[32];
    if (s < 60)
        std::snprintf(text, sizeof text, "%lds", s);
    else if (s < 3600)
        std::snprintf(text, sizeof text, "%ldm%02lds", s / 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ldh%02ldm", s / 3600, s / 60 % 60);
    return text;
}

std::string rate_text(std::size_t done, double seconds) {
    char text[32];
    double rate = static_cast<double>(done) / seconds;
    std::snprintf(text, sizeof text, rate < 10 ? "%.1f models/s" : "%.0f models/s", rate);
    return text;
}

}  // namespace

std::string elide_middle(const std::string& text, std::size_t columns) {
    std::vector<std::size_t> starts = character_starts(text);
    std::size_t length = starts.size() - 1;
    if (length <= columns) return text;
    if (columns < 3) return text.substr(0, starts[columns]);
    std::size_t head = (columns - 3) / 2, tail = columns - 3 - head;
    return text.substr(0, starts[head]) + "..." + text.substr(starts[length - tail]);
}

std::string progress_line(std::size_t done, std::size_t total, double seconds, const std::string& path,
                          std::size_t width) {
    std::string line = "[";
    line += std::to_string(done + 1) + "/" + std::to_string(total) + "]";
    // Before the first model ends there is no rate to tell.
    if (done > 0 && seconds > 0) {
        line += ' ';
        line += rate_text(done, seconds) + ", ";
        line += duration_text(seconds / static_cast<double>(done) * static_cast<double>(total - done)) + " left";
    }
    line += " ";
    // The last column stays free: a terminal that wraps there could not take the line back.
    std::size_t room = width > 1 ? width - 1 : 1;
    std::size_t used = character_starts(line).size() - 1;
    if (used >= room) return elide_middle(line, room);
    return line + elide_middle(path, room - used);
}
