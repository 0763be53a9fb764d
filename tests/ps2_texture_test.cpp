// PS2 textures: every depth, swizzled and not, decoded pixel for pixel and
// again after a PNG round trip; texels and palette entries placed by hand where
// the test writer and the reader could share a mistake; damage that must skip
// the texture with its offset.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <stb_image.h>

#include "export/png_file.h"
#include "model/texture_dictionary.h"
#include "support/dictionary_builder.h"
#include "support/ps2_texture_writer.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

TextureLayout layout_of(const Ps2Texture& t) {
    TextureLayout l;
    l.native = ps2_texture_body(t);
    return l;
}

std::string findings_of(const TextureDictionary& d) {
    std::string s;
    for (const Finding& f : d.findings) s += std::to_string(f.offset) + ": " + f.text + "\n";
    return s;
}

TextureDictionary read(const Bytes& file) { return read_texture_dictionary(file.data(), std::uint32_t(file.size())); }

// The colour a stored value stands for, from the format's own rules: alpha 0x80
// is opaque, 5-bit channels widen by repeating their top bits.
std::uint32_t expected_rgba(std::uint32_t bits, std::uint32_t v) {
    auto rgba = [](unsigned r, unsigned g, unsigned b, unsigned a) { return r | g << 8 | b << 16 | a << 24; };
    auto five = [](unsigned c) { return (c << 3) | (c >> 2); };
    switch (bits) {
    case 0x500: {
        const unsigned a = v >> 24;
        return rgba(v & 255, (v >> 8) & 255, (v >> 16) & 255, a >= 128 ? 255 : unsigned(std::lround(a * 255.0 / 128)));
    }
    case 0x600: return rgba(v & 255, (v >> 8) & 255, (v >> 16) & 255, 255);
    default:
        return rgba(five(v & 31), five((v >> 5) & 31), five((v >> 10) & 31), bits == 0xA00 || (v & 0x8000) ? 255 : 0);
    }
}

struct Ps2Case {
    const char* what;
    unsigned depth;
    std::uint32_t colour_bits;
    std::uint16_t width, height;
    bool packets, swizzled;
    std::uint16_t stored_width;  // what the reader must find
    bool opaque = false;         // every colour opaque: an RGB PNG
    unsigned palette4_rows = 3;
};

// Texels and colours that differ from neighbour to neighbour; alpha runs the
// whole 0 to 0x80 range unless opaque.
Ps2Texture texture_for(const Ps2Case& c) {
    Ps2Texture t;
    t.depth = c.depth, t.colour_bits = c.colour_bits, t.width = c.width, t.height = c.height;
    t.packets = c.packets, t.swizzled = c.swizzled, t.palette4_rows = c.palette4_rows;
    auto colour = [&](std::uint32_t i) -> std::uint32_t {
        const std::uint32_t seed = i * 2654435761u;
        if (c.colour_bits == 0x100 || c.colour_bits == 0xA00)
            return (seed >> 8 & 0x7FFF) | (c.opaque || i % 3 ? 0x8000 : 0);
        const std::uint32_t a = c.opaque ? 0x80 : i % 0x81;
        return (seed & 0xFFFFFF) | a << 24;
    };
    const unsigned colours = c.depth == 8 ? 256 : c.depth == 4 ? 16 : 0;
    for (unsigned i = 0; i < colours; ++i) t.colours.push_back(colour(i));
    for (std::uint32_t y = 0; y < c.height; ++y)
        for (std::uint32_t x = 0; x < c.width; ++x) {
            const std::uint32_t i = x * 7 + y * 13 + (x * y) % 5;
            t.texels.push_back(colours ? i % colours : colour(i));
        }
    return t;
}

std::vector<std::uint32_t> expected_pixels(const Ps2Texture& t) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t v : t.texels) out.push_back(expected_rgba(t.colour_bits, t.depth <= 8 ? t.colours[v] : v));
    return out;
}

std::vector<std::uint32_t> as_words(const std::uint8_t* p, std::size_t pixels) {
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < pixels; ++i)
        out.push_back(p[4 * i] | p[4 * i + 1] << 8 | p[4 * i + 2] << 16 | std::uint32_t(p[4 * i + 3]) << 24);
    return out;
}

const std::vector<Ps2Case> cases = {
    {"RGBA8888 3x2", 32, 0x500, 3, 2, true, false, 3},
    {"RGBA8888 1x1 without packets, stored 2 wide", 32, 0x500, 1, 1, false, false, 2, true},
    {"RGB888 4x4", 32, 0x600, 4, 4, true, false, 4, true},
    {"RGBA5551 2x3", 16, 0x100, 2, 3, true, false, 4},
    {"RGB555 5x1 without packets", 16, 0xA00, 5, 1, false, false, 5, true},
    {"PAL8 swizzled 32x8", 8, 0x500, 32, 8, true, true, 32},
    {"PAL8 swizzled 16x64", 8, 0x500, 16, 64, true, true, 16, true},
    {"PAL8 swizzled 4x2, below the tile", 8, 0x500, 4, 2, true, true, 16},
    {"PAL8 RGBA5551 swizzled 64x16", 8, 0x100, 64, 16, true, true, 64},
    {"PAL8 unswizzled 8x2", 8, 0x500, 8, 2, true, false, 8},
    {"PAL8 swizzled without packets 48x12", 8, 0x500, 48, 12, false, true, 48},
    {"PAL8 unswizzled without packets 3x3", 8, 0x500, 3, 3, false, false, 8, true},
    {"PAL4 swizzled 64x32", 4, 0x500, 64, 32, true, true, 64},
    {"PAL4 swizzled 8x8, below the tile", 4, 0x500, 8, 8, true, true, 32, true},
    {"PAL4 swizzled 32x4, 8x2 palette", 4, 0x500, 32, 4, true, true, 32, false, 2},
    {"PAL4 unswizzled 8x1", 4, 0x500, 8, 1, true, false, 8},
    {"PAL4 unswizzled 5x3", 4, 0x100, 5, 3, true, false, 8},
    {"PAL4 unswizzled without packets 16x2", 4, 0x500, 16, 2, false, false, 16},
};

}  // namespace

TEST(Ps2Texture, EveryDepthDecodesAndSurvivesAPngRoundTrip) {
    for (const Ps2Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Ps2Texture t = texture_for(c);
        const Bytes file = build_dictionary({layout_of(t)});
        const TextureDictionary d = read(file);
        ASSERT_EQ(d.textures.size(), 1u) << findings_of(d);
        EXPECT_TRUE(d.findings.empty()) << findings_of(d);
        const DictionaryTexture& got = d.textures[0];
        EXPECT_EQ(got.platform, ps2_platform);
        EXPECT_EQ(got.width, c.width);
        EXPECT_EQ(got.height, c.height);
        EXPECT_EQ(got.depth, c.depth);
        EXPECT_EQ(got.swizzled, c.swizzled);
        EXPECT_EQ(got.stored_width, c.stored_width);
        Bytes rgba;
        std::string why;
        ASSERT_TRUE(decode_texture(got, rgba, why)) << why;
        const std::vector<std::uint32_t> expected = expected_pixels(t);
        EXPECT_EQ(as_words(rgba.data(), rgba.size() / 4), expected);

        const bool alpha = needs_alpha(got, rgba);
        EXPECT_EQ(alpha, !c.opaque);
        Bytes png;
        ASSERT_TRUE(encode_png(rgba, c.width, c.height, alpha, png));
        int w = 0, h = 0, channels = 0;
        stbi_uc* back = stbi_load_from_memory(png.data(), int(png.size()), &w, &h, &channels, 4);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(channels, c.opaque ? 3 : 4);
        EXPECT_EQ(as_words(back, std::size_t(w) * h), expected);
        stbi_image_free(back);
    }
}

// Stored bytes and palette entries placed by hand, the expected colours worked
// out on paper from the unswizzle formula and the exchange of bits 3 and 4.
TEST(Ps2Texture, SwizzledTexelsAndPaletteOrderMatchHandWorkedPixels) {
    Ps2Case c = {"", 8, 0x500, 32, 8, true, true, 32};
    Ps2Offsets at;
    Ps2Texture t = texture_for(c);
    TextureLayout l;
    l.native = ps2_texture_body(t, &at);
    Bytes file = build_dictionary({l});
    const std::size_t body = texture_struct_offset(file, 0) - 12;
    for (unsigned k = 0; k < 256; ++k) file[body + at.data + 0x50 + k] = std::uint8_t(k);
    for (unsigned p = 0; p < 256; ++p) {
        const std::size_t e = body + at.palette + 0x50 + 4 * p;
        file[e] = std::uint8_t(p), file[e + 1] = 0, file[e + 2] = 0, file[e + 3] = 0x80;
    }
    TextureDictionary d = read(file);
    ASSERT_EQ(d.textures.size(), 1u) << findings_of(d);
    Bytes rgba;
    std::string why;
    ASSERT_TRUE(decode_texture(d.textures[0], rgba, why)) << why;
    struct Hand {
        unsigned x, y, red;  // red: the palette position, bits 3 and 4 of the stored index exchanged
    } pal8[] = {{0, 0, 0}, {9, 1, 70}, {2, 2, 25}, {3, 5, 220}, {20, 6, 169}, {26, 7, 243}, {16, 0, 32}};
    for (const Hand& p : pal8) EXPECT_EQ(rgba[(p.y * 32 + p.x) * 4], p.red) << p.x << "," << p.y;

    // 4-bit: one nibble set, at offset 70 (low half of byte 35) or 177 (high half of byte 88).
    c = {"", 4, 0x500, 32, 8, true, true, 32};
    t = texture_for(c);
    for (std::uint32_t& v : t.colours) v = 0x80000000u;
    t.colours[15] = 0x800000FFu;
    struct Nibble {
        unsigned byte, shift, x, y;
    } nibbles[] = {{35, 0, 9, 1}, {88, 4, 20, 6}, {110, 0, 3, 5}};
    for (const Nibble& n : nibbles) {
        l.native = ps2_texture_body(t, &at);
        file = build_dictionary({l});
        const std::size_t level = texture_struct_offset(file, 0) - 12 + at.data + 0x50;
        for (unsigned k = 0; k < 128; ++k) file[level + k] = 0;
        file[level + n.byte] = std::uint8_t(15 << n.shift);
        d = read(file);
        ASSERT_EQ(d.textures.size(), 1u) << findings_of(d);
        ASSERT_TRUE(decode_texture(d.textures[0], rgba, why)) << why;
        for (unsigned i = 0; i < 32 * 8; ++i)
            EXPECT_EQ(rgba[i * 4], i == n.y * 32 + n.x ? 255 : 0) << "pixel " << i % 32 << "," << i / 32;
    }
}

TEST(Ps2Texture, AlphaAndSixteenBitChannelsByHand) {
    Ps2Texture t;
    t.width = 6, t.height = 1, t.packets = false;
    t.texels = {0x00000001u, 0x01000002u, 0x40000003u, 0x7F000004u, 0x80000005u, 0xFF000006u};
    Bytes file = build_dictionary({layout_of(t)});
    Bytes rgba;
    std::string why;
    TextureDictionary d = read(file);
    ASSERT_EQ(d.textures.size(), 1u) << findings_of(d);
    ASSERT_TRUE(decode_texture(d.textures[0], rgba, why)) << why;
    const unsigned alpha[] = {0, 2, 128, 253, 255, 255};
    for (unsigned i = 0; i < 6; ++i) {
        EXPECT_EQ(rgba[4 * i], i + 1);
        EXPECT_EQ(rgba[4 * i + 3], alpha[i]) << i;
    }

    t.depth = 16, t.colour_bits = 0x100, t.width = 4;
    t.texels = {0x801F, 0x03E0, 0xFC00, 0x8421};  // red opaque, green clear, blue opaque, 1 1 1 clear
    d = read(file = build_dictionary({layout_of(t)}));
    ASSERT_EQ(d.textures.size(), 1u) << findings_of(d);
    ASSERT_TRUE(decode_texture(d.textures[0], rgba, why)) << why;
    EXPECT_EQ(rgba, (Bytes{255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 255, 8, 8, 8, 255}));
}

TEST(Ps2Texture, DamageSkipsTheTextureWithItsOffset) {
    const Ps2Texture pal8 = texture_for({"", 8, 0x500, 16, 4, true, true, 16});
    const Ps2Texture pal4 = texture_for({"", 4, 0x500, 32, 4, false, false, 32});
    struct Damage {
        const char* what;
        const Ps2Texture* texture;
        std::size_t Ps2Offsets::*part;
        std::size_t at;  // from the part
        std::uint32_t value;
        std::string text;
        std::size_t offset;  // from the part
    };
    const std::vector<Damage> cases = {
        {"width 0", &pal8, &Ps2Offsets::header, 0, 0, "size 0 x 4 is outside 1 to 4096", 0},
        {"height 5000", &pal8, &Ps2Offsets::header, 4, 5000, "size 16 x 5000 is outside", 0},
        {"unknown depth", &pal8, &Ps2Offsets::header, 8, 24, "platform PS2, raster format 0x22504 at depth 24", 8},
        {"unknown colours", &pal8, &Ps2Offsets::header, 12, 0x22204, "platform PS2, raster format 0x22204 at depth 8", 8},
        {"4-bit swizzled without packets", &pal4, &Ps2Offsets::header, 12, 0x14504, "raster format 0x14504", 8},
        {"pixels past the raster", &pal8, &Ps2Offsets::header, 48, 0x10000, "its header promises 65536 of pixels",
         std::size_t(-1)},
        {"palette shorter than its depth needs", &pal8, &Ps2Offsets::header, 52, 0x50 + 1000,
         "the palette holds 1080 bytes, 256 colours need 1104", std::size_t(-2)},
        {"4-bit palette short", &pal4, &Ps2Offsets::header, 52, 60, "the palette holds 60 bytes, 16 colours need 64",
         std::size_t(-2)},
        {"upload size does not match", &pal8, &Ps2Offsets::data, 0x20, 9, "upload of 9 x 2 does not match its 64 bytes",
         0x20},
        {"upload too small for the texture", &pal8, &Ps2Offsets::data, 0x20, 32,
         "stored as 32 x 2, which does not fit 16 x 4", 0x20},
        {"level past the pixels", &pal8, &Ps2Offsets::data, 0x40, 0x100, "level 0 claims 4096 bytes, 64 present", 0x40},
        {"level past the pixels without packets", &pal4, &Ps2Offsets::header, 48, 63,
         "level 0 of 32 x 4 at depth 4 needs 64 bytes, the pixels are 63", std::size_t(-1)},
    };
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.what);
        Ps2Offsets at;
        TextureLayout bad;
        bad.native = ps2_texture_body(*c.texture, &at);
        Bytes file = build_dictionary({bad, layout_of(pal8)});
        const std::size_t body = texture_struct_offset(file, 0) - 12;
        const std::size_t put = body + at.*c.part + c.at;
        for (int i = 0; i < 4; ++i) file[put + i] = std::uint8_t(c.value >> (8 * i));
        // -1: the data Struct's body; -2: where the palette starts, after the pixels the header now says.
        const std::size_t expected = c.offset == std::size_t(-1) ? body + at.data
                               : c.offset == std::size_t(-2) ? body + at.palette
                                                             : body + at.*c.part + c.offset;
        const TextureDictionary d = read(file);
        ASSERT_EQ(d.textures.size(), 1u) << findings_of(d);
        ASSERT_EQ(d.findings.size(), 1u) << findings_of(d);
        EXPECT_NE(d.findings[0].text.find(c.text), std::string::npos) << findings_of(d);
        EXPECT_NE(d.findings[0].text.find("texture 't'"), std::string::npos) << findings_of(d);
        EXPECT_EQ(d.findings[0].offset, expected) << findings_of(d);
    }
}
