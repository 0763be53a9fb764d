#pragma once
// Where each model's OBJ file goes, and what a failed conversion must take back.

#include <map>
#include <string>

#include "control/model_list.h"

class OutputPlan {
public:
    // output_dir: the -o folder, absolute; empty for beside the models.
    explicit OutputPlan(std::string output_dir) : root_(std::move(output_dir)) {}

    // The folder the model's OBJ file goes into; empty for the model's own
    // folder (which the window's commands use when given no folder).
    std::string folder_for(const ModelEntry& model) const;

    // The full path of the model's OBJ file.
    std::string obj_path_for(const ModelEntry& model) const;

    // Claims obj_path for model. Empty when it is free; otherwise the model
    // that claimed it first in this run.
    std::string claim(const std::string& obj_path, const std::string& model);

private:
    std::string root_;
    std::map<std::string, std::string> claimed_;  // OBJ path, as compared -> model
};

// Creates folder and the folders above it. Empty on success, else the reason.
std::string make_folder(const std::string& folder);

// The OBJ file, the MTL file and the glTF files of the same base name, as
// they were before a conversion: a failed conversion removes those it
// created, and leaves alone those that were there before. For a conversion
// that is to write no OBJ file (glTF only), an OBJ file there before is put
// aside while the commands open theirs, and put back unless one is kept.
class OutputLeftovers {
public:
    OutputLeftovers(const std::string& obj_path, bool obj_wanted);
    ~OutputLeftovers() { settle_obj(false); }
    OutputLeftovers(const OutputLeftovers&) = delete;
    OutputLeftovers& operator=(const OutputLeftovers&) = delete;
    void remove_created() const;
    // The OBJ file put aside goes back, over the commands' empty one, unless keep_new.
    void settle_obj(bool keep_new);

private:
    struct File {
        std::string path;
        bool existed;
    };
    File obj_, mtl_, glb_, gltf_, bin_;
    std::string aside_;  // where the earlier OBJ file waits; empty when none
};
