#include "samples/lamp_textures.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "support/dictionary_builder.h"
#include "support/ps2_texture_writer.h"

namespace {

using Rgba = std::array<std::uint8_t, 4>;

struct Picture {
    int width, height;
    std::vector<Rgba> pixels;  // rows from the top
};

// A fixed pseudo-random number 0..255 for a pair of integers: noise that is
// the same on every run and every machine.
int noise(int x, int y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<int>((h ^ (h >> 16)) & 0xFF);
}

std::uint8_t channel(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Courses of bricks 8 pixels high, every other course shifted by half a
// brick, a light mortar line between them; each brick its own shade.
Picture bricks() {
    Picture p{32, 32, {}};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int course = y / 8, shifted = (x + (course % 2) * 8) % 32;
            if (y % 8 == 7 || shifted % 16 == 15) {
                p.pixels.push_back({200, 195, 185, 255});
                continue;
            }
            const int brick = noise(shifted / 16, course) / 8 - 16, grain = noise(x, y) / 16 - 8;
            p.pixels.push_back({channel(150 + brick + grain), channel(135 + brick + grain),
                                channel(120 + brick / 2 + grain), 255});
        }
    return p;
}

// Vertical brushed streaks over a grey-blue that darkens to one side.
Picture brushed_metal() {
    Picture p{16, 16, {}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int streak = noise(x, 7) / 12 + noise(x, y / 4) / 32, shade = 110 - 3 * x;
            p.pixels.push_back({channel(shade + streak), channel(shade + 5 + streak), channel(shade + 18 + streak), 255});
        }
    return p;
}

// The frame and the cross bars of a lantern pane: one pixel wide around the
// edge and through the middle.
bool pane_frame(int x, int y) { return x == 0 || y == 0 || x == 15 || y == 15 || x == 7 || x == 8 || y == 7; }

// Warm light, brightest at the centre, seen through glass; the frame opaque black iron.
Picture lit_pane() {
    Picture p{16, 16, {}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (pane_frame(x, y)) {
                p.pixels.push_back({40, 38, 36, 255});
                continue;
            }
            const int dx = 2 * x - 15, dy = 2 * y - 15, glow = 60 - (dx * dx + dy * dy) / 8;
            p.pixels.push_back({channel(230 + glow / 3), channel(190 + glow / 2), channel(90 + glow), 200});
        }
    return p;
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v)), out.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::uint16_t to565(const Rgba& c) {
    return static_cast<std::uint16_t>((c[0] >> 3) << 11 | (c[1] >> 2) << 5 | c[2] >> 3);
}

Rgba from565(std::uint16_t v) {
    const int r = v >> 11, g = v >> 5 & 63, b = v & 31;
    return {channel(r << 3 | r >> 2), channel(g << 2 | g >> 4), channel(b << 3 | b >> 2), 255};
}

int brightness(const Rgba& c) { return c[0] * 3 + c[1] * 6 + c[2]; }

int distance2(const Rgba& a, const Rgba& b) {
    int d = 0;
    for (int k = 0; k < 3; ++k) d += (a[k] - b[k]) * (a[k] - b[k]);
    return d;
}

// One DXT1 block in four-colour mode: the darkest and brightest pixels as
// end points, each pixel the nearest of the four colours.
void dxt1_block(const Picture& p, int bx, int by, std::vector<std::uint8_t>& out) {
    Rgba block[16];
    for (int i = 0; i < 16; ++i) block[i] = p.pixels[(by + i / 4) * p.width + bx + i % 4];
    auto [dark, bright] = std::minmax_element(block, block + 16, [](const Rgba& a, const Rgba& b) {
        return brightness(a) < brightness(b);
    });
    std::uint16_t c0 = to565(*bright), c1 = to565(*dark);
    if (c0 < c1) std::swap(c0, c1);
    const Rgba e0 = from565(c0), e1 = from565(c1);
    Rgba colours[4] = {e0, e1, {}, {}};
    for (int k = 0; k < 3; ++k) {
        colours[2][k] = channel((2 * e0[k] + e1[k]) / 3);
        colours[3][k] = channel((e0[k] + 2 * e1[k]) / 3);
    }
    std::uint32_t bits = 0;
    for (int i = 0; i < 16; ++i) {
        int best = 0;
        for (int k = 1; k < 4; ++k)
            if (distance2(block[i], colours[k]) < distance2(block[i], colours[best])) best = k;
        // With both end points equal only the first colour is meant.
        bits |= std::uint32_t(c0 == c1 ? 0 : best) << (2 * i);
    }
    put16(out, c0), put16(out, c1);
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(bits >> (8 * k)));
}

TextureLayout stone_texture() {
    const Picture p = bricks();
    TextureLayout t{"stone", "", 9, 0x200, fourcc_dxt('1'), 32, 32, 4, 4, 0x08, {}, {{}}, -1, {}};
    for (int by = 0; by < p.height; by += 4)
        for (int bx = 0; bx < p.width; bx += 4) dxt1_block(p, bx, by, t.levels[0]);
    return t;
}

TextureLayout metal_texture() {
    TextureLayout t{"metal", "", 9, 0x200, 23, 16, 16, 16, 4, 0, {}, {{}}, -1, {}};
    for (const Rgba& c : brushed_metal().pixels) put16(t.levels[0], to565(c));
    return t;
}

TextureLayout glass_texture() {
    TextureLayout t{"glass", "glass_mask", 9, 0x500, 21, 16, 16, 32, 4, 0x01, {}, {{}}, -1, {}};
    for (const Rgba& c : lit_pane().pixels) t.levels[0].insert(t.levels[0].end(), {c[2], c[1], c[0], c[3]});
    return t;
}

// A grey ramp palette; the frame opaque, the panes partly see-through.
TextureLayout glass_mask_texture() {
    TextureLayout t{"glass_mask", "", 9, 0x2000 | 0x500, 21, 16, 16, 8, 4, 0, {}, {{}}, -1, {}};
    for (int i = 0; i < 256; ++i) t.palette.insert(t.palette.end(), {channel(i), channel(i), channel(i), 255});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) t.levels[0].push_back(pane_frame(x, y) ? 255 : 200);
    return t;
}

}  // namespace

std::vector<std::uint8_t> lamp_dictionary() {
    return build_dictionary({stone_texture(), metal_texture(), glass_texture(), glass_mask_texture()});
}

namespace {

std::uint32_t ps2_colour(const Rgba& c) {
    const std::uint32_t a = (c[3] * 128u + 127) / 255;  // 255 becomes 0x80, opaque
    return c[0] | std::uint32_t(c[1]) << 8 | std::uint32_t(c[2]) << 16 | a << 24;
}

TextureLayout console(Ps2Texture t) {
    TextureLayout l;
    l.native = ps2_texture_body(t);
    return l;
}

Ps2Texture colours_of(const char* name, const Picture& p, unsigned depth) {
    Ps2Texture t;
    t.name = name, t.depth = depth, t.width = std::uint16_t(p.width), t.height = std::uint16_t(p.height);
    for (const Rgba& c : p.pixels)
        t.texels.push_back(depth == 32 ? ps2_colour(c)
                                       : std::uint32_t((c[0] >> 3) | (c[1] >> 3) << 5 | (c[2] >> 3) << 10 | 0x8000));
    if (depth == 16) t.colour_bits = 0xA00, t.packets = false;
    return t;
}

Ps2Texture console_glass_mask() {
    Ps2Texture t;
    t.name = "glass_mask", t.mask = "", t.depth = 8, t.width = 16, t.height = 16, t.swizzled = true;
    for (int i = 0; i < 256; ++i) t.colours.push_back(ps2_colour({channel(i), channel(i), channel(i), 255}));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) t.texels.push_back(pane_frame(x, y) ? 255 : 200);
    return t;
}

// Two panes side by side: iron frame, see-through glass in sixteen shades of amber.
Ps2Texture console_glass_frame() {
    Ps2Texture t;
    t.name = "glass_frame", t.depth = 4, t.width = 32, t.height = 16, t.swizzled = true;
    for (int i = 0; i < 15; ++i) t.colours.push_back(ps2_colour({channel(200 + 3 * i), channel(150 + 4 * i), 60, 100}));
    t.colours.push_back(ps2_colour({40, 38, 36, 255}));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) t.texels.push_back(pane_frame(x % 16, y) ? 15 : std::uint32_t(noise(x, y) % 15));
    return t;
}

}  // namespace

std::vector<std::uint8_t> lamp_console_dictionary() {
    return build_dictionary({console(colours_of("stone", bricks(), 32)), console(colours_of("metal", brushed_metal(), 16)),
                             console(colours_of("glass", lit_pane(), 32)), console(console_glass_mask()),
                             console(console_glass_frame())});
}
