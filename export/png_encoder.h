#pragma once
// PNG encoding in memory: rows filtered as PNG defines, the result deflated by
// zlib. The pixels come in as RGBA; the file holds RGB or RGBA as asked.

#include <cstddef>
#include <cstdint>
#include <vector>

// A row filter for every row, or the one of the five whose output looks
// cheapest to compress (the sum of its bytes taken as signed distances to 0).
enum class PngFilter : std::uint8_t { none, sub, up, average, paeth, adaptive };

// zlib's match finder, as zlib names its strategies.
enum class PngStrategy : std::uint8_t { normal, filtered, rle };

struct PngCompression {
    // Chosen by tools/bench_png_writer on the generated dictionaries: decoded
    // blocks, palettes and 16-bit colours repeat exact pixels, which deflate
    // finds unfiltered and loses once filtered (14 % fewer bytes than with Paeth,
    // 30 % fewer than the earlier writer); higher levels gain 4 % for 40 % more time.
    int level = 1;
    PngFilter filter = PngFilter::none;
    PngStrategy strategy = PngStrategy::normal;
};

// width x height RGBA pixels (rows from the top) as the bytes a PNG deflates:
// each row a filter byte and RGB (alpha false) or RGBA. Empty when the sizes do
// not match.
std::vector<std::uint8_t> filtered_png_rows(const std::vector<std::uint8_t>& rgba, std::uint32_t width,
                                            std::uint32_t height, bool alpha, PngFilter filter);

// A whole PNG file around a zlib stream of filtered rows.
void assemble_png(std::uint32_t width, std::uint32_t height, bool alpha, const std::uint8_t* zlib_stream,
                  std::size_t length, std::vector<std::uint8_t>& png);

// Encodes width x height RGBA pixels as a PNG in memory: RGBA when alpha is
// true, otherwise RGB with the alpha bytes dropped. false when the encoder fails.
bool encode_png(const std::vector<std::uint8_t>& rgba, std::uint32_t width, std::uint32_t height, bool alpha,
                std::vector<std::uint8_t>& png, const PngCompression& compression = {});
