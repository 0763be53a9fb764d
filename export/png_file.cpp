#include "export/png_file.h"

#include <fstream>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <unistd.h>
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
