#include "control/map_run.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <unordered_map>

#include "control/map_scene_parts.h"
#include "control/structure_conversion.h"
#include "control/texture_export.h"
#include "control/texture_order.h"
#include "export/texture_file_name.h"
#include "game/archive.h"
#include "game/text_lines.h"
#include "model/structure_reader.h"

namespace fs = std::filesystem;

namespace {

// Real placement files are a few MB at most; an instance costs some 130 bytes of memory.
constexpr std::uint64_t largest_placement_file = std::uint64_t(64) << 20;
constexpr std::uint64_t largest_model = std::uint64_t(256) << 20;
// As a model alone may write 64 times its bytes of text (and 64 MB in any
// case), a scene may for each instance of a model, up to 64 instances of it:
// a model placed a million times does not raise the bound past 64 copies.
constexpr std::uint64_t instances_counted = 64;
constexpr std::size_t bad_records_told = 10;
constexpr std::size_t unresolved_told = 10;

// A source's bytes, at most limit. The reason on failure, as a line names it
// after the source's name: " does not exist" for a file, ": ..." for an entry.
enum class Content { model, placement };

std::string failure_text(const FileSource& source, const SourceFailure& failure, std::uint64_t limit) {
    using Reason = SourceFailure::Reason;
    const std::string larger = "is larger than " + std::to_string(limit >> 20) + " MB";
    if (source.in_archive) return ": " + (failure.reason == Reason::too_large ? larger : failure.detail);
    switch (failure.reason) {
        case Reason::missing: return " does not exist";
        case Reason::not_a_file: return " is not a file";
        case Reason::too_large: return " " + larger;
        default: return " cannot be read";
    }
}

bool read_map_source(const FileSource& source, std::uint64_t limit, Content content, std::vector<std::uint8_t>& bytes,
                     std::string& why) {
    if (const SourceFailure failure = read_source(source, limit, bytes)) {
        why = failure_text(source, failure, limit);
        return false;
    }
    if (!source.in_archive) return true;
    // The zeros that pad an entry to whole sectors are not the file's: a model
    // ends with its chunk, a text placement file before its first NUL. A binary
    // one keeps them, its count telling its records.
    if (content == Content::model) {
        bytes.resize(std::size_t(entry_content_length(bytes.data(), bytes.size())));
    } else if (bytes.size() < 4 || std::string_view(reinterpret_cast<const char*>(bytes.data()), 4) != "bnry") {
        std::size_t end = 0;
        while (end < bytes.size() && bytes[end] != 0) ++end;
        bytes.resize(end);
    }
    return true;
}

std::string number(double value) {
    char text[32];
    auto end = std::to_chars(text, text + sizeof text, static_cast<float>(value)).ptr;
    return std::string(text, end);
}

std::string where_of(const PlacementFile& file, std::size_t where) {
    return file.name + " " + record_place(file, where);
}

struct MapModel {
    std::string name;  // as the first item definition to place it spells it
    const ItemDefinition* item = nullptr;
    FileSource source;
    std::vector<std::uint8_t> bytes;  // the model's views point into these
    Model model;
    std::string problem;  // why its instances are left out; empty when it places
    bool unresolved = false;  // no file holds it
    std::string first_at;     // the first instance's file and line
    std::size_t instances = 0;
};

// The placement files read and their instances chosen, and the models placed.
struct LoadedMap {
    std::vector<PlacementFile> files;
    std::vector<MapSelection> selections;
    std::vector<MapModel> models;
    std::vector<std::pair<std::size_t, const InstanceChoice*>> placed;  // model, choice
    std::vector<std::string> lines;
    bool clean = true;
    std::size_t lod = 0, interior = 0, time = 0, bad = 0;
    std::map<std::string, std::size_t> unresolved;  // what, how many instances
};

LoadedMap load_map(const MapRequest& request, const MapSources& sources, bool read_models) {
    LoadedMap map;
    std::vector<std::string> names;
    map.files.reserve(request.placement_files.size());
    for (const FileSource& source : request.placement_files) {
        std::vector<std::uint8_t> bytes;
        std::string why;
        if (!read_map_source(source, largest_placement_file, Content::placement, bytes, why)) {
            map.lines.push_back(source.shown + why + "; nothing of it placed");
            map.clean = false;
            bytes.clear();
        }
        map.files.push_back(read_placement_file(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), source.shown));
        names.push_back(fs::path(source.shown).filename().string());
    }
    for (const PlacementFile& file : map.files) {
        for (std::size_t i = 0; i < file.bad.size() && i < bad_records_told; ++i)
            map.lines.push_back(where_of(file, file.bad[i].where) + ": " + file.bad[i].reason + "; left out");
        if (file.bad.size() > bad_records_told)
            map.lines.push_back(file.name + ": " + std::to_string(file.bad.size() - bad_records_told) +
                                " more bad records left out");
    }
    for (const std::vector<std::size_t>& group : placement_groups(names)) {
        std::vector<const PlacementFile*> files;
        for (std::size_t i : group) files.push_back(&map.files[i]);
        map.selections.push_back(select_instances(files, *request.items, request.options));
    }

    std::unordered_map<std::string, std::size_t> model_index;
    for (const MapSelection& s : map.selections) {
        map.lod += s.lod;
        map.interior += s.interior;
        map.time += s.time;
        map.bad += s.bad;
        for (const NameCount& n : s.unresolved_names) map.unresolved[n.name] += n.count;
        for (const InstanceChoice& c : s.choices) {
            if (c.left_out != LeftOut::none) continue;
            auto [it, fresh] = model_index.try_emplace(lower_name(c.item->model), map.models.size());
            if (fresh) {
                MapModel& m = map.models.emplace_back();
                m.name = c.item->model;
                m.item = c.item;
                m.first_at = where_of(*c.file, c.instance->where);
            }
            ++map.models[it->second].instances;
            map.placed.push_back({it->second, &c});
        }
    }
    for (MapModel& m : map.models) {
        if (sources.model) m.source = sources.model(m.name);
        if (m.source.file.empty()) {
            m.unresolved = true;
            m.problem = "no model file";
            map.unresolved["model " + m.name] += m.instances;
            continue;
        }
        if (!read_models) continue;
        std::string why;
        if (!read_map_source(m.source, largest_model, Content::model, m.bytes, why)) {
            m.problem = m.source.shown + why;
        } else {
            m.model = read_model(m.bytes.data(), std::uint32_t(m.bytes.size()));
            std::string doubt = scene_parts(m.model).doubt;
            if (!doubt.empty()) m.problem = m.source.shown + ": " + doubt;
        }
        if (!m.problem.empty())
            map.lines.push_back("model " + m.name + " (first placed at " + m.first_at + "): " + m.problem + "; its " +
                                std::to_string(m.instances) + " instances left out");
    }
    if (map.bad || !map.unresolved.empty()) map.clean = false;
    for (const MapModel& m : map.models)
        if (!m.problem.empty()) map.clean = false;
    return map;
}

std::string unresolved_line(const LoadedMap& map) {
    std::vector<NameCount> names;
    std::size_t total = 0;
    for (const auto& [name, count] : map.unresolved) {
        names.push_back({name, count});
        total += count;
    }
    std::stable_sort(names.begin(), names.end(), [](const NameCount& a, const NameCount& b) { return a.count > b.count; });
    MapSelection listed;
    listed.unresolved_names = std::move(names);
    return std::to_string(total) + " unresolved (" + unresolved_text(listed, unresolved_told) + ")";
}

std::string summary_line(const LoadedMap& map, const std::string& what, std::size_t placed, std::size_t models) {
    std::string line = what + ": " + std::to_string(placed) + " instances of " + std::to_string(models) +
                       " models placed from " + std::to_string(map.files.size()) + " placement files";
    std::string out;
    for (auto [count, reason] : {std::pair{map.lod, "LOD"}, {map.interior, "interior"}, {map.time, "time"}})
        if (count) out += (out.empty() ? "" : ", ") + std::to_string(count) + " " + reason;
    std::size_t failed = 0;
    for (const MapModel& m : map.models)
        if (!m.problem.empty() && !m.unresolved) failed += m.instances;
    if (failed) out += (out.empty() ? "" : ", ") + std::to_string(failed) + " of models not converted clean";
    if (map.bad) out += (out.empty() ? "" : ", ") + std::to_string(map.bad) + " bad records";
    if (!out.empty()) line += "; left out: " + out;
    if (!map.unresolved.empty()) line += "; " + unresolved_line(map);
    return line;
}

fs::path texture_root_of(const MapRequest& request) {
    return request.texture_root.empty() ? request.obj_path.parent_path() : request.texture_root;
}

// The textures the scene's materials name, looked up in the game's order and
// written into textures/DICTIONARY/ of the dictionary that holds each; returns
// where each went, relative to the scene's folder, by the name the scene's
// materials give it (lower-cased).
std::map<std::string, std::string> write_scene_textures(const std::vector<SceneTexture>& textures,
                                                        const MapRequest& request, const MapSources& sources,
                                                        std::vector<std::string>& lines) {
    std::map<std::string, std::pair<std::string, std::vector<std::string>>> by_dictionary;
    for (const SceneTexture& t : textures) {
        auto& entry = by_dictionary[lower_name(t.dictionary)];
        entry.first = t.dictionary;
        entry.second.push_back(t.texture);
    }
    static const TextureCatalog no_catalog;
    const TextureCatalog& catalog = sources.catalog ? *sources.catalog : no_catalog;
    TextureRun own_run;
    TextureRun& run = request.texture_run ? *request.texture_run : own_run;
    const fs::path base = request.obj_path.parent_path(), root = texture_root_of(request);
    std::map<std::string, std::string> path_of;  // as the MTL names a PNG, lower-cased -> where it went
    for (const auto& [key, entry] : by_dictionary) {
        const TextureOrder order = catalog.order_for_dictionary(entry.first, sources.extra_dictionaries, root);
        const fs::path folder = root / "textures" / dictionary_folder_name(entry.first);
        std::map<std::string, fs::path> placed;
        std::vector<std::string> missing = write_textures(entry.second, order.dictionaries, folder, run, lines, &placed);
        const std::string named = texture_folder_text(request, entry.first);
        for (const auto& [file, path] : placed)
            path_of[lower_name(named + file)] = (base.empty() ? path : path.lexically_relative(base)).generic_string();
        if (!missing.empty()) {
            std::string line = "dictionary " + entry.first + ": " + std::to_string(missing.size()) + " textures not found:";
            for (const std::string& m : missing) line += " " + m;
            for (const std::string& why : order.missing) line += " (" + why + ")";
            lines.push_back(line);
        }
    }
    return path_of;
}

// Each model once, each instance of a model that converted placed.
MapScenePlan plan_scene(const LoadedMap& map, const MapRequest& request) {
    MapScenePlan plan;
    plan.max_obj_bytes = text_bytes_floor;
    for (const MapModel& m : map.models) {
        plan.models.push_back({m.name, m.problem.empty() ? &m.model : nullptr, m.item->dictionary,
                               (m.item->flags & item_flag_no_culling) != 0,
                               request.effects && request.item_effects ? request.item_effects->effects_for(m.name)
                                                                       : std::vector<Effect>{}});
        if (m.problem.empty())
            plan.max_obj_bytes +=
                text_bytes_per_model_byte * m.bytes.size() * std::min<std::uint64_t>(m.instances, instances_counted);
    }
    std::vector<bool> model_used(plan.models.size(), false);
    for (const auto& [model, choice] : map.placed) {
        if (!plan.models[model].model) continue;
        SceneInstance& instance = plan.instances.emplace_back();
        instance.model = model;
        instance.group = static_cast<std::size_t>(choice->file - map.files.data());
        instance_transform(*choice->instance, request.options.apply_scale, instance.transform);
        if (!model_used[model]) ++plan.models_placed;
        model_used[model] = true;
    }
    return plan;
}

}  // namespace

std::string texture_folder_text(const MapRequest& request, const std::string& dictionary) {
    const fs::path folder = texture_root_of(request) / "textures" / dictionary_folder_name(dictionary);
    const fs::path base = request.obj_path.parent_path();
    return (base.empty() ? folder : folder.lexically_relative(base)).generic_string() + "/";
}

MapOutcome write_map_scene(const MapRequest& request, const MapSources& sources) {
    LoadedMap map = load_map(request, sources, true);
    MapOutcome outcome;
    outcome.lines = std::move(map.lines);
    const MapScenePlan plan = plan_scene(map, request);

    MapCollision collision;
    if (request.collision) {
        collision = collect_map_collision(plan);
        if (request.obj && !write_map_collision_obj(plan, request, collision, outcome.lines)) return outcome;
    }
    ObjSceneText text;
    if (request.obj && !write_map_obj(plan, request, text, outcome.lines)) return outcome;
    GltfScene scene;
    if (request.glb || request.gltf) {
        scene = plan_map_gltf(plan, request, text);
        if (request.collision) add_map_collision_gltf(plan, request.third_game, collision, scene);
    }
    // The PNG files first: the MTL file and the glTF images name each where it went.
    std::vector<std::string> texture_lines;
    std::map<std::string, std::string> placed_textures;
    if (request.textures) placed_textures = write_scene_textures(text.textures, request, sources, texture_lines);
    std::string files;
    if (request.obj) {
        if (!write_map_mtl(request, text, placed_textures, outcome.lines)) return outcome;
        if (text.doubtful) outcome.lines.push_back(request.obj_path.string() + ": " + text.first_doubt);
        files = request.obj_path.string();
    }
    std::size_t placed = request.obj ? text.instances_written : scene.instances_written;
    if (request.glb || request.gltf) placed = std::min(placed, scene.instances_written);
    const bool scene_doubtful = scene.doubtful;
    if (!write_map_gltf(std::move(scene), request, placed_textures, outcome.lines, files)) return outcome;
    outcome.lines.insert(outcome.lines.end(), texture_lines.begin(), texture_lines.end());
    outcome.placed = placed;
    if (!collision.obj_file.empty()) files += ", " + collision.obj_file;
    outcome.lines.push_back(summary_line(map, files, placed, plan.models_placed));
    if (request.collision)
        outcome.lines.back() += "; collision: " + std::to_string(collision.placed.size()) + " instances placed, " +
                                std::to_string(collision.without) + " without collision";
    outcome.written = true;
    outcome.clean = map.clean && !text.doubtful && !scene_doubtful;
    return outcome;
}

MapOutcome inspect_map(const MapRequest& request, const MapSources& sources) {
    LoadedMap map = load_map(request, sources, false);
    MapOutcome outcome;
    std::unordered_map<const InstanceChoice*, const MapModel*> model_of;
    for (const auto& [model, choice] : map.placed) model_of[choice] = &map.models[model];
    for (const MapSelection& s : map.selections)
        for (const InstanceChoice& c : s.choices) {
            const Instance& i = *c.instance;
            std::string line = where_of(*c.file, i.where) + ": id " + std::to_string(i.id);
            line += " " + (c.item ? c.item->model : i.name.empty() ? std::string("-") : i.name);
            line += " at (" + number(i.position[0]) + ", " + number(i.position[1]) + ", " + number(i.position[2]) + ")";
            line += " rotation (" + number(i.rotation[0]) + ", " + number(i.rotation[1]) + ", " +
                    number(i.rotation[2]) + ", " + number(i.rotation[3]) + ")";
            const MapModel* model = model_of.count(&c) ? model_of[&c] : nullptr;
            if (c.left_out != LeftOut::none) line += std::string(": left out (") + left_out_name(c.left_out) + ")";
            else if (model && model->unresolved) line += ": left out (no model file)";
            else line += ": placed" + (model ? " from " + model->source.shown : std::string());
            outcome.lines.push_back(line);
        }
    outcome.lines.insert(outcome.lines.end(), map.lines.begin(), map.lines.end());
    std::size_t placed = 0, models = 0;
    for (const MapModel& m : map.models)
        if (!m.unresolved) {
            placed += m.instances;
            ++models;
        }
    outcome.lines.push_back(summary_line(map, "map", placed, models));
    outcome.placed = placed;
    outcome.clean = map.clean;
    return outcome;
}
