#include "support/effect_layout.h"

namespace {

using chunks::Body;

void text(Body& b, const std::string& t, std::size_t room) {
    b.raw(t);
    b.bytes.resize(b.bytes.size() + room - t.size(), 0);
}

void u8s(Body& b, std::initializer_list<std::uint8_t> values) {
    for (std::uint8_t v : values) b.bytes.push_back(v);
}

}  // namespace

chunks::Node effects_plugin(const std::vector<EffectEntryLayout>& entries, std::optional<std::uint32_t> count) {
    Body b;
    b.u32(count.value_or(static_cast<std::uint32_t>(entries.size())));
    for (const EffectEntryLayout& e : entries) {
        b.f32(e.position[0]).f32(e.position[1]).f32(e.position[2]).u32(e.type);
        b.u32(e.stated_size.value_or(static_cast<std::uint32_t>(e.body.size())));
        b.bytes.insert(b.bytes.end(), e.body.begin(), e.body.end());
    }
    return chunks::leaf(0x0253F2F8, chunks::stamp_3_6_0_3, b.bytes);
}

std::vector<std::uint8_t> effect_body(std::uint32_t type, bool short_light) {
    Body b;
    switch (type) {
    case 0:
        u8s(b, {255, 200, 120, 200});
        b.f32(150).f32(12).f32(1.5f).f32(6);
        u8s(b, {1, 1, 0, 40, 0x60});
        text(b, "coronastar", 24);
        text(b, "shad_exp", 24);
        u8s(b, {15, 0});
        if (!short_light) u8s(b, {0, 0, 100, 0, 0});
        else u8s(b, {0});
        break;
    case 1: text(b, "water_fountain", 24); break;
    case 3:
        b.u32(4).f32(1).f32(0).f32(0).f32(0).f32(1).f32(0).f32(0).f32(0).f32(-1);
        text(b, "atm", 8);
        b.u32(75).u32(3);
        break;
    case 4: break;
    case 5:
        for (std::uint8_t i = 0; i < 32; ++i) u8s(b, {i});
        b.f32(0.5f);
        break;
    case 6:
        b.f32(90).f32(2).f32(3).f32(10).f32(20).f32(30).f32(180);
        b.u16(7);
        u8s(b, {1, 2});
        text(b, "shop", 8);
        u8s(b, {20, 6, 4, 0});
        break;
    case 7:
        b.f32(4).f32(2).f32(0).f32(0).f32(90).u16(0x15);
        for (const char* line : {"NORTH", "CITY", "", "EXIT 4"}) text(b, line, 16);
        u8s(b, {0, 0});
        break;
    case 8: b.u32(3); break;
    case 9:
        b.f32(0).f32(1);
        u8s(b, {2, 0, 0, 0});
        break;
    case 10:
        b.f32(0).f32(0).f32(0).f32(0).f32(10).f32(5).f32(0).f32(12).f32(5);
        u8s(b, {1, 0, 0, 0});
        break;
    default:
        u8s(b, {1, 2, 3, 4, 5, 6});
        break;
    }
    return b.bytes;
}

chunks::Node uv_animation_chunk(const std::string& name, std::uint32_t interpolator,
                                const std::vector<std::int32_t>& channels, const std::vector<UvKeyLayout>& keys,
                                std::optional<std::uint32_t> stated_keys) {
    Body b;
    const float duration = keys.empty() ? 0 : keys.back().time;
    b.u32(0x100).u32(interpolator).u32(stated_keys.value_or(static_cast<std::uint32_t>(keys.size()))).u32(0);
    b.f32(duration).u32(0);
    text(b, name, 32);
    for (std::size_t i = 0; i < 8; ++i) b.u32(static_cast<std::uint32_t>(i < channels.size() ? channels[i] : 0x7F7F7F7F));
    for (const UvKeyLayout& k : keys) {
        b.f32(k.time);
        for (float v : k.values) b.f32(v);
        b.u32(static_cast<std::uint32_t>(k.previous));
    }
    return chunks::leaf(0x1B, chunks::stamp_3_6_0_3, b.bytes);
}

chunks::Node uv_animation_names_plugin(const std::vector<std::string>& names) {
    Body b;
    b.u32((1u << names.size()) - 1);
    for (const std::string& n : names) text(b, n, 32);
    return chunks::container(0x135, chunks::stamp_3_6_0_3, {chunks::leaf(0x01, chunks::stamp_3_6_0_3, b.bytes)});
}
