// Times extracting a generated dictionary of 19 textures in mixed formats
// (about 1.3 MB) to PNG files, as `vorlund-obj --extract` does.
// Usage: time_texture_extract [runs]   (default 5); prints each run and the best.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "control/texture_export.h"
#include "support/dictionary_builder.h"
#include "support/model_builder.h"

namespace {

// Smooth gradients with a little noise, as painted textures are: the PNG
// encoder then works as hard as on real images, not on noise or flat colour.
std::uint8_t shade(unsigned x, unsigned y, unsigned channel, std::uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<std::uint8_t>((x * (channel + 1) + y * (3 - channel)) / 2 + ((seed >> 24) & 7));
}

std::vector<std::uint8_t> plain_level(unsigned w, unsigned h, unsigned bytes_per_pixel, std::uint32_t seed) {
    std::vector<std::uint8_t> level;
    level.reserve(std::size_t(w) * h * bytes_per_pixel);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x)
            for (unsigned c = 0; c < bytes_per_pixel; ++c) level.push_back(shade(x, y, c % 3, seed));
    return level;
}

// Blocks whose endpoints follow the gradient; indices vary within each block.
std::vector<std::uint8_t> block_level(unsigned w, unsigned h, unsigned block_bytes, std::uint32_t seed) {
    std::vector<std::uint8_t> level;
    for (unsigned by = 0; by < h; by += 4) {
        for (unsigned bx = 0; bx < w; bx += 4) {
            for (unsigned i = 8; i < block_bytes; ++i) level.push_back(static_cast<std::uint8_t>(0xF0 + (i & 7)));  // alpha
            const std::uint16_t c0 = static_cast<std::uint16_t>(((bx >> 3) & 31) << 11 | ((by >> 2) & 63) << 5 | 20);
            const std::uint16_t c1 = static_cast<std::uint16_t>(c0 >> 1);
            level.insert(level.end(), {std::uint8_t(c0), std::uint8_t(c0 >> 8), std::uint8_t(c1), std::uint8_t(c1 >> 8)});
            for (int i = 0; i < 4; ++i) level.push_back(shade(bx, by + i, 0, seed));
        }
    }
    return level;
}

TextureLayout texture(const std::string& name, std::uint32_t raster, std::uint32_t format, std::uint8_t flags,
                    unsigned w, unsigned h, std::vector<std::uint8_t> level) {
    TextureLayout t;
    t.name = name, t.raster_format = raster, t.format = format, t.last = flags;
    t.width = static_cast<std::uint16_t>(w), t.height = static_cast<std::uint16_t>(h);
    t.levels = {std::move(level)};
    return t;
}

std::vector<TextureLayout> mixed_textures() {
    std::vector<TextureLayout> list;
    std::uint32_t seed = 1;
    for (int i = 0; i < 6; ++i)
        list.push_back(texture("dxt1_" + std::to_string(i), 0x200, fourcc_dxt('1'), 8, 256, 256,
                               block_level(256, 256, 8, ++seed)));
    for (int i = 0; i < 4; ++i)
        list.push_back(texture("dxt3_" + std::to_string(i), 0x300, fourcc_dxt('3'), 9, 256, 256,
                               block_level(256, 256, 16, ++seed)));
    for (int i = 0; i < 3; ++i)
        list.push_back(texture("dxt5_" + std::to_string(i), 0x500, fourcc_dxt('5'), 9, 256, 256,
                               block_level(256, 256, 16, ++seed)));
    for (int i = 0; i < 2; ++i)
        list.push_back(texture("argb_" + std::to_string(i), 0x500, 21, 1, 256, 128, plain_level(256, 128, 4, ++seed)));
    list.push_back(texture("xrgb", 0x600, 22, 0, 256, 128, plain_level(256, 128, 4, ++seed)));
    list.push_back(texture("rgb565", 0x200, 23, 0, 256, 256, plain_level(256, 256, 2, ++seed)));
    list.push_back(texture("argb1555", 0x100, 25, 1, 256, 256, plain_level(256, 256, 2, ++seed)));
    TextureLayout palette = texture("palette", 0x2600, 22, 0, 256, 256, plain_level(256, 256, 1, ++seed));
    palette.palette = plain_level(256, 1, 4, ++seed);
    list.push_back(palette);
    return list;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TempFolder folder;
    const std::vector<std::uint8_t> bytes = build_dictionary(mixed_textures(), 2048);
    const std::filesystem::path file = folder.write("mixed.txd", bytes);
    std::printf("dictionary: 19 textures, %zu bytes\n", bytes.size());
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        TextureRun session;
        std::vector<std::string> messages;
        const auto start = std::chrono::steady_clock::now();
        const ExtractResult r = extract_dictionary(file, folder.path / "out", session, messages);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        for (const std::string& m : messages) std::fprintf(stderr, "%s\n", m.c_str());
        if (r.written != 19) {
            std::fprintf(stderr, "only %zu of 19 textures written\n", r.written);
            return 1;
        }
        best = std::min(best, ms);
        std::printf("run %d: %.1f ms\n", run + 1, ms);
    }
    std::printf("best: %.1f ms\n", best);
    return 0;
}
