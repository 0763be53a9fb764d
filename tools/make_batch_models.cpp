// make_batch_models: writes a folder tree of many small models for timing
// batches, the same bytes for the same seed.
//
// Usage: make_batch_models FOLDER [COUNT [SEED]]   (COUNT 10000 by default)
//   FOLDER/aNN/bNN/mNNNNN.dff, 100 models a folder; prints the total size.
//   The same models also go into FOLDER/archives/: batch.img (version 2),
//   batch-v1.dir + batch-v1.img (version 1), each with ground.txd (the
//   textures the models name), and batch.ide giving every model that dictionary.
//
// The mix: about half are clumps laid out as the file format has them (frame
// list, geometry list, material lists, atomics, extensions), for a conversion
// that reads the structure; most of the rest are laid out as the bundled
// samples are, which go1, go3 or go4 convert; one in twenty is broken (cut
// short, not a model file, empty). Each holds one or two terrain grids of
// 2 x 2 to 24 x 24 quads with one UV set, a light map or vertex colours.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/dictionary_builder.h"
#include "support/model_builder.h"

namespace {

struct Random {
    std::mt19937_64 engine;
    explicit Random(std::uint64_t seed) : engine(seed) {}
    std::uint32_t range(std::uint32_t low, std::uint32_t high) {
        return low + static_cast<std::uint32_t>(engine() % (std::uint64_t{high} - low + 1));
    }
};

enum : std::uint32_t {
    chunk_struct = 0x01, chunk_string = 0x02, chunk_extension = 0x03, chunk_texture = 0x06,
    chunk_material = 0x07, chunk_material_list = 0x08, chunk_frame_list = 0x0E, chunk_geometry = 0x0F,
    chunk_clump = 0x10, chunk_atomic = 0x14, chunk_geometry_list = 0x1A, chunk_paint_effect = 0xFA01,
};

void empty_chunk(ModelBuilder& m, std::uint32_t type) { m.end_chunk(m.begin_chunk(type)); }

void string_chunk(ModelBuilder& m, const std::string& s) {
    std::size_t c = m.begin_chunk(chunk_string);
    m.text(s);
    m.fill(4 - s.size() % 4);
    m.end_chunk(c);
}

struct Style {
    bool proper = true;     // chunk containers as the format has them
    bool lightmap = false;  // a second UV set (go3's layout)
    bool colours = false;   // vertex colours and a paint effect record (go4's layout)
};

void material(ModelBuilder& m, const std::string& texture) {
    std::size_t mat = m.begin_chunk(chunk_material);
    std::size_t s = m.begin_chunk(chunk_struct);
    m.u32(0), m.raw({0xFF, 0xFF, 0xFF, 0xFF}), m.u32(0), m.u32(1);
    m.f32(1.0f), m.f32(1.0f), m.f32(1.0f);
    m.end_chunk(s);
    std::size_t tex = m.begin_chunk(chunk_texture);
    std::size_t ts = m.begin_chunk(chunk_struct);
    m.u32(0x1106);
    m.end_chunk(ts);
    string_chunk(m, texture);
    string_chunk(m, "");
    empty_chunk(m, chunk_extension);
    m.end_chunk(tex);
    empty_chunk(m, chunk_extension);
    m.end_chunk(mat);
}

void paint_effect(ModelBuilder& m) {
    std::size_t pe = m.begin_chunk(chunk_paint_effect);
    m.text("paint name");
    m.fill(2);
    m.u32(1), m.u32(1), m.u32(2), m.u32(3), m.u32(1), m.u32(1), m.u32(0);
    m.end_chunk(pe);
}

// A w x h grid of quads on rolling ground at height base. The first corner
// has u = 1 and no face record reads 0, 1, 0: both would mislead go1 and go3.
void grid_geometry(ModelBuilder& m, Random& r, const Style& style, float base, int part) {
    const std::uint32_t w = r.range(2, 24), h = r.range(2, 24), vc = (w + 1) * (h + 1), fc = 2 * w * h;
    if (style.colours) paint_effect(m);
    std::size_t g = m.begin_chunk(chunk_geometry);
    std::size_t s = m.begin_chunk(chunk_struct);
    std::uint32_t flags = 0x02 | 0x04 | 0x10 | 0x20 | (style.colours ? 0x08 : 0) | (style.lightmap ? 0x80 : 0);
    m.u32(flags | (style.lightmap ? 2u : 1u) << 16);
    m.u32(fc), m.u32(vc), m.u32(1);
    if (style.colours)
        for (std::uint32_t i = 0; i < vc; ++i) m.raw({200, static_cast<std::uint8_t>(100 + i % 100), 90, 255});
    auto uvs = [&](float scale) {
        for (std::uint32_t j = 0; j <= h; ++j)
            for (std::uint32_t i = 0; i <= w; ++i) m.f32(scale * (1.0f - float(i) / w)), m.f32(scale * float(j) / h);
    };
    uvs(1.0f);
    if (style.lightmap) uvs(0.5f);
    for (std::uint32_t j = 0; j < h; ++j)
        for (std::uint32_t i = 0; i < w; ++i) {
            auto a = static_cast<std::uint16_t>(j * (w + 1) + i), b = static_cast<std::uint16_t>(a + 1),
                 c = static_cast<std::uint16_t>(b + w + 1), d = static_cast<std::uint16_t>(a + w + 1);
            m.u16(b), m.u16(c), m.u16(0), m.u16(a);
            m.u16(c), m.u16(d), m.u16(0), m.u16(a);
        }
    m.f32(0.5f * w), m.f32(base), m.f32(0.5f * h), m.f32(0.75f * float(w + h));
    m.u32(1), m.u32(1);
    std::vector<float> heights(vc);
    for (float& y : heights) y = base + 0.01f * static_cast<float>(r.range(0, 100));
    for (std::uint32_t k = 0; k < vc; ++k) m.f32(float(k % (w + 1))), m.f32(heights[k]), m.f32(float(k / (w + 1)));
    for (std::uint32_t k = 0; k < vc; ++k) m.f32(0.0f), m.f32(1.0f), m.f32(0.0f);
    m.end_chunk(s);
    const std::string texture = "ground" + std::to_string(part);
    if (style.proper) {
        std::size_t list = m.begin_chunk(chunk_material_list);
        std::size_t ls = m.begin_chunk(chunk_struct);
        m.u32(1), m.u32(0xFFFFFFFF);
        m.end_chunk(ls);
        material(m, texture);
        m.end_chunk(list);
        empty_chunk(m, chunk_extension);
    } else {
        material(m, texture);
    }
    m.end_chunk(g);
}

// A clump of parts grids on one frame. Without proper the frame list, the
// geometry list and the atomics are bare structs, as in the bundled samples.
ModelBuilder clump(Random& r, const Style& style, std::uint32_t parts) {
    ModelBuilder m;
    std::size_t c = m.begin_chunk(chunk_clump);
    std::size_t s = m.begin_chunk(chunk_struct);
    m.u32(parts), m.u32(0), m.u32(0);
    m.end_chunk(s);
    std::size_t frames = style.proper ? m.begin_chunk(chunk_frame_list) : 0;
    std::size_t fs = m.begin_chunk(chunk_struct);
    m.u32(1);
    for (float v : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f}) m.f32(v);
    m.raw({0xFF, 0xFF, 0xFF, 0xFF}), m.u32(0);
    m.end_chunk(fs);
    if (style.proper) empty_chunk(m, chunk_extension), m.end_chunk(frames);
    std::size_t list = style.proper ? m.begin_chunk(chunk_geometry_list) : 0;
    std::size_t gs = m.begin_chunk(chunk_struct);
    m.u32(parts);
    m.end_chunk(gs);
    for (std::uint32_t p = 0; p < parts; ++p) grid_geometry(m, r, style, 2.0f * p, static_cast<int>(p));
    if (style.proper) m.end_chunk(list);
    for (std::uint32_t p = 0; p < parts; ++p) {
        std::size_t atomic = style.proper ? m.begin_chunk(chunk_atomic) : 0;
        std::size_t as = m.begin_chunk(chunk_struct);
        m.u32(0), m.u32(p), m.u32(5), m.u32(0);
        m.end_chunk(as);
        if (style.proper) empty_chunk(m, chunk_extension), m.end_chunk(atomic);
    }
    if (style.proper) empty_chunk(m, chunk_extension);
    m.end_chunk(c);
    return m;
}

ModelBuilder batch_model(Random& r) {
    const std::uint32_t kind = r.range(0, 99);
    Style style;
    style.proper = kind < 50 || kind >= 95;
    const std::uint32_t layout = r.range(0, 9);
    style.lightmap = layout >= 6 && layout < 8;
    style.colours = layout >= 8;
    ModelBuilder m = clump(r, style, r.range(1, 2));
    if (kind < 95) return m;
    if (kind < 97) m.bytes.resize(m.bytes.size() / 2);  // cut short
    else if (kind < 99) m.bytes[0] = 17;                // not a model file
    else m.bytes.clear();
    return m;
}

constexpr std::uint64_t sector = 2048;

void put_u32(std::FILE* f, std::uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, f);
}

// Both archives written as the models are made, never held whole: version 2's
// data starts after room for its directory, which is written at the end.
class BatchArchives {
public:
    BatchArchives(const std::filesystem::path& folder, long count) : count_(static_cast<std::uint64_t>(count)) {
        std::filesystem::create_directories(folder);
        v2_ = std::fopen((folder / "batch.img").string().c_str(), "wb");
        v1_dir_ = std::fopen((folder / "batch-v1.dir").string().c_str(), "wb");
        v1_img_ = std::fopen((folder / "batch-v1.img").string().c_str(), "wb");
        ide_ = std::fopen((folder / "batch.ide").string().c_str(), "w");
        if (ide_) std::fputs("objs\n", ide_);
        v2_next_ = (8 + 32 * (count_ + 1) + sector - 1) / sector;
    }

    void add(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::uint64_t sectors = (bytes.size() + sector - 1) / sector;
        entries_.push_back({name, v2_next_, sectors});
        write_at(v2_, v2_next_ * sector, bytes, sectors);
        write_at(v1_img_, v1_next_ * sector, bytes, sectors);
        if (v1_dir_) {
            put_u32(v1_dir_, static_cast<std::uint32_t>(v1_next_));
            put_u32(v1_dir_, static_cast<std::uint32_t>(sectors));
            put_name(v1_dir_, name);
        }
        v1_next_ += sectors;
        v2_next_ += sectors;
        const std::string base = name.substr(0, name.rfind('.'));
        if (ide_ && name.size() > 4 && name.compare(name.size() - 4, 4, ".dff") == 0)
            std::fprintf(ide_, "%zu, %s, ground, 100, 0\n", entries_.size(), base.c_str());
    }

    bool finish() {
        bool ok = v2_ && v1_dir_ && v1_img_ && ide_;
        if (v2_) {
            std::fseek(v2_, 0, SEEK_SET);
            std::fwrite("VER2", 1, 4, v2_);
            put_u32(v2_, static_cast<std::uint32_t>(entries_.size()));
            for (const Entry& e : entries_) {
                put_u32(v2_, static_cast<std::uint32_t>(e.start));
                const unsigned char length[4] = {static_cast<unsigned char>(e.sectors),
                                                 static_cast<unsigned char>(e.sectors >> 8), 0, 0};
                std::fwrite(length, 1, 4, v2_);
                put_name(v2_, e.name);
            }
        }
        if (ide_) std::fputs("end\n", ide_);
        for (std::FILE* f : {v2_, v1_dir_, v1_img_, ide_})
            if (f && std::fclose(f) != 0) ok = false;
        return ok;
    }

private:
    struct Entry {
        std::string name;
        std::uint64_t start, sectors;
    };

    static void put_name(std::FILE* f, const std::string& name) {
        char bytes[24] = {};
        for (std::size_t i = 0; i < name.size() && i < 24; ++i) bytes[i] = name[i];
        std::fwrite(bytes, 1, 24, f);
    }

    static void write_at(std::FILE* f, std::uint64_t offset, const std::vector<std::uint8_t>& bytes,
                         std::uint64_t sectors) {
        if (!f) return;
        std::fseek(f, static_cast<long>(offset), SEEK_SET);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        static const std::vector<std::uint8_t> zeros(sector, 0);
        std::fwrite(zeros.data(), 1, sectors * sector - bytes.size(), f);
    }

    std::uint64_t count_;
    std::FILE *v2_ = nullptr, *v1_dir_ = nullptr, *v1_img_ = nullptr, *ide_ = nullptr;
    std::uint64_t v2_next_ = 0, v1_next_ = 0;
    std::vector<Entry> entries_;
};

// The textures the models name (ground0, ground1), 8 x 8 each.
std::vector<std::uint8_t> ground_dictionary() {
    std::vector<TextureLayout> textures;
    for (int part = 0; part < 2; ++part) {
        TextureLayout t;
        t.name = "ground" + std::to_string(part), t.raster_format = 0x600, t.format = 22, t.width = 8, t.height = 8;
        std::vector<std::uint8_t> pixels;
        for (int i = 0; i < 64; ++i)
            pixels.insert(pixels.end(), {static_cast<std::uint8_t>(40 * part + i), 120, 60, 255});
        t.levels = {pixels};
        textures.push_back(t);
    }
    return build_dictionary(textures);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: make_batch_models FOLDER [COUNT [SEED]]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const long count = argc > 2 ? std::atol(argv[2]) : 10000;
    Random r(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20240611);
    std::uintmax_t total = 0;
    BatchArchives archives(folder / "archives", count);
    archives.add("ground.txd", ground_dictionary());
    for (long i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "a%02ld/b%02ld/m%05ld.dff", i / 1000 % 100, i / 100 % 10, i);
        const std::filesystem::path path = folder / name;
        std::filesystem::create_directories(path.parent_path());
        ModelBuilder m = batch_model(r);
        std::FILE* f = std::fopen(path.string().c_str(), "wb");
        bool ok = f && std::fwrite(m.bytes.data(), 1, m.bytes.size(), f) == m.bytes.size();
        if (f && std::fclose(f) != 0) ok = false;
        if (!ok) {
            std::fprintf(stderr, "make_batch_models: cannot write %s\n", path.string().c_str());
            return 1;
        }
        total += m.bytes.size();
        archives.add(path.filename().string(), m.bytes);
    }
    if (!archives.finish()) {
        std::fprintf(stderr, "make_batch_models: cannot write the archives in %s\n", (folder / "archives").string().c_str());
        return 1;
    }
    std::printf("%ld models, %ju bytes in %s\n", count, total, folder.string().c_str());
    return 0;
}
