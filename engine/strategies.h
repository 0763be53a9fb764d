#pragma once
// The four strategies behind the buttons go1 to go4. Each loads the model named
// by source_path, appends OBJ text to the output stream and sets had_errors when
// it judges its output doubtful.

using Strategy = void (*)(const char* source_path);

void go1(const char* source_path);
void go2(const char* source_path);
void go3(const char* source_path);
void go4(const char* source_path);
