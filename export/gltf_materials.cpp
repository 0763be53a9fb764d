#include "export/gltf_materials.h"

#include <map>

#include "export/gltf_mesh.h"

// Private to this file: the tests link a reader of their own.
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

constexpr int nearest = 9728, linear = 9729, nearest_mipmap_nearest = 9984, linear_mipmap_nearest = 9985,
              nearest_mipmap_linear = 9986, linear_mipmap_linear = 9987;
constexpr int repeat = 10497, mirrored_repeat = 33648, clamp_to_edge = 33071;

// The texture's filter mode and its two addressing modes as a sampler.
nlohmann::json sampler_of(std::uint32_t sampling) {
    nlohmann::json s = nlohmann::json::object();
    static const int min_filters[] = {0, nearest, linear, nearest_mipmap_nearest, nearest_mipmap_linear,
                                      linear_mipmap_nearest, linear_mipmap_linear};
    static const int mag_filters[] = {0, nearest, linear, nearest, nearest, linear, linear};
    if (const std::uint32_t filter = sampling & 0xFF; filter >= 1 && filter <= 6) {
        s["minFilter"] = min_filters[filter];
        s["magFilter"] = mag_filters[filter];
    }
    // Border addressing has no glTF counterpart; clamping comes nearest.
    auto wrap = [](std::uint32_t mode) {
        return mode == 2 ? mirrored_repeat : (mode == 3 || mode == 4) ? clamp_to_edge : repeat;
    };
    s["wrapS"] = wrap((sampling >> 8) & 0xF);
    s["wrapT"] = wrap((sampling >> 12) & 0xF);
    return s;
}

class MaterialBuilder {
public:
    MaterialBuilder(GltfDocument& d, const GltfImageLookup& lookup) : d_(d), lookup_(lookup) {}

    void add(const GltfMaterialEntry& entry) {
        const Material& m = entry.material;
        nlohmann::json pbr = {{"baseColorFactor",
                               {linear_of_srgb(m.color[0]), linear_of_srgb(m.color[1]), linear_of_srgb(m.color[2]),
                                m.color[3] / 255.0}},
                              {"metallicFactor", 0},
                              {"roughnessFactor", 1}};
        ImageAlpha alpha = ImageAlpha::opaque;
        if (!m.texture.empty()) {
            if (const Image* image = image_for(entry.image_key.empty() ? m.texture : entry.image_key, m.texture)) {
                pbr["baseColorTexture"] = {{"index", texture(image->index, m.sampling)}};
                alpha = image->alpha;
            }
        }
        nlohmann::json material = {{"name", entry.name}, {"pbrMetallicRoughness", std::move(pbr)}};
        if (entry.double_sided) material["doubleSided"] = true;
        if (m.color[3] < 255 || alpha == ImageAlpha::blended) {
            material["alphaMode"] = "BLEND";
        } else if (alpha == ImageAlpha::cut_out) {
            material["alphaMode"] = "MASK";
            material["alphaCutoff"] = 0.5;
        }
        d_.add("materials", std::move(material));
    }

private:
    struct Image {
        int index;
        ImageAlpha alpha;
    };

    // Null when the lookup has none; asked once a key.
    const Image* image_for(const std::string& key, const std::string& texture) {
        auto found = images_.find(key);
        if (found != images_.end()) return found->second.index < 0 ? nullptr : &found->second;
        Image& image = images_[key];
        image.index = -1;
        GltfImage source;
        if (!lookup_(key, source) || source.png.empty()) return nullptr;
        image.alpha = png_alpha(source.png);
        nlohmann::json json = {{"mimeType", "image/png"}, {"name", texture}};
        if (source.uri.empty()) {
            const std::size_t length = source.png.size();
            json["bufferView"] =
                d_.add_view(length, [png = std::move(source.png)](std::uint8_t* out) {
                    std::copy(png.begin(), png.end(), out);
                });
        } else {
            json["uri"] = uri_of_file_name(source.uri);
            json.erase("mimeType");
        }
        image.index = d_.add("images", std::move(json));
        return &image;
    }

    int texture(int image, std::uint32_t sampling) {
        auto s = samplers_.find(sampling);
        if (s == samplers_.end()) s = samplers_.emplace(sampling, d_.add("samplers", sampler_of(sampling))).first;
        auto key = std::make_pair(image, s->second);
        auto t = textures_.find(key);
        if (t == textures_.end())
            t = textures_.emplace(key, d_.add("textures", {{"source", image}, {"sampler", s->second}})).first;
        return t->second;
    }

    GltfDocument& d_;
    const GltfImageLookup& lookup_;
    std::map<std::string, Image> images_;
    std::map<std::uint32_t, int> samplers_;
    std::map<std::pair<int, int>, int> textures_;
};

}  // namespace

void add_gltf_materials(GltfDocument& document, const std::vector<GltfMaterialEntry>& entries,
                        const GltfImageLookup& lookup) {
    MaterialBuilder builder(document, lookup);
    for (const GltfMaterialEntry& e : entries) builder.add(e);
}

ImageAlpha png_alpha(const std::vector<std::uint8_t>& png) {
    // Colour type 2 (RGB) carries no alpha; what this program writes is RGB or RGBA.
    if (png.size() > 25 && png[25] == 2) return ImageAlpha::opaque;
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 4);
    if (!pixels) return ImageAlpha::opaque;
    ImageAlpha alpha = ImageAlpha::opaque;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    for (std::size_t i = 0; i < count; ++i) {
        const stbi_uc a = pixels[4 * i + 3];
        if (a == 255) continue;
        if (a != 0) {
            alpha = ImageAlpha::blended;
            break;
        }
        alpha = ImageAlpha::cut_out;
    }
    stbi_image_free(pixels);
    return alpha;
}
