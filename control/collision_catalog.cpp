#include "control/collision_catalog.h"

#include <map>
#include <memory>

#include "game/text_lines.h"

namespace {

// Far above any collision file; a larger one is no such file.
constexpr std::uint64_t largest_collision_source = std::uint64_t(1) << 30;

struct Index {
    std::vector<FileSource> sources;
    bool read = false;
    std::map<std::string, CollisionModel> by_name;
};

Index& index() {
    static Index i;
    return i;
}

}  // namespace

void set_collision_sources(const std::vector<FileSource>& sources) {
    Index& i = index();
    i.sources = sources;
    i.read = false;
    i.by_name.clear();
}

const CollisionModel* collision_by_name(const std::string& name) {
    Index& i = index();
    if (!i.read) {
        i.read = true;
        std::vector<std::uint8_t> bytes;
        for (const FileSource& s : i.sources) {
            if (!s.damage.empty() || read_source(s, largest_collision_source, bytes)) continue;
            CollisionFile file =
                read_collision_file(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
            for (CollisionModel& m : file.models)
                if (!m.name.empty()) i.by_name[lower_name(m.name)] = std::move(m);
        }
    }
    auto it = i.by_name.find(lower_name(name));
    return it == i.by_name.end() ? nullptr : &it->second;
}
