#pragma once
// Texture dictionaries to PNG files, as the command line asks: whole
// dictionaries extracted into a folder, or the textures a model's materials
// name, looked up in its dictionaries in order. Every message is one line of
// text for the caller to print; none is printed here.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "game/file_source.h"
#include "model/texture_dictionary.h"

// A dictionary file read whole and parsed; the parsed textures view the bytes,
// so it moves but never copies.
struct LoadedDictionary {
    std::filesystem::path file;
    std::vector<std::uint8_t> bytes;
    TextureDictionary dictionary;

    LoadedDictionary() = default;
    LoadedDictionary(const LoadedDictionary&) = delete;
    LoadedDictionary& operator=(const LoadedDictionary&) = delete;
    LoadedDictionary(LoadedDictionary&&) = default;
    LoadedDictionary& operator=(LoadedDictionary&&) = default;
};

// What one run has written: each PNG, by its path without case, and the
// dictionary it came from. A PNG from one dictionary is not replaced by
// another's within the run; the first named wins.
struct TextureRun {
    std::map<std::string, std::filesystem::path> written;
    // What each PNG was made from: a model of a batch asking again for the same
    // texture of the same dictionary finds its PNG written and not encoded anew.
    std::map<std::string, std::uint64_t> fingerprints;
    std::size_t pngs_written = 0;  // every PNG written, a rewritten one counted again
};

// A dictionary and the folder its PNGs go to.
struct DictionaryTarget {
    FileSource source;
    std::filesystem::path folder;  // empty: the folder the caller names
};

// Dictionaries larger than this are refused unread.
constexpr std::uint64_t largest_dictionary = std::uint64_t(512) << 20;

// Reads and parses the dictionary; its findings become messages. false (with a
// message) when the file is missing, empty, too large or unreadable.
bool load_dictionary(const FileSource& source, LoadedDictionary& loaded, std::vector<std::string>& messages);

struct ExtractResult {
    std::size_t written = 0;  // PNGs written
    bool complete = false;    // the file was read and every texture in it written
};

// Writes every texture of the dictionary file into folder (created if need be)
// as <name>.png.
ExtractResult extract_dictionary(const std::filesystem::path& file, const std::filesystem::path& folder,
                                 TextureRun& run, std::vector<std::string>& messages);
ExtractResult extract_dictionary(const FileSource& source, const std::filesystem::path& folder,
                                 TextureRun& run, std::vector<std::string>& messages);

// The model's own dictionary: <base>.txd beside it, the extension in any case;
// empty when there is none.
std::filesystem::path own_dictionary(const std::filesystem::path& model);

// The dictionaries a model's textures are looked up in, in order: its own, then the shared ones.
std::vector<std::filesystem::path> model_dictionaries(const std::filesystem::path& model,
                                                      const std::vector<std::filesystem::path>& shared);

// Writes each texture that names asks for into folder as <name>.png, spelled
// as names spells it; names match texture names without case. Each comes from
// the first dictionary that holds it. Returns the names no dictionary holds.
std::vector<std::string> write_textures(const std::vector<std::string>& names,
                                        const std::vector<std::filesystem::path>& dictionaries,
                                        const std::filesystem::path& folder, TextureRun& run,
                                        std::vector<std::string>& messages);

// The same over sources, each writing into its own folder when it has one.
// placed (when given) gets each written texture's PNG path, by the lower-cased
// file name an MTL file names it by.
std::vector<std::string> write_textures(const std::vector<std::string>& names,
                                        const std::vector<DictionaryTarget>& dictionaries,
                                        const std::filesystem::path& folder, TextureRun& run,
                                        std::vector<std::string>& messages,
                                        std::map<std::string, std::filesystem::path>* placed = nullptr);
