#include "engine/geometry_block.h"

#include <cstring>

#include "engine/conversion_state.h"
#include "engine/decimal_digits.h"
#include "engine/line_text.h"
#include "engine/number_output.h"
#include "engine/number_text.h"
#include "engine/obj_output.h"
#include "engine/source_bytes.h"

namespace {

constexpr unsigned largest_vertex_count = 65535;
constexpr unsigned header_size = 12;
constexpr unsigned uv_record_size = 8;
constexpr unsigned face_record_size = 8;
constexpr unsigned face_tail_size = 24;  // unread bytes between the faces and the positions
constexpr unsigned vertex_record_size = 12;
constexpr unsigned normal_size = 12;
// "f ", three "%d/%d " of at most 11 characters a number, the newline, and
// the 8 bytes that format_index_pair may write past its text.
constexpr unsigned face_line_room = 2 + 3 * (11 + 1 + 11 + 1) + 1 + 8;

// How many of count records of size bytes, the first at offset, lie wholly
// inside the source buffer. Counts come from the model and may be anything;
// this is what keeps every read inside the buffer.
unsigned records_inside(unsigned offset, unsigned size, unsigned count) {
    if (offset >= source_capacity) return 0;
    unsigned room = (source_capacity - offset) / size;
    return count < room ? count : room;
}

// A block whose counts lead past the buffer ends where its next record would
// not fit. block_offset is left there (like a complete block, it ends where
// reading stopped), so a strategy never re-enters the bytes just written out.
int stop_at_buffer_end(unsigned& block_offset, unsigned read_pos) {
    put_text("# ERROR! block runs past the end of the source buffer\n\n");
    conversion_state.had_errors = 1;
    block_offset = read_pos;
    return 1;
}

// "<text>0x<offset>\n"
void put_offset_line(const char* text, unsigned offset) {
    char line[48];
    unsigned n = copy_text(line, text);
    n += format_hex(offset, line + n);
    line[n++] = '\n';
    put_bytes(line, n);
}

// "%d/%d " with the same OBJ number twice. Writes up to 8 bytes past its
// text, which the face line's room takes in.
unsigned format_index_pair(unsigned index, char* out) {
    if (digits_in_registers && index < 100000000) {
        // All digits in one register, stored twice.
        const unsigned n = digits_below_hundred_million(index);
        const std::uint64_t digits = eight_digit_bits(index) >> (8 * (8 - n));
        std::memcpy(out, &digits, 8);
        out[n] = '/';
        std::memcpy(out + n + 1, &digits, 8);
        out[2 * n + 1] = ' ';
        return 2 * n + 2;
    }
    unsigned n = format_int(static_cast<int>(index), out);
    out[n] = '/';
    for (unsigned k = 0; k < n; ++k) out[n + 1 + k] = out[k];
    out[2 * n + 1] = ' ';
    return 2 * n + 2;
}

void put_counts_line(unsigned vertex_count, unsigned face_count) {
    char line[64];
    unsigned n = copy_text(line, "#  ");
    n += format_int(static_cast<int>(vertex_count), line + n);
    n += copy_text(line + n, " verts, ");
    n += format_int(static_cast<int>(face_count), line + n);
    n += copy_text(line + n, " faces\n");
    put_bytes(line, n);
}

void put_range_lines(unsigned lowest_index, unsigned highest_index, unsigned vertex_count) {
    char line[96];
    unsigned n = copy_text(line, "# face index min/max: ");
    n += format_int(static_cast<int>(lowest_index), line + n);
    n += copy_text(line + n, " / ");
    n += format_int(static_cast<int>(highest_index), line + n);
    n += copy_text(line + n, "\n\n");
    put_bytes(line, n);

    unsigned delta = highest_index + 1 - lowest_index;
    if (delta != vertex_count) {
        n = copy_text(line, "# ERROR! faceindex delta= ");
        n += format_int(static_cast<int>(delta), line + n);
        n += copy_text(line + n, " != verts count\n\n");
        put_bytes(line, n);
        conversion_state.had_errors = 1;
    }
}

}  // namespace

unsigned read_face_index(unsigned& read_pos, unsigned& consumed_bytes, unsigned& lowest_index,
                         unsigned& highest_index, unsigned base) {
    const unsigned char* bytes = conversion_state.source_buffer + read_pos;
    unsigned index = base + (bytes[0] | bytes[1] << 8) + 1;
    read_pos += 2;
    consumed_bytes += 2;
    if (index < lowest_index) lowest_index = index;
    if (index > highest_index) highest_index = index;
    return index;
}

int decode_geometry_block(unsigned& block_offset, unsigned source_length, int block_variant,
                          int& vertex_base) {
    unsigned lowest_index = 10000000;
    unsigned highest_index = 1;

    // A header that reaches past the buffer reads its missing bytes as zero.
    unsigned face_count = buffer_u32(block_offset);
    unsigned vertex_count = buffer_u32(block_offset + 4ull);

    if (vertex_count > largest_vertex_count) {
        show_error_box_after_text("vertex count is way to large. Try other button.");
        return 0;
    }
    if (face_count == 0) {
        put_text("# faces count is zero.\n");
        return 0;
    }
    put_counts_line(vertex_count, face_count);
    if (buffer_byte(block_offset + 8ull) != 1)
        put_text("# >>> Warning: missing 1 after vertscount. Following data unreliable!\n\n");

    // From here on block_offset < source_capacity (a header wholly outside the
    // buffer reads a face count of 0), so no offset sum below can wrap.
    block_offset += header_size;
    if (block_variant == 4) block_offset += 4 * vertex_count;
    unsigned read_pos = block_offset;
    unsigned consumed_bytes = 0;
    put_offset_line("# uvs at 0x", block_offset);

    unsigned uvs_inside = records_inside(read_pos, uv_record_size, vertex_count);
    for (unsigned i = 0; i < uvs_inside; ++i) write_uv_line(read_pos, consumed_bytes);
    if (uvs_inside < vertex_count) return stop_at_buffer_end(block_offset, read_pos);
    put_text("\n");

    if (block_variant == 3) {
        read_pos += 8 * vertex_count;
        consumed_bytes += 8 * vertex_count;
    }
    // The UV bytes alone are compared with the whole source: a UV section larger
    // than the model cannot be real, and what follows it would be nonsense.
    if (source_length < consumed_bytes) return 1;

    put_offset_line("# FIs at 0x", block_offset + consumed_bytes);
    unsigned base = static_cast<unsigned>(vertex_base);
    unsigned faces_inside = records_inside(read_pos, face_record_size, face_count);
    for (unsigned i = 0; i < faces_inside; ++i) {
        unsigned a = read_face_index(read_pos, consumed_bytes, lowest_index, highest_index, base);
        unsigned b = read_face_index(read_pos, consumed_bytes, lowest_index, highest_index, base);
        read_face_index(read_pos, consumed_bytes, lowest_index, highest_index, base);
        unsigned d = read_face_index(read_pos, consumed_bytes, lowest_index, highest_index, base);
        char* line = reserve_output(face_line_room);
        line[0] = 'f';
        line[1] = ' ';
        unsigned n = 2;
        n += format_index_pair(a, line + n);
        n += format_index_pair(b, line + n);
        n += format_index_pair(d, line + n);
        line[n++] = '\n';
        commit_output(n);
    }
    if (faces_inside < face_count) return stop_at_buffer_end(block_offset, read_pos);

    put_range_lines(lowest_index, highest_index, vertex_count);
    vertex_base = static_cast<int>(highest_index);

    read_pos += face_tail_size;
    consumed_bytes += face_tail_size;
    put_offset_line("# verts at 0x", block_offset + consumed_bytes);
    unsigned vertices_inside = records_inside(read_pos, vertex_record_size, vertex_count);
    for (unsigned i = 0; i < vertices_inside; ++i) write_position_line(read_pos, consumed_bytes);
    if (vertices_inside < vertex_count || records_inside(read_pos, normal_size, 1) == 0)
        return stop_at_buffer_end(block_offset, read_pos);
    put_text("\n");

    write_normal(read_pos, consumed_bytes, "# one normal(?) for test only: vn ");
    put_text("\n");

    block_offset += consumed_bytes;
    return 1;
}
