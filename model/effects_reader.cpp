// The 2D effect plug-in of a geometry: a count, then entries of a 20-byte
// header (position, type, body size) and a body. Every entry is stepped over
// by its stated size; a known type whose size is not its own is skipped, an
// entry that runs past the plug-in ends the walk.
#include <cmath>

#include "model/reading.h"

namespace {

constexpr std::uint32_t header_size = 20;

// Field by field over a body whose size was checked for its type.
class Fields {
public:
    Fields(const std::uint8_t* body, Effect& effect) : p_(body), e_(effect) {}

    Fields& f32(const char* name, std::uint32_t at, int count = 1) {
        EffectField f{name, {}, {}, false};
        for (int i = 0; i < count; ++i) {
            float v = read_f32(p_ + at + 4 * i);
            f.numbers.push_back(std::isfinite(v) ? v : 0.0);
        }
        e_.fields.push_back(std::move(f));
        return *this;
    }
    Fields& u8(const char* name, std::uint32_t at, int count = 1) {
        EffectField f{name, {}, {}, true};
        for (int i = 0; i < count; ++i) f.numbers.push_back(p_[at + i]);
        e_.fields.push_back(std::move(f));
        return *this;
    }
    Fields& i8(const char* name, std::uint32_t at, int count = 1) {
        EffectField f{name, {}, {}, true};
        for (int i = 0; i < count; ++i) f.numbers.push_back(static_cast<std::int8_t>(p_[at + i]));
        e_.fields.push_back(std::move(f));
        return *this;
    }
    Fields& u16(const char* name, std::uint32_t at) {
        e_.fields.push_back({name, {double(read_u16(p_ + at))}, {}, true});
        return *this;
    }
    Fields& i16(const char* name, std::uint32_t at) {
        e_.fields.push_back({name, {double(static_cast<std::int16_t>(read_u16(p_ + at)))}, {}, true});
        return *this;
    }
    Fields& i32(const char* name, std::uint32_t at) {
        e_.fields.push_back({name, {double(static_cast<std::int32_t>(read_u32(p_ + at)))}, {}, true});
        return *this;
    }
    Fields& u32(const char* name, std::uint32_t at) {
        e_.fields.push_back({name, {double(read_u32(p_ + at))}, {}, true});
        return *this;
    }
    // NUL-padded; a full field has no NUL. Bytes outside printable ASCII become '?'.
    Fields& text(const char* name, std::uint32_t at, std::uint32_t room) {
        std::string t;
        for (std::uint32_t i = 0; i < room && p_[at + i] != 0; ++i) {
            const std::uint8_t c = p_[at + i];
            t += c >= 0x20 && c <= 0x7E ? static_cast<char>(c) : '?';
        }
        e_.fields.push_back({name, {}, std::move(t), false});
        return *this;
    }

private:
    const std::uint8_t* p_;
    Effect& e_;
};

void light(const std::uint8_t* p, std::uint32_t size, Effect& e) {
    Fields f(p, e);
    f.u8("colour", 0, 4).f32("corona_far_clip", 4).f32("point_light_range", 8).f32("corona_size", 12);
    f.f32("shadow_size", 16).u8("corona_show_mode", 20).u8("corona_reflection", 21).u8("flare_type", 22);
    f.u8("shadow_colour_multiplier", 23).u8("flags1", 24).text("corona_tex_name", 25, 24);
    f.text("shadow_tex_name", 49, 24).u8("shadow_z_distance", 73).u8("flags2", 74);
    // The shorter light has no look direction: the game takes straight up.
    if (size >= 80) f.i8("look_direction", 75, 3);
    else e.fields.push_back({"look_direction", {0, 0, 100}, {}, true});
    e.light = true;
    for (int i = 0; i < 4; ++i) e.colour[i] = p[i];
    const float range = read_f32(p + 8);
    e.range = std::isfinite(range) && range > 0 ? range : 0;
}

// The kind's name and its body's size, -1 when any size goes (unknown types).
struct Kind {
    const char* name;
    int size;
};

Kind kind_of(std::uint32_t type) {
    static const Kind kinds[] = {{"light", 80},      {"particle", 24},   {nullptr, -1},  {"attractor", 56},
                                 {"sun_glare", 0},   {"interior", 36},   {"enter_exit", 44},
                                 {"road_sign", 88},  {"trigger", 4},     {"cover", 12},  {"escalator", 40}};
    return type < std::size(kinds) ? kinds[type] : Kind{nullptr, -1};
}

void read_body(std::uint32_t type, const std::uint8_t* p, std::uint32_t size, Effect& e) {
    Fields f(p, e);
    switch (type) {
    case 0: light(p, size, e); break;
    case 1: f.text("effect_name", 0, 24); break;
    case 3:
        f.i32("attractor_kind", 0).f32("queue_direction", 4, 3).f32("use_direction", 16, 3);
        f.f32("forward_direction", 28, 3).text("script_name", 40, 8).i32("probability", 48).u32("flags", 52);
        break;
    case 5: f.u8("room_layout", 0, 32).f32("rotation", 32); break;
    case 6:
        f.f32("enter_angle", 0).f32("radius", 4, 2).f32("exit_position", 12, 3).f32("exit_angle", 24);
        f.i16("interior", 28).u8("flags1", 30).u8("sky_colour", 31).text("interior_name", 32, 8);
        f.u8("hour_on", 40).u8("hour_off", 41).u8("flags2", 42);
        break;
    case 7:
        f.f32("size", 0, 2).f32("rotation", 8, 3).u16("flags", 20);
        for (int line = 0; line < 4; ++line) {
            static const char* const names[] = {"text_line_1", "text_line_2", "text_line_3", "text_line_4"};
            f.text(names[line], 22 + 16 * line, 16);
        }
        break;
    case 8: f.i32("index", 0); break;
    case 9: f.f32("direction", 0, 2).u8("cover_kind", 8); break;
    case 10:
        f.f32("bottom", 0, 3).f32("top", 12, 3).f32("end", 24, 3).u8("direction", 36);
        break;
    case 4: break;
    default: e.fields.push_back({"body_size", {double(size)}, {}, true}); break;
    }
}

}  // namespace

std::string effect_kind_name(std::uint32_t type) {
    const Kind k = kind_of(type);
    return k.name ? k.name : "type_" + std::to_string(type);
}

void read_effects(Reading& r, const Chunk& plugin, std::vector<Effect>& effects) {
    if (plugin.size < 4) {
        r.note(plugin.offset, "2D effects without their count: none taken");
        return;
    }
    const std::uint32_t count = read_u32(r.bytes + plugin.body());
    std::uint32_t at = plugin.body() + 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t left = plugin.end() - at;
        if (left < header_size) {
            r.note(at, "2D effects promise " + std::to_string(count) + " entries and hold " + std::to_string(i));
            return;
        }
        const std::uint8_t* p = r.bytes + at;
        const std::uint32_t type = read_u32(p + 12), size = read_u32(p + 16);
        if (size > left - header_size) {
            r.note(at, "2D effect " + std::to_string(i) + " of " + std::to_string(size) +
                           " bytes runs past its plug-in: it and those after it skipped");
            return;
        }
        const Kind kind = kind_of(type);
        const bool fits = kind.size < 0 || std::uint32_t(kind.size) == size || (type == 0 && size == 76);
        if (!fits) {
            r.note(at, "2D effect " + std::to_string(i) + " (" + effect_kind_name(type) + ") of " +
                           std::to_string(size) + " bytes, not its type's " + std::to_string(kind.size) + ": skipped");
        } else {
            Effect e;
            e.offset = at;
            e.index = i;
            e.kind = effect_kind_name(type);
            for (int k = 0; k < 3; ++k) {
                const float v = read_f32(p + 4 * k);
                e.position[k] = std::isfinite(v) ? v : 0.0f;
            }
            read_body(type, p + header_size, size, e);
            effects.push_back(std::move(e));
        }
        at += header_size + size;
    }
}
