#pragma once
// Test support: a fresh temporary folder removed with its contents when the
// test ends, whole-file reads and writes, records as bytes, and a run under a
// full disk.

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>

#include "book/appointment.h"

namespace quimbaro::testing {

class TempFolder {
public:
    explicit TempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        std::string pattern = (base / "quimbaro-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() { std::filesystem::remove_all(path_, ignored_); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::error_code ignored_;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string Bytes(const Appointment& record) {
    return std::string(reinterpret_cast<const char*>(&record), kRecordSize);
}

inline std::string Record(std::string_view date, std::string_view time, std::string_view name = "") {
    return Bytes(MakeAppointment(date, time, "600111222", name, "Revisión"));
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs body in a child process where no file may grow past maxFileSize bytes,
// as on a full disk; true when body returned true there.
inline bool WithFileSizeLimit(rlim_t maxFileSize, const std::function<bool()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{maxFileSize, maxFileSize};
        _exit(setrlimit(RLIMIT_FSIZE, &limit) == 0 && body() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Kills the child after the delay; true when it was still running then.
inline bool KillAfter(pid_t child, std::chrono::microseconds delay) {
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace quimbaro::testing
