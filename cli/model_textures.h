#pragma once
// The PNG files of a kept structure conversion: the textures its materials
// name, looked up in the model's dictionaries in the game's order (see
// control/texture_order.h), written beside the OBJ file or, for a job with a
// texture root, into one folder per dictionary with the MTL file naming them
// there. Textures are not geometry: nothing here changes the model's outcome.

#include "cli/convert_model.h"

class TextureCatalog;
struct StructureResult;

// The item definitions, archives and shared dictionaries of the run; none until set.
void set_texture_catalog(const TextureCatalog& catalog);

// Writes the textures of a structure conversion's result and tells on stderr
// what went wrong (a dictionary missing or damaged, the textures no dictionary
// holds, on one line) and, unless quiet, how many were written. Textures in
// folders of their own are named in the result's MTL text and texture_paths.
// One record of what was written spans the process, so that within a run the
// first dictionary to write a PNG keeps it and a shared one is not encoded again.
void write_model_textures(const ModelJob& job, StructureResult& result);
