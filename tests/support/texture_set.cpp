#include "support/texture_set.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "support/ps2_texture_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Channel c of pixel (x, y): two slow waves over a gradient, plus grain.
struct Painter {
    std::uint32_t seed;
    unsigned w, h;
    std::uint8_t at(unsigned x, unsigned y, unsigned c) {
        seed = seed * 1664525u + 1013904223u;
        const double u = double(x) / w, v = double(y) / h;
        const double wave = 40 * std::sin(6.0 * u + 2.0 * c + seed % 3) + 30 * std::cos(5.0 * v - c);
        const int value = int(90 + 60 * u + 50 * v * (c + 1) / 3 + wave) + int((seed >> 24) & 7);
        return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    }
};

Bytes plain(Painter& p, unsigned bytes_per_pixel) {
    Bytes level;
    level.reserve(std::size_t(p.w) * p.h * bytes_per_pixel);
    for (unsigned y = 0; y < p.h; ++y)
        for (unsigned x = 0; x < p.w; ++x)
            for (unsigned c = 0; c < bytes_per_pixel; ++c) level.push_back(p.at(x, y, c % 4));
    return level;
}

// Blocks whose two colours follow the painting; the indices vary within each block.
Bytes blocks(Painter& p, unsigned block_bytes) {
    Bytes level;
    for (unsigned by = 0; by < p.h; by += 4) {
        for (unsigned bx = 0; bx < p.w; bx += 4) {
            if (block_bytes == 16) {  // an alpha block: two levels and 3-bit indices
                level.insert(level.end(), {p.at(bx, by, 3), std::uint8_t(p.at(bx, by, 3) / 2)});
                for (int i = 0; i < 6; ++i) level.push_back(std::uint8_t(p.at(bx + i, by, 1) & 0x92));
            }
            const std::uint16_t c0 = static_cast<std::uint16_t>((p.at(bx, by, 0) >> 3) << 11 |
                                                                (p.at(bx, by, 1) >> 2) << 5 | p.at(bx, by, 2) >> 3);
            const std::uint16_t c1 = static_cast<std::uint16_t>(c0 >> 1 & 0x7BEF);
            level.insert(level.end(), {std::uint8_t(c0), std::uint8_t(c0 >> 8), std::uint8_t(c1), std::uint8_t(c1 >> 8)});
            for (int i = 0; i < 4; ++i) level.push_back(std::uint8_t(p.at(bx, by + i, 0) & 0x55));
        }
    }
    return level;
}

TextureLayout pc(const std::string& name, std::uint32_t raster, std::uint32_t format, std::uint8_t flags,
                 Painter& p, Bytes level) {
    TextureLayout t;
    t.name = name, t.raster_format = raster, t.format = format, t.last = flags;
    t.width = static_cast<std::uint16_t>(p.w), t.height = static_cast<std::uint16_t>(p.h);
    t.levels = {std::move(level)};
    return t;
}

// Indices that follow the painting's first channel, scaled to colours.
Bytes indices(Painter& p, unsigned colours) {
    Bytes level = plain(p, 1);
    for (std::uint8_t& b : level) b = static_cast<std::uint8_t>(b * colours / 256);
    return level;
}

Bytes ramp(unsigned colours, std::uint32_t seed) {
    Bytes palette;
    for (unsigned i = 0; i < colours; ++i)
        palette.insert(palette.end(), {std::uint8_t(i * 255 / colours), std::uint8_t((i * 3 + seed) & 255),
                                       std::uint8_t(255 - i * 200 / colours), 255});
    return palette;
}

TextureLayout ps2(const std::string& name, unsigned depth, Painter& p) {
    Ps2Texture t;
    t.name = name, t.depth = depth, t.width = static_cast<std::uint16_t>(p.w), t.height = static_cast<std::uint16_t>(p.h);
    if (depth == 8) {
        for (unsigned i = 0; i < 256; ++i) t.colours.push_back(i | (255 - i) << 8 | (i / 2) << 16 | 0x80u << 24);
        for (std::uint8_t b : indices(p, 256)) t.texels.push_back(b);
    } else {
        const Bytes rgba = plain(p, 4);
        for (std::size_t i = 0; i < rgba.size(); i += 4)
            t.texels.push_back(rgba[i] | rgba[i + 1] << 8 | rgba[i + 2] << 16 | std::uint32_t(rgba[i + 3] / 2) << 24);
    }
    TextureLayout l;
    l.native = ps2_texture_body(t);
    return l;
}

// The n-th format of the cycle, painted by p.
TextureLayout texture(unsigned n, const std::string& name, Painter& p) {
    switch (n % 15) {
    case 0: case 1: case 2: return pc(name, 0x200, fourcc_dxt('1'), 8, p, blocks(p, 8));
    case 3: return pc(name, 0x300, fourcc_dxt('3'), 9, p, blocks(p, 16));
    case 4: case 5: return pc(name, 0x500, fourcc_dxt('5'), 9, p, blocks(p, 16));
    case 6: return pc(name, 0x500, 21, 1, p, plain(p, 4));
    case 7: return pc(name, 0x600, 22, 0, p, plain(p, 4));
    case 8: return pc(name, 0x200, 23, 0, p, plain(p, 2));
    case 9: return pc(name, 0x100, 25, 1, p, plain(p, 2));
    case 10: return pc(name, 0x300, 26, 1, p, plain(p, 2));
    case 11: return pc(name, 0x400, 50, 0, p, plain(p, 1));
    case 12: {
        TextureLayout t = pc(name, 0x2600, 22, 0, p, indices(p, 256));
        t.palette = ramp(256, p.seed);
        return t;
    }
    case 13: {
        TextureLayout t = pc(name, 0x4600, 22, 0, p, indices(p, 16));
        t.palette = ramp(32, p.seed);
        return t;
    }
    default: return ps2(name, (n / 15) % 2 ? 8 : 32, p);
    }
}

}  // namespace

std::vector<std::vector<TextureLayout>> texture_set(unsigned count) {
    static constexpr unsigned sides[] = {4, 8, 16, 32, 32, 64, 64, 64, 128, 128, 128, 256, 256};
    std::vector<std::vector<TextureLayout>> set(count);
    unsigned n = 0;
    for (unsigned d = 0; d < count; ++d) {
        const unsigned textures = 12 + d % 7;
        for (unsigned i = 0; i < textures; ++i, ++n) {
            unsigned w = sides[(n * 7 + d) % 13], h = i % 3 == 1 ? std::max(4u, w / 2) : w;
            if (d == 0 && i == 0) w = h = 2048;
            if (d == 1 && i == 0) w = 1024, h = 512;
            Painter p{n + 1, w, h};
            set[d].push_back(texture(n, "tex" + std::to_string(d) + "_" + std::to_string(i), p));
        }
    }
    return set;
}
