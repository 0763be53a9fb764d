#include "export/gltf_animation.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

std::string trimmed_lower(const std::string& name) {
    std::size_t first = 0, last = name.size();
    while (first < last && std::isspace(static_cast<unsigned char>(name[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(name[last - 1]))) --last;
    std::string out;
    for (std::size_t i = first; i < last; ++i) out += static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return out;
}

// One bone's keys as glTF plays them: times from 0, strictly increasing;
// unit quaternions that turn the short way between keys. Reused from object
// to object: its vectors are cleared, never freed.
struct Track {
    int node = -1;
    bool translated = false;
    std::vector<float> times, rotations, translations;
};

bool finite_key(const float* q, const float* t, float time) {
    for (int k = 0; k < 4; ++k)
        if (!std::isfinite(q[k])) return false;
    if (t)
        for (int k = 0; k < 3; ++k)
            if (!std::isfinite(t[k])) return false;
    return std::isfinite(time);
}

// Fills t with object's keys; false when none is left.
bool clean_keys(const AnimationObject& object, int node, Track& t) {
    t.node = node;
    // Translations only where every key has one.
    t.translated = object.translated && object.translations.size() == 3 * object.key_count();
    const std::size_t most = std::min(object.key_count(), object.rotations.size() / 4);
    t.times.resize(most);
    t.rotations.resize(4 * most);
    t.translations.resize(t.translated ? 3 * most : 0);
    float* times = t.times.data();
    float* rotations = t.rotations.data();
    std::size_t count = 0;
    float first = 0;
    // The last kept key's rotation with its sign, not yet scaled: the sign of
    // the next key's dot with it is that with the stored unit quaternion, and
    // the next key need not wait for this one's square root.
    float last[4] = {0, 0, 0, 1};
    for (std::size_t key = 0; key < most; ++key) {
        const float* stored = &object.rotations[4 * key];
        const float* moved = t.translated ? &object.translations[3 * key] : nullptr;
        const float key_time = object.times[key];
        if (!finite_key(stored, moved, key_time)) continue;
        // In floats: the keys are floats, and a double's square root and division cost twice a float's.
        float q[4] = {stored[0], stored[1], stored[2], stored[3]};
        float length = (q[0] * q[0] + q[1] * q[1]) + (q[2] * q[2] + q[3] * q[3]);
        if (!std::isfinite(length)) {
            // Squares past a float's range: scaled down first, which leaves the direction.
            const float largest = std::max(std::max(std::fabs(q[0]), std::fabs(q[1])), std::max(std::fabs(q[2]), std::fabs(q[3])));
            for (float& v : q) v /= largest;
            length = (q[0] * q[0] + q[1] * q[1]) + (q[2] * q[2] + q[3] * q[3]);
        }
        if (!(length > 1e-12f)) continue;
        // The game counts an object from its first key.
        if (count == 0) first = key_time;
        const float time = key_time - first;
        std::size_t slot = count;
        // Keys at one time (or going back): the last of them stands, as the game passes a step of no
        // length (or less) at once.
        if (slot > 0 && !(time > times[slot - 1])) {
            --slot;
            if (slot > 0)
                for (int k = 0; k < 4; ++k) last[k] = rotations[4 * (slot - 1) + k];
        }
        // A select, not a branch: turns may flip sign at any key.
        const float sign =
            slot > 0 && (q[0] * last[0] + q[1] * last[1]) + (q[2] * last[2] + q[3] * last[3]) < 0 ? -1.0f : 1.0f;
        for (int k = 0; k < 4; ++k) last[k] = sign * q[k];
        // A key going back keeps the time it replaces: times must only rise.
        if (slot == count) times[count++] = time;
        const float unit = sign / std::sqrt(length);  // one division a key, not four
        for (int k = 0; k < 4; ++k) rotations[4 * slot + k] = q[k] * unit;
        if (moved)
            for (int k = 0; k < 3; ++k) t.translations[3 * slot + k] = moved[k];
    }
    t.times.resize(count);
    t.rotations.resize(4 * count);
    if (t.translated) t.translations.resize(3 * count);
    return count > 0;
}

bool wanted(const std::string& name, const std::vector<std::string>& only) {
    if (only.empty()) return true;
    const std::string lower = trimmed_lower(name);
    for (const std::string& o : only)
        if (trimmed_lower(o) == lower) return true;
    return false;
}

// Writes into room made at the end of a string beforehand, through a
// pointer: tens of thousands of small items, each a dozen pieces, would
// otherwise test the string's capacity at every piece. The string is cut to
// what was written when the writer goes.
class TextOut {
public:
    TextOut(std::string& text, std::size_t room) : text_(text), start_(text.size()) {
        text_.resize(start_ + room);
        at_ = text_.data() + start_;
    }
    ~TextOut() { text_.resize(static_cast<std::size_t>(at_ - text_.data())); }
    TextOut(const TextOut&) = delete;
    TextOut& operator=(const TextOut&) = delete;

    template <std::size_t N>
    void put(const char (&literal)[N]) {
        std::memcpy(at_, literal, N - 1);
        at_ += N - 1;
    }
    void put(std::string_view piece) {
        std::memcpy(at_, piece.data(), piece.size());
        at_ += piece.size();
    }
    void put(char c) { *at_++ = c; }
    void number(std::size_t v) { at_ = std::to_chars(at_, at_ + 20, v).ptr; }
    void number(double v) { at_ = std::to_chars(at_, at_ + 32, v).ptr; }

private:
    std::string& text_;
    std::size_t start_;
    char* at_;
};

// The most an accessor's or a channel and its sampler's text takes, numbers at their longest.
constexpr std::size_t accessor_room = 256, channel_room = 192;

// Accessors over one animation's floats in one view, written as JSON text
// when the view is made: hundreds of animations make tens of thousands.
class Floats {
public:
    Floats(GltfDocument& d, std::size_t most, std::size_t accessors)
        : d_(d), data_(std::make_shared<std::vector<float>>()) {
        data_->reserve(most);
        pending_.reserve(accessors);
    }

    // count items of width floats from values; a number local to these
    // floats, which finish turns into the accessor's index.
    std::size_t accessor(std::size_t count, const char* type, std::size_t width, const float* values,
                         bool min_max = false) {
        pending_.push_back({4 * data_->size(), count, type, min_max, values[0], values[count * width - 1]});
        data_->insert(data_->end(), values, values + count * width);
        return pending_.size() - 1;
    }

    // The local number of an earlier accessor of min_max holding exactly values, if any.
    std::size_t same_as(std::size_t count, const float* values) const {
        for (std::size_t a = 0; a < pending_.size(); ++a) {
            const Pending& p = pending_[a];
            if (p.min_max && p.count == count && std::memcmp(data_->data() + p.offset / 4, values, 4 * count) == 0)
                return a;
        }
        return SIZE_MAX;
    }

    // The view and the accessors; the index of the first accessor.
    int finish() {
        if (pending_.empty()) return -1;
        std::shared_ptr<const std::vector<float>> data = data_;
        const int view = d_.add_view(4 * data->size(), [data](std::uint8_t* out) {
            std::memcpy(out, data->data(), 4 * data->size());
        });
        return d_.write_text("accessors", pending_.size(), [&](std::string& text) {
            TextOut out(text, accessor_room * pending_.size());
            for (const Pending& p : pending_) {
                // The members in the order the document's own JSON writes them.
                if (&p != &pending_.front()) out.put(',');
                out.put("{\"bufferView\":");
                out.number(static_cast<std::size_t>(view));
                out.put(",\"byteOffset\":");
                out.number(p.offset);
                out.put(",\"componentType\":5126,\"count\":");
                out.number(p.count);
                if (p.min_max) {
                    out.put(",\"max\":[");
                    out.number(double(p.max));
                    out.put("],\"min\":[");
                    out.number(double(p.min));
                    out.put(']');
                }
                out.put(",\"type\":\"");
                out.put(p.type);
                out.put("\"}");
            }
        });
    }

private:
    struct Pending {
        std::size_t offset, count;
        const char* type;
        bool min_max;
        float min, max;
    };
    GltfDocument& d_;
    std::shared_ptr<std::vector<float>> data_;
    std::vector<Pending> pending_;
};

// An animation's channel: its sampler's accessors, and what it drives.
struct Channel {
    std::size_t input, output;
    int node;
    const char* path;
};

// One animation as JSON text, a sampler a channel.
void add_animation_text(GltfDocument& document, const std::string& name, const std::vector<Channel>& channels) {
    const std::string quoted = nlohmann::json(name).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    document.write_text("animations", 1, [&](std::string& text) {
        TextOut out(text, 64 + quoted.size() + channel_room * channels.size());
        out.put("{\"channels\":[");
        for (std::size_t c = 0; c < channels.size(); ++c) {
            if (c) out.put(',');
            out.put("{\"sampler\":");
            out.number(c);
            out.put(",\"target\":{\"node\":");
            out.number(static_cast<std::size_t>(channels[c].node));
            out.put(",\"path\":\"");
            out.put(channels[c].path);
            out.put("\"}}");
        }
        out.put("],\"name\":");
        out.put(quoted);
        out.put(",\"samplers\":[");
        for (std::size_t c = 0; c < channels.size(); ++c) {
            if (c) out.put(',');
            out.put("{\"input\":");
            out.number(channels[c].input);
            out.put(",\"interpolation\":\"LINEAR\",\"output\":");
            out.number(channels[c].output);
            out.put('}');
        }
        out.put("]}");
    });
}

}  // namespace

int driven_bone(const GltfSkeletonNodes& skeleton, const AnimationObject& object) {
    if (object.bone_id != -1)
        for (std::size_t b = 0; b < skeleton.bones.size(); ++b)
            if (skeleton.bones[b].id == object.bone_id) return static_cast<int>(b);
    const std::string name = trimmed_lower(object.name);
    if (name.empty()) return -1;
    for (std::size_t b = 0; b < skeleton.bones.size(); ++b)
        if (trimmed_lower(skeleton.bones[b].name) == name) return static_cast<int>(b);
    return -1;
}

AnimationCounts add_gltf_animations(GltfDocument& document, const GltfSkeletonNodes& skeleton,
                                    const AnimationFile& file, const std::vector<std::string>& only) {
    AnimationCounts counts;
    if (skeleton.bones.empty()) {
        counts.without_bones = file.animations.size();
        return counts;
    }
    // Constant identity for the nodes above the root, made once for the file.
    int identity_first = -1;
    std::vector<Track> tracks;  // reused: hundreds of animations, each a handful of bones
    std::vector<bool> taken;
    std::vector<Channel> channels;
    for (const Animation& animation : file.animations) {
        if (!wanted(animation.name, only)) {
            ++counts.not_named;
            continue;
        }
        std::size_t used = 0, most = 0;
        taken.assign(skeleton.bones.size(), false);
        bool root_driven = false;
        for (const AnimationObject& object : animation.objects) {
            const int bone = driven_bone(skeleton, object);
            if (bone < 0 || taken[static_cast<std::size_t>(bone)]) continue;  // the first object of a bone drives it
            if (used == tracks.size()) tracks.emplace_back();
            Track& t = tracks[used];
            if (!clean_keys(object, skeleton.bones[static_cast<std::size_t>(bone)].node, t)) continue;
            taken[static_cast<std::size_t>(bone)] = true;
            root_driven = root_driven || bone == 0;
            most += t.times.size() + t.rotations.size() + t.translations.size();
            ++used;
        }
        if (used == 0) {
            ++counts.without_bones;
            continue;
        }
        Floats floats(document, most, 3 * used);
        channels.clear();
        for (std::size_t i = 0; i < used; ++i) {
            const Track& t = tracks[i];
            const std::size_t keys = t.times.size();
            // Bones keyed at the same times share one input.
            std::size_t input = floats.same_as(keys, t.times.data());
            if (input == SIZE_MAX) input = floats.accessor(keys, "SCALAR", 1, t.times.data(), true);
            channels.push_back({input, floats.accessor(keys, "VEC4", 4, t.rotations.data()), t.node, "rotation"});
            if (t.translated)
                channels.push_back({input, floats.accessor(keys, "VEC3", 3, t.translations.data()), t.node, "translation"});
        }
        const std::size_t first = static_cast<std::size_t>(floats.finish());
        for (Channel& c : channels) c.input += first, c.output += first;
        // The root's keys do the standing: what hangs above it (and is no identity) plays as identity.
        std::vector<int> above;
        if (root_driven)
            for (int n : skeleton.above_root) {
                const nlohmann::json& node = document.node(n);
                if (node.contains("translation") || node.contains("rotation") || node.contains("scale")) above.push_back(n);
            }
        if (!above.empty() && identity_first < 0) {
            static const float zero[1] = {0}, turn[4] = {0, 0, 0, 1}, move[3] = {0, 0, 0}, scale[3] = {1, 1, 1};
            Floats identity(document, 11, 4);
            identity.accessor(1, "SCALAR", 1, zero, true);
            identity.accessor(1, "VEC4", 4, turn);
            identity.accessor(1, "VEC3", 3, move);
            identity.accessor(1, "VEC3", 3, scale);
            identity_first = identity.finish();
        }
        const std::size_t identity = static_cast<std::size_t>(identity_first);
        for (int n : above) {
            channels.push_back({identity, identity + 1, n, "rotation"});
            channels.push_back({identity, identity + 2, n, "translation"});
            if (document.node(n).contains("scale")) channels.push_back({identity, identity + 3, n, "scale"});
        }
        add_animation_text(document, animation.name, channels);
        ++counts.added;
    }
    return counts;
}
