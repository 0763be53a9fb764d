#pragma once
// The models that the named paths stand for, in the order they are converted.

#include <string>
#include <vector>

struct ModelEntry {
    std::string path;   // absolute, links kept as named
    std::string error;  // why it cannot be converted; empty for a model to convert
};

// A named file is a model whatever its extension; a named folder stands for its
// *.dff files (any case), with recursive those of its subfolders too. Names that
// exist as neither, folders that cannot be read and folders without models
// become entries with an error.
std::vector<ModelEntry> list_models(const std::vector<std::string>& named, bool recursive);

// path made absolute against the current folder as the shell names it, without
// resolving links; "." parts and doubled separators are dropped.
std::string absolute_path(const std::string& path);
