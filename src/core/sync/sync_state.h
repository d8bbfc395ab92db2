#pragma once
// What the last sync left: for each event file of the vdir folder, what it
// held (a digest, and its size, time and inode to notice a change without
// reading it) and which of the book's records it stands for. It lives beside
// the book and is replaced whole, atomically.
//
// A write into the folder is noted here before it happens (Pending::Write,
// with the digest the file held before), so that a run killed half-way can
// tell its own unfinished write from someone else's change; once written it
// stays Pending::Sent until the sync command has run, so that a server that
// answers with its own version is seen to have changed it too.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quimbaro::sync {

inline constexpr const char* kStateFileName = ".quimbaro-sync";
// Its temporary files: only a sync writes them, under the data folder's lock.
inline constexpr std::string_view kStateTempPrefix = ".quimbaro-sync-tmp-";
inline constexpr std::size_t kMaxStateBytes = std::size_t{256} << 20;

// What stat says of a file; two equal marks: the file was not touched.
struct FileMark {
    int64_t size = -1;
    int64_t mtimeNs = 0;
    uint64_t inode = 0;
    friend bool operator==(const FileMark&, const FileMark&) = default;
};

// A record of the book: its year file, its byte offset (-1 when not known
// yet: found again by its key) and a digest of its five fields.
struct SyncedRecord {
    std::string yearFile;
    int64_t offset = -1;
    uint64_t key = 0;
    friend bool operator==(const SyncedRecord&, const SyncedRecord&) = default;
};

// A series of the rules file (found by its UID) and a digest of all it holds.
struct SyncedSeries {
    std::string uid;
    uint64_t key = 0;
    friend bool operator==(const SyncedSeries&, const SyncedSeries&) = default;
};

enum class Pending {
    None,
    Write,  // about to be written: it may not have landed
    Sent,   // written, and the server may not have it yet (the command has not run since)
};

struct SyncEntry {
    std::string name{};    // the file's name in the folder
    std::string digest{};  // of its bytes at the last sync
    FileMark mark{};
    Pending pending = Pending::None;
    std::string before{};  // Pending::Write: the digest it held before ("" when there was no file)
    std::vector<SyncedRecord> records{};
    std::optional<SyncedSeries> series{};  // a file holds one series, or records
    friend bool operator==(const SyncEntry&, const SyncEntry&) = default;
};

struct SyncState {
    std::string vdir;  // the folder these entries describe
    std::vector<SyncEntry> entries;
    // Old versions to delete from the book: noted once the new ones are in,
    // so a run cut short between the two neither keeps nor sends them.
    std::vector<SyncedRecord> retire{};
    // Records about to be appended (year file and key): a run cut short
    // after the append finds them, for their files to take.
    std::vector<SyncedRecord> incoming{};
    // Series about to go into the rules file as a file had them: a run cut
    // short after that finds them there as the file's, not as changes here.
    std::vector<SyncedSeries> incomingSeries{};
    // How the data folder's files (year files, the rules file) stood when the
    // pass that wrote this state read them: a sync that finds them, and every
    // event file, as they were has nothing to do.
    std::vector<std::pair<std::string, FileMark>> dataMarks{};
    friend bool operator==(const SyncState&, const SyncState&) = default;
};

// Null, with the line that is wrong in error, for text this program did not write.
std::optional<SyncState> ParseSyncState(std::string_view text, std::string& error);
std::string FormatSyncState(const SyncState& state);

}  // namespace quimbaro::sync
