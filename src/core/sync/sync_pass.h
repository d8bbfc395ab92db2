#pragma once
// One pass of a sync over the book and the vdir folder, both locked by the
// caller: each event file is compared with the last sync's state and with
// the book (sync_decision.h), the book and the folder are changed, and the
// state is saved, noting each write into the folder before it happens.
// Every step can be cut short by a kill: the next pass finds what is done
// (a record already added is taken, not added again; a file already written
// is known by its digest) and finishes the rest.

#include <filesystem>
#include <string>

#include "ical/event_import.h"
#include "sync/sync_state.h"

namespace quimbaro::sync {

struct SyncCounts {
    int written = 0;    // files written into the folder or removed from it
    int added = 0;      // appointments added to the book
    int changed = 0;    // appointments changed in place
    int deleted = 0;    // appointments deleted from the book
    int conflicts = 0;  // changed on both sides: both kept
    int refused = 0;    // events or files that could not be taken
    int clashes = 0;    // appointments brought in at an HH:MM time another of their day holds
    SyncCounts& operator+=(const SyncCounts& other);
};

enum class PassMode {
    FolderOnly,  // only writes the book's changes into the folder; the book is not touched
    Both,
};

struct PassPlace {
    std::filesystem::path data;  // the book's folder, holding the state
    int dataFd = -1;
    std::string vdirShown;
    int vdirFd = -1;
    ical::ImportOptions options;  // how other programs' events are mapped
};

// Whether the server has had its chance to take our writes (Pending::Sent):
// right after the sync command ran, or, with no command, at the next sync.
enum class Confirm { No, Sent };

// The state as read from the data folder (empty when there is none yet, or
// when it describes another folder); false, with the reason, when it is unreadable.
bool LoadState(const PassPlace& place, SyncState& state, std::string& error);

// Runs one pass; returns the first failure, in Spanish (empty on success).
std::string RunPass(const PassPlace& place, PassMode mode, Confirm confirm, SyncState& state, SyncCounts& counts);

}  // namespace quimbaro::sync
