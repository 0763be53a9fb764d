#pragma once
// The materials of a glTF document: colour and texture of each, as the MTL
// file names them, with the images and the samplers they need.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/gltf_document.h"
#include "model/model.h"

struct GltfMaterialEntry {
    std::string name;
    Material material;
    bool double_sided = false;
    // What the texture's image is looked up and shared by, when not its name:
    // a scene's textures of the same name from two dictionaries are two images.
    std::string image_key{};
};

// A texture's image: its PNG bytes, and the file name to refer to it by;
// with an empty uri the bytes go into the binary buffer.
struct GltfImage {
    std::vector<std::uint8_t> png;
    std::string uri;
};

// The image of a texture as the materials name it (or by its entry's
// image_key); false when there is none.
using GltfImageLookup = std::function<bool(const std::string& texture, GltfImage& image)>;

// Adds every entry as a material, in order, so that entry i is material i of
// the document (which must have none before). Each texture's image and each
// sampling is added once.
void add_gltf_materials(GltfDocument& document, const std::vector<GltfMaterialEntry>& entries,
                        const GltfImageLookup& lookup);

enum class ImageAlpha { opaque, cut_out, blended };

// What the PNG's alpha holds: nothing (or 255 throughout), only 0 and 255, or more.
ImageAlpha png_alpha(const std::vector<std::uint8_t>& png);
