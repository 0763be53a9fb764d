// make_large_model: writes large synthetic models for the speed measurements,
// one model per strategy and size, the same bytes for the same seed.
//
// Usage: make_large_model FOLDER [SEED [SIZE_MB...]]
//   writes FOLDER/go1-12mb.dff ... FOLDER/go4-120mb.dff (sizes 12, 40 and 120
//   by default, 1 MB = 1,000,000 bytes) and prints one line per model.
//
// Each model holds hundreds of blocks of its strategy's layout between noise
// and decoy markers, sized so that the blocks fill the model whatever its size.
// An anchor pass records at most 998 anchors, so the block count stays below
// that (go2 spends two anchors a block) and the blocks grow with the model.
// Every block decodes clean: its faces use exactly the indices 0 to vc - 1, its
// normal has unit length, and no marker of any strategy forms inside its data.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/model_builder.h"

namespace {

constexpr std::uint32_t largest_vertex_count = 65535;
// Face counts stay below 65536: go1 and go3 want the upper half of the face count zero.
constexpr std::uint32_t largest_face_count = 65535;
constexpr std::size_t bytes_per_mb = 1000000;

// Bits from a generator whose output the language fixes; distributions of
// <random> may differ between libraries, so none is used.
struct Random {
    std::mt19937_64 engine;
    explicit Random(std::uint64_t seed) : engine(seed) {}
    std::uint64_t bits() { return engine(); }
    // Uniform in [low, high].
    std::uint32_t range(std::uint32_t low, std::uint32_t high) {
        return low + static_cast<std::uint32_t>(bits() % (std::uint64_t{high} - low + 1));
    }
    // Uniform in [0, 1) with 24 random bits.
    double unit() { return static_cast<double>(bits() >> 40) / 16777216.0; }
};

// Printable bytes without the blank: no 0 or 1 byte, so no marker can form,
// and "paint name" cannot either.
void append_noise(ModelBuilder& m, Random& r, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) m.u8(static_cast<std::uint8_t>(0x21 + r.bits() % 90));
}

void append_double_marker(ModelBuilder& m) { m.raw({1, 0, 0, 0, 1, 0, 0, 0}); }

struct Layout {
    const char* strategy;
    int variant;          // block_variant of the blocks
    int blocks;           // blocks a model holds, whatever its size
    std::size_t preamble; // bytes written before each block besides the gap noise
};

const Layout layouts[] = {
    {"go1", 1, 880, 0},
    {"go2", 1, 440, 96},   // a marker pair; go2 decodes layout 1
    {"go3", 3, 880, 0},
    {"go4", 4, 880, 210},  // "paint name", noise, two markers
};

// Bytes of a block beyond its per-vertex share, with face count 2 vc - 2.
std::size_t block_bytes(int variant, std::uint32_t vc, std::uint32_t fc) {
    std::size_t per_vertex = 8 + 12 + (variant == 3 ? 8 : variant == 4 ? 4 : 0);
    return 12 + per_vertex * vc + 8 * std::size_t{fc} + 24 + 12;
}

std::uint32_t face_count_for(std::uint32_t vc) {
    std::uint32_t fc = 2 * vc - 2;
    return fc > largest_face_count ? largest_face_count : fc;
}

// A block of vc vertices with random UVs in (0, 1), positions in [-500, 500)
// and a random unit normal. Index 0 occurs once, as the first index of the
// first face and followed by index 2: three zero bytes in a row, which every
// marker needs, then cannot form among the indices.
BlockSpec random_block(Random& r, int variant, std::uint32_t vc) {
    BlockSpec s;
    s.variant = variant;
    s.vertex_count = vc;
    s.face_count = face_count_for(vc);
    s.skip_fill = 0xAB;
    s.uvs.resize(2 * std::size_t{vc});
    for (float& uv : s.uvs) uv = static_cast<float>((r.bits() >> 40) + 1) / 16777217.0f;
    s.positions.resize(3 * std::size_t{vc});
    for (float& p : s.positions) p = static_cast<float>(r.unit() * 1000.0 - 500.0);
    s.indices.resize(4 * std::size_t{s.face_count});
    for (std::uint16_t& i : s.indices) i = static_cast<std::uint16_t>(r.range(1, vc - 1));
    s.indices[0] = 0;
    s.indices[1] = 2;
    s.indices[3] = static_cast<std::uint16_t>(vc - 1);
    // A unit normal: a random direction, normalised in double.
    double n[3], length = 0;
    do {
        length = 0;
        for (double& c : n) {
            c = r.unit() * 2 - 1;
            length += c * c;
        }
    } while (length < 0.01 || length > 1);
    for (int k = 0; k < 3; ++k) s.normal[k] = static_cast<float>(n[k] / std::sqrt(length));
    return s;
}

// Decoys: byte sequences that a strategy's search finds or nearly finds and
// that it must pass over. Each is followed by enough noise that the next
// block's hit lies more than the 100 bytes of go1's resume step behind it.
// The kinds take turns, so that every kind occurs in every model.
void append_decoy(ModelBuilder& m, Random& r, const Layout& layout, std::size_t number) {
    append_noise(m, r, r.range(20, 60));
    const std::uint32_t kind = static_cast<std::uint32_t>(number % 3);
    switch (layout.variant == 4 ? 4 : layout.strategy[2] == '2' ? 2 : 1) {
    case 1:
        switch (kind) {
        case 0: m.raw({0, 0, 1, 0, 0, 0}); break;  // a second-pass hit amid noise
        case 1: append_double_marker(m); break;    // the presence pass needs one
        default:
            // A block header without UVs: the byte tests turn it down.
            m.raw({7, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
            break;
        }
        break;
    case 2: {
        // A lone marker, or two at a distance that forms no pair.
        append_double_marker(m);
        if (kind > 0) {
            static const std::size_t distances[] = {0, 28, 53};
            append_noise(m, r, distances[kind] - 8);
            append_double_marker(m);
        }
        break;
    }
    default:
        switch (kind) {
        case 0: m.text("paint nam."); break;  // not noise after it: noise may bring the e
        case 1: m.text("Paint name"); break;
        default: append_double_marker(m); break;  // behind a block: no anchor leads here
        }
        break;
    }
    append_noise(m, r, r.range(120, 200));
}

// What stands before each block: nothing for go1 and go3 (the block's own
// header carries their marker), a marker pair for go2, the material text and
// two markers for go4.
void append_preamble(ModelBuilder& m, Random& r, const Layout& layout) {
    if (layout.strategy[2] == '2') {
        bool wide = r.range(0, 1) == 1;
        append_double_marker(m);
        append_noise(m, r, (wide ? 52 : 29) - 8);
        append_double_marker(m);
        append_noise(m, r, (wide ? 44 : 40) - 8);
    } else if (layout.variant == 4) {
        m.text("paint name");
        // Sometimes the text again within 20 bytes: the anchor pass records one.
        if (r.range(0, 9) == 0) {
            append_noise(m, r, 2);
            m.text("paint name");
        }
        append_noise(m, r, r.range(10, 100));
        append_double_marker(m);
        // The second marker starts 9 to 41 bytes after the first; at 8 the two
        // would hold a third one at 4, which the look-ahead would take.
        append_noise(m, r, r.range(1, 33));
        append_double_marker(m);
        append_noise(m, r, 32);
    }
}

struct ModelSummary {
    std::size_t blocks = 0;
    std::size_t decoys = 0;
    std::uint64_t vertices = 0;
    std::uint64_t faces = 0;
};

ModelSummary build_model(ModelBuilder& m, const Layout& layout, std::size_t size, Random& r) {
    ModelSummary summary;
    const int n = layout.blocks;
    // Vertex counts spread over a factor of eight around their mean; one block
    // at the largest count where the model has room for it.
    std::vector<double> weight(n);
    double weight_sum = 0;
    for (double& w : weight) {
        w = std::exp2(r.unit() * 3 - 1.5);
        weight_sum += w;
    }
    const bool has_largest = size >= 40 * bytes_per_mb;
    const std::size_t per_vertex = 8 + 16 + 12 + (layout.variant == 3 ? 8 : layout.variant == 4 ? 4 : 0);
    // Noise and decoys take about 2 % of the model, the tail a little more.
    const double gap_mean = 0.02 * static_cast<double>(size) / n;
    double block_room = 0.97 * static_cast<double>(size) - n * (48.0 + layout.preamble);
    if (has_largest) block_room -= static_cast<double>(block_bytes(layout.variant, largest_vertex_count,
                                                                   largest_face_count));
    const double vertices_per_weight = block_room / per_vertex / weight_sum;

    m.bytes.reserve(size);
    m.u8(16);
    const int largest_at = n / 2;
    for (int b = 0; b < n; ++b) {
        append_noise(m, r, r.range(16, static_cast<std::uint32_t>(2 * gap_mean)));
        if (b % 10 == 5) {
            append_decoy(m, r, layout, summary.decoys);
            ++summary.decoys;
        }
        append_preamble(m, r, layout);
        std::uint32_t vc = static_cast<std::uint32_t>(weight[b] * vertices_per_weight);
        if (vc < 16) vc = 16;
        if (vc > 30000) vc = 30000;
        if (has_largest && b == largest_at) vc = largest_vertex_count;
        BlockSpec shape = random_block(r, layout.variant, vc);
        append_block(m, shape);
        ++summary.blocks;
        summary.vertices += vc;
        summary.faces += shape.face_count;
    }
    if (m.size() > size) {
        std::fprintf(stderr, "make_large_model: %s model overflows %zu bytes\n", layout.strategy, size);
        std::exit(1);
    }
    append_noise(m, r, size - m.size());
    return summary;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_large_model FOLDER [SEED [SIZE_MB...]]\n");
        return 2;
    }
    std::filesystem::path folder = argv[1];
    std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20240601;
    std::vector<std::size_t> sizes;
    for (int i = 3; i < argc; ++i) sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    if (sizes.empty()) sizes = {12, 40, 120};
    std::filesystem::create_directories(folder);

    for (std::size_t mb : sizes) {
        if (mb == 0 || mb > 126) {
            std::fprintf(stderr, "make_large_model: sizes are 1 to 126 MB\n");
            return 2;
        }
        for (const Layout& layout : layouts) {
            Random r(seed * 1000003 + mb * 16 + static_cast<std::uint64_t>(layout.strategy[2] - '0'));
            ModelBuilder m;
            ModelSummary s = build_model(m, layout, mb * bytes_per_mb, r);
            std::filesystem::path path = folder / (std::string(layout.strategy) + "-" +
                                                   std::to_string(mb) + "mb.dff");
            std::FILE* f = std::fopen(path.string().c_str(), "wb");
            if (!f || std::fwrite(m.bytes.data(), 1, m.size(), f) != m.size() || std::fclose(f) != 0) {
                std::fprintf(stderr, "make_large_model: cannot write %s\n", path.string().c_str());
                return 1;
            }
            std::printf("%s: %zu bytes, %zu blocks of layout %d, %zu decoys, %llu vertices, %llu faces\n",
                        path.string().c_str(), m.size(), s.blocks, layout.variant, s.decoys,
                        static_cast<unsigned long long>(s.vertices),
                        static_cast<unsigned long long>(s.faces));
        }
    }
    return 0;
}
