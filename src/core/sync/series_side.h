#pragma once
// The rules file as a sync pass sees and changes it: which series the
// folder's files stand for (claimed by UID, one file each), how each changed
// since the last sync, and the new rules, written once, within the lock the
// pass holds on the data folder.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "repeat/series.h"
#include "sync/sync_decision.h"
#include "sync/sync_state.h"

namespace quimbaro::sync {

class SeriesSide {
public:
    // A damaged file is left alone: no series is taken, changed or sent.
    void Read(int dataFd, const std::filesystem::path& data);
    bool Whole() const { return problem_.empty(); }
    const std::string& Problem() const { return problem_; }

    const Series* Find(const std::string& uid) const;
    std::optional<SyncedSeries> Synced(const std::string& uid) const;  // nothing when there is no such series
    LocalSide Local(const SyncedSeries& synced) const;

    // Whether the file may stand for the UID: false when another file does.
    bool Claim(const std::string& uid, const std::string& file);
    bool Claimed(const std::string& uid) const { return claims_.count(uid) > 0; }
    void Release(const std::string& uid) { claims_.erase(uid); }

    // Replaces the series of that UID, or adds it, for the file.
    void Put(const Series& series, const std::string& file);
    // The series Put so far, as they will stand in the rules file.
    const std::vector<SyncedSeries>& Brought() const { return brought_; }
    void Remove(const std::string& uid);
    // The series goes on under a new UID, for a file of its own.
    void MoveAside(const std::string& uid);
    // The series no file stands for: to go out as files of their own.
    std::vector<const Series*> Unclaimed() const;

    // Writes the rules when anything changed; empty once on disk, else why not.
    std::string Save(int dataFd, const std::filesystem::path& data);

private:
    std::vector<Series> series_;
    std::map<std::string, std::string> claims_;  // UID -> the file that stands for it
    std::vector<SyncedSeries> brought_;
    std::string problem_;
    bool changed_ = false;
};

}  // namespace quimbaro::sync
