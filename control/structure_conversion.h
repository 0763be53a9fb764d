#pragma once
// The fifth conversion: the model read by its chunk structure, written as OBJ
// text with an MTL file beside it. Same entry as the four strategies, so the
// commands load, limit and report it as they do the buttons.

#include <cstdint>
#include <string>

void structure(const char* source_path);

// true: every part stays in its own frame's space (the command line's --local).
void set_structure_local(bool local);

// How many geometries the last structure conversion wrote (whole or in part).
std::uint32_t structure_geometries_written();

// The MTL file beside an OBJ file: house.dff.obj gives house.dff.mtl.
std::string mtl_file_name_for(const std::string& obj_file_name);
