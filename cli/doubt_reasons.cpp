#include "cli/doubt_reasons.h"

#include <cstdio>
#include <cstring>

namespace {

// Marks of the engine's OBJ text and boxes that make a conversion doubtful.
const char index_range_mark[] = "# ERROR! faceindex delta";
const char normals_mark[] = "ERROR with normals";
const char past_end_mark[] = "# ERROR! block runs past the end";
const char vertex_count_box[] = "vertex count is way to large";

bool starts_with(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

// What has been found in the current block; each kind counts once a block.
struct BlockScan {
    DoubtCounts counts;
    bool index_range = false, normals = false, past_end = false;

    void end_block() {
        counts.index_range += index_range;
        counts.normals += normals;
        counts.past_end += past_end;
        index_range = normals = past_end = false;
    }

    void line(const std::string& start) {
        if (starts_with(start, "g ")) {
            end_block();
            ++counts.blocks;
        } else if (starts_with(start, index_range_mark)) {
            index_range = true;
        } else if (starts_with(start, normals_mark)) {
            normals = true;
        } else if (starts_with(start, past_end_mark)) {
            past_end = true;
        }
    }
};

// Hands the first bytes of every line to scan; the text may be hundreds of
// megabytes, so lines are found with memchr and only their starts copied.
void scan_lines(std::FILE* f, BlockScan& scan) {
    constexpr std::size_t start_length = 40;
    static char buffer[1 << 16];
    std::string start;
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
        std::size_t pos = 0;
        while (pos < n) {
            const char* end = static_cast<const char*>(std::memchr(buffer + pos, '\n', n - pos));
            std::size_t length = (end ? static_cast<std::size_t>(end - buffer) : n) - pos;
            if (start.size() < start_length)
                start.append(buffer + pos, length < start_length - start.size() ? length : start_length - start.size());
            if (!end) break;
            scan.line(start);
            start.clear();
            pos = static_cast<std::size_t>(end - buffer) + 1;
        }
    }
    if (!start.empty()) scan.line(start);
}

std::string count_of(unsigned n, const char* what) { return ", " + std::to_string(n) + " " + what; }

}  // namespace

DoubtCounts count_doubts(const std::string& obj_path, const std::vector<std::string>& boxes) {
    BlockScan scan;
    if (std::FILE* f = std::fopen(obj_path.c_str(), "rb")) {
        scan_lines(f, scan);
        std::fclose(f);
    }
    scan.end_block();
    for (const std::string& box : boxes) scan.counts.vertex_count += starts_with(box, vertex_count_box);
    return scan.counts;
}

std::string doubt_text(const DoubtCounts& c) {
    if (c.blocks == 0) return "no blocks found";
    std::string text = std::to_string(c.blocks) + (c.blocks == 1 ? " block" : " blocks");
    if (c.index_range) text += count_of(c.index_range, "with face indices out of range");
    if (c.normals) text += count_of(c.normals, "with a normal not of unit length");
    if (c.past_end) text += count_of(c.past_end, "running past the end of the model");
    if (c.vertex_count) text += count_of(c.vertex_count, "with a vertex count too large");
    return text;
}
