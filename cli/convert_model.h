#pragma once
// One model through the window's commands: Open, then the buttons.

#include <string>

enum class ModelOutcome { clean, doubtful, failed };

// Converts the model at model_path (absolute) with button_id (id_structure,
// id_go1..id_go4), keeping doubtful output, or with 0 for auto: structure, then
// go1 to go4 in turn on the emptied OBJ file until one is clean; when none is,
// structure's doubtful output is kept if it made any geometry. Unless
// exact_text, text left by go1..go4 is rewritten with each group's vertices
// first. Tells the result on stderr.
ModelOutcome convert_model(const std::string& model_path, int button_id, bool exact_text = false);
