#pragma once
// The models that the named paths stand for, in the order they are converted.

#include <cstddef>
#include <string>
#include <vector>

struct ModelEntry {
    enum class Kind {
        model,           // a model to convert, or one that failed already (error set)
        empty_folder,    // a named folder (or a subfolder) without models, or one that cannot be read
        skipped,         // a named .obj or .mtl file: this program's own output
    };
    std::string path;   // absolute, links kept as named (a missing name: as named)
    std::string error;  // why it cannot be converted or was skipped; empty for a model to convert
    Kind kind = Kind::model;
    // The model's folder relative to the named folder it was found in, with
    // generic separators; empty for a named file or a model at the named folder's top.
    std::string relative_folder;
};

// A named file is a model whatever its extension, except that names ending in
// .obj or .mtl (any case) are skipped unless they come at or after
// first_literal (named after "--"); a named folder stands for its *.dff files
// (any case), with recursive those of its subfolders too. Names that exist as
// neither and folders that cannot be read or hold no models become entries
// with an error.
std::vector<ModelEntry> list_models(const std::vector<std::string>& named, bool recursive,
                                    std::size_t first_literal = static_cast<std::size_t>(-1));

// path made absolute against the current folder as the shell names it, without
// resolving links; "." parts and doubled separators are dropped.
std::string absolute_path(const std::string& path);
