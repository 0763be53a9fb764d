#pragma once
// The street lamp's texture dictionary: one texture in each of several pixel
// formats, their pictures drawn by rule so that the file never changes.
//
//   stone       32 x 32  DXT1                bricks
//   metal       16 x 16  R5G6B5              brushed stripes
//   glass       16 x 16  A8R8G8B8 with alpha a lit pane in its frame
//   glass_mask  16 x 16  8-bit palette       the pane's see-through part

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> lamp_dictionary();
