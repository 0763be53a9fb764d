#include "cli/inspect_models.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/console_session.h"
#include "control/collision_conversion.h"
#include "control/model_check.h"
#include "control/texture_export.h"
#include "control/vehicle.h"
#include "engine/conversion_state.h"
#include "model/dictionary_inspection.h"
#include "model/model_inspection.h"
#include "model/structure_reader.h"

namespace {

struct InspectTally {
    std::size_t models = 0, well_formed = 0, damaged = 0, unread = 0, empty_folders = 0, skipped = 0;
    std::size_t dictionaries = 0, dictionaries_well_formed = 0;

    std::string summary() const {
        std::string text;
        if (models || !dictionaries)
            text = std::to_string(models) + (models == 1 ? " model: " : " models: ") + std::to_string(well_formed) +
                   " well-formed, " + std::to_string(damaged) + " damaged, " + std::to_string(unread) + " not read";
        if (dictionaries) {
            if (!text.empty()) text += "; ";
            text += std::to_string(dictionaries) +
                    (dictionaries == 1 ? " texture dictionary: " : " texture dictionaries: ") +
                    std::to_string(dictionaries_well_formed) + " well-formed";
        }
        if (empty_folders) text += "; " + std::to_string(empty_folders) + " without models";
        if (skipped) text += "; " + std::to_string(skipped) + " skipped";
        return text;
    }
    bool all_well_formed() const {
        return models + dictionaries > 0 && well_formed == models && dictionaries_well_formed == dictionaries &&
               empty_folders == 0;
    }
};

bool is_dictionary(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".txd";
}

// The file's bytes, at most limit; empty with the reason when they cannot be had.
std::string read_bounded(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>& bytes) {
    using Reason = SourceFailure::Reason;
    const SourceFailure failure = read_source(file_source(path), limit, bytes);
    switch (failure.reason) {
        case Reason::none: return bytes.empty() ? "empty file" : "";
        case Reason::size_unknown: return plain_error(failure.error);
        case Reason::too_large:
            return "too large: " + grouped_number(failure.size) + " bytes, the limit is " + grouped_number(limit);
        case Reason::unopenable: return "cannot be opened";
        case Reason::changed: return "the file changed while it was read";
        case Reason::missing:
        case Reason::not_a_file: return "not a regular file";
        default: return "cannot be read";
    }
}

// The model's bytes, never more than the limit the conversions keep; empty
// with the reason when they cannot be had.
std::string read_model(const std::string& path, std::vector<std::uint8_t>& bytes) {
    if (std::string problem = model_file_problem(path); !problem.empty()) return problem;
    return read_bounded(path, max_model_size, bytes);
}

bool well_formed(const std::string& text) {
    return text.rfind("well-formed\n", 0) == 0 || text.find("\nwell-formed\n") != std::string::npos;
}

void print_inspection(const std::string& path, const std::string& text) {
    const std::string header = "== " + path + "\n";
    std::fwrite(header.data(), 1, header.size(), stdout);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void inspect_one(const ModelEntry& m, InspectTally& tally, const VehicleSetup* vehicles) {
    const std::string& path = m.path;
    std::vector<std::uint8_t> bytes;
    if (is_collision_path(m.in_archive() ? m.entry_name : path)) {
        ++tally.models;
        std::string col;
        if (std::string why = read_collision_bytes(path, m.in_archive() ? m.entry.file.string() : std::string(), m.entry.start, m.entry.length, col); !why.empty()) {
            say(path + ": not inspected: " + why);
            ++tally.unread;
            return;
        }
        bool whole = false;
        print_inspection(path, collision_listing(col, whole));
        ++(whole ? tally.well_formed : tally.damaged);
        return;
    }
    if (!m.in_archive() && is_dictionary(path)) {
        ++tally.dictionaries;
        if (std::string why = read_bounded(path, largest_dictionary, bytes); !why.empty()) {
            say(path + ": not inspected: " + why);
            return;
        }
        const std::string text = inspect_dictionary(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        print_inspection(path, text);
        if (well_formed(text)) ++tally.dictionaries_well_formed;
        return;
    }
    ++tally.models;
    if (std::string why = m.in_archive() ? read_model_entry(m.entry.file.string(), m.entry.start, m.entry.length, bytes)
                                         : read_model(path, bytes);
        !why.empty()) {
        say(path + ": not inspected: " + why);
        ++tally.unread;
        return;
    }
    std::string text = inspect_model(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    print_inspection(path, text);
    if (vehicles) {
        const std::string name = std::filesystem::path(m.in_archive() ? m.entry_name : path).stem().string();
        const std::string vehicle = vehicle_inspection_text(
            ::read_model(bytes.data(), static_cast<std::uint32_t>(bytes.size())), name, *vehicles);
        std::fwrite(vehicle.data(), 1, vehicle.size(), stdout);
    }
    ++(well_formed(text) ? tally.well_formed : tally.damaged);
}

}  // namespace

int inspect_models(const std::vector<ModelEntry>& entries, bool quiet, const VehicleSetup* vehicles) {
#ifdef _WIN32
    // The same bytes as everywhere else: no CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    InspectTally tally;
    for (const ModelEntry& m : entries) {
        if (m.kind == ModelEntry::Kind::directory) {
            print_inspection(m.path, archive_listing(m.path));
        } else if (m.kind == ModelEntry::Kind::notice) {
            if (!quiet) say(m.path + ": " + m.error);
        } else if (m.kind == ModelEntry::Kind::skipped) {
            if (!quiet) say(m.path + ": " + m.error);
            ++tally.skipped;
        } else if (m.kind == ModelEntry::Kind::empty_folder) {
            say(m.path + ": " + m.error);
            ++tally.empty_folders;
        } else if (!m.error.empty()) {
            say(m.path + ": " + (m.in_archive() ? "not inspected: " : "") + m.error);
            if (!m.in_archive() && is_dictionary(m.path)) {
                ++tally.dictionaries;
            } else {
                ++tally.models;
                ++tally.unread;
            }
        } else {
            inspect_one(m, tally, vehicles);
        }
    }
    say(tally.summary());
    return tally.all_well_formed() ? 0 : 1;
}
