// Writes small texture dictionaries, one per pixel-format family, into a
// folder: seeds for the fuzzer. Usage: make_dictionary_seeds FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/dictionary_builder.h"
#include "support/ps2_texture_writer.h"

namespace {

TextureLayout texture(const char* name, std::uint32_t platform, std::uint32_t raster, std::uint32_t format,
                    std::uint16_t w, std::uint16_t h, std::size_t level_bytes, std::uint8_t last = 0,
                    std::size_t palette_bytes = 0) {
    TextureLayout t;
    t.name = name;
    t.platform = platform, t.raster_format = raster, t.format = format, t.width = w, t.height = h, t.last = last;
    t.palette.resize(palette_bytes);
    for (std::size_t i = 0; i < palette_bytes; ++i) t.palette[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::uint8_t> level(level_bytes);
    for (std::size_t i = 0; i < level_bytes; ++i) level[i] = static_cast<std::uint8_t>(i * 13 + i / 7);
    if (palette_bytes == 128)
        for (auto& b : level) b &= 15;
    t.levels = {level};
    return t;
}

// A PS2 texture of small size whose texels and colours run through their range.
TextureLayout ps2(unsigned depth, std::uint32_t colour_bits, std::uint16_t w, std::uint16_t h, bool packets,
                  bool swizzled) {
    Ps2Texture t;
    t.depth = depth, t.colour_bits = colour_bits, t.width = w, t.height = h, t.packets = packets, t.swizzled = swizzled;
    const unsigned colours = depth == 8 ? 256 : depth == 4 ? 16 : 0;
    for (unsigned i = 0; i < colours; ++i) t.colours.push_back(i * 0x01030507u);
    for (std::uint32_t i = 0; i < std::uint32_t(w) * h; ++i) t.texels.push_back(colours ? i % colours : i * 0x01050301u);
    TextureLayout l;
    l.native = ps2_texture_body(t);
    return l;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_dictionary_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const std::vector<std::pair<const char*, std::vector<TextureLayout>>> seeds = {
        {"dxt.txd",
         {texture("a", 9, 0x200, fourcc_dxt('1'), 8, 8, 32, 8), texture("b", 9, 0x300, fourcc_dxt('3'), 4, 4, 16, 9),
          texture("c", 8, 0x500, 1, 2, 3, 16, 5)}},
        {"plain.txd",
         {texture("a", 9, 0x500, 21, 2, 2, 16, 1), texture("b", 9, 0x200, 23, 3, 1, 6),
          texture("c", 8, 0x300, 1, 2, 1, 4), texture("d", 9, 0x400, 50, 1, 2, 2),
          texture("e", 8, 0xA00, 0, 1, 1, 2)}},
        {"palette.txd",
         {texture("a", 9, 0x2500, 21, 2, 2, 4, 1, 1024), texture("b", 8, 0x4600, 0, 3, 1, 3, 0, 128)}},
        {"ps2-colours.txd",
         {ps2(32, 0x500, 2, 2, true, false), ps2(32, 0x600, 3, 1, false, false), ps2(16, 0x100, 4, 2, true, false),
          ps2(16, 0xA00, 1, 1, false, false)}},
        {"ps2-palettes.txd",
         {ps2(8, 0x500, 16, 4, true, true), ps2(8, 0x100, 8, 2, true, false), ps2(8, 0x500, 16, 4, false, true),
          ps2(4, 0x500, 32, 4, true, true), ps2(4, 0x500, 8, 1, true, false)}},
    };
    for (const auto& [name, textures] : seeds) {
        const std::vector<std::uint8_t> bytes = build_dictionary(textures, 0);
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (folder / name).string().c_str());
            return 1;
        }
        std::printf("%s\n", (folder / name).string().c_str());
    }
    return 0;
}
