#pragma once
// The vertices-first order worked out line by line over a whole text, the
// plain way, to hold the one-pass writer of the command line against.

#include <string>

// Each group (a "g " line up to the next one or the end) of the engine's shape
// (a lead, its "# uvs at 0x" line, UV and face lines, its "# verts at 0x"
// line, v lines and perhaps a blank line, then no more section lines) gets
// that "# verts at" line, its v lines and the blank line moved to just before
// its "# uvs at" line; all else stays. A last line without its line end ending
// the v lines keeps its group as it is.
std::string vertices_first_reference(const std::string& text);
