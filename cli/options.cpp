#include "cli/options.h"

#include <cstring>

#include "control/commands.h"

const char help_text[] =
    "usage: vorlund-obj [--button go1|go2|go3|go4|auto] [--recursive] MODEL_OR_FOLDER...\n"
    "\n"
    "Converts Vorlund model files (*.dff) into Wavefront OBJ text. Each model's OBJ file\n"
    "is written beside it, named after the model's whole file name with \".obj\" added\n"
    "(house.dff gives house.dff.obj); an existing file of that name is replaced.\n"
    "\n"
    "  -b, --button BUTTON  the search strategy, as the window's buttons:\n"
    "                         auto (default) tries go1, go2, go3, go4 in turn and keeps\n"
    "                           the first clean result; when none is clean the OBJ file\n"
    "                           is left empty\n"
    "                         go1 ... go4 uses that one alone and keeps its output even\n"
    "                           when it is doubtful\n"
    "      --recursive      a folder also converts the models in its subfolders\n"
    "  -j, --jobs N         converts N models at once in worker processes (default: one\n"
    "                         per processor core); -j 1 converts in this process\n"
    "      --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "\n"
    "A folder converts the *.dff files in it (any case of the extension).\n"
    "Messages and a summary go to stderr, one line each.\n"
    "\n"
    "Exit status: 0 when every model converted clean; 1 when any model's output is\n"
    "doubtful or its conversion failed; 2 for a usage error.\n";

namespace {

int button_from_name(const char* name) {
    static const struct {
        const char* name;
        int id;
    } buttons[] = {{"auto", 0}, {"go1", id_go1}, {"go2", id_go2}, {"go3", id_go3}, {"go4", id_go4}};
    for (const auto& b : buttons)
        if (std::strcmp(name, b.name) == 0) return b.id;
    return -1;
}

}  // namespace

int parse_options(int argc, char** argv, Options& options, std::string& error) {
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (options_ended || arg[0] != '-' || arg[1] == '\0') {
            options.paths.push_back(arg);
            continue;
        }
        const char* value = nullptr;
        if (std::strcmp(arg, "--") == 0) {
            options_ended = true;
        } else if (std::strcmp(arg, "--help") == 0) {
            options.help = true;
            return 1;
        } else if (std::strcmp(arg, "--version") == 0) {
            options.version = true;
            return 1;
        } else if (std::strcmp(arg, "--recursive") == 0) {
            options.recursive = true;
        } else if (std::strncmp(arg, "--button=", 9) == 0) {
            value = arg + 9;
        } else if (std::strcmp(arg, "-b") == 0 || std::strcmp(arg, "--button") == 0) {
            if (i + 1 == argc) {
                error = std::string("option '") + arg + "' needs a button (go1, go2, go3, go4 or auto)";
                return 0;
            }
            value = argv[++i];
        } else {
            error = std::string("unknown option '") + arg + "'";
            return 0;
        }
        if (value) {
            int id = button_from_name(value);
            if (id < 0) {
                error = std::string("unknown button '") + value + "' (go1, go2, go3, go4 or auto)";
                return 0;
            }
            options.button_id = id;
        }
    }
    if (options.paths.empty()) {
        error = "no model or folder named";
        return 0;
    }
    return 1;
}
