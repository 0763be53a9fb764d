#pragma once
// One model through the window's commands: Open, then the buttons.

#include <string>

enum class ModelOutcome { clean, doubtful, failed };

// Converts the model at model_path (absolute) with button_id (id_go1..id_go4),
// keeping doubtful output, or with 0 for auto: go1 to go4 in turn on the
// emptied OBJ file until one is clean. Unless exact_text, the OBJ text left is
// rewritten with each group's vertices first. Tells the result on stderr.
ModelOutcome convert_model(const std::string& model_path, int button_id, bool exact_text = false);
