#pragma once
// Every character of OBJ text goes to the conversion's output stream through here.
//
// While a strategy runs, the text is gathered in one static buffer and handed
// to the stream in large pieces: a 127 MB model makes hundreds of megabytes of
// text in millions of short lines, and a stream call per line would cost more
// than the conversion itself. Outside a run every piece goes straight to the
// stream, so an operation called on its own leaves its text in the stream.

constexpr unsigned obj_output_capacity = 256 * 1024;

// A taker of the gathered text in place of the stream, for a program that
// wants the text in another order; the window writes straight to the stream.
struct ObjOutputSink {
    void (*take)(const char* bytes, unsigned count);  // the next piece, in order
    void (*end_of_run)();                             // the outermost run's text is all taken
};

struct ObjOutputBuffer {
    unsigned used;               // bytes gathered and not yet handed on
    int holding;                 // 1 while a strategy runs: text waits until the buffer is full
    const ObjOutputSink* sink;   // null: the text goes to the output stream
    char bytes[obj_output_capacity];
};
extern ObjOutputBuffer obj_output_buffer;

// Hands everything gathered to the output stream, or to the sink when one is set.
void flush_output();

// Null restores the stream.
void set_output_sink(const ObjOutputSink* sink);

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
    if (!was_holding && obj_output_buffer.sink) obj_output_buffer.sink->end_of_run();
}

// show_error_box after handing the text so far to the stream: while the box
// is up, the OBJ file shows everything written before it.
void show_error_box_after_text(const char* text);
