#include "cli/jobs.h"

#include <algorithm>
#include <cstdlib>

#include "cli/console_session.h"
#include "cli/job_records.h"
#include "cli/jobs_option.h"
#include "cli/worker_process.h"
#include "cli/worker_streams.h"

namespace {

// One worker's share of the list and the process converting what is left of it.
struct Slot {
    std::vector<ShareEntry> share;
    std::size_t next = 0;  // the first of the share without a result yet
    WorkerProcess process;
    bool running = false;
    std::string received;  // bytes from the worker not yet taken as a record
    std::string start_error;
};

void start(Slot& slot, const WorkerCommand& command) {
    std::vector<std::string> args{worker_option};
    args.insert(args.end(), command.args.begin(), command.args.end());
    slot.received.clear();
    slot.running = start_worker(command.program, args, slot.process, slot.start_error);
    // A worker gone before it read its share shows below as one that stopped.
    if (slot.running) send_and_close(slot.process, encode_share(slot.share, slot.next));
}

bool next_record(Slot& slot, ModelRecord& record) {
    char buffer[4096];
    for (;;) {
        int taken = take_record(slot.received, record);
        if (taken != 0) return taken > 0;
        std::size_t n = receive(slot.process, buffer, sizeof buffer);
        if (n == 0) return false;
        slot.received.append(buffer, n);
    }
}

// The result of the model the slot's worker owes next. A worker that stops
// fails the model it was converting, and a new one takes the rest of the share.
ModelOutcome result_of(Slot& slot, std::size_t index, const ModelEntry& model, const WorkerCommand& command) {
    ModelRecord record;
    if (slot.running && next_record(slot, record) && record.index == index) {
        pass_on(record.text);
        ++slot.next;
        return record.outcome;
    }
    std::string why;
    if (slot.running) {
        std::string how = finish_worker(slot.process);
        why = "worker stopped while converting it (" + (how.empty() ? "without a result" : how) + ")";
    } else {
        why = "could not start a worker (" + slot.start_error + ")";
    }
    say(model.path + ": not converted: " + why);
    ++slot.next;
    if (slot.next < slot.share.size()) start(slot, command);
    return ModelOutcome::failed;
}

}  // namespace

std::size_t worker_count(int jobs, const std::vector<PlannedModel>& planned) {
    std::size_t to_convert = 0;
    for (const PlannedModel& p : planned) to_convert += p.convert;
    std::size_t wanted = static_cast<std::size_t>(jobs > 0 ? jobs : processor_count());
    return std::max<std::size_t>(1, std::min(wanted, to_convert));
}

Tally convert_with_workers(const std::vector<ModelEntry>& entries, const std::vector<PlannedModel>& planned,
                           bool quiet, const WorkerCommand& command, std::size_t workers) {
    std::vector<Slot> slots(workers);
    std::vector<std::size_t> owner(entries.size(), 0);
    std::size_t k = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!planned[i].convert) continue;
        owner[i] = k % workers;
        const ModelJob& job = planned[i].job;
        slots[owner[i]].share.push_back({i, job.model_path, job.output_folder, job.obj_path, job.entry, job.texture_root});
        ++k;
    }
    for (Slot& slot : slots) start(slot, command);
    Tally tally = convert_in_order(entries, planned, quiet, [&](std::size_t i, const ModelJob&) {
        return result_of(slots[owner[i]], i, entries[i], command);
    });
    for (Slot& slot : slots)
        if (slot.running) finish_worker(slot.process);
    return tally;
}

namespace {

// Set by the tests only: a worker that reaches a model of this file name
// stops at once, as if killed.
bool stops_at(const std::string& path) {
    const char* name = std::getenv("VORLUND_OBJ_TEST_WORKER_STOPS_AT");
    if (!name || !*name) return false;
    std::string n = name;
    return path.size() >= n.size() && path.compare(path.size() - n.size(), n.size(), n) == 0 &&
           (path.size() == n.size() || path[path.size() - n.size() - 1] == '/' ||
            path[path.size() - n.size() - 1] == '\\');
}

}  // namespace

int run_worker(const Options& options, const std::vector<NamedAnimations>& animations, bool third_game) {
    std::string input;
    std::vector<ShareEntry> share;
    if (!read_whole_input(input) || !decode_share(input, share)) return 3;
    if (!start_catching_output()) return 3;
    for (const ShareEntry& e : share) {
        if (stops_at(e.path)) stop_abruptly();
        ModelRecord record;
        record.index = e.index;
        ModelJob job = job_for(options, e.path, e.output_folder, e.obj_path);
        job.entry = e.entry;
        job.texture_root = e.texture_root;
        job.third_game = third_game;
        if (!animations.empty()) job.animations = &animations;
        record.outcome = convert_model(job);
        record.text = take_caught_errors();
        if (!send_records(encode_record(record))) return 3;
    }
    return 0;
}
