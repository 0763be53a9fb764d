#include "cli/job_records.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace {

// No index or length comes near this; the bound also keeps n * 10 + 9 within a
// size_t where it has 32 bits (the 32-bit Windows program).
constexpr std::size_t largest_number = static_cast<std::size_t>(
    std::min<std::uint64_t>(std::uint64_t{1} << 40, std::numeric_limits<std::size_t>::max() / 16));

// Reads count numbers separated by blanks and ended by a line break from bytes
// at pos. Returns the position after the line break; 0 when the line is not
// complete yet; npos when it is no such line.
std::size_t read_numbers(const std::string& bytes, std::size_t pos, std::size_t* numbers, int count) {
    for (int k = 0; k < count; ++k) {
        std::size_t n = 0, digits = 0;
        for (; pos < bytes.size() && bytes[pos] >= '0' && bytes[pos] <= '9'; ++pos, ++digits) {
            n = n * 10 + static_cast<std::size_t>(bytes[pos] - '0');
            if (n > largest_number) return std::string::npos;
        }
        if (pos == bytes.size()) return 0;
        const char end = k + 1 == count ? '\n' : ' ';
        if (digits == 0 || bytes[pos] != end) return std::string::npos;
        numbers[k] = n;
        ++pos;
    }
    return pos;
}

// The texts of an entry in the order they travel.
constexpr int text_count = 7;
std::array<const std::string*, text_count> texts_of(const ShareEntry& e) {
    return {&e.path, &e.output_folder, &e.obj_path, &e.entry.archive_data, &e.entry.entry_name, &e.entry.file_name,
            &e.texture_root};
}
std::array<std::string*, text_count> texts_of(ShareEntry& e) {
    return {&e.path, &e.output_folder, &e.obj_path, &e.entry.archive_data, &e.entry.entry_name, &e.entry.file_name,
            &e.texture_root};
}

}  // namespace

std::string encode_share(const std::vector<ShareEntry>& entries, std::size_t first) {
    std::string bytes;
    for (std::size_t i = first; i < entries.size(); ++i) {
        const ShareEntry& e = entries[i];
        bytes += std::to_string(e.index) + " " + std::to_string(e.entry.start) + " " + std::to_string(e.entry.length);
        for (const std::string* text : texts_of(e)) {
            bytes += ' ';
            bytes += std::to_string(text->size());
        }
        bytes += "\n";
        for (const std::string* text : texts_of(e)) bytes += *text;
    }
    return bytes;
}

bool decode_share(const std::string& bytes, std::vector<ShareEntry>& entries) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        constexpr int fixed = 3;
        std::size_t numbers[fixed + text_count];
        std::size_t body = read_numbers(bytes, pos, numbers, fixed + text_count);
        if (body == 0 || body == std::string::npos) return false;
        ShareEntry e;
        e.index = numbers[0];
        e.entry.start = numbers[1];
        e.entry.length = numbers[2];
        pos = body;
        for (int k = 0; k < text_count; ++k) {
            const std::size_t length = numbers[fixed + k];
            if (bytes.size() - pos < length) return false;
            *texts_of(e)[k] = bytes.substr(pos, length);
            pos += length;
        }
        entries.push_back(std::move(e));
    }
    return true;
}

std::string encode_record(const ModelRecord& record) {
    return std::to_string(record.index) + " " + std::to_string(static_cast<int>(record.outcome)) + " " +
           std::to_string(record.text.size()) + "\n" + record.text;
}

int take_record(std::string& bytes, ModelRecord& record) {
    std::size_t numbers[3];
    std::size_t body = read_numbers(bytes, 0, numbers, 3);
    if (body == std::string::npos) return -1;
    if (body == 0) return 0;
    if (numbers[1] > static_cast<std::size_t>(ModelOutcome::failed)) return -1;
    if (bytes.size() - body < numbers[2]) return 0;
    record.index = numbers[0];
    record.outcome = static_cast<ModelOutcome>(numbers[1]);
    record.text = bytes.substr(body, numbers[2]);
    bytes.erase(0, body + numbers[2]);
    return 1;
}
