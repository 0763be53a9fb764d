#pragma once
// The finished OBJ file rewritten with each group's vertices first (cli/obj_reorder.h).

#include <string>

// Rewrites the file at path through a file beside it, path + ".part", renamed
// over it at the end, reading the file twice and holding only fixed buffers.
// A file with nothing to move, and anything that is not a plain file (a pipe,
// a device), is left untouched. false with error set when the file could not
// be rewritten; the file is then as it was.
bool rewrite_vertices_first(const std::string& path, std::string& error);
