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

// The same pictures as a PS2 dictionary holds them, one texture in each PS2 layout:
//
//   stone       32 x 32  32-bit colour, alpha 0 to 0x80
//   metal       16 x 16  16-bit colour, no upload packets
//   glass       16 x 16  32-bit colour with alpha
//   glass_mask  16 x 16  8-bit palette, swizzled
//   glass_frame 32 x 16  4-bit palette, swizzled
std::vector<std::uint8_t> lamp_console_dictionary();
