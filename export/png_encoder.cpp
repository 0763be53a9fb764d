#include "export/png_encoder.h"

#include <zlib.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// One row through one filter: x the row, prior the row above (zeros for the
// first), n bytes, bpp bytes a pixel; out gets the filter byte and n bytes.
template <unsigned bpp>
void filter_row(PngFilter filter, const std::uint8_t* x, const std::uint8_t* prior, std::size_t n, std::uint8_t* out) {
    *out++ = static_cast<std::uint8_t>(filter);
    switch (filter) {
    case PngFilter::none: std::memcpy(out, x, n); return;
    case PngFilter::sub:
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(x[i] - (i < bpp ? 0 : x[i - bpp]));
        return;
    case PngFilter::up:
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(x[i] - prior[i]);
        return;
    case PngFilter::average:
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<std::uint8_t>(x[i] - (((i < bpp ? 0 : x[i - bpp]) + prior[i]) >> 1));
        return;
    case PngFilter::paeth:
        for (std::size_t i = 0; i < bpp && i < n; ++i) out[i] = static_cast<std::uint8_t>(x[i] - prior[i]);
        for (std::size_t i = bpp; i < n; ++i)
            out[i] = static_cast<std::uint8_t>(x[i] - paeth(x[i - bpp], prior[i], prior[i - bpp]));
        return;
    case PngFilter::adaptive: break;
    }
}

// The sum the adaptive choice minimises: each byte as a signed distance from 0.
std::uint64_t cost(const std::uint8_t* filtered, std::size_t n) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += static_cast<std::uint64_t>(std::abs(static_cast<std::int8_t>(filtered[i])));
    return sum;
}

template <unsigned bpp>
void filter_rows(const Bytes& rgba, std::uint32_t width, std::uint32_t height, PngFilter filter, Bytes& out) {
    const std::size_t n = std::size_t(width) * bpp;
    out.resize((n + 1) * height);
    Bytes rows(bpp == 3 ? 2 * n : 0), zeros(n, 0), trial(filter == PngFilter::adaptive ? 5 * (n + 1) : 0);
    const std::uint8_t* prior = zeros.data();
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* source = rgba.data() + std::size_t(y) * width * 4;
        const std::uint8_t* x = source;
        if (bpp == 3) {  // alpha dropped into one of two row buffers, the other still the prior row
            std::uint8_t* row = rows.data() + (y & 1) * n;
            for (std::size_t i = 0, j = 0; j < n; i += 4, j += 3)
                row[j] = source[i], row[j + 1] = source[i + 1], row[j + 2] = source[i + 2];
            x = row;
        }
        std::uint8_t* target = out.data() + y * (n + 1);
        if (filter != PngFilter::adaptive) {
            filter_row<bpp>(filter, x, prior, n, target);
        } else {
            std::uint64_t best = std::numeric_limits<std::uint64_t>::max();
            std::size_t chosen = 0;
            for (std::size_t f = 0; f < 5; ++f) {
                filter_row<bpp>(static_cast<PngFilter>(f), x, prior, n, trial.data() + f * (n + 1));
                const std::uint64_t c = cost(trial.data() + f * (n + 1) + 1, n);
                if (c < best) best = c, chosen = f;
            }
            std::memcpy(target, trial.data() + chosen * (n + 1), n + 1);
        }
        prior = x;
    }
}

void put32(Bytes& out, std::uint32_t v) {
    out.insert(out.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}

void chunk(Bytes& png, const char* type, const std::uint8_t* data, std::size_t length) {
    put32(png, static_cast<std::uint32_t>(length));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    if (length) png.insert(png.end(), data, data + length);
    put32(png, static_cast<std::uint32_t>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}

int zlib_strategy(PngStrategy s) {
    return s == PngStrategy::rle ? Z_RLE : s == PngStrategy::filtered ? Z_FILTERED : Z_DEFAULT_STRATEGY;
}

}  // namespace

Bytes filtered_png_rows(const Bytes& rgba, std::uint32_t width, std::uint32_t height, bool alpha, PngFilter filter) {
    Bytes out;
    if (width == 0 || height == 0 || rgba.size() != std::size_t(width) * height * 4) return out;
    if (alpha)
        filter_rows<4>(rgba, width, height, filter, out);
    else
        filter_rows<3>(rgba, width, height, filter, out);
    return out;
}

void assemble_png(std::uint32_t width, std::uint32_t height, bool alpha, const std::uint8_t* zlib_stream,
                  std::size_t length, Bytes& png) {
    static constexpr std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.assign(signature, signature + 8);
    png.reserve(length + 64);
    Bytes header;
    put32(header, width);
    put32(header, height);
    // 8 bits a channel, colour type 6 (RGBA) or 2 (RGB), deflate, PNG's filters, no interlace.
    header.insert(header.end(), {8, std::uint8_t(alpha ? 6 : 2), 0, 0, 0});
    chunk(png, "IHDR", header.data(), header.size());
    chunk(png, "IDAT", zlib_stream, length);
    chunk(png, "IEND", nullptr, 0);
}

bool encode_png(const Bytes& rgba, std::uint32_t width, std::uint32_t height, bool alpha, Bytes& png,
                const PngCompression& compression) {
    png.clear();
    const Bytes rows = filtered_png_rows(rgba, width, height, alpha, compression.filter);
    // One IDAT chunk holds at most 2^31 - 1 bytes; no texture comes near it.
    if (rows.empty() || rows.size() > (std::size_t(1) << 30)) return false;
    z_stream z{};
    if (deflateInit2(&z, compression.level, Z_DEFLATED, 15, 8, zlib_strategy(compression.strategy)) != Z_OK)
        return false;
    Bytes stream(deflateBound(&z, static_cast<uLong>(rows.size())));
    z.next_in = const_cast<Bytef*>(rows.data());
    z.avail_in = static_cast<uInt>(rows.size());
    z.next_out = stream.data();
    z.avail_out = static_cast<uInt>(stream.size());
    const int status = deflate(&z, Z_FINISH);
    const std::size_t length = z.total_out;
    deflateEnd(&z);
    if (status != Z_STREAM_END) return false;
    assemble_png(width, height, alpha, stream.data(), length, png);
    return true;
}
