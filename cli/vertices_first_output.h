#pragma once
// go1..go4's OBJ text written vertices first (cli/vertices_first_text.h) as the
// engine makes it, for the command line.

// While one lives, the engine hands its text to the reorder, which writes to
// the output stream; a write that fails shows at the stream's close as ever.
class VerticesFirstOutput {
public:
    VerticesFirstOutput();
    ~VerticesFirstOutput();
    VerticesFirstOutput(const VerticesFirstOutput&) = delete;
    VerticesFirstOutput& operator=(const VerticesFirstOutput&) = delete;

    // A group's text could not be held for want of memory: the text written
    // since this was made is incomplete.
    bool out_of_memory() const;
};
