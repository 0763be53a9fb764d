#pragma once
// Runs engine operations the way a conversion does and hands back what they wrote.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/strategies.h"

// Makes bytes the current model, as a load of a file holding them would.
void load_model(const std::vector<std::uint8_t>& bytes);

struct StrategyRun {
    std::string header;  // the loader's "# <path>\n"
    std::string body;    // everything after the header line
    int had_errors;
    std::vector<std::string> boxes;
};

// Writes the model into a temporary folder, makes it the current folder and runs
// the strategy on the model's path with a fresh output, had_errors 0 and a
// recording platform. The model stays loaded.
StrategyRun run_strategy(Strategy strategy, const std::vector<std::uint8_t>& model);

struct DecodedBlock {
    std::string text;
    unsigned end;     // block_offset as the decoder left it
    int vertex_base;  // as the decoder left it
    int result;
    int had_errors;   // set by this call
};

// What decode_geometry_block writes for the block at offset of the model now
// loaded; the conversion's own output and had_errors are left as they were.
// source_length defaults to the loaded length.
DecodedBlock decode_block(unsigned offset, int variant, int vertex_base);
DecodedBlock decode_block(unsigned offset, int variant, int vertex_base, unsigned source_length);
