#pragma once
// Skips, 32 bytes at a time, the lines of a stretch of OBJ text that cannot
// matter to the vertices-first planner at the stage it is in: the planner
// would otherwise look at each of millions of short lines in turn.

// Lines that may matter, by their first two bytes.
enum class WantedLines {
    marks,         // starting with '#', 'g' or "v ": inside a group's UV and face lines
    not_vertices,  // anything but "v ": inside its v lines
    groups,        // starting with 'g': outside the groups
};

// from is the start of a line. Returns a line start p, from <= p < end, such
// that no line starting in [from, p) is wanted; p is itself a wanted line
// where one was found. Returns from when from's line is wanted, or when it
// cannot look ahead (a short stretch, a processor without 32-byte compares).
const char* skip_unwanted_lines(const char* from, const char* end, WantedLines wanted);
