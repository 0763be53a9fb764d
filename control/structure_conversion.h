#pragma once
// The fifth conversion: the model read by its chunk structure, written as OBJ
// text with an MTL file beside it. Same entry as the four strategies, so the
// commands load, limit and report it as they do the buttons.

#include <cstdint>
#include <string>
#include <vector>

void structure(const char* source_path);

// true: every part stays in its own frame's space (the command line's --local).
void set_structure_local(bool local);

// true: night vertex colours instead of the day ones (the command line's --night).
void set_structure_night(bool night);

// How many geometries the last structure conversion wrote (whole or in part).
std::uint32_t structure_geometries_written();

// The textures and masks that the last structure conversion's materials name,
// each once, spelled as the first material spells it.
const std::vector<std::string>& structure_texture_names();

// What first made the last structure conversion doubtful, as its OBJ text tells
// it; empty when it was clean.
const std::string& structure_first_doubt();

// Writes the last structure conversion's MTL file beside its OBJ file, once its
// output is kept: a conversion passed over leaves no MTL file behind. mtl_path
// tells where; false when it could not be written.
bool write_structure_mtl(std::string& mtl_path);

// true for a model file whose first chunk is not its clump (a UV animation
// dictionary, say) while a clump follows: structure reads it, the four
// strategies refuse it by its first byte as the window does.
bool clump_after_other_chunks(const std::string& path);

// After a strategy ran: the model it loaded was refused for its first byte.
bool refused_by_type_mark();

// The MTL file beside an OBJ file: house.dff.obj gives house.dff.mtl.
std::string mtl_file_name_for(const std::string& obj_file_name);
