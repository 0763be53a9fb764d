#include "export/png_file.h"

#include <fstream>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <unistd.h>
#endif

// The encoder is a C library compiled here, once; we hand it memory, never files.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

// Worker processes may write the same shared texture at once: each its own temporary file.
unsigned long process_id() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

void append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* p = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

// Replaces target by the temporary file; Windows' plain rename will not replace.
bool replace_file(const std::filesystem::path& from, const std::filesystem::path& target, std::string& why) {
#ifdef _WIN32
    if (MoveFileExW(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    why = "cannot rename into place (Windows error " + std::to_string(GetLastError()) + ")";
    return false;
#else
    std::error_code error;
    std::filesystem::rename(from, target, error);
    if (!error) return true;
    why = "cannot rename into place: " + error.message();
    return false;
#endif
}

}  // namespace

bool encode_png(const std::vector<std::uint8_t>& rgba, std::uint32_t width, std::uint32_t height, bool alpha,
                std::vector<std::uint8_t>& png) {
    png.clear();
    if (width == 0 || height == 0 || rgba.size() != std::size_t(width) * height * 4) return false;
    const std::vector<std::uint8_t>* pixels = &rgba;
    std::vector<std::uint8_t> rgb;
    if (!alpha) {
        rgb.resize(std::size_t(width) * height * 3);
        for (std::size_t i = 0, j = 0; i < rgba.size(); i += 4, j += 3)
            rgb[j] = rgba[i], rgb[j + 1] = rgba[i + 1], rgb[j + 2] = rgba[i + 2];
        pixels = &rgb;
    }
    const int comp = alpha ? 4 : 3;
    return stbi_write_png_to_func(append, &png, int(width), int(height), comp, pixels->data(), int(width) * comp) &&
           !png.empty();
}

bool write_file_whole(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes, std::string& why) {
    std::filesystem::path temporary = target;
    // Appended piece by piece: GCC 12 warns falsely about "." + std::string.
    temporary += '.';
    temporary += std::to_string(process_id());
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out) out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (out) out.close();
        if (!out) {
            why = "cannot write " + temporary.string();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    if (replace_file(temporary, target, why)) return true;
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
}

bool write_png_file(const std::filesystem::path& target, const std::vector<std::uint8_t>& rgba, std::uint32_t width,
                    std::uint32_t height, bool alpha, std::string& why) {
    std::vector<std::uint8_t> png;
    if (!encode_png(rgba, width, height, alpha, png)) {
        why = "the PNG encoder failed";
        return false;
    }
    return write_file_whole(target, png, why);
}
