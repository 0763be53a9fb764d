#include "support/model_builder.h"

#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

std::size_t ModelBuilder::u8(std::uint8_t v) {
    bytes.push_back(v);
    return bytes.size() - 1;
}

std::size_t ModelBuilder::u16(std::uint16_t v) {
    std::size_t at = bytes.size();
    bytes.push_back(static_cast<std::uint8_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    return at;
}

std::size_t ModelBuilder::u32(std::uint32_t v) {
    std::size_t at = bytes.size();
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return at;
}

std::size_t ModelBuilder::f32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return u32(bits);
}

std::size_t ModelBuilder::text(const std::string& s) {
    std::size_t at = bytes.size();
    bytes.insert(bytes.end(), s.begin(), s.end());
    return at;
}

std::size_t ModelBuilder::raw(std::initializer_list<std::uint8_t> list) {
    std::size_t at = bytes.size();
    bytes.insert(bytes.end(), list);
    return at;
}

std::size_t ModelBuilder::fill(std::size_t count, std::uint8_t v) {
    std::size_t at = bytes.size();
    bytes.insert(bytes.end(), count, v);
    return at;
}

std::size_t ModelBuilder::pad_to(std::size_t offset) {
    if (offset < bytes.size()) throw std::logic_error("pad_to behind the end");
    bytes.resize(offset, 0);
    return offset;
}

void ModelBuilder::put_u32(std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

std::size_t ModelBuilder::begin_chunk(std::uint32_t id, std::uint32_t stamp) {
    u32(id);
    std::size_t size_at = u32(0);
    u32(stamp);
    return size_at;
}

void ModelBuilder::end_chunk(std::size_t size_at) {
    put_u32(size_at, static_cast<std::uint32_t>(size() - size_at - 8));
}

std::size_t block_size(const BlockSpec& s) {
    std::size_t vc = s.vertex_count, fc = s.face_count;
    std::size_t extra = s.variant == 3 ? 8 * vc : s.variant == 4 ? 4 * vc : 0;
    return 12 + extra + 8 * vc + 8 * fc + 24 + 12 * vc + 12;
}

std::size_t append_block(ModelBuilder& m, const BlockSpec& s) {
    std::size_t at = m.u32(s.face_count);
    m.u32(s.vertex_count);
    m.u8(s.marker);
    m.fill(3, 0);
    if (s.variant == 4) m.fill(4 * s.vertex_count, s.skip_fill);
    for (std::uint32_t i = 0; i < s.vertex_count; ++i) {
        bool given = s.uvs.size() >= 2 * (i + 1);
        m.f32(given ? s.uvs[2 * i] : 0.25f * static_cast<float>(i));
        m.f32(given ? s.uvs[2 * i + 1] : 0.5f);
    }
    if (s.variant == 3) m.fill(8 * s.vertex_count, s.skip_fill);
    for (std::uint32_t i = 0; i < 4 * s.face_count; ++i)
        m.u16(i < s.indices.size() ? s.indices[i] : static_cast<std::uint16_t>(i % 3));
    m.fill(24, s.skip_fill);
    for (std::uint32_t i = 0; i < s.vertex_count; ++i) {
        bool given = s.positions.size() >= 3 * (i + 1);
        float fi = static_cast<float>(i);
        m.f32(given ? s.positions[3 * i] : fi);
        m.f32(given ? s.positions[3 * i + 1] : fi + 0.5f);
        m.f32(given ? s.positions[3 * i + 2] : -fi);
    }
    for (float n : s.normal) m.f32(n);
    return at;
}

TempFolder::TempFolder() {
    static std::mt19937_64 rng{std::random_device{}()};
    for (;;) {
        path = std::filesystem::temp_directory_path() /
               ("vorlund-test-" + std::to_string(rng() % 1000000000ULL));
        if (std::filesystem::create_directory(path)) break;
    }
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Tests may leave read-only entries behind; make them removable first.
    // Links are skipped: changing their target's mode would reach outside the folder.
    for (auto& e : std::filesystem::recursive_directory_iterator(path, ec)) {
        if (e.is_symlink(ec)) continue;
        std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path, ec);
}

std::filesystem::path TempFolder::write(const std::string& name,
                                        const std::vector<std::uint8_t>& bytes) const {
    std::filesystem::path p = path / name;
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
    return p;
}

std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
