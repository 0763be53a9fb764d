#pragma once
// The operating system's file services that loading a model needs, with a
// Win32 half and a POSIX half side by side. Nothing here writes OBJ text.

#include <cstdint>

// Room for a found name: the system's longest path with its terminator.
constexpr unsigned found_name_capacity = 260;

struct SourceFileInfo {
    unsigned long long size;              // the whole size, never cut to 32 bits
    unsigned attributes;                  // handed back to the open as its flags
    char found_name[found_name_capacity]; // the file's own name, without any folder
};

// An open model file: a Win32 handle or a POSIX descriptor.
using SourceFileHandle = std::intptr_t;

// Looks path up and ends the lookup. 1 with info filled; 0 with error set to
// the system's code.
int look_up_source_file(const char* path, SourceFileInfo& info, unsigned& error);

// Opens the found name against the current directory for reading, exclusively
// where the system allows it. 1 with file set; 0 when the file cannot be opened
// as a model (also when it is a folder).
int open_source_file(const SourceFileInfo& info, SourceFileHandle& file);

// Reads size bytes from the file's start into bytes. 1 only when all of them
// arrived; 0 with error set to the system's code, or to the end-of-file code
// when the file held fewer bytes than asked.
int read_source_file(SourceFileHandle file, unsigned char* bytes, unsigned size, unsigned& error);

void close_source_file(SourceFileHandle file);
