#pragma once
// A structure conversion's glTF files beside its OBJ file's place: house.dff.glb
// with everything inside, or house.dff.gltf with house.dff.bin; the images are
// the PNG files of the textures, as the MTL file's map_Kd lines name them.

#include <filesystem>
#include <map>
#include <string>

#include "export/gltf_writer.h"

enum class GltfContainer { glb, gltf };

// house.dff.obj gives house.dff.glb (or .gltf); the buffer of a .gltf file is .bin.
std::string gltf_file_name_for(const std::string& obj_file_name, const char* extension);

// The PNG file as an image: inside a glb, otherwise named by uri; false when
// it cannot be read.
bool gltf_image_of_file(const std::filesystem::path& file, const std::string& uri, GltfContainer container,
                        GltfImage& image);

// The document beside obj_path's place as the container wants it; written
// names the files written, joined by ", "; false with the reason in why.
bool write_gltf_document(GltfDocument& document, GltfContainer container, const std::string& obj_path,
                         std::string& written, std::string& why);

// Finishes plan with the PNG files found in folder, or where placed names
// them (a lower-case PNG file name to its path relative to folder), and writes it. written
// names the files written, joined by ", "; false with the reason in why.
bool write_gltf_files(GltfModel plan, GltfContainer container, const std::string& obj_path,
                      const std::string& png_folder, const std::map<std::string, std::string>& placed, bool images, std::string& written, std::string& why,
                      std::vector<std::string>* notes = nullptr);
