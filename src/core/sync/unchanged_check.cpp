#include "sync/unchanged_check.h"

#include <time.h>

#include <algorithm>
#include <unordered_set>

#include "files/atomic_write.h"
#include "files/folder_entries.h"
#include "repeat/rules_file.h"

namespace quimbaro::sync {
namespace {

bool IsDataFile(const std::string& name) {
    const bool year = name.size() == 8 && name.ends_with(".log") &&
                      std::all_of(name.begin(), name.begin() + 4, [](char c) { return c >= '0' && c <= '9'; });
    return year || name == kRulesFileName;
}

int64_t CoarseNowNs() {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);  // the clock file times are taken from
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

}  // namespace

FileMark MarkOf(const struct stat& info) {
    return {int64_t(info.st_size), int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            uint64_t(info.st_ino)};
}

std::vector<std::pair<std::string, FileMark>> DataMarks(int dataFd, const std::string& shown) {
    const int64_t now = CoarseNowNs();
    std::vector<std::string> names;
    std::vector<std::pair<std::string, FileMark>> marks;
    if (!files::ListNames(dataFd, shown, names).Done()) return marks;
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (!IsDataFile(name)) continue;
        struct stat info {};
        FileMark mark;  // size -1: no plain file, or one written too recently to tell
        if (files::KindOf(dataFd, name, info) == files::EntryKind::Plain) mark = MarkOf(info);
        if (mark.mtimeNs >= now) mark = FileMark{};
        marks.emplace_back(name, mark);
    }
    return marks;
}

bool NothingChanged(const PassPlace& place, const SyncState& state) {
    if (state.dataMarks.empty() || !state.retire.empty() || !state.incoming.empty() ||
        !state.incomingSeries.empty()) return false;
    const auto marks = DataMarks(place.dataFd, place.data.string());
    const auto known = [](const FileMark& mark) { return mark.size >= 0; };
    if (marks != state.dataMarks ||
        !std::all_of(marks.begin(), marks.end(), [&](const auto& m) { return known(m.second); }))
        return false;
    std::unordered_set<std::string_view> names;
    for (const SyncEntry& entry : state.entries) {
        struct stat info {};
        if (entry.pending != Pending::None || files::KindOf(place.vdirFd, entry.name, info) != files::EntryKind::Plain ||
            MarkOf(info) != entry.mark)
            return false;
        names.insert(entry.name);
    }
    std::vector<std::string> listed;
    if (!files::ListNames(place.vdirFd, place.vdirShown, listed).Done()) return false;
    return std::none_of(listed.begin(), listed.end(), [&](const std::string& name) {
        return name.ends_with(".ics") && !files::IsTempName(name) && !names.count(name);
    });
}

}  // namespace quimbaro::sync
