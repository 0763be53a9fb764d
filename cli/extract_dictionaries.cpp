#include "cli/extract_dictionaries.h"

#include <filesystem>
#include <string>
#include <vector>

#include "cli/console_session.h"
#include "control/texture_export.h"

namespace fs = std::filesystem;

namespace {

std::string textures(std::size_t n) { return std::to_string(n) + (n == 1 ? " texture" : " textures"); }

}  // namespace

int extract_dictionaries(const Options& options) {
    TextureRun run;  // across the run: a PNG written from one dictionary is not replaced by another's
    std::size_t whole = 0;
    for (const std::string& name : options.paths) {
        const fs::path file(name);
        fs::path folder = options.output_dir.empty() ? file.parent_path() : fs::path(options.output_dir);
        if (folder.empty()) folder = ".";
        std::vector<std::string> messages;
        const ExtractResult result = extract_dictionary(file, folder, run, messages);
        for (const std::string& m : messages) say(m);
        if (result.complete) {
            ++whole;
            if (options.verbosity != Verbosity::quiet)
                say(name + ": " + textures(result.written) + " written to " + folder.string());
        } else if (result.written == 0) {
            say(name + ": not extracted");
        } else {
            say(name + ": not extracted whole: " + textures(result.written) + " written to " + folder.string());
        }
    }
    const std::size_t n = options.paths.size();
    say(std::to_string(n) + (n == 1 ? " dictionary: " : " dictionaries: ") + std::to_string(whole) +
        " extracted whole, " + std::to_string(n - whole) + " not");
    return whole == n ? 0 : 1;
}
