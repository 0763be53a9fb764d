#pragma once
// The PNG files of a kept structure conversion: the textures its materials
// name, looked up in the model's own dictionary and then the -t ones, written
// beside the OBJ file. Textures are not geometry: nothing here changes the
// model's outcome.

#include <string>
#include <vector>

// Writes the textures names asks for (a structure conversion's) beside its OBJ file
// and tells on stderr what went wrong (a dictionary missing or damaged, the
// textures no dictionary holds, on one line) and, unless quiet, how many
// were written. shared: the -t dictionaries, absolute, in the order named.
// One record of what was written spans the process, so that within a run the
// first dictionary to write a PNG keeps it.
void write_model_textures(const std::string& model_path, const std::vector<std::string>& names,
                          const std::vector<std::string>& shared, bool quiet);
