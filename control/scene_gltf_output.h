#pragma once
// A map scene's glTF files beside its OBJ file's place: DIR/map.glb with
// everything inside, or DIR/map.gltf with map.bin, naming the PNG files the
// scene's textures were written to under DIR/textures/.

#include <string>

#include "control/gltf_output.h"
#include "export/gltf_scene.h"

// Finishes plan with the PNG files its image keys name relative to obj_path's
// folder (none when images is false) and writes it. written names the files
// written, joined by ", "; false with the reason in why.
bool write_gltf_scene_files(GltfScene plan, GltfContainer container, const std::string& obj_path, bool images,
                            std::string& written, std::string& why);
