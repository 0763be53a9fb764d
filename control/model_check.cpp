#include "control/model_check.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "control/structure_conversion.h"
#include "engine/conversion_state.h"
#include "engine/source_loading.h"
#include "game/archive.h"
#include "game/file_source.h"

namespace fs = std::filesystem;

namespace {

// Every model starts with this byte (the engine's own test of the type).
constexpr unsigned char model_mark = 16;
constexpr std::size_t bytes_shown = 4;

std::string lower_first(std::string text) {
    // "I/O error" keeps its capitals; "Permission denied" becomes a phrase.
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && text[1] >= 'a' && text[1] <= 'z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

std::string hex_bytes(const unsigned char* bytes, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        if (i) text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::string size_problem(unsigned long long size) {
    if (size == 0) return "empty file";
    if (size > max_model_size)
        return "too large: " + grouped_number(size) + " bytes, the limit is " + grouped_number(max_model_size);
    return "";
}

std::string not_a_model(const unsigned char* first, std::size_t got) {
    return "not a model file (first bytes " + hex_bytes(first, got) + "; a model starts with " +
           hex_bytes(&model_mark, 1) + ")";
}

// Opens and reads the first bytes, as the engine will.
std::string content_problem(const std::string& path, const char*& box) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return system_error_text(errno);
    unsigned char first[bytes_shown] = {};
    std::size_t got = std::fread(first, 1, sizeof first, f);
    int read_error = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (got == 0) return read_error ? system_error_text(read_error) : "empty file";
    // Other chunks may come before the clump (a UV animation dictionary):
    // structure reads such a file, the strategies refuse it as the window does.
    if (first[0] != model_mark && !clump_after_other_chunks(path)) {
        box = text_not_a_model;
        return not_a_model(first, got);
    }
    return "";
}

// The reason, and the window's box for it when it shows one.
std::string file_problem(const std::string& path, const char*& box) {
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        if (!ec || ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)
            return "no such file or folder";
        return plain_error(ec);
    }
    if (fs::is_directory(status)) return "is a folder";
    // A pipe or a device would block the read or never end.
    if (!fs::is_regular_file(status)) return "not a regular file";
    unsigned long long size = fs::file_size(path, ec);
    if (ec) return plain_error(ec);
    if (size > max_model_size) box = text_model_too_large;
    std::string problem = size_problem(size);
    return problem.empty() ? content_problem(path, box) : problem;
}

}  // namespace

std::string system_error_text(int error) { return lower_first(std::generic_category().message(error)); }

std::string plain_error(const std::error_code& ec) { return lower_first(ec.message()); }

std::string grouped_number(unsigned long long n) {
    const std::string digits = std::to_string(n);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

std::string model_file_problem(const std::string& path, const char** window_box) {
    const char* box = nullptr;
    std::string problem = file_problem(path, box);
    if (window_box) *window_box = box;
    return problem;
}

std::string model_bytes_problem(const unsigned char* bytes, unsigned long long size) {
    std::string problem = size_problem(size);
    if (!problem.empty()) return problem;
    if (bytes[0] != model_mark) return not_a_model(bytes, static_cast<std::size_t>(size < bytes_shown ? size : bytes_shown));
    return "";
}

std::string read_model_entry(const std::string& archive_data, std::uint64_t start, std::uint64_t length,
                             std::vector<std::uint8_t>& bytes) {
    FileSource source;
    source.file = archive_data;
    source.in_archive = true;
    source.start = start;
    source.length = length;
    if (const SourceFailure failure = read_source(source, max_model_size, bytes))
        return failure.reason == SourceFailure::Reason::too_large ? size_problem(failure.size) : failure.detail;
    bytes.resize(static_cast<std::size_t>(entry_content_length(bytes.data(), bytes.size())));
    return model_bytes_problem(bytes.data(), bytes.size());
}
