// bench_conversion: the whole conversion's time next to the machine's own
// input and output on the same files, for the models make_large_model writes.
//
// Usage: bench_conversion FOLDER [REPEATS]
//          times every FOLDER/goN-<size>mb.dff with its own strategy
//        bench_conversion --once MODEL go1|go2|go3|go4
//          one conversion and nothing else (for measuring peak memory)
//
// A conversion is timed through the window's own commands: choose_model, as
// File/Open with the model chosen (the OBJ file opened with "w" beside the
// model, with the commands' stream buffer), then run_conversion, as the
// button (had_errors cleared, the strategy called with the model's path from
// the model's own folder, the OBJ file closed). The floor is what no conversion can beat: the model read whole
// into memory, and as many bytes of text as the conversion wrote put into a
// file of the same folder with large fwrite calls, the file closed. Each is
// measured REPEATS times (default 3), alternately, and the median is shown.
// Not a test: nothing here fails on a slow machine.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "control/commands.h"
#include "engine/conversion_state.h"
#include "control/platform.h"
#include "engine/strategies.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// The floor's stream gets what the commands give the OBJ file: a full-buffered 1 MiB buffer.
char stream_buffer[1 << 20];

std::FILE* open_for_the_floor(const char* name) {
    std::FILE* f = std::fopen(name, "w");
    if (!f) {
        std::fprintf(stderr, "bench_conversion: cannot create %s\n", name);
        std::exit(1);
    }
    std::setvbuf(f, stream_buffer, _IOFBF, sizeof stream_buffer);
    return f;
}

Strategy strategy_named(const std::string& name) {
    if (name == "go1") return go1;
    if (name == "go2") return go2;
    if (name == "go3") return go3;
    if (name == "go4") return go4;
    return nullptr;
}

int button_of(Strategy strategy) {
    return strategy == go1 ? id_go1 : strategy == go2 ? id_go2 : strategy == go3 ? id_go3 : id_go4;
}

// The Open dialog "chooses" this model, and leaves its folder current.
std::string chosen_model;

void choose_the_model(WindowHandle, char* path, unsigned capacity) {
    std::snprintf(path, capacity, "%s", chosen_model.c_str());
    fs::current_path(fs::path(chosen_model).parent_path());
}

Platform bench_platform() {
    Platform p = console_platform;
    p.open_dialog = choose_the_model;
    return p;
}

struct Conversion {
    double seconds;
    unsigned long long obj_bytes;
    int had_errors;
};

// The model's folder is the current directory, as the Open dialog leaves it.
Conversion convert(const fs::path& model, Strategy strategy) {
    const std::string path = model.string();
    const std::string obj_name = model.filename().string() + ".obj";
    fs::remove(obj_name);
    chosen_model = path;
    const Clock::time_point start = Clock::now();
    if (!choose_model(nullptr, conversion_state.source_path, conversion_state.output_path)) {
        std::fprintf(stderr, "bench_conversion: cannot create %s\n", obj_name.c_str());
        std::exit(1);
    }
    run_conversion(nullptr, button_of(strategy), strategy);
    const Clock::time_point end = Clock::now();
    if (conversion_state.output_open) handle_close(nullptr);  // doubtful output reopened for another button
    Conversion c;
    c.seconds = std::chrono::duration<double>(end - start).count();
    c.obj_bytes = fs::file_size(obj_name);
    c.had_errors = conversion_state.had_errors;
    return c;
}

// Text to write for the floor: OBJ-like lines, so nothing gets it cheaper than real text.
char floor_text[256 * 1024];

void fill_floor_text() {
    const char line[] = "v  -123.456787 42.000000 0.250000\n";
    for (std::size_t i = 0; i < sizeof floor_text; ++i) floor_text[i] = line[i % (sizeof line - 1)];
}

// Reads the model into the source buffer (no other memory of that size), then
// writes obj_bytes of text.
double floor_seconds(const fs::path& model, unsigned long long obj_bytes) {
    fs::remove("floor.txt");
    const Clock::time_point start = Clock::now();
    int fd = open(model.filename().c_str(), O_RDONLY);
    if (fd < 0) {
        std::fprintf(stderr, "bench_conversion: cannot open %s\n", model.c_str());
        std::exit(1);
    }
    std::size_t done = 0;
    for (;;) {
        ssize_t got = read(fd, conversion_state.source_buffer + done, source_capacity - done);
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    std::FILE* f = open_for_the_floor("floor.txt");
    for (unsigned long long left = obj_bytes; left > 0;) {
        std::size_t n = left < sizeof floor_text ? static_cast<std::size_t>(left) : sizeof floor_text;
        std::fwrite(floor_text, 1, n, f);
        left -= n;
    }
    std::fclose(f);
    const Clock::time_point end = Clock::now();
    return std::chrono::duration<double>(end - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Group lines in the OBJ text: how many blocks the strategy handed on.
unsigned long long count_groups(const std::string& obj_name) {
    std::FILE* f = std::fopen(obj_name.c_str(), "rb");
    if (!f) return 0;
    static char chunk[1 << 20];
    unsigned long long groups = 0;
    bool line_start = true;
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) {
        for (std::size_t i = 0; i < n; ++i) {
            if (line_start && chunk[i] == 'g') ++groups;
            line_start = chunk[i] == '\n';
        }
    }
    std::fclose(f);
    return groups;
}

struct Model {
    fs::path path;
    std::string strategy;
    unsigned long long mb;
};

std::vector<Model> list_models(const fs::path& folder) {
    std::vector<Model> models;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        unsigned long long mb = 0;
        char strategy[4] = {};
        if (std::sscanf(name.c_str(), "%3s-%llumb.dff", strategy, &mb) != 2) continue;
        if (name != std::string(strategy) + "-" + std::to_string(mb) + "mb.dff") continue;
        if (!strategy_named(strategy)) continue;
        models.push_back({fs::absolute(entry.path()), strategy, mb});
    }
    std::sort(models.begin(), models.end(), [](const Model& a, const Model& b) {
        return a.strategy != b.strategy ? a.strategy < b.strategy : a.mb < b.mb;
    });
    return models;
}

int run_once(const fs::path& model, const std::string& name) {
    Strategy strategy = strategy_named(name);
    if (!strategy) {
        std::fprintf(stderr, "bench_conversion: no strategy %s\n", name.c_str());
        return 2;
    }
    fs::path absolute = fs::absolute(model);
    fs::current_path(absolute.parent_path());
    Conversion c = convert(absolute, strategy);
    std::printf("%s %s: %.3f s, %llu bytes of OBJ text, had_errors %d\n", name.c_str(),
                absolute.filename().c_str(), c.seconds, c.obj_bytes, c.had_errors);
    fs::remove(absolute.filename().string() + ".obj");
    return c.had_errors ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    static const Platform platform_for_benchmarks = bench_platform();
    set_platform(&platform_for_benchmarks);
    // Doubtful output stays to be counted, as the command line's single button keeps it.
    set_keep_doubtful_output(1);
    if (argc == 4 && std::strcmp(argv[1], "--once") == 0) return run_once(argv[2], argv[3]);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: bench_conversion FOLDER [REPEATS]\n"
                             "       bench_conversion --once MODEL go1|go2|go3|go4\n");
        return 2;
    }
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::vector<Model> models = list_models(argv[1]);
    if (models.empty()) {
        std::fprintf(stderr, "bench_conversion: no goN-<size>mb.dff models in %s\n", argv[1]);
        return 2;
    }
    fill_floor_text();

    std::printf("%-9s %6s %7s %9s %9s %9s %9s %9s %7s\n", "strategy", "model", "groups", "OBJ",
                "convert", "model", "OBJ", "floor", "ratio");
    std::printf("%-9s %6s %7s %9s %9s %9s %9s %9s %7s\n", "", "MB", "", "MB", "s", "MB/s", "MB/s", "s",
                "");
    int status = 0;
    for (const Model& m : models) {
        fs::current_path(m.path.parent_path());
        const std::string obj_name = m.path.filename().string() + ".obj";
        // One untimed run brings the model into the page cache, gives the text's
        // size and checks that the model converts clean.
        Conversion first = convert(m.path, strategy_named(m.strategy));
        unsigned long long groups = count_groups(obj_name);
        std::vector<double> conversion, floor;
        for (int i = 0; i < repeats; ++i) {
            floor.push_back(floor_seconds(m.path, first.obj_bytes));
            Conversion c = convert(m.path, strategy_named(m.strategy));
            if (c.obj_bytes != first.obj_bytes || c.had_errors != first.had_errors) {
                std::fprintf(stderr, "bench_conversion: %s gave another text on a second run\n",
                             m.path.c_str());
                status = 1;
            }
            conversion.push_back(c.seconds);
        }
        fs::remove(obj_name);
        fs::remove("floor.txt");
        const double model_mb = static_cast<double>(fs::file_size(m.path)) / 1e6;
        const double obj_mb = static_cast<double>(first.obj_bytes) / 1e6;
        const double t = median(conversion), f = median(floor);
        std::printf("%-9s %6.0f %7llu %9.1f %9.3f %9.1f %9.1f %9.3f %7.2f%s\n", m.strategy.c_str(),
                    model_mb, groups, obj_mb, t, model_mb / t, obj_mb / t, f, t / f,
                    first.had_errors ? "  (doubtful output!)" : "");
        std::fflush(stdout);
        if (first.had_errors) status = 1;
    }
    return status;
}
