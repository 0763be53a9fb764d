#include "control/texture_order.h"

#include <set>

#include "export/texture_file_name.h"
#include "game/archive.h"
#include "game/item_definitions.h"
#include "game/text_lines.h"

namespace fs = std::filesystem;

namespace {

// txdp chains are short; a longer one loops.
constexpr int deepest_parent_chain = 32;

std::string in_quotes(const std::string& name) { return "'" + name + "'"; }

std::string file_stem(const fs::path& file) { return file.stem().string(); }

}  // namespace

std::string dictionary_folder_name(const std::string& dictionary) {
    std::string stem = texture_file_stem(lower_name(dictionary));
    return stem.empty() ? "_" : stem;
}

void TextureCatalog::add_item_definitions(const ItemDefinitionFile& file) {
    for (const ItemDefinition& item : file.items)
        if (!item.model.empty() && !item.dictionary.empty())
            model_dictionary_.emplace(lower_name(item.model), item.dictionary);
    for (const DictionaryParent& p : file.parents)
        if (!p.dictionary.empty() && !p.parent.empty()) parent_.emplace(lower_name(p.dictionary), p.parent);
}

void TextureCatalog::add_archive(const std::string& archive, const ArchiveDirectory& directory) {
    auto& own = in_archive_[directory.data_file];
    for (const ArchiveEntry& e : directory.entries) {
        if (!e.damage.empty() || std::string(archive_entry_kind(e.name)) != "texture dictionary") continue;
        const FileSource source = entry_source(archive, directory, e);
        const std::string key = lower_name(entry_base_name(e.name));
        own.emplace(key, source);
        by_name_.emplace(key, source);
    }
}

void TextureCatalog::add_dictionary_file(const fs::path& file) {
    by_name_.emplace(lower_name(file_stem(file)), file_source(file));
}

void TextureCatalog::add_shared(const fs::path& file) { shared_.push_back(file); }

const FileSource* TextureCatalog::archive_dictionary(const std::string& archive_data,
                                                           const std::string& name) const {
    auto archive = in_archive_.find(archive_data);
    if (archive == in_archive_.end()) return nullptr;
    auto it = archive->second.find(lower_name(entry_base_name(name)));
    return it == archive->second.end() ? nullptr : &it->second;
}

TextureOrder TextureCatalog::order_for(const std::string& model, const FileSource* own,
                                       const std::vector<fs::path>& extra, const fs::path& texture_root) const {
    auto definition = model_dictionary_.find(lower_name(model));
    return order_from(definition == model_dictionary_.end() ? nullptr : &definition->second, own, extra, texture_root);
}

TextureOrder TextureCatalog::order_for_file(const fs::path& model, const std::vector<fs::path>& extra,
                                            const fs::path& texture_root) const {
    const fs::path own = own_dictionary(model);
    const FileSource own_source = file_source(own);
    return order_for(model.stem().string(), own.empty() ? nullptr : &own_source, extra, texture_root);
}

TextureOrder TextureCatalog::order_for_entry(const std::string& archive_data, const std::string& entry_name,
                                             const std::vector<fs::path>& extra, const fs::path& texture_root) const {
    return order_for(entry_base_name(entry_name), archive_dictionary(archive_data, entry_name), extra, texture_root);
}

TextureOrder TextureCatalog::order_for_dictionary(const std::string& dictionary, const std::vector<fs::path>& extra,
                                                  const fs::path& texture_root) const {
    return order_from(dictionary.empty() ? nullptr : &dictionary, nullptr, extra, texture_root);
}

TextureOrder TextureCatalog::order_from(const std::string* dictionary, const FileSource* own,
                                        const std::vector<fs::path>& extra, const fs::path& texture_root) const {
    TextureOrder order;
    std::set<std::string> seen;  // each dictionary once, by where it is
    auto add = [&](const FileSource& source, const std::string& name) {
        if (!seen.insert(lower_name(fs::path(source.shown).lexically_normal().string())).second) return;
        const fs::path folder = texture_root.empty() ? fs::path() : texture_root / "textures" / dictionary_folder_name(name);
        order.dictionaries.push_back({source, folder});
    };
    if (dictionary) {
        std::string name = *dictionary, child;
        std::set<std::string> visited;  // a chain that loops ends where it comes back
        for (int depth = 0; depth < deepest_parent_chain && !name.empty(); ++depth) {
            if (!visited.insert(lower_name(name)).second) break;
            auto found = by_name_.find(lower_name(name));
            if (found != by_name_.end())
                add(found->second, name);
            else
                order.missing.push_back("dictionary " + in_quotes(name) +
                                        (child.empty() ? " (its item definition's)" : " (parent of " + in_quotes(child) + ")") +
                                        " is in no archive or file named");
            auto parent = parent_.find(lower_name(name));
            child = name;
            name = parent == parent_.end() ? "" : parent->second;
        }
    }
    for (const fs::path& file : shared_) add(file_source(file), file_stem(file));
    if (own) add(*own, file_stem(own->shown));
    for (const fs::path& file : extra) add(file_source(file), file_stem(file));
    return order;
}
