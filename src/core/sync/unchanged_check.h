#pragma once
// What tells a sync that nothing changed, without reading anything: the
// size, time and inode of every year file, of the rules file and of every
// event file, as the state noted them, and no file new to the folder. A mark
// is only noted when the file was last written before the clock's current
// tick: a write later in that same tick could leave all three as they were.

#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "sync/sync_pass.h"
#include "sync/sync_state.h"

namespace quimbaro::sync {

FileMark MarkOf(const struct stat& info);

// The data folder's year files and rules file, by name; a file written in
// the current tick gets a mark no file has (size -1).
std::vector<std::pair<std::string, FileMark>> DataMarks(int dataFd, const std::string& shown);

// True only when every mark still holds and the folder has no new event
// file; false whenever anything cannot be told.
bool NothingChanged(const PassPlace& place, const SyncState& state);

}  // namespace quimbaro::sync
