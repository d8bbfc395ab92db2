#pragma once
// Test support: a temporary folder removed with what it holds, whole-file
// bytes, records as bytes, and a child run under a full disk.
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QString>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

#include "book/appointment.h"
#include "text/win1252.h"

namespace quimbaro::testing {

// In memory where there is /dev/shm, so tests that sync per record measure
// the code rather than the disk.
struct TempFolder {
    explicit TempFolder(bool inMemory = false) {
        std::string pattern = (inMemory && std::filesystem::is_directory("/dev/shm")
                                   ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path()) / "quimbaro-XXXXXX";
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern : throw std::runtime_error("mkdtemp failed");
    }
    TempFolder(const TempFolder&) = delete;
    ~TempFolder() { std::filesystem::remove_all(path_, ignored_); }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path path_;
    std::error_code ignored_;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline std::string Bytes(const Appointment& record) { return std::string(reinterpret_cast<const char*>(&record), kRecordSize); }
inline std::string Record(std::string_view date, std::string_view time, std::string_view name = "") {
    return Bytes(MakeAppointment(date, time, "600111222", name, "Revisión"));
}
inline std::string W(const char* utf8) { return ToWin1252(QString::fromUtf8(utf8)); }

// Runs body in a child where no file may grow past maxFileSize bytes, as on a
// full disk; true when body returned true there.
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

}  // namespace quimbaro::testing
