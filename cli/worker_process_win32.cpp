// Worker processes on Windows: CreateProcess with two anonymous pipes. No
// threads: mingw's win32 thread model has none in the C++ library.
#ifdef _WIN32
#include "cli/worker_process.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

std::string last_error() { return "error " + std::to_string(GetLastError()); }

// One argument as the C runtime's command-line parser gives it back.
std::string quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
    std::string q = "\"";
    for (std::size_t i = 0;; ++i) {
        std::size_t backslashes = 0;
        while (i < arg.size() && arg[i] == '\\') ++i, ++backslashes;
        if (i == arg.size()) {
            q.append(backslashes * 2, '\\');
            break;
        }
        if (arg[i] == '"') {
            q.append(backslashes * 2 + 1, '\\');
        } else {
            q.append(backslashes, '\\');
        }
        q.push_back(arg[i]);
    }
    q.push_back('"');
    return q;
}

void close_handle(void*& h) {
    if (h) CloseHandle(h);
    h = nullptr;
}

// A pipe whose end for the worker alone is inherited; ours never is, so no
// later worker holds it open.
bool make_pipe(HANDLE& read_end, HANDLE& write_end, bool worker_reads) {
    if (!CreatePipe(&read_end, &write_end, nullptr, 1 << 16)) return false;
    SetHandleInformation(worker_reads ? read_end : write_end, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return true;
}

}  // namespace

std::string own_executable(const char* argv0) {
    char path[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n > 0 && n < sizeof path) return std::string(path, n);
    return argv0;
}

bool start_worker(const std::string& program, const std::vector<std::string>& args,
                  WorkerProcess& worker, std::string& why) {
    HANDLE in_read, in_write, out_read, out_write;
    if (!make_pipe(in_read, in_write, true)) {
        why = last_error();
        return false;
    }
    if (!make_pipe(out_read, out_write, false)) {
        why = last_error();
        CloseHandle(in_read), CloseHandle(in_write);
        return false;
    }
    std::string command = quoted(program);
    for (const auto& a : args) {
        command += ' ';
        command += quoted(a);
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in_read;
    startup.hStdOutput = out_write;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    BOOL started = CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &info);
    if (!started) why = last_error();
    CloseHandle(in_read);
    CloseHandle(out_write);
    if (!started) {
        CloseHandle(in_write), CloseHandle(out_read);
        return false;
    }
    CloseHandle(info.hThread);
    worker.process = info.hProcess;
    worker.to = in_write;
    worker.from = out_read;
    return true;
}

bool send_and_close(WorkerProcess& worker, const std::string& bytes) {
    bool ok = worker.to != nullptr;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20)), n = 0;
        ok = WriteFile(worker.to, bytes.data() + done, chunk, &n, nullptr) && n > 0;
        done += n;
    }
    close_handle(worker.to);
    return ok;
}

std::size_t receive(WorkerProcess& worker, char* buffer, std::size_t capacity) {
    DWORD n = 0;
    if (!worker.from) return 0;
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(capacity, 1 << 20));
    if (!ReadFile(worker.from, buffer, chunk, &n, nullptr)) return 0;  // broken pipe: the worker ended
    return n;
}

std::string finish_worker(WorkerProcess& worker) {
    close_handle(worker.to);
    close_handle(worker.from);
    if (!worker.process) return "not started";
    WaitForSingleObject(worker.process, INFINITE);
    DWORD code = 0;
    bool known = GetExitCodeProcess(worker.process, &code);
    close_handle(worker.process);
    if (!known) return last_error();
    if (code == 0) return "";
    if (code >= 0xC0000000u) {
        char text[32];
        std::snprintf(text, sizeof text, "exception 0x%08lX", static_cast<unsigned long>(code));
        return text;
    }
    return "exit status " + std::to_string(code);
}

int processor_count() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}
#endif
