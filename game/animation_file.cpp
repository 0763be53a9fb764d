#include "game/animation_file.h"

#include <algorithm>

#include "game/little_endian.h"

namespace {

// A cursor over the file's bytes that never reads past them: a read that
// would fails and leaves the cursor where it was.
class Bytes {
public:
    explicit Bytes(std::string_view bytes) : bytes_(bytes) {}

    std::size_t at() const { return at_; }
    std::size_t size() const { return bytes_.size(); }
    std::size_t left() const { return bytes_.size() - at_; }
    bool seek(std::size_t to) {
        if (to > bytes_.size()) return false;
        at_ = to;
        return true;
    }
    bool skip(std::size_t n) { return n <= left() && seek(at_ + n); }

    bool u32(std::uint32_t& v) {
        if (left() < 4) return false;
        v = u32_at(here());
        at_ += 4;
        return true;
    }
    bool i32(std::int32_t& v) {
        std::uint32_t u;
        if (!u32(u)) return false;
        v = static_cast<std::int32_t>(u);
        return true;
    }
    const unsigned char* here() const { return reinterpret_cast<const unsigned char*>(bytes_.data() + at_); }
    // A fixed field of n bytes holding a zero-ended name.
    bool name(std::size_t n, std::string& out) {
        if (left() < n) return false;
        const std::string_view field = bytes_.substr(at_, n);
        out.assign(field.substr(0, std::min(field.find('\0'), n)));
        at_ += n;
        return true;
    }
    // A chunk's four-character ident and size.
    bool chunk(std::string& ident, std::uint32_t& length) {
        if (left() < 8) return false;
        ident.assign(bytes_.substr(at_, 4));
        at_ += 4;
        return u32(length);
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

std::size_t rounded(std::uint32_t n) { return (std::size_t(n) + 3) & ~std::size_t(3); }

struct KeyShape {
    KeyType type;
    std::size_t bytes;
    bool translated;
};

bool anpk_key_shape(const std::string& ident, KeyShape& shape) {
    if (ident == "KR00") shape = {KeyType::r, 20, false};
    else if (ident == "KRT0") shape = {KeyType::rt, 32, true};
    else if (ident == "KRTS") shape = {KeyType::rts, 44, true};
    else return false;
    return true;
}

bool anp3_key_shape(std::uint32_t frame_type, KeyShape& shape) {
    switch (frame_type) {
    case 1: shape = {KeyType::r, 20, false}; return true;
    case 2: shape = {KeyType::rt, 32, true}; return true;
    case 3: shape = {KeyType::compressed_r, 10, false}; return true;
    case 4: shape = {KeyType::compressed_rt, 16, true}; return true;
    default: return false;
    }
}

float i16_at(const unsigned char* b, float scale) {
    return static_cast<float>(static_cast<std::int16_t>(u16_at(b))) / scale;
}

// One key of the shape from its bytes, all of them present, into its place:
// four numbers of q, three of t (when the shape has them) and one of time.
void read_key(const unsigned char* b, KeyType type, bool anpk, float* q, float* t, float& time) {
    switch (type) {
    case KeyType::r:
    case KeyType::rt:
    case KeyType::rts:
        for (int k = 0; k < 4; ++k) q[k] = f32_at(b + 4 * k);
        if (anpk) {
            // The older layout stores the turn the other way round: its loader negates it.
            for (int k = 0; k < 3; ++k) q[k] = -q[k];
            const unsigned char* after = b + 16;
            if (type != KeyType::r) {
                for (int k = 0; k < 3; ++k) t[k] = f32_at(after + 4 * k);
                after += 12;
            }
            if (type == KeyType::rts) after += 12;  // the game ignores scale
            time = f32_at(after);
        } else {
            time = f32_at(b + 16);  // ANP3 stores the time before the translation
            if (type == KeyType::rt)
                for (int k = 0; k < 3; ++k) t[k] = f32_at(b + 20 + 4 * k);
        }
        break;
    case KeyType::compressed_r:
    case KeyType::compressed_rt:
        for (int k = 0; k < 4; ++k) q[k] = i16_at(b + 2 * k, 4096);
        time = i16_at(b + 8, 60);
        if (type == KeyType::compressed_rt)
            for (int k = 0; k < 3; ++k) t[k] = i16_at(b + 10 + 2 * k, 1024);
        break;
    }
}

// count keys of shape, which must lie in the bytes left.
bool read_keys(Bytes& in, std::int64_t count, const KeyShape& shape, bool anpk, AnimationObject& object,
               std::string& why) {
    if (count < 0) {
        why = "object " + object.name + ": negative key count " + std::to_string(count);
        return false;
    }
    if (static_cast<std::uint64_t>(count) > in.left() / shape.bytes) {
        why = "object " + object.name + ": " + std::to_string(count) + " keys of " + std::to_string(shape.bytes) +
              " bytes pass the end of the file";
        return false;
    }
    object.type = shape.type;
    object.translated = shape.translated;
    const std::size_t keys = static_cast<std::size_t>(count);
    object.times.resize(keys);
    object.rotations.resize(4 * keys);
    object.translations.resize(shape.translated ? 3 * keys : 0);
    // The count was checked against the bytes left: the keys are read without a test each.
    const unsigned char* b = in.here();
    float unused[3];
    for (std::size_t k = 0; k < keys; ++k, b += shape.bytes)
        read_key(b, shape.type, anpk, &object.rotations[4 * k], shape.translated ? &object.translations[3 * k] : unused,
                 object.times[k]);
    in.skip(static_cast<std::size_t>(count) * shape.bytes);
    return true;
}

const std::string past_end = "passes the end of the file";

// ANPK: the animation's objects at the cursor, after its DGAN header. Fails
// with why; the caller then steps over it by its DGAN size.
bool read_anpk_objects(Bytes& in, Animation& animation, std::string& why) {
    std::string ident;
    std::uint32_t length;
    std::int32_t count, zero;
    const std::size_t info_at = in.at();
    if (!in.chunk(ident, length) || !in.i32(count) || !in.i32(zero)) return why = "its object list " + past_end, false;
    if (count < 0) return why = "negative object count " + std::to_string(count), false;
    // A size below its own two numbers is not believed: the game reads on after them.
    if (!in.seek(std::max(in.at(), info_at + 8 + rounded(length))))
        return why = "its object list's size " + std::to_string(length) + " " + past_end, false;
    // Each object takes at least its two chunk headers and a 44-byte ANIM.
    if (static_cast<std::uint64_t>(count) > in.left() / 60)
        return why = std::to_string(count) + " objects pass the end of the file", false;
    animation.objects.resize(static_cast<std::size_t>(count));
    for (AnimationObject& object : animation.objects) {
        std::uint32_t cpan_length, anim_length;
        if (!in.chunk(ident, cpan_length) || !in.chunk(ident, anim_length))
            return why = "an object " + past_end, false;
        if (anim_length != 44 && anim_length != 48)
            return why = "an object's header of " + std::to_string(anim_length) + " bytes, not 44 or 48", false;
        if (in.left() < anim_length) return why = "an object's header " + past_end, false;
        std::int32_t keys = 0, unused = 0;
        in.name(28, object.name);
        in.i32(keys);
        in.i32(unused);
        in.i32(unused);
        if (anim_length == 44) {
            in.i32(object.bone_id);
        } else {
            in.i32(unused);
            in.i32(unused);
            object.bone_id = -1;  // this header names its bone only
        }
        if (keys == 0) continue;
        if (keys < 0) return why = "object " + object.name + ": negative key count " + std::to_string(keys), false;
        std::uint32_t key_length;
        if (!in.chunk(ident, key_length)) return why = "object " + object.name + ": its keys " + past_end, false;
        KeyShape shape;
        if (!anpk_key_shape(ident, shape)) {
            std::string printable;
            for (unsigned char c : ident) printable += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
            return why = "object " + object.name + ": unknown key type " + printable, false;
        }
        if (!read_keys(in, keys, shape, true, object, why)) return false;
    }
    return true;
}

void read_anpk(Bytes& in, AnimationFile& file) {
    std::string ident;
    std::uint32_t length;
    std::int32_t count;
    if (!in.chunk(ident, length) || !in.chunk(ident, length)) return void(file.stopped = "the header " + past_end);
    const std::size_t info_end = in.at() + rounded(length);
    if (!in.i32(count)) return void(file.stopped = "the animation count " + past_end);
    file.declared = count;
    in.name(std::min<std::size_t>(in.left(), info_end > in.at() ? info_end - in.at() : 0), file.block_name);
    if (count < 0) return void(file.stopped = "negative animation count " + std::to_string(count));
    if (!in.seek(info_end)) return void(file.stopped = "the header's size " + past_end);
    for (std::int32_t a = 0; a < count; ++a) {
        SkippedAnimation skip{static_cast<std::size_t>(a), {}, {}};
        std::uint32_t name_length, dgan_length;
        if (!in.chunk(ident, name_length) || rounded(name_length) > in.left()) {
            file.stopped = "the file ends after " + std::to_string(a) + " of " + std::to_string(count) + " animations";
            return;
        }
        in.name(std::min<std::size_t>(name_length, in.left()), skip.name);
        in.seek(in.at() + rounded(name_length) - name_length);
        if (!in.chunk(ident, dgan_length)) {
            skip.reason = "its chunks " + past_end;
            file.skipped.push_back(skip);
            file.stopped = "animation " + std::to_string(a) + " " + past_end;
            return;
        }
        const std::size_t start = in.at();
        const bool sized = dgan_length <= in.left();
        Animation animation;
        animation.name = skip.name;
        // Read in order as the game does: the size serves only to step over a damaged animation.
        if (read_anpk_objects(in, animation, skip.reason)) {
            file.animations.push_back(std::move(animation));
            continue;
        }
        file.skipped.push_back(skip);
        if (!sized || !in.seek(start + rounded(dgan_length))) {
            file.stopped = "animation " + std::to_string(a) + "'s size " + std::to_string(dgan_length) + " " + past_end;
            return;
        }
    }
}

void read_anp3(Bytes& in, AnimationFile& file) {
    std::uint32_t size, count;
    in.skip(4);
    if (!in.u32(size) || !in.name(24, file.block_name) || !in.u32(count))
        return void(file.stopped = "the header " + past_end);
    file.declared = count;
    for (std::uint32_t a = 0; a < count; ++a) {
        SkippedAnimation skip{a, {}, {}};
        Animation animation;
        std::uint32_t objects, key_bytes, flags;
        if (!in.name(24, animation.name) || !in.u32(objects) || !in.u32(key_bytes) || !in.u32(flags)) {
            file.stopped = "the file ends after " + std::to_string(a) + " of " + std::to_string(count) + " animations";
            return;
        }
        skip.name = animation.name;
        // An object takes at least its 36-byte header.
        if (objects > in.left() / 36) {
            skip.reason = std::to_string(objects) + " objects pass the end of the file";
        } else {
            animation.objects.resize(objects);
            for (AnimationObject& object : animation.objects) {
                std::uint32_t type, keys;
                if (!in.name(24, object.name) || !in.u32(type) || !in.u32(keys) || !in.i32(object.bone_id)) {
                    skip.reason = "an object " + past_end;
                    break;
                }
                KeyShape shape;
                if (!anp3_key_shape(type, shape)) {
                    skip.reason = "object " + object.name + ": unknown frame type " + std::to_string(type);
                    break;
                }
                if (!read_keys(in, keys, shape, false, object, skip.reason)) break;
            }
        }
        if (!skip.reason.empty()) {
            // Nothing tells where the next animation starts.
            file.skipped.push_back(skip);
            file.stopped = "animation " + std::to_string(a) + " is damaged: the rest cannot be found";
            return;
        }
        file.animations.push_back(std::move(animation));
    }
}

}  // namespace

float Animation::duration() const {
    float longest = 0;
    for (const AnimationObject& o : objects)
        for (float time : o.times) longest = std::max(longest, time);
    return longest;
}

AnimationFile read_animation_file(std::string_view bytes) {
    AnimationFile file;
    Bytes in(bytes);
    const std::string_view magic = bytes.substr(0, std::min<std::size_t>(4, bytes.size()));
    if (magic == "ANPK") {
        file.layout = AnimationLayout::anpk;
        read_anpk(in, file);
    } else if (magic == "ANP3") {
        file.layout = AnimationLayout::anp3;
        read_anp3(in, file);
    } else {
        file.stopped = "not an animation file: it starts with neither ANPK nor ANP3";
    }
    return file;
}

const char* layout_name(AnimationLayout layout) {
    switch (layout) {
    case AnimationLayout::anpk: return "ANPK";
    case AnimationLayout::anp3: return "ANP3";
    default: return "unknown";
    }
}

const char* key_type_name(KeyType type) {
    switch (type) {
    case KeyType::r: return "KR00";
    case KeyType::rt: return "KRT0";
    case KeyType::rts: return "KRTS";
    case KeyType::compressed_r: return "type 3";
    case KeyType::compressed_rt: return "type 4";
    }
    return "?";
}
