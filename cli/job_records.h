#pragma once
// What goes through a worker's pipes. In: its share, each model's index in
// the parent's list, its path and where its OBJ file goes. Out: one record a model, its index, its
// outcome and the exact text it put on standard error. Each item starts with
// a line of decimal numbers, the last one the length of the bytes after it.

#include <cstddef>
#include <string>
#include <vector>

#include "cli/convert_model.h"

struct ShareEntry {
    std::size_t index = 0;
    std::string path;           // the model
    std::string output_folder;  // as planned by the parent: empty for beside the model
    std::string obj_path;
    EntrySource entry;          // an archive's entry: where its bytes are, read by the worker itself
    std::string texture_root;
};

struct ModelRecord {
    std::size_t index = 0;
    ModelOutcome outcome = ModelOutcome::failed;
    std::string text;
};

// The entries from the first one on.
std::string encode_share(const std::vector<ShareEntry>& entries, std::size_t first);
// false when bytes are not a whole share.
bool decode_share(const std::string& bytes, std::vector<ShareEntry>& entries);

std::string encode_record(const ModelRecord& record);
// Takes the first whole record off the front of bytes: 1 when taken, 0 when
// more bytes are needed, -1 when the bytes are no record.
int take_record(std::string& bytes, ModelRecord& record);
