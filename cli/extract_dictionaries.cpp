#include "cli/extract_dictionaries.h"

#include <filesystem>
#include <string>
#include <vector>

#include "cli/console_session.h"
#include "cli/model_list.h"
#include "control/texture_export.h"
#include "control/texture_order.h"
#include "game/archive.h"

namespace fs = std::filesystem;

namespace {

std::string textures(std::size_t n) { return std::to_string(n) + (n == 1 ? " texture" : " textures"); }

// One dictionary, its lines said; true when extracted whole.
bool extract_one(const DictionarySource& source, const std::string& name, const fs::path& folder, bool quiet,
                 TextureRun& run) {
    std::vector<std::string> messages;
    const ExtractResult result = extract_dictionary(source, folder, run, messages);
    for (const std::string& m : messages) say(m);
    if (result.complete) {
        if (!quiet) say(name + ": " + textures(result.written) + " written to " + folder.string());
    } else if (result.written == 0) {
        say(name + ": not extracted");
    } else {
        say(name + ": not extracted whole: " + textures(result.written) + " written to " + folder.string());
    }
    return result.complete;
}

// Every dictionary entry of an archive, each into textures/NAME/ under the
// output, where a conversion of the archive puts them. Counts them in n.
std::size_t extract_archive(const std::string& name, const Options& options, TextureRun& run, std::size_t& n) {
    const std::string path = absolute_path(name);
    const ArchiveDirectory directory = read_archive(path);
    if (!directory.refused.empty()) {
        say(name + ": not read: " + directory.refused);
        ++n;
        return 0;
    }
    for (const std::string& d : directory.damage) say(name + ": " + d);
    const fs::path named(path);
    const fs::path root = options.output_dir.empty() ? named.parent_path() / named.stem() : fs::path(options.output_dir);
    std::size_t whole = 0, found = 0;
    for (const ArchiveEntry& e : directory.entries) {
        if (std::string(archive_entry_kind(e.name)) != "texture dictionary") continue;
        ++found;
        const std::string shown = entry_path(path, e.name);
        if (!e.damage.empty()) {
            say(shown + ": not extracted: " + e.damage);
            continue;
        }
        const DictionarySource source = dictionary_entry(path, directory, e);
        whole += extract_one(source, shown, root / "textures" / dictionary_folder_name(entry_base_name(e.name)),
                             options.verbosity == Verbosity::quiet, run);
    }
    if (found == 0) {
        say(name + ": no texture dictionaries (no *.txd entries in the archive)");
        ++n;
    }
    n += found;
    return whole;
}

}  // namespace

int extract_dictionaries(const Options& options) {
    TextureRun run;  // across the run: a PNG written from one dictionary is not replaced by another's
    std::size_t whole = 0, n = 0;
    for (std::size_t i = 0; i < options.paths.size(); ++i) {
        const std::string& name = options.paths[i];
        if (i < options.first_literal_path && has_archive_extension(name)) {
            whole += extract_archive(name, options, run, n);
            continue;
        }
        const fs::path file(name);
        fs::path folder = options.output_dir.empty() ? file.parent_path() : fs::path(options.output_dir);
        if (folder.empty()) folder = ".";
        whole += extract_one(dictionary_file(file), name, folder, options.verbosity == Verbosity::quiet, run);
        ++n;
    }
    say(std::to_string(n) + (n == 1 ? " dictionary: " : " dictionaries: ") + std::to_string(whole) +
        " extracted whole, " + std::to_string(n - whole) + " not");
    return whole == n ? 0 : 1;
}
