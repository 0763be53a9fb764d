#pragma once

// Tells the user about a failure: a modal OK box owned by the active window and
// captioned with the program's own path (at most 127 characters).
void show_error_box(const char* text);
