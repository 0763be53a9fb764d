#include "support/dictionary_builder.h"

#include "support/model_builder.h"

namespace {


void fixed_name(ModelBuilder& m, const std::string& s) {
    std::size_t at = m.text(s.substr(0, 32));
    m.pad_to(at + 32);
}

void texture(ModelBuilder& m, const TextureLayout& t) {
    std::size_t chunk = m.begin_chunk(0x15);
    if (!t.native.empty()) {
        m.bytes.insert(m.bytes.end(), t.native.begin(), t.native.end());
        m.end_chunk(chunk);
        return;
    }
    std::size_t body = m.begin_chunk(0x01);
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
    m.end_chunk(body);
    m.end_chunk(m.begin_chunk(0x03));
    m.end_chunk(chunk);
}

}  // namespace

std::vector<std::uint8_t> build_dictionary(const std::vector<TextureLayout>& textures, std::uint16_t stored_count,
                                           std::uint32_t pad) {
    ModelBuilder m;
    std::size_t dictionary = m.begin_chunk(0x16);
    std::size_t body = m.begin_chunk(0x01);
    m.u16(stored_count);
    m.u16(0);
    m.end_chunk(body);
    for (const auto& t : textures) texture(m, t);
    m.end_chunk(m.begin_chunk(0x03));
    m.end_chunk(dictionary);
    if (pad) m.pad_to((m.size() + pad - 1) / pad * pad);
    return m.bytes;
}

std::vector<std::uint8_t> build_dictionary(const std::vector<TextureLayout>& textures, std::uint32_t pad) {
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
