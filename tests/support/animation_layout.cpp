#include "support/animation_layout.h"

#include <array>
#include <cmath>
#include <cstring>

namespace {

void u32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i));
}
void f32(std::string& out, float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    u32(out, u);
}
void i16(std::string& out, float v, float scale) {
    const auto s = static_cast<std::int16_t>(std::lround(v * scale));
    out += static_cast<char>(s & 0xFF);
    out += static_cast<char>((s >> 8) & 0xFF);
}
void fixed_name(std::string& out, const std::string& name, std::size_t n) {
    std::string field = name.substr(0, n);
    field.resize(n, '\0');
    out += field;
}
void pad4(std::string& out) {
    while (out.size() % 4) out += '\0';
}
void chunk(std::string& out, const char* ident, const std::string& body, std::optional<std::uint32_t> size = {}) {
    out.append(ident, 4);
    u32(out, size ? *size : static_cast<std::uint32_t>(body.size()));
    out += body;
    pad4(out);
}

const char* anpk_ident(KeyType type) {
    return type == KeyType::rts ? "KRTS" : type == KeyType::rt ? "KRT0" : "KR00";
}

std::uint32_t anp3_type(KeyType type) {
    switch (type) {
    case KeyType::rt: return 2;
    case KeyType::compressed_r: return 3;
    case KeyType::compressed_rt: return 4;
    default: return 1;
    }
}

std::string anpk_keys(const ObjectRow& o) {
    if (!o.raw_keys.empty()) return o.raw_keys;
    std::string out;
    for (const KeyRow& k : o.keys) {
        for (float q : k.rotation) f32(out, q);
        if (o.type != KeyType::r)
            for (float t : k.translation) f32(out, t);
        if (o.type == KeyType::rts)
            for (int i = 0; i < 3; ++i) f32(out, 1.0f);
        f32(out, k.time);
    }
    return out;
}

std::string anp3_keys(const ObjectRow& o) {
    if (!o.raw_keys.empty()) return o.raw_keys;
    std::string out;
    for (const KeyRow& k : o.keys) {
        if (o.type == KeyType::compressed_r || o.type == KeyType::compressed_rt) {
            for (float q : k.rotation) i16(out, q, 4096);
            i16(out, k.time, 60);
            if (o.type == KeyType::compressed_rt)
                for (float t : k.translation) i16(out, t, 1024);
        } else {
            for (float q : k.rotation) f32(out, q);
            f32(out, k.time);
            if (o.type == KeyType::rt)
                for (float t : k.translation) f32(out, t);
        }
    }
    return out;
}

std::int32_t stored_keys(const ObjectRow& o) {
    return o.key_count ? *o.key_count : static_cast<std::int32_t>(o.raw_keys.empty() ? o.keys.size() : 1);
}

}  // namespace

ObjectRow object_row(std::string name, std::int32_t bone_id, KeyType type, std::vector<KeyRow> keys) {
    ObjectRow o;
    o.name = std::move(name);
    o.bone_id = bone_id;
    o.type = type;
    o.keys = std::move(keys);
    return o;
}

AnimationRow animation_row(std::string name, std::vector<ObjectRow> objects) {
    AnimationRow a;
    a.name = std::move(name);
    a.objects = std::move(objects);
    return a;
}

AnimationFileRow file_row(std::string block_name, std::vector<AnimationRow> animations) {
    AnimationFileRow f;
    f.block_name = std::move(block_name);
    f.animations = std::move(animations);
    return f;
}

namespace {

KeyRow game_key(double x, double y, double z, double w, bool anpk, float time, std::array<float, 3> t = {0, 0, 0}) {
    const double sign = anpk ? -1 : 1;
    KeyRow k;
    k.rotation[0] = static_cast<float>(sign * x), k.rotation[1] = static_cast<float>(sign * y);
    k.rotation[2] = static_cast<float>(sign * z), k.rotation[3] = static_cast<float>(w);
    for (int i = 0; i < 3; ++i) k.translation[i] = t[static_cast<std::size_t>(i)];
    k.time = time;
    return k;
}

}  // namespace

AnimationFileRow walk_rows(const WalkBones& bones, bool anpk, bool compressed) {
    const KeyType r = compressed ? KeyType::compressed_r : KeyType::r;
    const KeyType rt = compressed ? KeyType::compressed_rt : anpk ? KeyType::rt : KeyType::rt;
    const double s = std::sqrt(0.5);
    ObjectRow root = object_row("Root", 0, rt, {});
    ObjectRow pelvis = object_row("Pelvis", 1, r, {});
    for (int k = 0; k <= 2; ++k) {
        const float t = 0.5f * static_cast<float>(k);
        root.keys.push_back(game_key(0, 0, s, s, anpk, t, {0, 0.5f * t, bones.root_height}));
        pelvis.keys.push_back(game_key(-0.5, -0.5, -0.5, 0.5, anpk, t));
    }
    AnimationRow walk = animation_row("walk", {root, pelvis});
    for (std::size_t leg = 0; leg < bones.legs.size(); ++leg) {
        ObjectRow o = object_row("", bones.legs[leg], r, {});
        for (int k = 0; k <= 2; ++k) {
            const double angle = (k == 1 ? -0.35 : 0.35) * (leg % 2 ? -1 : 1);
            o.keys.push_back(game_key(0, 0, std::sin(angle / 2), std::cos(angle / 2), anpk, 0.5f * static_cast<float>(k)));
        }
        walk.objects.push_back(o);
    }
    ObjectRow turn = object_row("", bones.turn_id, r, {});
    turn.keys = {game_key(0, 0, 0, 1, anpk, -0.25f), game_key(0.3, 0, 0, 0.95, anpk, 0.25f),
                 game_key(s, 0, 0, s, anpk, 0.25f), game_key(-1, 0, 0, 0, anpk, 0.75f)};
    ObjectRow stray = object_row("Tail", 99, r, {game_key(0, 0, 0, 1, anpk, 0)});
    return file_row("walk", {walk, animation_row("turn", {turn}), animation_row("stray", {stray})});
}

AnimationFileRow many_rows(const std::vector<std::int32_t>& ids, std::size_t count, std::size_t keys, bool anpk) {
    AnimationFileRow file = file_row("many", {});
    for (std::size_t a = 0; a < count; ++a) {
        AnimationRow row = animation_row("anim_" + std::to_string(a), {});
        for (std::int32_t id : ids) {
            ObjectRow o = object_row("", id, id == 0 ? KeyType::rt : KeyType::r, {});
            for (std::size_t k = 0; k < keys; ++k) {
                const double angle = 0.3 * std::sin(0.7 * static_cast<double>(k + a + static_cast<std::size_t>(id)));
                o.keys.push_back(game_key(0, 0, std::sin(angle / 2), std::cos(angle / 2), anpk,
                                          static_cast<float>(k) / 30.0f, {0, 0.02f * static_cast<float>(k), 0}));
            }
            row.objects.push_back(std::move(o));
        }
        file.animations.push_back(std::move(row));
    }
    return file;
}

std::string anpk_file(const AnimationFileRow& file) {
    std::string info;
    u32(info, static_cast<std::uint32_t>(file.count ? *file.count : static_cast<std::int32_t>(file.animations.size())));
    info += file.block_name + '\0';
    std::string rest;
    chunk(rest, "INFO", info);
    for (const AnimationRow& a : file.animations) {
        chunk(rest, "NAME", a.name + '\0');
        std::string objects, list;
        u32(list, static_cast<std::uint32_t>(a.object_count ? *a.object_count : static_cast<std::int32_t>(a.objects.size())));
        u32(list, 0);
        chunk(objects, "INFO", list);
        for (const ObjectRow& o : a.objects) {
            std::string anim;
            fixed_name(anim, o.name, 28);
            const std::int32_t keys = stored_keys(o);
            u32(anim, static_cast<std::uint32_t>(keys));
            u32(anim, 0);
            u32(anim, static_cast<std::uint32_t>(keys - 1));
            if (o.name_only) {
                u32(anim, 0);
                u32(anim, 0);
            } else {
                u32(anim, static_cast<std::uint32_t>(o.bone_id));
            }
            std::string cpan;
            chunk(cpan, "ANIM", anim);
            if (keys != 0) chunk(cpan, o.key_ident ? o.key_ident->c_str() : anpk_ident(o.type), anpk_keys(o));
            chunk(objects, "CPAN", cpan);
        }
        chunk(rest, "DGAN", objects, a.chunks_size);
    }
    std::string out;
    chunk(out, "ANPK", rest);
    return out + file.junk;
}

std::string anp3_file(const AnimationFileRow& file) {
    std::string out = "ANP3";
    u32(out, 0);  // patched below
    fixed_name(out, file.block_name, 24);
    u32(out, static_cast<std::uint32_t>(file.count ? *file.count : static_cast<std::int32_t>(file.animations.size())));
    for (const AnimationRow& a : file.animations) {
        fixed_name(out, a.name, 24);
        u32(out, static_cast<std::uint32_t>(a.object_count ? *a.object_count : static_cast<std::int32_t>(a.objects.size())));
        std::string objects;
        for (const ObjectRow& o : a.objects) {
            fixed_name(objects, o.name, 24);
            u32(objects, o.frame_type ? *o.frame_type : anp3_type(o.type));
            u32(objects, static_cast<std::uint32_t>(stored_keys(o)));
            u32(objects, static_cast<std::uint32_t>(o.bone_id));
            objects += anp3_keys(o);
        }
        u32(out, static_cast<std::uint32_t>(objects.size()));
        u32(out, 1);  // flags: not relied on
        out += objects;
    }
    const std::uint32_t size = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>(size >> (8 * i));
    return out + file.junk;
}
