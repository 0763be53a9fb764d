#include "control/vehicle_files.h"

#include <array>

#include "control/texture_export.h"
#include "engine/conversion_state.h"
#include "game/text_lines.h"
#include "game/file_source.h"
#include "model/structure_reader.h"

namespace {

// A source's bytes, or a line saying why there are none.
bool read_bytes(const FileSource& source, std::uint64_t limit, std::vector<std::uint8_t>& bytes, std::string& why) {
    using Reason = SourceFailure::Reason;
    const SourceFailure failure = read_source(source, limit, bytes);
    switch (failure.reason) {
        case Reason::none: return true;
        case Reason::missing: why = "no such file"; break;
        case Reason::not_a_file: why = "not a file"; break;
        case Reason::size_unknown: why = "cannot read its size: " + failure.detail; break;
        case Reason::too_large: why = "larger than " + std::to_string(limit >> 20) + " MB"; break;
        case Reason::unreadable: why = source.in_archive ? failure.detail : "cannot be read"; break;
        case Reason::damaged: why = failure.detail; break;
        case Reason::unopenable: why = "cannot be opened"; break;
        case Reason::changed: why = "changed while it was read"; break;
    }
    return false;
}

}  // namespace

std::unique_ptr<VehicleFiles> read_vehicle_files(const GameCatalog& catalog, std::vector<std::string>& messages) {
    auto files = std::make_unique<VehicleFiles>();
    files->items = &catalog.items;
    std::string why;
    if (const FileSource* source = catalog.find(SourceKind::car_colours, "carcols")) {
        std::vector<std::uint8_t> bytes;
        if (!read_bytes(*source, largest_text_file, bytes, why)) {
            messages.push_back(source->shown + ": vehicle colours not read: " + why + "; vehicles are painted grey");
        } else {
            const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            files->colours = std::make_unique<CarColourFile>(read_car_colours(text));
            files->colours_name = source->shown;
            if (std::string skipped = car_colour_notes_text(*files->colours, source->shown); !skipped.empty())
                messages.push_back(skipped);
        }
    }
    if (const FileSource* source = catalog.find(SourceKind::wheels, "wheels")) {
        if (!read_bytes(*source, max_model_size, files->wheel_bytes, why) || files->wheel_bytes.empty()) {
            messages.push_back(source->shown + ": wheels not read: " + (why.empty() ? "the file is empty" : why));
        } else {
            files->wheels = std::make_unique<Model>(
                read_model(files->wheel_bytes.data(), static_cast<std::uint32_t>(files->wheel_bytes.size())));
            files->wheels_name = source->shown;
            if (files->wheels->clumps.empty()) messages.push_back(source->shown + ": wheels not read: no model in it");
        }
    }
    return files;
}

bool check_paint(const VehicleChoice& choice, const VehicleFiles& files, std::string& why) {
    if (choice.paint.empty()) return true;
    if (!files.colours) {
        why = "option '--paint' needs the vehicles' colour file: name it with '--carcols FILE' or '--game DIR'";
        return false;
    }
    std::array<int, 4> indices{};
    std::string past;
    if (paint_indices(choice, *files.colours, "", indices, past)) return true;
    why = "option '--paint': " + past + " in " + files.colours_name;
    return false;
}

void vehicle_dictionary_first(std::vector<DictionaryTarget>& order) {
    for (std::size_t i = 0; i < order.size(); ++i)
        if (same_name(std::filesystem::path(order[i].source.shown).stem().string(), "vehicle")) {
            DictionaryTarget first = std::move(order[i]);
            order.erase(order.begin() + static_cast<std::ptrdiff_t>(i));
            order.insert(order.begin(), std::move(first));
            return;
        }
}
