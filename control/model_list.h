#pragma once
// The models that the named paths stand for, in the order they are converted.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/file_source.h"

struct ModelEntry {
    enum class Kind {
        model,           // a model to convert, or one that failed already (error set)
        empty_folder,    // a named folder (or a subfolder) without models, or one that cannot be read
        skipped,         // a named .obj or .mtl file: this program's own output
        notice,          // a line to tell in its place (an archive's damage, a repeated entry name)
        directory,       // an archive read, before its models: --inspect prints its directory
    };
    std::string path;   // absolute, links kept as named (a missing name: as named)
    std::string error;  // why it cannot be converted or was skipped; empty for a model to convert
                        // (an archive's entry: its damage, told as why it is not converted or inspected)
    Kind kind = Kind::model;
    // The model's folder relative to the named folder it was found in, with
    // generic separators; empty for a named file or a model at the named folder's top.
    std::string relative_folder;

    // A model inside an archive: path is ARCHIVE/ENTRY, and its bytes lie in
    // archive_data from entry_start on; archive_data is empty for a file.
    std::string archive_data;
    std::uint64_t entry_start = 0, entry_length = 0;
    std::string entry_name;       // as the archive stores it
    std::string file_name;        // its output's base: the entry name made safe, a repeat's with a suffix
    std::string archive_folder;   // without -o, where its output goes: beside the archive, named after it
    bool in_archive() const { return !archive_data.empty(); }
};

// An entry that is no archive's.
inline ModelEntry entry_of(std::string path, std::string error, ModelEntry::Kind kind, std::string relative = "") {
    ModelEntry e;
    e.path = std::move(path);
    e.error = std::move(error);
    e.kind = kind;
    e.relative_folder = std::move(relative);
    return e;
}

struct ArchiveDirectory;

// The entries an archive stands for: one notice per damage of its directory,
// its model entries in directory order (a damaged one with its error), a
// notice for each repeated name. archive is the path as listed (absolute).
void add_archive_models(const std::string& archive, const ArchiveDirectory& directory, std::vector<ModelEntry>& out);

// A named file ending in .img or .dir (any case) is an archive and stands for
// its model entries. Any other named file is a model whatever its extension, except that names ending in
// .obj or .mtl (any case) are skipped unless they come at or after
// first_literal (named after "--"); a named folder stands for its *.dff files
// (any case), with recursive those of its subfolders too. Names that exist as
// neither and folders that cannot be read or hold no models become entries
// with an error.
std::vector<ModelEntry> list_models(const std::vector<std::string>& named, bool recursive,
                                    std::size_t first_literal = static_cast<std::size_t>(-1));

// The archive's directory as --inspect prints it (see archive_directory_text).
std::string archive_listing(const std::string& archive);
