#pragma once
// The one process-wide record of the converter: what outlives a single command.
// It lives with the engine, which reads and writes it; the commands drive it.

#include <cstdio>

// The source buffer holds the whole model; every offset into it is a file offset.
constexpr unsigned source_capacity = 127000000;
// One byte less than the buffer, so an accepted model always fits.
constexpr unsigned long long max_model_size = 126999999;

constexpr unsigned source_path_capacity = 260;
constexpr unsigned output_path_capacity = 264;

struct ConversionState {
    char source_path[source_path_capacity];  // full path of the chosen model
    char output_path[output_path_capacity];  // bare OBJ file name, resolved in the current folder
    std::FILE* output;                       // the OBJ file while a model is chosen
    int output_open;                         // 1 exactly while output is open for a chosen model
    int had_errors;                          // the running conversion judged its output doubtful
    int source_length;                       // bytes of the current model, 0 for none
    unsigned char source_buffer[source_capacity];
};

// Static and zero-initialised: it costs no room in the program file and no heap.
extern ConversionState conversion_state;
