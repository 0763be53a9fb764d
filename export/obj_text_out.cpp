#include "export/obj_text_out.h"

void ObjTextOut::comment(std::string_view text) {
    std::string line = "# ";
    line += text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    line += '\n';
    append(line);
}

void ObjTextOut::hand_on() {
    if (!sink_ || text_.empty()) return;
    sink_(text_);
    handed_ += text_.size();
    text_.clear();
}
