#include "engine/obj_output.h"

#include <cstdio>
#include <cstring>

#include "engine/conversion_state.h"
#include "engine/error_box.h"

ObjOutputBuffer obj_output_buffer;

namespace {

void hand_on(const char* bytes, unsigned count) {
    if (obj_output_buffer.sink)
        obj_output_buffer.sink->take(bytes, count);
    else
        std::fwrite(bytes, 1, count, conversion_state.output);
}

}  // namespace

void flush_output() {
    if (obj_output_buffer.used == 0) return;
    hand_on(obj_output_buffer.bytes, obj_output_buffer.used);
    obj_output_buffer.used = 0;
}

void set_output_sink(const ObjOutputSink* sink) {
    flush_output();
    obj_output_buffer.sink = sink;
}

void put_bytes(const char* bytes, unsigned count) {
    if (count > obj_output_capacity) {
        flush_output();
        hand_on(bytes, count);
        return;
    }
    std::memcpy(reserve_output(count), bytes, count);
    commit_output(count);
}

void put_text(const char* text) { put_bytes(text, static_cast<unsigned>(std::strlen(text))); }

void run_with_gathered_output(void (*strategy_run)(const char*), const char* source_path) {
    run_gathered([&] { strategy_run(source_path); });
}

void show_error_box_after_text(const char* text) {
    flush_output();
    show_error_box(text);
}
