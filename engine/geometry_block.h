#pragma once
// Decodes one geometry block in place in the source buffer into its OBJ body.

// Reads a 16-bit index at read_pos, returns base + index + 1 (unsigned 32-bit)
// and widens [lowest_index, highest_index] to it.
unsigned read_face_index(unsigned& read_pos, unsigned& consumed_bytes, unsigned& lowest_index,
                         unsigned& highest_index, unsigned base);

// block_variant: 1 (go1), 2 (go2, same as 1), 3 (go3: 8 bytes a vertex after the
// UVs), 4 (go4: 4 bytes a vertex before the UVs). Returns 1 when the block was
// decoded (wholly or up to the UV-size check), 0 when rejected. Moves
// block_offset past what it consumed and vertex_base on to the block's highest index.
int decode_geometry_block(unsigned& block_offset, unsigned source_length, int block_variant,
                          int& vertex_base);
