#pragma once
// The one search primitive of the strategies.

// Distance i (0 <= i <= window) from start of the first place where the
// pattern's length elements equal the source bytes, or 0 for none. A match at
// start itself also reads 0. Nothing at or past the source length is read.
unsigned find_pattern(unsigned start, unsigned window, const int* pattern, int length);
