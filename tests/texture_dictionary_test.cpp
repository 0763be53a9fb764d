// Texture dictionaries: every pixel format decoded pixel for pixel from known
// bytes and again after a PNG round trip, hand-built compressed blocks in each
// mode, damage that must give its Finding, and the public corpus dictionary.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include "export/png_file.h"
#include "model/texture_dictionary.h"
#include "support/dictionary_builder.h"
#include "support/ps2_texture_writer.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

struct Pixel {
    std::uint8_t r, g, b, a;
};

// A 4-bit palette stores 32 colours; colour i is (i, 2i, 3i, 255 - i).
Bytes palette_of(unsigned colours) {
    Bytes p;
    for (unsigned i = 0; i < colours; ++i)
        p.insert(p.end(), {std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(3 * i), std::uint8_t(255 - i)});
    return p;
}

// DXT colour endpoints: red 255 (0xF800) and (8, 0, 255) (0x081F), the red
// channel chosen so that rounding to nearest would differ from rounding down.
Bytes dxt1(std::uint16_t c0, std::uint16_t c1, std::initializer_list<std::uint8_t> rows) {
    Bytes b = {std::uint8_t(c0), std::uint8_t(c0 >> 8), std::uint8_t(c1), std::uint8_t(c1 >> 8)};
    b.insert(b.end(), rows);
    return b;
}
const Bytes four_colours = dxt1(0xF800, 0x081F, {0xE4, 0x1B, 0x00, 0xFF});  // rows: 0123, 3210, 0000, 3333
const Bytes three_colours = dxt1(0x081F, 0xF800, {0xE4, 0xE4, 0xE4, 0xE4});
const Pixel four_table[4] = {{255, 0, 0, 255}, {8, 0, 255, 255}, {172, 0, 85, 255}, {90, 0, 170, 255}};
const Pixel three_table[4] = {{8, 0, 255, 255}, {255, 0, 0, 255}, {131, 0, 127, 255}, {0, 0, 0, 0}};

Bytes dxt3_block() {
    Bytes b;
    for (int k = 0; k < 8; ++k) b.push_back(std::uint8_t((2 * k) | (2 * k + 1) << 4));  // pixel i: alpha i
    Bytes colour = dxt1(0x081F, 0xF800, {0xE4, 0xE4, 0xE4, 0xE4});  // c0 < c1, still four colours
    b.insert(b.end(), colour.begin(), colour.end());
    return b;
}

Bytes dxt5_block(std::uint8_t a0, std::uint8_t a1) {
    Bytes b = {a0, a1};
    std::uint64_t bits = 0;
    for (int i = 0; i < 16; ++i) bits |= std::uint64_t(i % 8) << (3 * i);  // pixel i: level i % 8
    for (int i = 0; i < 6; ++i) b.push_back(std::uint8_t(bits >> (8 * i)));
    Bytes colour = dxt1(0xF800, 0x081F, {0xE4, 0xE4, 0xE4, 0xE4});
    b.insert(b.end(), colour.begin(), colour.end());
    return b;
}

struct FormatCase {
    const char* what;
    TextureLayout stored;
    std::vector<Pixel> expected;  // empty: built by the test
    int png_channels;
};

TextureLayout stored(std::uint32_t platform, std::uint32_t raster, std::uint32_t format, std::uint16_t w,
                 std::uint16_t h, Bytes level, std::uint8_t last = 0, Bytes palette = {}) {
    TextureLayout t;
    t.name = "t";
    t.platform = platform, t.raster_format = raster, t.format = format, t.width = w, t.height = h, t.last = last;
    t.palette = std::move(palette);
    t.levels = {std::move(level)};
    return t;
}

std::vector<FormatCase> format_cases() {
    const Bytes pal8 = [] {
        Bytes p = palette_of(256);
        p[255 * 4 + 3] = 0;  // colour 255 transparent
        return p;
    }();
    std::vector<FormatCase> c = {
        {"A1R5G5B5", stored(9, 0x100, 25, 2, 1, {0x10, 0xFC, 0x43, 0x04}),
         {{255, 0, 132, 255}, {8, 16, 24, 0}}, 4},
        {"R5G6B5", stored(9, 0x200, 23, 2, 1, {0x00, 0xF8, 0x27, 0x04}), {{255, 0, 0, 255}, {0, 134, 57, 255}}, 3},
        {"A4R4G4B4", stored(9, 0x300, 26, 2, 1, {0x23, 0xF1, 0xBC, 0x0A}),
         {{17, 34, 51, 255}, {170, 187, 204, 0}}, 4},
        {"grey", stored(9, 0x400, 50, 2, 1, {0, 200}), {{0, 0, 0, 255}, {200, 200, 200, 255}}, 3},
        {"A8R8G8B8", stored(9, 0x500, 21, 2, 1, {1, 2, 3, 4, 10, 20, 30, 255}), {{3, 2, 1, 4}, {30, 20, 10, 255}}, 4},
        {"A8R8G8B8 opaque still RGBA", stored(8, 0x500, 0, 1, 1, {1, 2, 3, 255}), {{3, 2, 1, 255}}, 4},
        {"X8R8G8B8", stored(9, 0x600, 22, 1, 1, {1, 2, 3, 4}), {{3, 2, 1, 255}}, 3},
        {"X1R5G5B5 platform 8", stored(8, 0xA00, 0, 1, 1, {0x00, 0x7C}), {{255, 0, 0, 255}}, 3},
        {"R5G6B5 platform 8", stored(8, 0x200, 0, 1, 1, {0x00, 0xF8}), {{255, 0, 0, 255}}, 3},
        {"8-bit palette with alpha", stored(9, 0x2500, 21, 2, 1, {255, 1}, 1, pal8),
         {{255, 254, 253, 0}, {1, 2, 3, 254}}, 4},
        {"8-bit palette without alpha", stored(9, 0x2600, 22, 2, 1, {255, 1}, 0, pal8),
         {{255, 254, 253, 255}, {1, 2, 3, 255}}, 3},
        {"4-bit palette with alpha", stored(8, 0x4500, 1, 2, 1, {15, 1}, 0, palette_of(32)),
         {{15, 30, 45, 240}, {1, 2, 3, 254}}, 4},
        {"4-bit palette without alpha", stored(8, 0x4600, 0, 2, 1, {15, 1}, 0, palette_of(32)),
         {{15, 30, 45, 255}, {1, 2, 3, 255}}, 3},
        {"DXT1 four colours", stored(9, 0x200, fourcc_dxt('1'), 4, 4, four_colours, 8), {}, 3},
        {"DXT1 three colours, transparent pixels make RGBA", stored(9, 0x200, fourcc_dxt('1'), 4, 4, three_colours, 8),
         {}, 4},
        {"DXT1 platform 8, alpha flag", stored(8, 0x100, 1, 4, 4, four_colours, 1), {}, 4},
        {"DXT1 1x1", stored(9, 0x200, fourcc_dxt('1'), 1, 1, four_colours, 8), {{255, 0, 0, 255}}, 3},
        {"DXT1 2x3", stored(9, 0x200, fourcc_dxt('1'), 2, 3, four_colours, 8),
         {{255, 0, 0, 255}, {8, 0, 255, 255}, {90, 0, 170, 255}, {172, 0, 85, 255}, {255, 0, 0, 255}, {255, 0, 0, 255}},
         3},
        {"DXT3", stored(9, 0x300, fourcc_dxt('3'), 4, 4, dxt3_block(), 9), {}, 4},
        {"DXT5 eight levels", stored(9, 0x500, fourcc_dxt('5'), 4, 4, dxt5_block(200, 10), 9), {}, 4},
        {"DXT5 six levels, 0 and 255", stored(8, 0x500, 1, 4, 4, dxt5_block(10, 200), 5), {}, 4},
    };
    // The 4x4 blocks' pixels, rows from the top.
    const int rows[4][4] = {{0, 1, 2, 3}, {3, 2, 1, 0}, {0, 0, 0, 0}, {3, 3, 3, 3}};
    const std::uint8_t eight[8] = {200, 10, 172, 145, 118, 91, 64, 37};
    const std::uint8_t six[8] = {10, 200, 48, 86, 124, 162, 0, 255};
    const Pixel dxt3_table[4] = {{8, 0, 255, 255}, {255, 0, 0, 255}, {90, 0, 170, 255}, {172, 0, 85, 255}};
    for (int i = 0; i < 16; ++i) {
        c[13].expected.push_back(four_table[rows[i / 4][i % 4]]);
        c[14].expected.push_back(three_table[i % 4]);
        c[15].expected.push_back(four_table[rows[i / 4][i % 4]]);
        Pixel p = dxt3_table[i % 4];
        p.a = std::uint8_t(i * 17);
        c[18].expected.push_back(p);
        p = four_table[i % 4];
        p.a = eight[i % 8];
        c[19].expected.push_back(p);
        p.a = six[i % 8];
        c[20].expected.push_back(p);
    }
    return c;
}

std::vector<Pixel> as_pixels(const std::uint8_t* p, std::size_t count) {
    std::vector<Pixel> out;
    for (std::size_t i = 0; i < count; ++i) out.push_back({p[4 * i], p[4 * i + 1], p[4 * i + 2], p[4 * i + 3]});
    return out;
}

bool operator==(const Pixel& a, const Pixel& b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }
void PrintTo(const Pixel& p, std::ostream* os) { *os << "(" << +p.r << " " << +p.g << " " << +p.b << " " << +p.a << ")"; }

bool has_finding(const TextureDictionary& d, const std::string& text, std::uint32_t offset) {
    for (const Finding& f : d.findings)
        if (f.text.find(text) != std::string::npos && f.offset == offset) return true;
    return false;
}

std::string findings_of(const TextureDictionary& d) {
    std::string s;
    for (const Finding& f : d.findings) s += std::to_string(f.offset) + ": " + f.text + "\n";
    return s;
}

}  // namespace

TEST(TextureDictionary, EveryFormatDecodesAndSurvivesAPngRoundTrip) {
    for (const FormatCase& c : format_cases()) {
        SCOPED_TRACE(c.what);
        const Bytes file = build_dictionary({c.stored}, 2048);
        const TextureDictionary d = read_texture_dictionary(file.data(), std::uint32_t(file.size()));
        ASSERT_EQ(d.textures.size(), 1u) << findings_of(d);
        EXPECT_TRUE(d.findings.empty()) << findings_of(d);
        Bytes rgba;
        std::string why;
        ASSERT_TRUE(decode_texture(d.textures[0], rgba, why)) << why;
        EXPECT_EQ(as_pixels(rgba.data(), rgba.size() / 4), c.expected);

        const bool alpha = needs_alpha(d.textures[0], rgba);
        EXPECT_EQ(alpha ? 4 : 3, c.png_channels);
        Bytes png;
        ASSERT_TRUE(encode_png(rgba, c.stored.width, c.stored.height, alpha, png));
        int w = 0, h = 0, channels = 0;
        stbi_uc* back = stbi_load_from_memory(png.data(), int(png.size()), &w, &h, &channels, 4);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(channels, c.png_channels);
        EXPECT_EQ(w, c.stored.width);
        EXPECT_EQ(h, c.stored.height);
        EXPECT_EQ(as_pixels(back, std::size_t(w) * h), c.expected);
        stbi_image_free(back);
    }
}

TEST(TextureDictionary, HeaderFieldsAndViews) {
    TextureLayout t = stored(9, 0x8500, 21, 2, 2, Bytes(16, 7), 1);
    t.name = "brick_wall";
    t.mask = "brick_wallA";
    t.levels.push_back(Bytes(4, 9));  // a 1x1 mipmap
    const Bytes file = build_dictionary({t, stored(9, 0x600, 22, 1, 1, {1, 2, 3, 0})});
    const TextureDictionary d = read_texture_dictionary(file.data(), std::uint32_t(file.size()));
    ASSERT_EQ(d.textures.size(), 2u) << findings_of(d);
    const DictionaryTexture& a = d.textures[0];
    EXPECT_EQ(a.name, "brick_wall");
    EXPECT_EQ(a.mask, "brick_wallA");
    EXPECT_EQ(a.level_count, 2);
    EXPECT_TRUE(a.alpha);
    EXPECT_EQ(a.format, PixelFormat::a8r8g8b8);
    EXPECT_EQ(a.level0.count, 16u);
    EXPECT_EQ(a.level0.data, file.data() + a.level0_offset);
    EXPECT_EQ(a.level0_offset, texture_struct_offset(file, 0) + 88 + 4);
    EXPECT_EQ(d.version, 0x36003u);
    EXPECT_EQ(d.textures[1].offset, texture_struct_offset(file, 1) - 24);
}

TEST(TextureDictionary, DamageGivesItsFindingAndLeavesTheTextureOut) {
    const TextureLayout good = stored(9, 0x600, 22, 1, 1, {1, 2, 3, 0});
    const std::size_t s = texture_struct_offset(build_dictionary({good}), 0);
    struct Damage {
        const char* what;
        std::function<Bytes()> file;
        std::string text;
        std::size_t offset;
        std::size_t textures;
    };
    auto with = [&](auto change) {
        TextureLayout t = good;
        change(t);
        return build_dictionary({t, good});
    };
    const std::vector<Damage> cases = {
        {"empty", [] { return Bytes{}; }, "empty", 0, 0},
        {"short", [] { return Bytes(5, 0x16); }, "too few for a chunk header", 0, 0},
        {"not a dictionary", [] {
             Bytes f = build_dictionary({}, 0, 0);
             f[0] = 0x10;
             return f;
         }, "not a texture dictionary: the first chunk is 0x10", 0, 0},
        {"width 0", [&] { return with([](TextureLayout& t) { t.width = 0; }); }, "size 0 x 1 is outside", s + 80, 1},
        {"height 9000", [&] { return with([](TextureLayout& t) { t.height = 9000; }); }, "1 x 9000 is outside", s + 80, 1},
        {"console platform", [&] { return with([](TextureLayout& t) { t.platform = 5, t.name = "car"; }); },
         "texture 'car': platform 5 (0x5), raster format 0x600: not one of the layouts read", s, 1},
        {"unknown format", [&] { return with([](TextureLayout& t) { t.format = 99, t.raster_format = 0; }); },
         "unknown pixel format", s + 72, 1},
        {"level past the bytes", [&] {
             Bytes f = with([](TextureLayout&) {});
             f[s + 88] = 0xE8, f[s + 89] = 0x03;  // 1000
             return f;
         }, "level 0 claims 1000 bytes, 4 present", s + 88, 1},
        {"level too small", [&] { return with([](TextureLayout& t) { t.width = 2; }); }, "level 0 holds 4 bytes, 2 x 1 needs 8",
         s + 88, 1},
        {"no levels", [&] { return with([](TextureLayout& t) { t.levels.clear(); }); }, "no levels", s + 88, 1},
        {"palette past the end", [&] { return with([](TextureLayout& t) { t.raster_format = 0x2600, t.format = 0; }); },
         "palette of 256 colours", s + 88, 1},
        {"count says 3", [&] { return build_dictionary({good}, 3, 0); }, "says 3 textures, 1 found", 12, 1},
        {"truncated", [&] {
             Bytes f = build_dictionary({good, good});
             f.resize(f.size() - 40);
             return f;
         }, "truncated", 0, 1},
    };
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes file = c.file();
        const TextureDictionary d = read_texture_dictionary(file.data(), std::uint32_t(file.size()));
        EXPECT_TRUE(has_finding(d, c.text, std::uint32_t(c.offset))) << findings_of(d);
        EXPECT_EQ(d.textures.size(), c.textures) << findings_of(d);
    }
}

TEST(TextureDictionary, EveryPrefixAndStrayBytesReadWithoutFault) {
    // PS2 textures too: swizzled 8-bit, 4-bit without packets, 16-bit colour.
    std::vector<TextureLayout> textures = {format_cases()[9].stored, format_cases()[19].stored, format_cases()[17].stored};
    Ps2Texture pal8, pal4, colours;
    pal8.depth = 8, pal8.width = 16, pal8.height = 4, pal8.swizzled = true, pal8.texels.assign(64, 3);
    pal4.depth = 4, pal4.width = 8, pal4.height = 2, pal4.packets = false, pal4.texels.assign(16, 9);
    colours.depth = 16, colours.colour_bits = 0x100, colours.width = 3, colours.height = 2, colours.texels.assign(6, 0x801F);
    for (const Ps2Texture* t : {&pal8, &pal4, &colours}) {
        textures.emplace_back();
        textures.back().native = ps2_texture_body(*t);
    }
    Bytes file = build_dictionary(textures);
    for (std::size_t n = 0; n <= file.size(); ++n) {
        const TextureDictionary d = read_texture_dictionary(file.data(), std::uint32_t(n));
        EXPECT_EQ(d.findings.empty(), n == file.size()) << n;
        Bytes rgba;
        std::string why;
        for (const DictionaryTexture& t : d.textures) EXPECT_TRUE(decode_texture(t, rgba, why)) << why;
    }
    file.push_back(1);
    const TextureDictionary d = read_texture_dictionary(file.data(), std::uint32_t(file.size()));
    ASSERT_EQ(d.findings.size(), 1u);
    EXPECT_FALSE(d.findings[0].doubtful);
    EXPECT_EQ(d.textures.size(), 6u);
}

TEST(TextureDictionary, PaletteIndexPastTheColoursIsRefused) {
    const Bytes file = build_dictionary({stored(8, 0x4600, 0, 2, 1, {3, 40}, 0, palette_of(32))});
    const TextureDictionary d = read_texture_dictionary(file.data(), std::uint32_t(file.size()));
    ASSERT_EQ(d.textures.size(), 1u);
    Bytes rgba;
    std::string why;
    EXPECT_FALSE(decode_texture(d.textures[0], rgba, why));
    EXPECT_NE(why.find("pixel 1 at offset " + std::to_string(d.textures[0].level0_offset + 1) +
                       " indexes colour 40 of a palette of 32"),
              std::string::npos)
        << why;
    EXPECT_TRUE(rgba.empty());
}

TEST(TextureDictionary, CorpusDictionary) {
    const std::filesystem::path file = std::filesystem::path(VORLUND_CORPUS_DIR) / "two-textures.txd";
    if (!std::filesystem::is_regular_file(file)) GTEST_SKIP() << "no corpus dictionary at " << file;
    std::ifstream in(file, std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const TextureDictionary d = read_texture_dictionary(bytes.data(), std::uint32_t(bytes.size()));
    EXPECT_TRUE(d.findings.empty()) << findings_of(d);
    ASSERT_EQ(d.textures.size(), 2u);
    struct Expected {
        const char* name;
        int width, height;
        bool alpha;
    } expected[] = {{"wood", 64, 128, false}, {"leaves", 128, 128, true}};
    for (int i = 0; i < 2; ++i) {
        const DictionaryTexture& t = d.textures[i];
        EXPECT_EQ(t.name, expected[i].name);
        EXPECT_EQ(t.platform, 9u);
        EXPECT_EQ(t.format, PixelFormat::dxt1);
        EXPECT_EQ(t.width, expected[i].width);
        EXPECT_EQ(t.height, expected[i].height);
        Bytes rgba;
        std::string why;
        ASSERT_TRUE(decode_texture(t, rgba, why)) << why;
        Bytes png;
        ASSERT_TRUE(encode_png(rgba, t.width, t.height, needs_alpha(t, rgba), png));
        int w = 0, h = 0, channels = 0;
        ASSERT_TRUE(stbi_info_from_memory(png.data(), int(png.size()), &w, &h, &channels));
        EXPECT_EQ(channels, expected[i].alpha ? 4 : 3) << t.name;
    }
}
