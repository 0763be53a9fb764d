#pragma once
// The platform the command line runs the window's commands on: the Open
// dialog chooses the model the caller names, and every box is recorded, and
// shown as a line on stderr when the run is verbose.

#include <functional>
#include <string>
#include <vector>

// Installs the session's platform; with show_boxes, each box is also a line on stderr.
void start_console_session(bool show_boxes = true);

// The model the next Open command chooses (an absolute path that fits the
// source path); the dialog makes its folder the current one, as the window's
// dialog does. With a folder that cannot be entered, the dialog is cancelled.
// enter_folder false: the current folder stays (an archive's entry has no folder to enter).
void choose_next(const std::string& model_path, bool enter_folder = true);

// The texts of the boxes shown since the last call, which clears them.
std::vector<std::string> take_box_texts();

// Called with each box's text while the box is up (what the commands left on
// disk can be looked at then); empty for none.
void watch_boxes(std::function<void(const std::string& text)> watcher);

// errno as it was when the last box came up: after the OBJ file's open error,
// why the open failed.
int errno_at_last_box();

// One line "vorlund-obj: <text>" on stderr, after the progress line if one is up.
void say(const std::string& text);

// Text as another process would have put it on stderr, after the progress
// line if one is up.
void pass_on(const std::string& text);

// A line on stderr that the next line replaces; only on a terminal. The text
// must fit the terminal's width (terminal_columns).
void show_progress(const std::string& text);

// Takes the progress line back, if one is up.
void clear_progress();
