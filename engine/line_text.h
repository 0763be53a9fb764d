#pragma once
// Lines of OBJ text are put together in a local char array and written with
// one call: a 127 MB model produces millions of lines.

// Copies text without its terminator to out; returns the number of characters.
inline unsigned copy_text(char* out, const char* text) {
    unsigned n = 0;
    while (text[n] != '\0') {
        out[n] = text[n];
        ++n;
    }
    return n;
}
