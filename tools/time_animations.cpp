// time_animations: a character's glb with a full animation file against the
// same character without it, side by side.
//
// Usage: time_animations CHARACTER.dff FOLDER [COUNT] [REPEATS]
//   writes FOLDER/many.ifp once: COUNT animations (default 300, as a real file
//   of several hundred), each 30 keys on every bone of the character sample's
//   ids (ANP3, uncompressed), then times, each REPEATS times (default 5),
//   median shown:
//     without  the character read, planned as glTF and written as a glb
//     with     the same, the animation file read from disk and its animations added
//     floor    the I/O the animations add: the animation file read from disk
//              and a file of the glb's extra bytes written
//   with the files' sizes and two ratios: with / (without + floor), which the
//   target holds at 2 or less, and (with - floor) / without, the time the
//   animations' own work takes against the character's.
// Not a test: nothing here fails on a slow machine.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/animation_source.h"
#include "export/gltf_writer.h"
#include "model/structure_reader.h"
#include "support/animation_layout.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// In one read of its known size: the floor must be what the bytes cost, not a slow loop.
std::string read_all(const fs::path& file) {
    std::string bytes(static_cast<std::size_t>(fs::file_size(file)), '\0');
    std::ifstream(file, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// Each time into a file that is not there yet, its removal not timed: a
// file written over costs the file system more, and alike for all three.
template <class Work>
double median_seconds(int repeats, const fs::path& written, Work work) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        fs::remove(written);
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The character from its file, as glb at out; with the animation file when not empty.
void convert(const fs::path& model_file, const fs::path& animations, const fs::path& out) {
    const std::string bytes = read_all(model_file);
    const Model model = read_model(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   static_cast<std::uint32_t>(bytes.size()));
    GltfWriteOptions options;
    options.model_path = model_file.string();
    options.program_name_version = "time_animations";
    GltfModel plan = plan_gltf(model, options);
    if (!animations.empty()) {
        std::vector<NamedAnimations> files(1);
        if (!load_animation_file(animations.string(), files[0]).empty()) std::exit(1);
        (void)add_animations(plan, files, {});
    }
    std::string why;
    if (!finish_gltf(std::move(plan), [](const std::string&, GltfImage&) { return false; }).write_glb(out.string(), why)) {
        std::fprintf(stderr, "time_animations: %s\n", why.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: time_animations CHARACTER.dff FOLDER [COUNT] [REPEATS]\n");
        return 2;
    }
    const fs::path character = argv[1], folder = argv[2];
    const std::size_t count = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 300;
    const int repeats = argc > 4 ? std::atoi(argv[4]) : 5;
    fs::create_directories(folder);
    const fs::path ifp = folder / "many.ifp", plain = folder / "plain.glb", animated = folder / "animated.glb",
                   extra = folder / "extra.bin";
    {
        const std::string file = anp3_file(many_rows({0, 1, 2, 5, 22, 32, 41, 42, 51, 52}, count, 30, false));
        std::ofstream(ifp, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
    }
    const double without = median_seconds(repeats, plain, [&] { convert(character, {}, plain); });
    const double with = median_seconds(repeats, animated, [&] { convert(character, ifp, animated); });
    const std::uintmax_t plain_size = fs::file_size(plain), animated_size = fs::file_size(animated);
    // The extra bytes from a block that stays in cache, as the glb's writer
    // sends them: one write of a 2 MB string from memory costs more.
    const std::uintmax_t added = animated_size - plain_size;
    const std::string block(std::size_t(1) << 16, '\0');
    const double floor = median_seconds(repeats, extra, [&] {
        const std::string bytes = read_all(ifp);
        std::ofstream out(extra, std::ios::binary);
        for (std::uintmax_t left = added; left > 0; left -= std::min<std::uintmax_t>(left, block.size()))
            out.write(block.data(), static_cast<std::streamsize>(std::min<std::uintmax_t>(left, block.size())));
        if (bytes.empty()) std::exit(1);
    });
    std::printf("animation file  %zu animations, %ju bytes\n", count, static_cast<std::uintmax_t>(fs::file_size(ifp)));
    std::printf("glb without     %ju bytes  %.4f s\n", plain_size, without);
    std::printf("glb with        %ju bytes  %.4f s\n", animated_size, with);
    std::printf("I/O floor       %.4f s\n", floor);
    std::printf("with / (without + floor) = %.2f\n", with / (without + floor));
    std::printf("(with - floor) / without = %.2f\n", (with - floor) / without);
    return 0;
}
