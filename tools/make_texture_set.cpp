// Writes the generated dictionaries the texture benchmarks run on
// (tests/support/texture_set: every raster format, 4 x 4 to 2048 x 2048) into
// a folder as dict00.txd, dict01.txd, ...: input for timing --extract.
// Usage: make_texture_set FOLDER [COUNT]   (default 45 dictionaries)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/texture_set.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_texture_set FOLDER [COUNT]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const unsigned count = argc == 3 ? unsigned(std::strtoul(argv[2], nullptr, 10)) : 45;
    std::filesystem::create_directories(folder);
    std::size_t bytes = 0, n = 0;
    for (const auto& textures : texture_set(count)) {
        char name[32];
        std::snprintf(name, sizeof name, "dict%02zu.txd", n++);
        const auto file = build_dictionary(textures);
        std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                             std::streamsize(file.size()));
        bytes += file.size();
    }
    std::printf("%zu dictionaries, %.1f MB, in %s\n", n, double(bytes) / 1e6, folder.string().c_str());
    return 0;
}
