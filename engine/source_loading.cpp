#include "engine/source_loading.h"

#include <cstdio>
#include <cstring>

#include "engine/conversion_state.h"
#include "engine/obj_output.h"
#include "engine/source_file.h"

const char text_model_too_large[] = "error: dff file > 124 MB. Nicht akzeptiert...";
const char text_not_a_model[] = "This doesn't seem to be a dff file!";

namespace {

// How far into the source buffer any model, whole or partly read, ever wrote.
// Past it the buffer still holds the zeros it started with, so clearing a
// longer model's tail never has to touch more than that model wrote.
unsigned written_end = 0;

const unsigned char* given_bytes = nullptr;
unsigned long long given_size = 0;

void will_write(unsigned size) {
    if (size > written_end) written_end = size;
}

// Makes the bytes past a model of size bytes read as zero, so that a model's
// OBJ text depends on its own bytes alone and not on what was loaded before.
void clear_stale_tail(unsigned size) {
    if (written_end > size)
        std::memset(conversion_state.source_buffer + size, 0, written_end - size);
    written_end = size;
}

void put_code_line(const char* format, unsigned code) {
    char line[64];
    int length = std::snprintf(line, sizeof line, format, code);
    put_bytes(line, static_cast<unsigned>(length));
}

}  // namespace

int load_source(const char* path) {
    put_text("# ");
    put_text(path);
    put_text("\n");

    if (given_bytes) {
        if (given_size > max_model_size) {
            show_error_box_after_text("error: dff file > 124 MB. Nicht akzeptiert...");
            return 0;
        }
        const unsigned size = static_cast<unsigned>(given_size);
        will_write(size);
        if (size > 0) std::memcpy(conversion_state.source_buffer, given_bytes, size);
        clear_stale_tail(size);
        return static_cast<int>(size);
    }

    SourceFileInfo info;
    unsigned error = 0;
    if (!look_up_source_file(path, info, error)) {
        put_code_line(" Invalid file handle. Error is %u\n", error);
        return 0;
    }
    if (info.size > max_model_size) {
        show_error_box_after_text(text_model_too_large);
        return 0;
    }

    SourceFileHandle file;
    if (!open_source_file(info, file)) {
        put_text("Could not open file ");
        put_text(path);
        put_text("!");
        return 0;
    }
    unsigned size = static_cast<unsigned>(info.size);
    // Raised before the read: a failed read may still have left bytes behind.
    will_write(size);
    if (!read_source_file(file, conversion_state.source_buffer, size, error)) {
        put_code_line("Error reading file: %u\n\n", error);
        close_source_file(file);
        return 0;
    }
    close_source_file(file);
    clear_stale_tail(size);
    return static_cast<int>(size);
}

int prepare_source(const char* path) {
    int size = load_source(path);
    conversion_state.source_length = size;
    if (size == 0) return 0;
    if (conversion_state.source_buffer[0] != 16) {
        show_error_box_after_text(text_not_a_model);
        return 0;
    }
    return 1;
}

void place_source(const unsigned char* bytes, unsigned size) {
    if (size > max_model_size) size = static_cast<unsigned>(max_model_size);
    will_write(size);
    if (size > 0) std::memcpy(conversion_state.source_buffer, bytes, size);
    clear_stale_tail(size);
    conversion_state.source_length = static_cast<int>(size);
}

void set_source_bytes(const unsigned char* bytes, unsigned long long size) {
    given_bytes = bytes;
    given_size = bytes ? size : 0;
}
