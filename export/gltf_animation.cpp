#include "export/gltf_animation.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

using nlohmann::json;

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
    for (const AnimationKey& key : object.keys) {
        if (!finite_key(key)) continue;
        double q[4], length = 0;
        for (int k = 0; k < 4; ++k) length += double(key.rotation[k]) * key.rotation[k];
        length = std::sqrt(length);
        if (!(length > 1e-6)) continue;
        for (int k = 0; k < 4; ++k) q[k] = key.rotation[k] / length;
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

// Accessors over one animation's floats, each placed after those added before.
class Floats {
public:
    explicit Floats(GltfDocument& d) : d_(d), data_(std::make_shared<std::vector<float>>()) {}

    // Reserves count items of width floats; filled later by put.
    int accessor(std::size_t count, const char* type, std::size_t width, const std::vector<float>& values,
                 bool min_max = false) {
        json a = {{"componentType", gltf::float_type}, {"count", count}, {"type", type}};
        a["byteOffset"] = 4 * data_->size();
        if (min_max) {
            a["min"] = {values.front()};
            a["max"] = {values.back()};
        }
        data_->insert(data_->end(), values.begin(), values.begin() + static_cast<std::ptrdiff_t>(count * width));
        accessors_.push_back(d_.add("accessors", std::move(a)));
        return accessors_.back();
    }

    // The one view under the accessors made.
    void finish() {
        if (data_->empty()) return;
        std::shared_ptr<const std::vector<float>> data = data_;
        const int view = d_.add_view(4 * data->size(), [data](std::uint8_t* out) {
            std::memcpy(out, data->data(), 4 * data->size());
        });
        for (int a : accessors_) d_.json()["accessors"][static_cast<std::size_t>(a)]["bufferView"] = view;
    }

private:
    GltfDocument& d_;
    std::shared_ptr<std::vector<float>> data_;
    std::vector<int> accessors_;
};

void add_channel(json& animation, int input, int output, int node, const char* path) {
    const std::size_t sampler = animation["samplers"].size();
    animation["samplers"].push_back({{"input", input}, {"output", output}, {"interpolation", "LINEAR"}});
    animation["channels"].push_back({{"sampler", sampler}, {"target", {{"node", node}, {"path", path}}}});
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
    int identity_time = -1, identity_rotation = -1, identity_translation = -1, identity_scale = -1;
    std::unique_ptr<Floats> identity;
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
        json a = {{"name", animation.name}, {"samplers", json::array()}, {"channels", json::array()}};
        Floats floats(document);
        // Bones keyed at the same times share one input.
        std::vector<std::pair<const std::vector<float>*, int>> inputs;
        for (const Track& t : tracks) {
            int input = -1;
            for (const auto& [times, accessor] : inputs)
                if (*times == t.times) input = accessor;
            if (input < 0) {
                input = floats.accessor(t.times.size(), "SCALAR", 1, t.times, true);
                inputs.push_back({&t.times, input});
            }
            add_channel(a, input, floats.accessor(t.times.size(), "VEC4", 4, t.rotations), t.node, "rotation");
            if (t.translated)
                add_channel(a, input, floats.accessor(t.times.size(), "VEC3", 3, t.translations), t.node, "translation");
        }
        floats.finish();
        // The root's keys do the standing: what hangs above it plays as identity.
        // The root's keys do the standing: what hangs above it (and is no identity) plays as identity.
        std::vector<int> above;
        if (root_driven)
            for (int n : skeleton.above_root) {
                const json& node = document.node(n);
                if (node.contains("translation") || node.contains("rotation") || node.contains("scale")) above.push_back(n);
            }
        if (!above.empty() && !identity) {
            identity = std::make_unique<Floats>(document);
            identity_time = identity->accessor(1, "SCALAR", 1, {0}, true);
            identity_rotation = identity->accessor(1, "VEC4", 4, {0, 0, 0, 1});
            identity_translation = identity->accessor(1, "VEC3", 3, {0, 0, 0});
            identity_scale = identity->accessor(1, "VEC3", 3, {1, 1, 1});
            identity->finish();
        }
        for (int n : above) {
            add_channel(a, identity_time, identity_rotation, n, "rotation");
            add_channel(a, identity_time, identity_translation, n, "translation");
            if (document.node(n).contains("scale")) add_channel(a, identity_time, identity_scale, n, "scale");
        }
        document.add("animations", std::move(a));
        ++counts.added;
    }
    return counts;
}
