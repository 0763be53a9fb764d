// Dictionaries to PNG files as the command line asks: whole extraction, the
// names a model asks for across its dictionaries, and who wins within one run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <stb_image.h>

#include "control/texture_export.h"
#include "export/png_encoder.h"
#include "support/dictionary_builder.h"
#include "support/model_builder.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A 1x1 X8R8G8B8 texture of one red value.
TextureLayout texel(const std::string& name, std::uint8_t red) {
    TextureLayout t;
    t.name = name, t.raster_format = 0x600, t.format = 22;
    t.levels = {{0, 0, red, 0}};
    return t;
}

// The first pixel's red and the file's channel count; -1 when unreadable.
std::pair<int, int> png_red(const fs::path& file) {
    int w = 0, h = 0, channels = 0;
    stbi_uc* p = stbi_load(file.string().c_str(), &w, &h, &channels, 4);
    if (!p) return {-1, -1};
    const int red = p[0];
    stbi_image_free(p);
    return {red, channels};
}

bool mentions(const std::vector<std::string>& messages, const std::string& text) {
    for (const std::string& m : messages)
        if (m.find(text) != std::string::npos) return true;
    return false;
}

// PNG's CRC-32, bit by bit, apart from the writer's own.
std::uint32_t crc_of(const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

std::uint32_t big32(const std::uint8_t* p) { return std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// The chunk types in order; empty when a chunk runs past the end or its CRC is wrong.
std::string chunk_types(const Bytes& png) {
    std::string types;
    for (std::size_t at = 8; at < png.size();) {
        if (png.size() - at < 12) return "";
        const std::size_t length = big32(&png[at]);
        if (png.size() - at - 12 < length) return "";
        if (crc_of(&png[at + 4], length + 4) != big32(&png[at + 8 + length])) return "";
        types += std::string(png.begin() + long(at) + 4, png.begin() + long(at) + 8) + " ";
        at += length + 12;
    }
    return types;
}

std::string joined(const std::vector<std::string>& messages) {
    std::string s;
    for (const std::string& m : messages) s += m + "\n";
    return s;
}

}  // namespace

TEST(TextureExport, FirstDictionaryOfARunWinsOnlyItsOwnReplaces) {
    TempFolder folder;
    const fs::path a = folder.write("a.txd", build_dictionary({texel("wood", 10), texel("metal", 20)}));
    const fs::path b = folder.write("b.txd", build_dictionary({texel("WOOD", 30)}));
    const fs::path out = folder.path / "out";
    TextureRun run;
    std::vector<std::string> messages;

    ExtractResult r = extract_dictionary(a, out, run, messages);
    EXPECT_EQ(r.written, 2u);
    EXPECT_TRUE(r.complete);
    r = extract_dictionary(b, out, run, messages);  // WOOD.png is wood.png where names ignore case
    EXPECT_EQ(r.written, 0u);
    EXPECT_TRUE(mentions(messages, "already written from " + a.string())) << joined(messages);
    EXPECT_EQ(png_red(out / "wood.png"), std::make_pair(10, 3));

    // The same dictionary, changed on disk, replaces its own PNG.
    folder.write("a.txd", build_dictionary({texel("wood", 50)}));
    messages.clear();
    EXPECT_EQ(extract_dictionary(a, out, run, messages).written, 1u);
    EXPECT_TRUE(messages.empty()) << joined(messages);
    EXPECT_EQ(png_red(out / "wood.png").first, 50);
    EXPECT_FALSE(fs::exists(out / "wood.png.part"));
}

TEST(TextureExport, ModelNamesLookedUpInOrderWithoutCase) {
    TempFolder folder;
    folder.write("car.dff", Bytes{});
    folder.write("car.TXD", build_dictionary({texel("wood", 10), texel("..", 1)}));
    const fs::path shared = folder.write("shared.txd", build_dictionary({texel("WOOD", 30), texel("Metal", 40)}));
    const std::vector<fs::path> dictionaries = model_dictionaries(folder.path / "car.dff", {shared});
    ASSERT_EQ(dictionaries.size(), 2u);
    EXPECT_EQ(dictionaries[0].filename(), "car.TXD");

    TextureRun run;
    std::vector<std::string> messages;
    const std::vector<std::string> missing =
        write_textures({"Wood", "metal", "glass", "wood", "..", "a/b"}, dictionaries, folder.path, run, messages);
    EXPECT_EQ(missing, (std::vector<std::string>{"glass", "a/b"}));
    EXPECT_EQ(png_red(folder.path / "Wood.png").first, 10);  // own dictionary first, the material's spelling
    EXPECT_EQ(png_red(folder.path / "metal.png").first, 40);
    EXPECT_TRUE(mentions(messages, "texture name '..' cannot be a file name")) << joined(messages);
    std::vector<std::string> pngs;
    for (const auto& e : fs::directory_iterator(folder.path))
        if (e.path().extension() == ".png") pngs.push_back(e.path().filename().string());
    std::sort(pngs.begin(), pngs.end());
    EXPECT_EQ(pngs, (std::vector<std::string>{"Wood.png", "metal.png"}));
}

// A batch's models share dictionaries: a PNG already made from the same texture
// is not made again (the same file stays, not one renamed over it), but one
// removed since, or a texture changed since, is.
TEST(TextureExport, SameTextureOfARunIsNotEncodedAgain) {
    TempFolder folder;
    const fs::path shared = folder.write("shared.txd", build_dictionary({texel("wood", 10)}));
    const fs::path png = folder.path / "wood.png";
    TextureRun run;
    std::vector<std::string> messages;
    auto file_id = [&] {
        struct stat info {};
        return stat(png.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    EXPECT_TRUE(write_textures({"wood"}, {shared}, folder.path, run, messages).empty());
    const auto first = file_id();
    EXPECT_TRUE(write_textures({"WOOD"}, {shared}, folder.path, run, messages).empty());
    EXPECT_EQ(file_id(), first);
    EXPECT_EQ(run.pngs_written, 2u);

    fs::remove(png);
    EXPECT_TRUE(write_textures({"wood"}, {shared}, folder.path, run, messages).empty());
    EXPECT_EQ(png_red(png).first, 10);
    folder.write("shared.txd", build_dictionary({texel("wood", 60)}));
    EXPECT_TRUE(write_textures({"wood"}, {shared}, folder.path, run, messages).empty());
    EXPECT_EQ(png_red(png).first, 60);
    EXPECT_TRUE(messages.empty()) << joined(messages);
}

TEST(TextureExport, UnreadableAndDamagedFilesAreNamedInTheirMessages) {
    TempFolder folder;
    const fs::path empty = folder.write("empty.txd", Bytes{});
    Bytes cut = build_dictionary({texel("wood", 10), texel("metal", 20)});
    cut.resize(cut.size() - 30);
    const fs::path damaged = folder.write("cut.txd", cut);
    struct Case {
        fs::path file;
        std::string message;
        std::size_t written;
    } cases[] = {{folder.path / "none.txd", ": no such file", 0},
                 {empty, ": the file is empty", 0},
                 {folder.path, ": not a file", 0},
                 {damaged, ": offset 0: the dictionary chunk claims", 1}};
    for (const Case& c : cases) {
        TextureRun run;
        std::vector<std::string> messages;
        const ExtractResult r = extract_dictionary(c.file, folder.path / "out", run, messages);
        EXPECT_EQ(r.written, c.written);
        EXPECT_FALSE(r.complete);
        EXPECT_TRUE(mentions(messages, c.file.string() + c.message)) << joined(messages);
    }
}

// Every filter and level the writer has, on RGB and RGBA images whose shapes
// reach the filters' edges (a pixel wide, a row high) and whose pixels defeat
// or reward them; read back pixel for pixel, every chunk's CRC checked.
TEST(TextureExport, PngWriterRoundTripsEveryLayoutFilterAndLevel) {
    using Paint = std::uint8_t (*)(std::uint32_t x, std::uint32_t y, unsigned c);
    const Paint gradient = [](std::uint32_t x, std::uint32_t y, unsigned c) { return std::uint8_t(x * 7 + y * (c + 3)); };
    const Paint noise = [](std::uint32_t x, std::uint32_t y, unsigned c) {
        return std::uint8_t((x * 2654435761u ^ y * 40503u) >> (c * 5));
    };
    const Paint column = [](std::uint32_t, std::uint32_t y, unsigned c) { return std::uint8_t(250 - y * 31 + c); };
    const Paint squares = [](std::uint32_t x, std::uint32_t, unsigned c) { return std::uint8_t(x * x + c); };
    const Paint flat_clear = [](std::uint32_t, std::uint32_t, unsigned c) { return std::uint8_t(c == 3 ? 0 : 128); };
    const struct Image {
        const char* what;
        std::uint32_t width, height;
        bool alpha;
        Paint paint;
    } images[] = {
        {"rgb gradient", 37, 23, false, gradient}, {"rgba noise", 19, 17, true, noise},
        {"rgba one pixel wide", 1, 9, true, column}, {"rgb one row", 64, 1, false, squares},
        {"rgb 1x1", 1, 1, false, gradient},          {"rgba flat, clear", 300, 4, true, flat_clear},
    };
    for (const Image& image : images) {
        Bytes rgba;
        for (std::uint32_t y = 0; y < image.height; ++y)
            for (std::uint32_t x = 0; x < image.width; ++x)
                for (unsigned c = 0; c < 4; ++c) rgba.push_back(c == 3 && !image.alpha ? 255 : image.paint(x, y, c));
        for (int filter = 0; filter <= int(PngFilter::adaptive); ++filter) {
            for (int level : {0, 1, 9}) {
                for (PngStrategy strategy : {PngStrategy::normal, PngStrategy::rle}) {
                    SCOPED_TRACE(std::string(image.what) + ", filter " + std::to_string(filter) + ", level " +
                                 std::to_string(level) + (strategy == PngStrategy::rle ? ", rle" : ""));
                    Bytes png;
                    ASSERT_TRUE(encode_png(rgba, image.width, image.height, image.alpha, png,
                                           {level, PngFilter(filter), strategy}));
                    EXPECT_EQ(chunk_types(png), "IHDR IDAT IEND ");
                    int w = 0, h = 0, channels = 0;
                    stbi_uc* back = stbi_load_from_memory(png.data(), int(png.size()), &w, &h, &channels, 4);
                    ASSERT_NE(back, nullptr) << stbi_failure_reason();
                    EXPECT_EQ(channels, image.alpha ? 4 : 3);
                    EXPECT_EQ(std::uint32_t(w), image.width);
                    EXPECT_EQ(std::uint32_t(h), image.height);
                    EXPECT_TRUE(std::equal(rgba.begin(), rgba.end(), back));
                    stbi_image_free(back);
                }
            }
        }
    }
    Bytes png;
    EXPECT_FALSE(encode_png(Bytes(15), 2, 2, true, png)) << "too few bytes for 2 x 2";
    EXPECT_FALSE(encode_png(Bytes(), 0, 0, true, png));
}
