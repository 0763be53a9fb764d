#pragma once
// OBJ and MTL text for a model read by its structure.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

struct ObjWriteOptions {
    bool local = false;                // each part in its own frame's space, not placed
    bool night = false;                // night vertex colours instead of the day ones, where present
    std::string model_path;            // for the header
    std::string mtl_file_name;         // the mtllib line, e.g. "house.dff.mtl"
    std::string program_name_version;  // e.g. "vorlund-obj 1.0.0"
    // When set, the OBJ text is handed here in pieces as it grows, and
    // ObjText::obj is left empty: a large model's text need not fit in memory.
    std::function<void(std::string_view)> obj_sink;
    // The OBJ text stops (doubtful) once it passes this many bytes; 0: no limit.
    // Atomics may place one large geometry many times over.
    std::uint64_t max_obj_bytes = 0;
};

struct ObjText {
    std::string obj, mtl;
    bool doubtful = false;                 // not every geometry was converted whole
    std::string first_doubt;               // the first doubtful comment, for a one-line reason
    std::uint32_t geometries_written = 0;  // geometries with at least one object in the OBJ
    std::vector<std::string> texture_names, mask_names;  // as the materials name them, each once
};

ObjText write_obj(const Model& model, const ObjWriteOptions& options);
