#include "sync/series_side.h"

#include <algorithm>

#include "repeat/rules_file.h"
#include "sync/event_file.h"

namespace quimbaro::sync {

void SeriesSide::Read(int dataFd, const std::filesystem::path& data) {
    RulesRead rules = ReadRulesIn(dataFd, data);
    problem_ = rules.problem;
    if (Whole()) series_ = std::move(rules.series);
}

const Series* SeriesSide::Find(const std::string& uid) const {
    const auto found = std::find_if(series_.begin(), series_.end(), [&](const Series& s) { return s.uid == uid; });
    return found == series_.end() ? nullptr : &*found;
}

std::optional<SyncedSeries> SeriesSide::Synced(const std::string& uid) const {
    const Series* series = Find(uid);
    if (!series) return std::nullopt;
    return SyncedSeries{uid, SeriesDigest(*series)};
}

LocalSide SeriesSide::Local(const SyncedSeries& synced) const {
    const auto now = Synced(synced.uid);
    if (!now) return LocalSide::Deleted;
    return now->key == synced.key ? LocalSide::Same : LocalSide::Edited;
}

bool SeriesSide::Claim(const std::string& uid, const std::string& file) {
    return claims_.try_emplace(uid, file).first->second == file;
}

void SeriesSide::Put(const Series& series, const std::string& file) {
    claims_[series.uid] = file;
    changed_ = true;
    brought_.push_back({series.uid, SeriesDigest(series)});
    for (Series& one : series_)
        if (one.uid == series.uid) return void(one = series);
    series_.push_back(series);
}

void SeriesSide::Remove(const std::string& uid) {
    changed_ = true;
    std::erase_if(series_, [&](const Series& s) { return s.uid == uid; });
}

void SeriesSide::MoveAside(const std::string& uid) {
    for (Series& one : series_)
        if (one.uid == uid) one.uid = NewSeriesUid(), changed_ = true;
}

std::vector<const Series*> SeriesSide::Unclaimed() const {
    std::vector<const Series*> unclaimed;
    for (const Series& one : series_)
        if (!claims_.count(one.uid)) unclaimed.push_back(&one);
    return unclaimed;
}

std::string SeriesSide::Save(int dataFd, const std::filesystem::path& data) {
    if (!changed_) return "";
    const std::string error = WriteRulesIn(dataFd, data, series_);
    changed_ = !error.empty();
    return error;
}

}  // namespace quimbaro::sync
