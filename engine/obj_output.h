#pragma once
// Every character of OBJ text goes to the conversion's output stream through here.
//
// While a strategy runs, the text is gathered in one static buffer and handed
// to the stream in large pieces: a 127 MB model makes hundreds of megabytes of
// text in millions of short lines, and a stream call per line would cost more
// than the conversion itself. Outside a run every piece goes straight to the
// stream, so an operation called on its own leaves its text in the stream.

constexpr unsigned obj_output_capacity = 256 * 1024;

struct ObjOutputBuffer {
    unsigned used;  // bytes gathered and not yet handed to the stream
    int holding;    // 1 while a strategy runs: text waits until the buffer is full
    char bytes[obj_output_capacity];
};
extern ObjOutputBuffer obj_output_buffer;

// Hands everything gathered to the output stream.
void flush_output();

// Room for up to room bytes (at most obj_output_capacity) at the end of the
// text; write into it, then commit what was written.
inline char* reserve_output(unsigned room) {
    if (obj_output_capacity - obj_output_buffer.used < room) flush_output();
    return obj_output_buffer.bytes + obj_output_buffer.used;
}

inline void commit_output(unsigned count) {
    obj_output_buffer.used += count;
    if (!obj_output_buffer.holding) flush_output();
}

void put_text(const char* text);
void put_bytes(const char* bytes, unsigned count);

// Runs a strategy with its text gathered, and hands all of it to the stream
// before returning. Every strategy's entry point goes through here.
void run_with_gathered_output(void (*strategy_run)(const char* source_path), const char* source_path);

// The same for any conversion that is called as run().
template <class Run>
void run_gathered(Run&& run) {
    // A box's own message loop may run commands while a strategy runs; whatever
    // it starts, the text is gathered until the outermost run ends.
    const int was_holding = obj_output_buffer.holding;
    obj_output_buffer.holding = 1;
    run();
    flush_output();
    obj_output_buffer.holding = was_holding;
}

// show_error_box after handing the text so far to the stream: while the box
// is up, the OBJ file shows everything written before it.
void show_error_box_after_text(const char* text);
