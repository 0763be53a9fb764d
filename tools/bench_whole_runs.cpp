// bench_whole_runs: the command line as a user runs it, one process a
// conversion, its default (vertices-first) text next to --exact-text, side by
// side on the same model, with the peak resident size of each.
//
// Usage: bench_whole_runs PROGRAM FOLDER [REPEATS [SIZE_MB [OUTPUT_FOLDER]]]
//   converts every FOLDER/goN-<SIZE_MB>mb.dff (120 unless told), its OBJ file
//   beside it or in OUTPUT_FOLDER (-o; a memory file system there leaves the
//   disk out of the figures, which on a shared machine it can swamp), with its own
//   button, REPEATS times each way (default 3), alternately; shows the median
//   wall time, the ratio, the median processor time (user and system; on a
//   shared machine the steadier figure) and the largest peak resident size.
//
// The default text holds one group at a time, from its "# uvs at" line to the
// next group: its peak may exceed --exact-text's by the largest such stretch,
// which is shown from the --exact-text text. Not a test: nothing fails here on
// a slow machine; the aims are only shown.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds;      // wall clock
    double cpu_seconds;  // user and system time
    long peak_kb;
    int status;
};

// One run of the program, its output thrown away.
Run run_program(const std::string& program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "bench_whole_runs: cannot start %s\n", program.c_str());
        std::exit(2);
    }
    int status = 0;
    struct rusage usage = {};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {std::chrono::duration<double>(end - start).count(), seconds(usage.ru_utime) + seconds(usage.ru_stime),
            usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// The most text the default run holds at once: from a group's "# uvs at" line
// to the group's end (the next group line or the end of the text).
unsigned long long largest_held_group(const fs::path& obj) {
    std::FILE* f = std::fopen(obj.c_str(), "rb");
    if (!f) return 0;
    static char chunk[1 << 20];
    unsigned long long at = 0, uvs = 0, largest = 0;
    bool holding = false, line_start = true;
    char head[12] = {};
    std::size_t used = 0;
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) {
        for (std::size_t i = 0; i < n; ++i, ++at) {
            if (line_start) used = 0;
            if (used < sizeof head) head[used++] = chunk[i];
            line_start = chunk[i] == '\n';
            if (used == 2 && head[0] == 'g' && head[1] == ' ' && holding) {
                largest = std::max(largest, at - 1 - uvs);
                holding = false;
            }
            if (used == 11 && std::memcmp(head, "# uvs at 0x", 11) == 0 && !holding) {
                uvs = at - 10;
                holding = true;
            }
        }
    }
    std::fclose(f);
    if (holding) largest = std::max(largest, at - uvs);
    return largest;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 6) {
        std::fprintf(stderr, "usage: bench_whole_runs PROGRAM FOLDER [REPEATS [SIZE_MB [OUTPUT_FOLDER]]]\n");
        return 2;
    }
    const std::string program = fs::absolute(argv[1]).string();
    const fs::path folder = argv[2];
    const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const std::string size = argc > 4 ? argv[4] : "120";
    const fs::path output = argc > 5 ? fs::absolute(argv[5]) : fs::path();

    std::printf("| Strategy | Model MB | OBJ MB | --exact-text s | default s | Ratio | --exact-text CPU s | "
                "default CPU s | CPU ratio | --exact-text peak MiB | default peak MiB | Largest group MiB |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    int status = 0;
    for (const char* button : {"go1", "go2", "go3", "go4"}) {
        const fs::path model = fs::absolute(folder / (std::string(button) + "-" + size + "mb.dff"));
        if (!fs::exists(model)) continue;
        const fs::path obj = output.empty() ? fs::path(model.string() + ".obj")
                                            : output / (model.filename().string() + ".obj");
        std::vector<std::string> exact = {"-q", "--exact-text", "-b", button, model.string()};
        std::vector<std::string> reordered = {"-q", "-b", button, model.string()};
        if (!output.empty()) {
            for (auto* args : {&exact, &reordered}) args->insert(args->begin(), {"-o", output.string()});
        }
        // One untimed run brings the model into the page cache and gives the text.
        if (run_program(program, exact).status != 0) {
            std::fprintf(stderr, "bench_whole_runs: %s does not convert clean with %s\n", model.c_str(), button);
            status = 1;
        }
        const double obj_mb = static_cast<double>(fs::file_size(obj)) / 1e6;
        const unsigned long long held = largest_held_group(obj);
        std::vector<double> exact_s, default_s, exact_cpu, default_cpu;
        long exact_kb = 0, default_kb = 0;
        for (int i = 0; i < repeats; ++i) {
            Run e = run_program(program, exact);
            Run d = run_program(program, reordered);
            if (e.status != 0 || d.status != 0) status = 1;
            exact_s.push_back(e.seconds);
            default_s.push_back(d.seconds);
            exact_cpu.push_back(e.cpu_seconds);
            default_cpu.push_back(d.cpu_seconds);
            exact_kb = std::max(exact_kb, e.peak_kb);
            default_kb = std::max(default_kb, d.peak_kb);
        }
        fs::remove(obj);
        const double e = median(exact_s), d = median(default_s), ec = median(exact_cpu), dc = median(default_cpu);
        std::printf("| `%s` | %.0f | %.1f | %.3f | %.3f | %.2f | %.3f | %.3f | %.2f | %.1f | %.1f | %.1f |\n", button,
                    static_cast<double>(fs::file_size(model)) / 1e6, obj_mb, e, d, d / e, ec, dc, dc / ec,
                    exact_kb / 1024.0, default_kb / 1024.0, static_cast<double>(held) / (1 << 20));
        std::fflush(stdout);
    }
    return status;
}
