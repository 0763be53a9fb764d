#pragma once
// A map scene's glTF files beside its OBJ file's place: DIR/map.glb with
// everything inside, or DIR/map.gltf with map.bin, naming the PNG files the
// scene's textures were written to under DIR/textures/.

#include <functional>
#include <string>

#include "control/gltf_output.h"
#include "export/gltf_scene.h"

// Finishes plan with the PNG files its image keys name (none when images is
// false) and writes it. placed_at gives the path, relative to obj_path's
// folder, where the PNG of a key went: a texture may come from another
// dictionary than the one its material names. written names the files
// written, joined by ", "; false with the reason in why.
bool write_gltf_scene_files(GltfScene plan, GltfContainer container, const std::string& obj_path, bool images,
                            const std::function<std::string(const std::string& key)>& placed_at,
                            std::string& written, std::string& why);
