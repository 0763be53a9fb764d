#include "cli/inspect_models.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/console_session.h"
#include "cli/model_check.h"
#include "engine/conversion_state.h"
#include "game/archive.h"
#include "model/model_inspection.h"

namespace {

struct InspectTally {
    std::size_t models = 0, well_formed = 0, damaged = 0, unread = 0, empty_folders = 0, skipped = 0;

    std::string summary() const {
        std::string text = std::to_string(models) + (models == 1 ? " model: " : " models: ") +
                           std::to_string(well_formed) + " well-formed, " + std::to_string(damaged) +
                           " damaged, " + std::to_string(unread) + " not read";
        if (empty_folders) text += "; " + std::to_string(empty_folders) + " without models";
        if (skipped) text += "; " + std::to_string(skipped) + " skipped";
        return text;
    }
    bool all_well_formed() const { return models > 0 && well_formed == models && empty_folders == 0; }
};

// The model's bytes, read in binary mode and never more than the limit the
// conversions keep; empty with the reason when they cannot be had.
std::string read_model(const std::string& path, std::vector<std::uint8_t>& bytes) {
    if (std::string problem = model_file_problem(path); !problem.empty()) return problem;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return plain_error(ec);
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot be opened";
    // One byte more than checked: a file that grew since is found out, not cut short.
    bytes.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(size, max_model_size)) + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return "cannot be read";
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got != size) return "the file changed while it was read";
    bytes.resize(got);
    return "";
}

bool well_formed(const std::string& text) {
    return text.rfind("well-formed\n", 0) == 0 || text.find("\nwell-formed\n") != std::string::npos;
}

void print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void inspect_one(const ModelEntry& m, InspectTally& tally) {
    const std::string& path = m.path;
    std::vector<std::uint8_t> bytes;
    if (std::string why = m.in_archive() ? read_model_entry(m.archive_data, m.entry_start, m.entry_length, bytes) : read_model(path, bytes); !why.empty()) {
        say(path + ": not inspected: " + why);
        ++tally.unread;
        return;
    }
    const std::string text = inspect_model(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    print("== " + path + "\n" + text);
    ++(well_formed(text) ? tally.well_formed : tally.damaged);
}

}  // namespace

int inspect_models(const std::vector<ModelEntry>& entries, bool quiet) {
#ifdef _WIN32
    // The same bytes as everywhere else: no CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    InspectTally tally;
    for (const ModelEntry& m : entries) {
        if (m.kind == ModelEntry::Kind::directory) {
            print("== " + m.path + "\n" + archive_directory_text(read_archive(m.path)));
        } else if (m.kind == ModelEntry::Kind::notice) {
            if (!quiet) say(m.path + ": " + m.error);
        } else if (m.kind == ModelEntry::Kind::skipped) {
            if (!quiet) say(m.path + ": " + m.error);
            ++tally.skipped;
        } else if (m.kind == ModelEntry::Kind::empty_folder) {
            say(m.path + ": " + m.error);
            ++tally.empty_folders;
        } else if (++tally.models; !m.error.empty()) {
            say(m.path + ": " + (m.in_archive() ? "not inspected: " : "") + m.error);
            ++tally.unread;
        } else {
            inspect_one(m, tally);
        }
    }
    say(tally.summary());
    return tally.all_well_formed() ? 0 : 1;
}
