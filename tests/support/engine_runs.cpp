#include "support/engine_runs.h"

#include <cstdio>
#include <stdexcept>

#include "engine/conversion_state.h"
#include "engine/geometry_block.h"
#include "engine/source_loading.h"
#include "support/process_guards.h"
#include "support/fake_platform.h"
#include "support/model_builder.h"
#include "support/output_capture.h"

void load_model(const std::vector<std::uint8_t>& bytes) {
    place_source(bytes.data(), static_cast<unsigned>(bytes.size()));
}

StrategyRun run_strategy(Strategy strategy, const std::vector<std::uint8_t>& model) {
    TempFolder folder;
    std::string path = folder.write("model.dff", model).string();
    CurrentFolder here(folder.path);  // as the Open dialog leaves it
    FakePlatform fake;
    OutputCapture capture;
    strategy(path.c_str());
    std::string text = capture.text();
    StrategyRun run;
    std::size_t header_end = text.find('\n');
    run.header = text.substr(0, header_end == std::string::npos ? text.size() : header_end + 1);
    run.body = text.substr(run.header.size());
    run.had_errors = conversion_state.had_errors;
    run.boxes = fake.box_texts();
    if (run.header != "# " + path + "\n") throw std::runtime_error("unexpected header: " + run.header);
    return run;
}

DecodedBlock decode_block(unsigned offset, int variant, int vertex_base) {
    return decode_block(offset, variant, vertex_base,
                        static_cast<unsigned>(conversion_state.source_length));
}

DecodedBlock decode_block(unsigned offset, int variant, int vertex_base, unsigned source_length) {
    std::FILE* saved_output = conversion_state.output;
    int saved_errors = conversion_state.had_errors;
    std::FILE* file = std::tmpfile();
    if (!file) throw std::runtime_error("tmpfile failed");
    conversion_state.output = file;
    conversion_state.had_errors = 0;

    DecodedBlock block;
    block.end = offset;
    block.vertex_base = vertex_base;
    block.result = decode_geometry_block(block.end, source_length, variant, block.vertex_base);
    block.had_errors = conversion_state.had_errors;

    std::fflush(file);
    long size = std::ftell(file);
    block.text.resize(static_cast<std::size_t>(size));
    std::rewind(file);
    block.text.resize(std::fread(block.text.data(), 1, block.text.size(), file));
    std::fclose(file);
    conversion_state.output = saved_output;
    conversion_state.had_errors = saved_errors;
    return block;
}
