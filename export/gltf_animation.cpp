#include "export/gltf_animation.h"

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
// unit quaternions that turn the short way between keys.
struct Track {
    int node = -1;
    bool translated = false;
    std::vector<float> times, rotations, translations;
};

bool finite_key(const AnimationKey& k) {
    for (float v : k.rotation)
        if (!std::isfinite(v)) return false;
    for (float v : k.translation)
        if (!std::isfinite(v)) return false;
    return std::isfinite(k.time);
}

Track track_of(const AnimationObject& object, int node) {
    Track t;
    t.node = node;
    t.translated = object.translated;
    bool started = false;
    float first = 0;
    t.times.reserve(object.keys.size());
    t.rotations.reserve(4 * object.keys.size());
    t.translations.reserve(3 * object.keys.size());
    for (const AnimationKey& key : object.keys) {
        if (!finite_key(key)) continue;
        double q[4], length = 0;
        for (int k = 0; k < 4; ++k) length += double(key.rotation[k]) * key.rotation[k];
        length = std::sqrt(length);
        if (!(length > 1e-6)) continue;
        const double unit = 1 / length;  // one division a key, not four
        for (int k = 0; k < 4; ++k) q[k] = key.rotation[k] * unit;
        // The game counts an object from its first key.
        if (!started) first = key.time, started = true;
        const float time = key.time - first;
        std::size_t slot = t.times.size();
        // Keys at one time (or going back): the last of them stands, as the game passes a zero-length step at once.
        if (slot > 0 && !(time > t.times[slot - 1])) --slot;
        if (slot > 0) {
            const float* previous = &t.rotations[4 * (slot - 1)];
            double dot = 0;
            for (int k = 0; k < 4; ++k) dot += q[k] * previous[k];
            if (dot < 0)
                for (double& v : q) v = -v;
        }
        if (slot == t.times.size()) {
            t.times.push_back(time);
            t.rotations.resize(t.rotations.size() + 4);
            t.translations.resize(t.translations.size() + 3);
        }
        for (int k = 0; k < 4; ++k) t.rotations[4 * slot + k] = static_cast<float>(q[k]);
        for (int k = 0; k < 3; ++k) t.translations[3 * slot + k] = key.translation[k];
    }
    return t;
}

bool wanted(const std::string& name, const std::vector<std::string>& only) {
    if (only.empty()) return true;
    const std::string lower = trimmed_lower(name);
    for (const std::string& o : only)
        if (trimmed_lower(o) == lower) return true;
    return false;
}

void put_number(std::string& out, double v) {
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, v).ptr);
}

void put_number(std::string& out, std::size_t v) {
    char text[24];
    out.append(text, std::to_chars(text, text + sizeof text, v).ptr);
}

// Accessors over one animation's floats in one view, written as JSON text
// when the view is made: hundreds of animations make tens of thousands.
class Floats {
public:
    explicit Floats(GltfDocument& d) : d_(d), data_(std::make_shared<std::vector<float>>()) {}

    // count items of width floats from values; a number local to these
    // floats, which finish turns into the accessor's index.
    std::size_t accessor(std::size_t count, const char* type, std::size_t width, const std::vector<float>& values,
                         bool min_max = false) {
        pending_.push_back({4 * data_->size(), count, type, min_max, min_max ? values.front() : 0.0f,
                            min_max ? values[count - 1] : 0.0f});
        data_->insert(data_->end(), values.begin(), values.begin() + static_cast<std::ptrdiff_t>(count * width));
        return pending_.size() - 1;
    }

    // The view and the accessors; the index of the first accessor.
    int finish() {
        if (pending_.empty()) return -1;
        std::shared_ptr<const std::vector<float>> data = data_;
        const int view = d_.add_view(4 * data->size(), [data](std::uint8_t* out) {
            std::memcpy(out, data->data(), 4 * data->size());
        });
        int first = -1;
        std::string text;
        for (const Pending& p : pending_) {
            // The members in the order the document's own JSON writes them.
            text = "{\"bufferView\":";
            put_number(text, static_cast<std::size_t>(view));
            text += ",\"byteOffset\":";
            put_number(text, p.offset);
            text += ",\"componentType\":5126,\"count\":";
            put_number(text, p.count);
            if (p.min_max) {
                text += ",\"max\":[";
                put_number(text, double(p.max));
                text += "],\"min\":[";
                put_number(text, double(p.min));
                text += ']';
            }
            text += ",\"type\":\"";
            text += p.type;
            text += "\"}";
            const int index = d_.add_text("accessors", text);
            if (first < 0) first = index;
        }
        return first;
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

// One animation's samplers and channels as JSON text.
struct AnimationText {
    std::string samplers, channels;
    std::size_t count = 0;

    void add(int input, int output, int node, const char* path) {
        if (count) samplers += ',', channels += ',';
        samplers += "{\"input\":";
        put_number(samplers, static_cast<std::size_t>(input));
        samplers += ",\"interpolation\":\"LINEAR\",\"output\":";
        put_number(samplers, static_cast<std::size_t>(output));
        samplers += '}';
        channels += "{\"sampler\":";
        put_number(channels, count);
        channels += ",\"target\":{\"node\":";
        put_number(channels, static_cast<std::size_t>(node));
        channels += ",\"path\":\"";
        channels += path;
        channels += "\"}}";
        ++count;
    }

    std::string whole(const std::string& name) const {
        return "{\"channels\":[" + channels + "],\"name\":" +
               nlohmann::json(name).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + ",\"samplers\":[" +
               samplers + "]}";
    }
};

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
    for (const Animation& animation : file.animations) {
        if (!wanted(animation.name, only)) {
            ++counts.not_named;
            continue;
        }
        std::vector<Track> tracks;
        std::vector<bool> taken(skeleton.bones.size(), false);
        bool root_driven = false;
        for (const AnimationObject& object : animation.objects) {
            const int bone = driven_bone(skeleton, object);
            if (bone < 0 || taken[static_cast<std::size_t>(bone)]) continue;  // the first object of a bone drives it
            Track t = track_of(object, skeleton.bones[static_cast<std::size_t>(bone)].node);
            if (t.times.empty()) continue;
            taken[static_cast<std::size_t>(bone)] = true;
            root_driven = root_driven || bone == 0;
            tracks.push_back(std::move(t));
        }
        if (tracks.empty()) {
            ++counts.without_bones;
            continue;
        }
        Floats floats(document);
        // Bones keyed at the same times share one input.
        struct Channel {
            std::size_t input, output;
            int node;
            const char* path;
        };
        std::vector<Channel> channels;
        std::vector<std::pair<const std::vector<float>*, std::size_t>> inputs;
        for (const Track& t : tracks) {
            std::size_t input = SIZE_MAX;
            for (const auto& [times, accessor] : inputs)
                if (*times == t.times) input = accessor;
            if (input == SIZE_MAX) {
                input = floats.accessor(t.times.size(), "SCALAR", 1, t.times, true);
                inputs.push_back({&t.times, input});
            }
            channels.push_back({input, floats.accessor(t.times.size(), "VEC4", 4, t.rotations), t.node, "rotation"});
            if (t.translated)
                channels.push_back(
                    {input, floats.accessor(t.times.size(), "VEC3", 3, t.translations), t.node, "translation"});
        }
        const int first = floats.finish();
        AnimationText text;
        for (const Channel& c : channels)
            text.add(first + static_cast<int>(c.input), first + static_cast<int>(c.output), c.node, c.path);
        // The root's keys do the standing: what hangs above it (and is no identity) plays as identity.
        std::vector<int> above;
        if (root_driven)
            for (int n : skeleton.above_root) {
                const nlohmann::json& node = document.node(n);
                if (node.contains("translation") || node.contains("rotation") || node.contains("scale")) above.push_back(n);
            }
        if (!above.empty() && identity_first < 0) {
            Floats identity(document);
            identity.accessor(1, "SCALAR", 1, {0}, true);
            identity.accessor(1, "VEC4", 4, {0, 0, 0, 1});
            identity.accessor(1, "VEC3", 3, {0, 0, 0});
            identity.accessor(1, "VEC3", 3, {1, 1, 1});
            identity_first = identity.finish();
        }
        for (int n : above) {
            text.add(identity_first, identity_first + 1, n, "rotation");
            text.add(identity_first, identity_first + 2, n, "translation");
            if (document.node(n).contains("scale")) text.add(identity_first, identity_first + 3, n, "scale");
        }
        document.add_text("animations", text.whole(animation.name));
        ++counts.added;
    }
    return counts;
}
