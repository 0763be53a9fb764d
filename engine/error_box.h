#pragma once
// The engine's one way to tell the user about a failure. The engine only
// declares it: whoever hosts the engine (the window, the command line, a test)
// provides it, so the engine stays free of any user interface.

// Tells the user about a failure: a modal OK box owned by the active window and
// captioned with the program's own path (at most 127 characters).
void show_error_box(const char* text);
