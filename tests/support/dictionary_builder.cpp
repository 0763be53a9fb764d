#include "support/dictionary_builder.h"

#include "support/model_builder.h"

namespace {

constexpr std::uint32_t stamp = 0x1803FFFF;  // 3.6.0.3

std::size_t header(ModelBuilder& m, std::uint32_t id) {
    m.u32(id);
    std::size_t size_at = m.u32(0);
    m.u32(stamp);
    return size_at;
}

void close_chunk(ModelBuilder& m, std::size_t size_at) {
    m.put_u32(size_at, static_cast<std::uint32_t>(m.size() - size_at - 8));
}

void fixed_name(ModelBuilder& m, const std::string& s) {
    std::size_t at = m.text(s.substr(0, 32));
    m.pad_to(at + 32);
}

void texture(ModelBuilder& m, const TextureSpec& t) {
    std::size_t chunk = header(m, 0x15);
    std::size_t body = header(m, 0x01);
    m.u32(t.platform);
    m.u32(0x1106);  // linear filter, wrap
    fixed_name(m, t.name);
    fixed_name(m, t.mask);
    m.u32(t.raster_format);
    m.u32(t.format);
    m.u16(t.width);
    m.u16(t.height);
    m.u8(t.depth);
    m.u8(static_cast<std::uint8_t>(t.level_count < 0 ? t.levels.size() : std::size_t(t.level_count)));
    m.u8(t.raster_type);
    m.u8(t.last);
    m.bytes.insert(m.bytes.end(), t.palette.begin(), t.palette.end());
    for (const auto& level : t.levels) {
        m.u32(static_cast<std::uint32_t>(level.size()));
        m.bytes.insert(m.bytes.end(), level.begin(), level.end());
    }
    close_chunk(m, body);
    close_chunk(m, header(m, 0x03));
    close_chunk(m, chunk);
}

}  // namespace

std::vector<std::uint8_t> build_dictionary(const std::vector<TextureSpec>& textures, std::uint16_t stored_count,
                                           std::uint32_t pad) {
    ModelBuilder m;
    std::size_t dictionary = header(m, 0x16);
    std::size_t body = header(m, 0x01);
    m.u16(stored_count);
    m.u16(0);
    close_chunk(m, body);
    for (const auto& t : textures) texture(m, t);
    close_chunk(m, header(m, 0x03));
    close_chunk(m, dictionary);
    if (pad) m.pad_to((m.size() + pad - 1) / pad * pad);
    return m.bytes;
}

std::vector<std::uint8_t> build_dictionary(const std::vector<TextureSpec>& textures, std::uint32_t pad) {
    return build_dictionary(textures, static_cast<std::uint16_t>(textures.size()), pad);
}

std::size_t texture_struct_offset(const std::vector<std::uint8_t>& d, unsigned n) {
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(d[at]) | std::uint32_t(d[at + 1]) << 8 | std::uint32_t(d[at + 2]) << 16 |
               std::uint32_t(d[at + 3]) << 24;
    };
    std::size_t at = 12 + 12 + 4;  // past the dictionary's header and Struct
    for (unsigned i = 0; i < n; ++i) at += 12 + u32(at + 4);
    return at + 24;  // past the texture's header and its Struct's header
}
