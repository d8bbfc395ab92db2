#pragma once
// One sync of the book with a vdir folder: the book's changes since the last
// sync go into the folder, the command (a sync tool, say) runs and is waited
// for, then every change the folder brought comes into the book. The book's
// folder and the vdir folder stay locked throughout, so a second copy
// syncing at the same time waits, then refuses.

#include <chrono>
#include <filesystem>
#include <string>

#include "calendar/dates.h"
#include "settings/settings.h"
#include "sync/sync_pass.h"

namespace quimbaro::sync {

inline constexpr auto kLockWait = std::chrono::seconds(10);
inline constexpr auto kCommandLimit = std::chrono::minutes(10);  // a slow server, a large first sync
inline constexpr std::size_t kMaxCommandErrorBytes = 4096;       // the end of what it said is kept

struct SyncRequest {
    std::filesystem::path data;
    std::filesystem::path vdir;
    std::string command;          // run by /bin/sh; empty: none
    CalendarDate today;           // repeating events are expanded around it
    std::chrono::milliseconds commandLimit = kCommandLimit;
};

struct SyncReport {
    SyncCounts counts;
    std::string error;         // Spanish; empty on success
    std::string commandError;  // what the command said on stderr when it failed
    bool commandFailed = false;  // then the book was not touched
    std::string seriesProblem; // why series were refused: the rules file is damaged
    bool Failed() const { return !error.empty() || counts.refused > 0; }
};

SyncReport RunSync(const SyncRequest& request);

// The request [Sincronizar] makes: carpeta (a relative one is taken from the
// data folder) and orden; vdir is empty when no folder is set.
SyncRequest SettingsRequest(const std::filesystem::path& data, const SettingsStore& settings, const CalendarDate& today);

// What a sync did, in Spanish, for the command line and the window's box.
std::string SyncReportText(const SyncReport& report);

}  // namespace quimbaro::sync
