#pragma once
// Four-byte little-endian single-precision numbers of the model files.

// Exact value of the bytes b0..b3 (b0 least significant) on any host byte
// order; magnitudes below 2^-31 flush to a zero of the same sign.
double decode_float(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3);
