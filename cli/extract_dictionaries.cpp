#include "cli/extract_dictionaries.h"

#include <filesystem>
#include <string>
#include <vector>

#include "cli/console_session.h"
#include "control/game_catalog.h"
#include "control/texture_export.h"

namespace fs = std::filesystem;

namespace {

std::string textures(std::size_t n) { return std::to_string(n) + (n == 1 ? " texture" : " textures"); }

// One dictionary, its lines said; true when extracted whole.
bool extract_one(const NamedDictionary& named, bool quiet, TextureRun& run) {
    std::vector<std::string> messages;
    const ExtractResult result = extract_dictionary(named.source, named.folder, run, messages);
    for (const std::string& m : messages) say(m);
    const std::string& name = named.name;
    if (result.complete) {
        if (!quiet) say(name + ": " + textures(result.written) + " written to " + named.folder.string());
    } else if (result.written == 0) {
        say(name + ": not extracted");
    } else {
        say(name + ": not extracted whole: " + textures(result.written) + " written to " + named.folder.string());
    }
    return result.complete;
}

}  // namespace

int extract_dictionaries(const Options& options, const GameCatalog& catalog) {
    TextureRun run;  // across the run: a PNG written from one dictionary is not replaced by another's
    std::size_t whole = 0, n = 0;
    for (const NamedDictionary& d : catalog.named_dictionaries) {
        if (d.counted) ++n;
        if (!d.line.empty()) say(d.line);
        else whole += extract_one(d, options.verbosity == Verbosity::quiet, run);
    }
    say(std::to_string(n) + (n == 1 ? " dictionary: " : " dictionaries: ") + std::to_string(whole) +
        " extracted whole, " + std::to_string(n - whole) + " not");
    return whole == n ? 0 : 1;
}
