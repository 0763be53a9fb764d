#pragma once
// The platform the command line runs the window's commands on: the Open
// dialog chooses the model the caller names, and every box is a line on stderr.

#include <string>
#include <vector>

// Installs the session's platform.
void start_console_session();

// The model the next Open command chooses (an absolute path that fits the
// source path); the dialog makes its folder the current one, as the window's
// dialog does. With a folder that cannot be entered, the dialog is cancelled.
void choose_next(const std::string& model_path);

// The texts of the boxes shown since the last call, which clears them.
std::vector<std::string> take_box_texts();

// One line "vorlund-obj: <text>" on stderr, after the progress line if one is up.
void say(const std::string& text);

// Text as another process would have put it on stderr, after the progress
// line if one is up.
void pass_on(const std::string& text);

// A progress line on stderr that the next line replaces; only on a terminal.
void show_progress(const std::string& text);
