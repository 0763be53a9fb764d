#include "cli/convert_collision.h"

#include <filesystem>

#include "cli/console_session.h"
#include "control/collision_conversion.h"
#include "control/version.h"

ModelOutcome convert_collision_job(const ModelJob& job) {
    std::string bytes;
    if (std::string why = read_collision_bytes(job.model_path, job.entry.archive_data, job.entry.start,
                                               job.entry.length, bytes);
        !why.empty())
        return model_failed(job.model_path, why);
    if (!job.output_folder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(job.output_folder, ec);
        if (ec) return model_failed(job.model_path, "cannot create the folder " + job.output_folder);
    }
    CollisionRequest request;
    request.obj = job.formats.obj;
    request.glb = job.formats.glb;
    request.third_game = job.third_game;
    request.gltf = job.formats.gltf;
    request.source_name = job.model_path;
    request.program_name_version = PROGRAM_NAME " " PROGRAM_VERSION;
    const CollisionResult result = convert_collision(bytes, job.obj_path, request);
    if (!result.refused.empty()) return model_failed(job.model_path, result.refused);
    for (const std::string& note : result.notes) say(job.model_path + ": " + note);
    if (!result.why.empty()) return model_failed(job.model_path, result.why);
    const std::string counts =
        std::to_string(result.models) + (result.models == 1 ? " collision model" : " collision models");
    if (result.skipped) {
        say(job.model_path + ": " + counts + " converted, " + std::to_string(result.skipped) + " skipped, into " +
            result.files);
        return ModelOutcome::doubtful;
    }
    if (!job.quiet) say(job.model_path + ": " + counts + " converted into " + result.files);
    return ModelOutcome::clean;
}
