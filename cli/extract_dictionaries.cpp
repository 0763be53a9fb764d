#include "cli/extract_dictionaries.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/console_session.h"
#include "cli/job_records.h"
#include "cli/jobs_option.h"
#include "cli/worker_process.h"
#include "cli/worker_streams.h"
#include "control/game_catalog.h"
#include "control/texture_export.h"

namespace fs = std::filesystem;

namespace {

std::string textures(std::size_t n) { return std::to_string(n) + (n == 1 ? " texture" : " textures"); }

std::string line(const std::string& text) { return "vorlund-obj: " + text + "\n"; }

// One dictionary's lines, as they are said; whole is set when it was extracted whole.
std::string extract_one(const NamedDictionary& named, bool quiet, TextureRun& run, bool& whole) {
    std::vector<std::string> messages;
    const ExtractResult result = extract_dictionary(named.source, named.folder, run, messages);
    std::string text;
    for (const std::string& m : messages) text += line(m);
    const std::string& name = named.name;
    if (result.complete) {
        if (!quiet) text += line(name + ": " + textures(result.written) + " written to " + named.folder.string());
    } else if (result.written == 0) {
        text += line(name + ": not extracted");
    } else {
        text += line(name + ": not extracted whole: " + textures(result.written) + " written to " + named.folder.string());
    }
    whole = result.complete;
    return text;
}

// The dictionary's bytes, for sharing the work out; 0 when unknown.
std::uint64_t size_of(const FileSource& source) {
    if (source.in_archive) return source.length;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(source.file, error);
    return error ? 0 : size;
}

// One worker's share: places in the catalog's list (the worker builds the same
// catalog from the same command line), as a model share's indices.
struct Worker {
    std::vector<ShareEntry> share;
    std::size_t next = 0;  // the first of the share without a record yet
    WorkerProcess process;
    bool running = false;
    std::string received, start_error;
};

void start(Worker& w, const WorkerCommand& command) {
    std::vector<std::string> args{worker_option};
    args.insert(args.end(), command.args.begin(), command.args.end());
    w.received.clear();
    w.running = start_worker(command.program, args, w.process, w.start_error);
    if (w.running) send_and_close(w.process, encode_share(w.share, w.next));
}

// Dictionaries writing into one folder go to one worker, in list order: which
// of them wins a PNG's name is then what one process decides, as without
// workers. The folders' groups go largest first to the worker with the
// fewest bytes yet. Returns each dictionary's worker.
std::vector<std::size_t> share_out(const std::vector<NamedDictionary>& list, std::vector<Worker>& workers) {
    std::map<std::string, std::size_t> group_of;  // folder, without case -> group
    std::vector<std::size_t> group(list.size(), 0), owner(list.size(), 0);
    std::vector<std::uint64_t> group_bytes;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!list[i].line.empty()) continue;
        std::error_code error;
        std::string key = fs::absolute(list[i].folder, error).lexically_normal().string();
        for (char& c : key) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        const auto [it, added] = group_of.emplace(key, group_bytes.size());
        if (added) group_bytes.push_back(0);
        group[i] = it->second;
        group_bytes[group[i]] += size_of(list[i].source);
    }
    std::vector<std::size_t> order(group_bytes.size()), group_owner(group_bytes.size());
    for (std::size_t g = 0; g < order.size(); ++g) order[g] = g;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return group_bytes[a] > group_bytes[b]; });
    std::vector<std::uint64_t> load(workers.size(), 0);
    for (std::size_t g : order) {
        const std::size_t w = static_cast<std::size_t>(std::min_element(load.begin(), load.end()) - load.begin());
        group_owner[g] = w;
        load[w] += group_bytes[g];
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!list[i].line.empty()) continue;
        owner[i] = group_owner[group[i]];
        ShareEntry e;
        e.index = i;
        workers[owner[i]].share.push_back(e);
    }
    return owner;
}

// The lines of dictionary index from its worker, which owes it next. A worker
// that stops fails the dictionary it was on, and a new one takes the rest.
bool record_of(Worker& w, std::size_t index, const std::string& name, const WorkerCommand& command,
               std::string& text) {
    ModelRecord record;
    char buffer[4096];
    ++w.next;
    while (w.running) {
        const int taken = take_record(w.received, record);
        if (taken > 0 && record.index == index) {
            text = record.text;
            return record.outcome == ModelOutcome::clean;
        }
        if (taken != 0) break;
        const std::size_t n = receive(w.process, buffer, sizeof buffer);
        if (n == 0) break;
        w.received.append(buffer, n);
    }
    std::string why;
    if (w.running) {
        const std::string how = finish_worker(w.process);
        why = "worker stopped while extracting it (" + (how.empty() ? "without a result" : how) + ")";
    } else {
        why = "could not start a worker (" + w.start_error + ")";
    }
    text = line(name + ": not extracted: " + why);
    if (w.next < w.share.size()) start(w, command);
    return false;
}

}  // namespace

int extract_dictionaries(const Options& options, const GameCatalog& catalog, int jobs, const WorkerCommand& command) {
    const bool quiet = options.verbosity == Verbosity::quiet;
    const std::vector<NamedDictionary>& list = catalog.named_dictionaries;
    std::size_t dictionaries = 0;
    for (const NamedDictionary& d : list) dictionaries += d.line.empty();
    const std::size_t wanted = static_cast<std::size_t>(jobs > 0 ? jobs : processor_count());
    std::vector<Worker> workers(std::min(wanted, dictionaries) > 1 ? std::min(wanted, dictionaries) : 0);
    const std::vector<std::size_t> owner = workers.empty() ? std::vector<std::size_t>() : share_out(list, workers);
    for (Worker& w : workers) start(w, command);

    TextureRun run;  // across the run: a PNG written from one dictionary is not replaced by another's
    std::size_t whole = 0, n = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const NamedDictionary& d = list[i];
        if (d.counted) ++n;
        if (!d.line.empty()) {
            say(d.line);
            continue;
        }
        bool done = false;
        std::string text;
        if (workers.empty())
            text = extract_one(d, quiet, run, done);
        else
            done = record_of(workers[owner[i]], i, d.name, command, text);
        pass_on(text);
        whole += done;
    }
    for (Worker& w : workers)
        if (w.running) finish_worker(w.process);
    say(std::to_string(n) + (n == 1 ? " dictionary: " : " dictionaries: ") + std::to_string(whole) +
        " extracted whole, " + std::to_string(n - whole) + " not");
    return whole == n ? 0 : 1;
}

int run_extract_worker(const Options& options, const GameCatalog& catalog) {
    std::string input;
    std::vector<ShareEntry> share;
    if (!read_whole_input(input) || !decode_share(input, share) || !start_catching_output()) return 3;
    const std::vector<NamedDictionary>& list = catalog.named_dictionaries;
    TextureRun run;
    for (const ShareEntry& s : share) {
        if (s.index >= list.size() || !list[s.index].line.empty()) return 3;
        ModelRecord record;
        record.index = s.index;
        bool whole = false;
        record.text = extract_one(list[s.index], options.verbosity == Verbosity::quiet, run, whole);
        record.text += take_caught_errors();
        record.outcome = whole ? ModelOutcome::clean : ModelOutcome::failed;
        if (!send_records(encode_record(record))) return 3;
    }
    return 0;
}
