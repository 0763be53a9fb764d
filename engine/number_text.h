#pragma once
// Number text of the OBJ output, produced without the C runtime's printf so the
// Windows build writes exactly what the Linux build writes.

// Room enough for any value decode_float yields in fixed notation, and the terminator.
constexpr unsigned fixed_text_capacity = 64;

// The text printf("%f") gives for value on glibc: six decimals, ties to even,
// "-" for negative zero, "inf", "-inf", "nan", "-nan". Exact for every double
// below 2^128 in magnitude, which takes in every value decode_float yields;
// larger finite doubles are out of range and write as an infinity. Writes no
// terminator; returns the length.
unsigned format_fixed(double value, char* out);

// "%d", "%u" and "%x" (lower case, no leading zeros); no terminator; the length.
unsigned format_int(int value, char* out);
unsigned format_unsigned(unsigned value, char* out);
unsigned format_hex(unsigned value, char* out);
