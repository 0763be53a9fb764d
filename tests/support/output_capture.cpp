#include "support/output_capture.h"

#include <stdexcept>

#include "engine/conversion_state.h"

OutputCapture::OutputCapture() : file(std::tmpfile()) {
    if (!file) throw std::runtime_error("tmpfile failed");
    conversion_state.output = file;
    conversion_state.output_open = 1;
    conversion_state.had_errors = 0;
}

OutputCapture::~OutputCapture() {
    if (conversion_state.output == file) {
        conversion_state.output = nullptr;
        conversion_state.output_open = 0;
    }
    std::fclose(file);
}

std::string OutputCapture::text() {
    std::fflush(file);
    long end = std::ftell(file);
    std::string s(static_cast<std::size_t>(end), '\0');
    std::rewind(file);
    std::size_t n = std::fread(s.data(), 1, s.size(), file);
    s.resize(n);
    std::fseek(file, 0, SEEK_END);
    return s;
}
