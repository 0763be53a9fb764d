#pragma once
// The generated dictionaries the texture benchmarks run on: every raster
// format (the PC ones, palettes, block compression, the PS2 layouts), sizes
// from 4 x 4 to 2048 x 2048, painted like real textures (smooth shading with a
// little grain) so that a PNG compressor works as hard as on real images.

#include <cstdint>
#include <vector>

#include "support/dictionary_builder.h"

// count dictionaries, the same for the same count: about 15 textures each,
// mostly 32 to 256 pixels a side; the first holds one 2048 x 2048 texture and
// the second one 1024 x 512.
std::vector<std::vector<TextureLayout>> texture_set(unsigned count);
