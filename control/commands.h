#pragma once
// What the user's commands do to the conversion state. The window procedure
// hands every WM_COMMAND and WM_CLOSE here; the command line drives the same calls.

#include <cstdint>
#include <string>

#include "control/platform.h"
#include "engine/strategies.h"

// Command and control ids.
constexpr int id_go1 = 3, id_go2 = 4, id_go3 = 5, id_go4 = 6;
// The structure conversion has no button in the window (7 is its labels); the command line sends it.
constexpr int id_structure = 9073;
constexpr int id_about = 9069, id_open = 9070, id_exit = 9071;

// Dispatches on the low 16 bits of wparam; always 0 (handled).
int handle_command(WindowHandle main_window, std::uintptr_t wparam);

// Closes an open OBJ file and destroys the main window; always 0.
int handle_close(WindowHandle main_window);

// Asks for a model and opens its OBJ file beside it: 1 when ready to convert.
int choose_model(WindowHandle main_window, char* source_path, char* output_path);

// Runs one strategy on the chosen model with the retry protocol after doubtful output.
void run_conversion(WindowHandle main_window, int button_id, Strategy strategy);

struct StructureRequest;
struct StructureResult;

// Runs the structure conversion as run_conversion runs a strategy, with what
// request asks for; what it found comes back in result.
void run_structure_conversion(WindowHandle main_window, const StructureRequest& request, StructureResult& result);

// With 1, doubtful output stays in the OBJ file, which is closed for good (output_open
// 0) instead of being emptied for another button. The window never sets it.
void set_keep_doubtful_output(int keep);

// With a folder, choose_model opens the OBJ file in that folder (by the same bare
// name) instead of the current one, which stays the model's. The model is still
// loaded from the current folder. Empty restores the window's behaviour; the
// window never sets it.
void set_output_folder(const std::string& folder);

// The full path of the current (or last) model's OBJ file: in the output folder
// when one is set, else beside the model. The MTL and PNG files go beside it.
std::string output_file_path();

// The messages of the commands, for those who must tell them apart.
extern const char text_choose_model[];  // a button pressed with no OBJ file open
extern const char text_doubtful[];      // the strategy judged its output doubtful
extern const char text_open_error[];    // the OBJ file could not be opened
extern const char text_write_error[];   // the OBJ file could not be written completely
