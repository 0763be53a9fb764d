#include "control/texture_export.h"

#include <system_error>

#include "export/png_file.h"
#include "export/texture_file_name.h"
#include "game/archive.h"

namespace fs = std::filesystem;

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string s) {
    for (char& c : s) c = lower(c);
    return s;
}

bool same_without_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string shown(const fs::path& p) { return p.string(); }

// Two spellings of one file compare alike: absolute, normalised, without case.
std::string identity(const fs::path& p) {
    std::error_code error;
    fs::path absolute = fs::absolute(p, error);
    return lowered((error ? p : absolute).lexically_normal().string());
}

std::string damage(const LoadedDictionary& d, std::uint32_t offset, const std::string& text) {
    return shown(d.file) + ": offset " + std::to_string(offset) + ": " + text;
}

enum class Outcome { written, kept_earlier, failed };

// FNV-1a over what decides a texture's pixels: its size, format and stored bytes.
std::uint64_t fingerprint(const DictionaryTexture& t) {
    std::uint64_t h = 14695981039346656037ull;
    auto mix = [&h](const std::uint8_t* bytes, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    };
    const std::uint32_t shape[5] = {t.width, t.height, static_cast<std::uint32_t>(t.format), t.raster_format,
                                    std::uint32_t(t.stored_width) | std::uint32_t(t.swizzled) << 16};
    mix(reinterpret_cast<const std::uint8_t*>(shape), sizeof shape);
    if (t.palette.data) mix(t.palette.data, palette_bytes(t));
    if (t.level0.data) mix(t.level0.data, t.level0.count);
    return h;
}

// Decodes t and writes it to folder/<spelling>.png unless another dictionary
// wrote that file earlier in the run.
Outcome write_one(const LoadedDictionary& d, const DictionaryTexture& t, const std::string& spelling,
               const fs::path& folder, TextureRun& run, std::vector<std::string>& messages) {
    const std::string stem = texture_file_stem(spelling);
    if (stem.empty()) {
        messages.push_back(damage(d, t.offset, "texture name '" + spelling + "' cannot be a file name; not written"));
        return Outcome::failed;
    }
    const fs::path target = folder / (stem + ".png");
    const std::string key = identity(target), source = identity(d.file);
    auto earlier = run.written.find(key);
    if (earlier != run.written.end() && identity(earlier->second) != source) {
        messages.push_back(shown(target) + " already written from " + shown(earlier->second) + " in this run; " +
                           shown(d.file) + "'s texture '" + t.name + "' not written");
        return Outcome::kept_earlier;
    }
    const std::uint64_t print = fingerprint(t);
    std::error_code ignored;
    if (earlier != run.written.end() && run.fingerprints[key] == print && fs::is_regular_file(target, ignored)) {
        ++run.pngs_written;
        return Outcome::written;
    }
    std::vector<std::uint8_t> rgba;
    std::string why;
    if (!decode_texture(t, rgba, why)) {
        messages.push_back(damage(d, t.level0_offset, "texture '" + t.name + "': " + why + "; not written"));
        return Outcome::failed;
    }
    if (!write_png_file(target, rgba, t.width, t.height, needs_alpha(t, rgba), why)) {
        messages.push_back(shown(target) + ": " + why);
        return Outcome::failed;
    }
    run.written[key] = d.file;
    run.fingerprints[key] = print;
    ++run.pngs_written;
    return Outcome::written;
}

bool make_folder(const fs::path& folder, std::vector<std::string>& messages) {
    std::error_code error;
    if (folder.empty() || fs::is_directory(folder, error)) return true;
    fs::create_directories(folder, error);
    if (!error) return true;
    messages.push_back(shown(folder) + ": cannot create the folder: " + error.message());
    return false;
}

}  // namespace

bool load_dictionary(const FileSource& source, LoadedDictionary& loaded, std::vector<std::string>& messages) {
    using Reason = SourceFailure::Reason;
    loaded = LoadedDictionary();
    loaded.file = source.shown;
    const std::string name = shown(loaded.file);
    const SourceFailure failure = read_source(source, largest_dictionary, loaded.bytes);
    std::string why;
    switch (failure.reason) {
        case Reason::none: break;
        case Reason::missing: why = "no such file"; break;
        case Reason::not_a_file: why = "not a file"; break;
        case Reason::size_unknown: why = "cannot read its size: " + failure.detail; break;
        case Reason::too_large:
            why = std::to_string(failure.size) + " bytes, more than the " + std::to_string(largest_dictionary >> 20) +
                  " MB a dictionary may have";
            break;
        case Reason::unreadable: why = source.in_archive ? failure.detail : "cannot be read"; break;
        case Reason::damaged: why = failure.detail; break;
    }
    if (why.empty() && !source.in_archive && loaded.bytes.empty()) why = "the file is empty";
    if (!why.empty()) {
        messages.push_back(name + ": " + why);
        loaded.bytes.clear();
        return false;
    }
    if (source.in_archive)
        loaded.bytes.resize(static_cast<std::size_t>(entry_content_length(loaded.bytes.data(), loaded.bytes.size())));
    loaded.dictionary = read_texture_dictionary(loaded.bytes.data(), static_cast<std::uint32_t>(loaded.bytes.size()));
    for (const Finding& f : loaded.dictionary.findings) messages.push_back(damage(loaded, f.offset, f.text));
    return true;
}

ExtractResult extract_dictionary(const fs::path& file, const fs::path& folder, TextureRun& run,
                                 std::vector<std::string>& messages) {
    return extract_dictionary(file_source(file), folder, run, messages);
}

ExtractResult extract_dictionary(const FileSource& source, const fs::path& folder, TextureRun& run,
                                 std::vector<std::string>& messages) {
    ExtractResult result;
    LoadedDictionary d;
    if (!load_dictionary(source, d, messages) || !make_folder(folder, messages)) return result;
    for (const DictionaryTexture& t : d.dictionary.textures)
        if (write_one(d, t, t.name, folder, run, messages) == Outcome::written) ++result.written;
    result.complete = result.written == d.dictionary.textures.size() && d.dictionary.findings.empty();
    return result;
}

fs::path own_dictionary(const fs::path& model) {
    // Every spelling of the extension, tried by name: a folder of thousands of
    // models must not be listed once a model.
    std::error_code error;
    for (unsigned upper = 0; upper < 8; ++upper) {
        std::string extension = ".txd";
        for (unsigned i = 0; i < 3; ++i)
            if (upper & (1u << i)) extension[i + 1] = static_cast<char>(extension[i + 1] - 'a' + 'A');
        fs::path candidate = model;
        candidate.replace_extension(extension);
        if (fs::is_regular_file(candidate, error)) return candidate;
    }
    return {};
}

std::vector<fs::path> model_dictionaries(const fs::path& model, const std::vector<fs::path>& shared) {
    std::vector<fs::path> list;
    fs::path own = own_dictionary(model);
    if (!own.empty()) list.push_back(own);
    list.insert(list.end(), shared.begin(), shared.end());
    return list;
}

std::vector<std::string> write_textures(const std::vector<std::string>& names, const std::vector<fs::path>& dictionaries,
                                        const fs::path& folder, TextureRun& run, std::vector<std::string>& messages) {
    std::vector<DictionaryTarget> sources;
    for (const fs::path& file : dictionaries) sources.push_back({file_source(file), {}});
    return write_textures(names, sources, folder, run, messages);
}

std::vector<std::string> write_textures(const std::vector<std::string>& names,
                                        const std::vector<DictionaryTarget>& dictionaries, const fs::path& folder,
                                        TextureRun& run, std::vector<std::string>& messages,
                                        std::map<std::string, fs::path>* placed) {
    // One file a name, however many materials ask for it, in the first asker's spelling.
    std::vector<std::string> wanted;
    for (const std::string& n : names) {
        bool seen = n.empty();
        for (const std::string& w : wanted) seen = seen || same_without_case(n, w);
        if (!seen) wanted.push_back(n);
    }
    std::vector<LoadedDictionary> loaded;
    std::vector<fs::path> folders;  // each loaded one's
    for (const DictionaryTarget& target : dictionaries) {
        LoadedDictionary d;
        if (!load_dictionary(target.source, d, messages)) continue;
        loaded.push_back(std::move(d));
        folders.push_back(target.folder.empty() ? folder : target.folder);
    }
    std::vector<std::string> missing;
    std::map<std::string, bool> made;  // folders made or failed, by path
    auto folder_ready = [&](const fs::path& f) {
        auto it = made.find(f.string());
        if (it == made.end()) it = made.emplace(f.string(), make_folder(f, messages)).first;
        return it->second;
    };
    for (const std::string& name : wanted) {
        // A damaged texture gives way to the next dictionary's of that name.
        bool held = false, done = false;
        for (std::size_t k = 0; k < loaded.size() && !done; ++k) {
            const LoadedDictionary& d = loaded[k];
            for (const DictionaryTexture& t : d.dictionary.textures) {
                if (done || !same_without_case(t.name, name)) continue;
                held = true;
                if (!folder_ready(folders[k])) break;
                done = write_one(d, t, name, folders[k], run, messages) != Outcome::failed;
                if (done && placed) (*placed)[lowered(texture_file_name(name))] = folders[k] / texture_file_name(name);
            }
        }
        if (!held) missing.push_back(name);
    }
    return missing;
}
