#include "control/animation_source.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "game/archive.h"
#include "game/file_source.h"
#include "game/text_lines.h"

namespace fs = std::filesystem;

bool is_animation_path(const std::string& path) {
    return path.size() > 4 && lower_name(path.substr(path.size() - 4)) == ".ifp";
}

namespace {

// Real animation files are a few megabytes; this bounds a mistaken name.
constexpr std::uintmax_t largest_file = std::uintmax_t(1) << 30;

std::string read_entry(const std::string& named, std::string& bytes) {
    // The longest leading part that is an archive: ARCHIVE.img/ENTRY.
    for (std::size_t slash = named.find_last_of("/\\"); slash != std::string::npos && slash > 0;
         slash = named.find_last_of("/\\", slash - 1)) {
        const std::string archive = named.substr(0, slash), entry = named.substr(slash + 1);
        std::error_code ec;
        if (!has_archive_extension(archive) || !fs::is_regular_file(archive, ec)) continue;
        const ArchiveDirectory d = read_archive(archive);
        if (d.version == 0) return archive + ": " + d.refused;
        for (const ArchiveEntry& e : d.entries) {
            if (lower_name(e.name) != lower_name(entry)) continue;
            if (!e.damage.empty()) return e.damage;
            std::vector<std::uint8_t> data;
            std::string why = read_archive_entry(d.data_file, e.start, e.length, data);
            if (!why.empty()) return why;
            bytes.assign(data.begin(), data.end());
            return "";
        }
        return "no entry " + entry + " in " + archive;
    }
    return "no such file";
}

}  // namespace

std::string load_animation_file(const std::string& named, NamedAnimations& out) {
    out.name = named;
    std::vector<std::uint8_t> read;
    std::string entry;
    std::string_view bytes;
    std::error_code ec;
    if (fs::is_regular_file(named, ec)) {
        if (const SourceFailure failure = read_source(file_source(named), largest_file, read); failure)
            return failure.reason == SourceFailure::Reason::too_large ? "larger than any animation file" : "cannot be read";
        bytes = std::string_view(reinterpret_cast<const char*>(read.data()), read.size());
    } else if (std::string why = read_entry(named, entry); !why.empty()) {
        return why;
    } else {
        bytes = entry;
    }
    out.file = read_animation_file(bytes);
    if (out.file.layout == AnimationLayout::unknown) return out.file.stopped;
    return "";
}

namespace {

std::string load_animation_file(const FileSource& source, NamedAnimations& out) {
    out.name = source.shown;
    std::vector<std::uint8_t> bytes;
    if (const SourceFailure failure = read_source(source, largest_file, bytes); failure)
        return failure.detail.empty() ? "cannot be read" : failure.detail;
    out.file = read_animation_file(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (out.file.layout == AnimationLayout::unknown) return out.file.stopped;
    return "";
}

}  // namespace

bool load_animations(const std::vector<std::string>& named, const GameCatalog& catalog,
                     std::vector<NamedAnimations>& out, std::vector<std::string>& messages) {
    bool all_read = true;
    auto failed = [&](const std::string& name, const std::string& why) {
        messages.push_back(name + ": not read as animations (" + why + "): left out");
        all_read = false;
    };
    for (const std::string& name : named) {
        NamedAnimations loaded;
        std::error_code ec;
        if (name == "all") {
            if (catalog.sources(SourceKind::animation).empty()) failed(name, "no animation file found in the game");
            for (const FileSource& s : catalog.sources(SourceKind::animation)) {
                if (std::string why = load_animation_file(s, loaded); !why.empty()) failed(s.shown, why);
                else out.push_back(std::move(loaded));
            }
            continue;
        }
        const FileSource* held = catalog.find(SourceKind::animation, fs::path(name).stem().string());
        std::string why;
        if (fs::exists(name, ec) || !held) {
            why = load_animation_file(absolute_path(name), loaded);
            loaded.name = name;
        } else {
            why = load_animation_file(*held, loaded);
        }
        if (!why.empty()) failed(name, why);
        else out.push_back(std::move(loaded));
    }
    return all_read;
}

std::string add_animations(GltfModel& plan, const std::vector<NamedAnimations>& files,
                           const std::vector<std::string>& only) {
    if (files.empty()) return "";
    if (plan.skeleton.bones.empty()) return "no skeleton for animations";
    std::string line;
    for (const NamedAnimations& f : files) {
        const AnimationCounts counts = add_gltf_animations(plan.document, plan.skeleton, f.file, only);
        if (!line.empty()) line += "; ";
        line += std::to_string(counts.added) + (counts.added == 1 ? " animation from " : " animations from ") +
                fs::path(f.name).filename().string();
        if (counts.without_bones) line += ", " + std::to_string(counts.without_bones) + " without any of its bones";
    }
    return line;
}

bool inspect_animation_file(const NamedAnimations& f, std::string& text) {
    const AnimationFile& file = f.file;
    char number[64];
    text = f.name + ": " + layout_name(file.layout) + " block \"" + file.block_name + "\", " +
           std::to_string(file.declared) + " animations declared, " + std::to_string(file.animations.size()) +
           " read\n";
    for (const Animation& a : file.animations) {
        std::size_t keys = 0;
        std::string bones;
        for (const AnimationObject& o : a.objects) {
            keys += o.key_count();
            bones += (bones.empty() ? "" : " ") + (o.bone_id == -1 ? "\"" + o.name + "\"" : std::to_string(o.bone_id));
        }
        std::snprintf(number, sizeof number, "%.3f", static_cast<double>(a.duration()));
        text += "  " + a.name + ": " + std::to_string(a.objects.size()) + " objects, " + std::to_string(keys) +
                " keys, " + number + " s, bones " + (bones.empty() ? "none" : bones) + "\n";
    }
    for (const SkippedAnimation& s : file.skipped)
        text += "  animation " + std::to_string(s.index) + " (" + s.name + ") skipped: " + s.reason + "\n";
    if (!file.stopped.empty()) text += "  stopped: " + file.stopped + "\n";
    const bool whole = file.skipped.empty() && file.stopped.empty();
    if (whole) text += "  well-formed\n";
    return whole;
}
