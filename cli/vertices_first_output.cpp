#include "cli/vertices_first_output.h"

#include <cstdio>

#include "cli/vertices_first_text.h"
#include "engine/conversion_state.h"
#include "engine/obj_output.h"

namespace {

VerticesFirstText& reorder() {
    static VerticesFirstText text([](const char* bytes, std::size_t count) {
        std::fwrite(bytes, 1, count, conversion_state.output);
    });
    return text;
}

bool incomplete = false;

const ObjOutputSink sink = {
    [](const char* bytes, unsigned count) { reorder().take(bytes, count); },
    [] {
        if (!reorder().end()) incomplete = true;
    },
};

}  // namespace

VerticesFirstOutput::VerticesFirstOutput() {
    incomplete = false;
    set_output_sink(&sink);
}

VerticesFirstOutput::~VerticesFirstOutput() { set_output_sink(nullptr); }

bool VerticesFirstOutput::out_of_memory() const { return incomplete; }
