// make_collision: generated collision files, for the fuzzer's seeds and the
// benchmark. Not a test.
//
// Usage: make_collision FOLDER
//          one file a version (sphere, box, faces, face groups, shadow mesh),
//          a file of every version mixed, and a model embedding a record
//        make_collision --models N FILE
//          N records back to back, versions 1 to 4 in turn, named model_<i>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/collision_writer.h"

namespace {

bool write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--models") {
        const long n = std::strtol(argv[2], nullptr, 10);
        std::vector<colw::Record> records;
        for (long i = 0; i < n; ++i) records.push_back(colw::sample(static_cast<int>(i % 4) + 1, "model_" + std::to_string(i)));
        if (!write(argv[3], colw::file(records))) return 1;
        std::printf("%s: %ld models\n", argv[3], n);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_collision FOLDER | make_collision --models N FILE\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    bool ok = true;
    std::vector<colw::Record> mixed;
    for (int version = 1; version <= 4; ++version) {
        const colw::Record r = colw::sample(version, "version_" + std::to_string(version));
        ok = write(folder / ("version-" + std::to_string(version) + ".col"), colw::record(r)) && ok;
        mixed.push_back(r);
    }
    mixed.push_back(colw::Record{2, "empty", 0, {}, {}, {}, {}, false});
    ok = write(folder / "mixed.col", colw::file(mixed)) && ok;
    ok = write(folder / "embedded.dff", colw::model_with_collision(colw::record(colw::sample(3, "car_col")))) && ok;
    std::printf("%s: 7 files\n", folder.string().c_str());
    return ok ? 0 : 1;
}
