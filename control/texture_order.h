#pragma once
// The dictionaries a model's textures are looked up in, in the game's order:
// the one its item definition names, that one's parents, the shared ones,
// the model's own (its base name, in its archive or beside it), then those
// named with -t. Dictionaries are found by name among the entries of every
// archive added and the dictionary files added.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "control/texture_export.h"

struct ArchiveDirectory;
struct ItemDefinitionFile;

struct TextureOrder {
    std::vector<DictionaryTarget> dictionaries;  // without repeats
    std::vector<std::string> missing;            // dictionaries named but found nowhere, as phrases
};

class TextureCatalog {
public:
    // Which dictionary each model takes, and each dictionary's parent; the first definition of a name wins.
    void add_item_definitions(const ItemDefinitionFile& file);
    // The archive's dictionary entries (shown as archive/ENTRY); a name already found keeps its first place.
    void add_archive(const std::string& archive, const ArchiveDirectory& directory);
    // A dictionary file, found by its base name.
    void add_dictionary_file(const std::filesystem::path& file);
    // A dictionary every model may use (TEXDICTION), after its own and its parents.
    void add_shared(const std::filesystem::path& file);

    // The order for a model (name without extension). own: its base-name
    // dictionary, when it has one; extra: the -t files. With a texture_root,
    // each dictionary's PNGs go to texture_root/textures/NAME/.
    TextureOrder order_for(const std::string& model, const FileSource* own,
                           const std::vector<std::filesystem::path>& extra,
                           const std::filesystem::path& texture_root) const;

    // The order for a model file, its own dictionary <base>.txd beside it.
    TextureOrder order_for_file(const std::filesystem::path& model, const std::vector<std::filesystem::path>& extra,
                                const std::filesystem::path& texture_root) const;
    // The order for an archive's model entry, its own dictionary the archive's of its base name.
    TextureOrder order_for_entry(const std::string& archive_data, const std::string& entry_name,
                                 const std::vector<std::filesystem::path>& extra,
                                 const std::filesystem::path& texture_root) const;

    // The order for a map's material of the dictionary an item definition
    // names: that dictionary, its parents, the shared ones, then extra.
    TextureOrder order_for_dictionary(const std::string& dictionary, const std::vector<std::filesystem::path>& extra,
                                      const std::filesystem::path& texture_root) const;

    // The base-name dictionary of an archive's model entry, when the archive holds one.
    const FileSource* archive_dictionary(const std::string& archive_data, const std::string& name) const;

    std::size_t dictionaries_known() const { return by_name_.size(); }

private:
    TextureOrder order_from(const std::string* dictionary, const FileSource* own,
                            const std::vector<std::filesystem::path>& extra,
                            const std::filesystem::path& texture_root) const;

    std::map<std::string, std::string> model_dictionary_;  // lower model -> dictionary as written
    std::map<std::string, std::string> parent_;            // lower dictionary -> parent as written
    std::map<std::string, FileSource> by_name_;      // lower dictionary -> where
    std::map<std::string, std::map<std::string, FileSource>> in_archive_;  // data file -> lower name -> entry
    std::vector<std::filesystem::path> shared_;
};

// The folder name a dictionary's PNGs get: its name in lower case, made safe.
std::string dictionary_folder_name(const std::string& dictionary);
