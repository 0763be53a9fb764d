#pragma once
// A collision file converted: its models as OBJ + MTL (city.col.obj and
// city.col.mtl) and/or glTF beside the OBJ file's place.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct CollisionRequest {
    bool obj = true, glb = false, gltf = false;
    bool third_game = false;           // version-1 records read with the third game's surfaces
    std::string source_name;           // for the header and the glTF root
    std::string program_name_version;  // e.g. "vorlund-obj 1.0.0"
};

struct CollisionResult {
    std::string refused;              // not a collision file, and why: nothing written
    std::size_t models = 0, skipped = 0;
    std::vector<std::string> notes;   // a line a skipped record and a warning
    std::string files;                // written, joined by ", "
    std::string why;                  // a file could not be written
};

// Whether the path (or an archive entry's name) ends in .col, any case.
bool is_collision_path(const std::string& path);

// The bytes of a collision file, or of an archive's entry (archive_data not
// empty) from start on; the reason when they cannot be had.
std::string read_collision_bytes(const std::string& path, const std::string& archive_data, std::uint64_t start,
                                 std::uint64_t length, std::string& bytes);

// The --inspect listing of the bytes; well_formed when every record was read.
std::string collision_listing(std::string_view bytes, bool& well_formed);

// A model's collision beside its OBJ file: house.dff.obj gives
// house.dff.col.obj and house.dff.col.mtl. written names them; false with why.
struct CollisionModel;
bool write_model_collision(const std::vector<CollisionModel>& models, bool third_game, const std::string& model_obj_path,
                           const std::string& model_name, std::string& written, std::string& why);

CollisionResult convert_collision(std::string_view bytes, const std::string& obj_path, const CollisionRequest& request);
