#pragma once
// Writers of the decoded floats. Each takes all its bytes at read_pos (an offset
// into the source buffer), moves read_pos and consumed_bytes on by as many bytes,
// then writes. The caller guarantees the bytes lie inside the source buffer.

// "%f " (the number and a blank).
void write_float(unsigned& read_pos, unsigned& consumed_bytes);

// "<prefix> x y z\n" from three floats.
void write_vector(unsigned& read_pos, unsigned& consumed_bytes, const char* prefix);

// write_vector, then the unit-length check: a failing vector is followed by
// "ERROR with normals\n" and sets had_errors.
void write_normal(unsigned& read_pos, unsigned& consumed_bytes, const char* prefix);

// The unit-length check alone: 1 when (x, y, z) passes. Each component is
// first rounded to single precision.
int is_unit_length(double x, double y, double z);

// Its last step: 1 when t, the squared length minus one, lies from -0.1 to 0.1
// (both bounds included) or is a NaN.
int is_within_unit_tolerance(double t);
