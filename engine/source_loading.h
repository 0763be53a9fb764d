#pragma once
// Brings a whole model file into the source buffer.

// The boxes of a refused model: too large, and not a model file.
extern const char text_model_too_large[];
extern const char text_not_a_model[];

// Writes the header line, reads the file whole into the source buffer and
// returns its size; 0 when nothing usable was loaded (failures are reported in
// the OBJ text or, for an oversized file, in a box).
int load_source(const char* path);

// The opening step of every strategy: loads the model, sets the source length
// and checks the type mark. 1 to go on, 0 to return at once.
int prepare_source(const char* path);

// Places bytes as the current model without a file, leaving the source buffer
// and length as a successful load of a file with these bytes would (tests and
// fuzzing use it). size must not exceed the largest accepted model.
void place_source(const unsigned char* bytes, unsigned size);

// The command line's archive entries have no file of their own: while bytes
// are given (the caller keeps them alive), every load writes its header line
// for the path named and takes these bytes as that file's. Null gives the
// file back; the window never gives any.
void set_source_bytes(const unsigned char* bytes, unsigned long long size);
