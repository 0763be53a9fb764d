#pragma once
// Worker processes as the parent sees them: this program started again with
// other arguments, a pipe into its standard input and one out of its standard
// output; its standard error is ours.

#include <cstddef>
#include <string>
#include <vector>

struct WorkerProcess {
#ifdef _WIN32
    void* process = nullptr;
    void* to = nullptr;    // our end of its standard input
    void* from = nullptr;  // our end of its standard output
#else
    int pid = -1;
    int to = -1, from = -1;
#endif
};

// The path to start this program again by; argv0 where the system does not tell.
std::string own_executable(const char* argv0);

// Starts program with args (its argv[1]...). false with why set when it cannot.
bool start_worker(const std::string& program, const std::vector<std::string>& args,
                  WorkerProcess& worker, std::string& why);

// Writes bytes into the worker's standard input and closes it. false when the
// worker is gone.
bool send_and_close(WorkerProcess& worker, const std::string& bytes);

// Reads what the worker wrote next, at most capacity bytes; 0 at its end.
std::size_t receive(WorkerProcess& worker, char* buffer, std::size_t capacity);

// Closes our ends, waits for the worker and tells how it ended, for a message:
// "exit status 1", "signal 9". Empty when it ended with status 0.
std::string finish_worker(WorkerProcess& worker);

// The processor cores this process may use, at least 1.
int processor_count();
