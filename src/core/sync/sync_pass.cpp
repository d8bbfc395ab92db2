#include "sync/sync_pass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "book/append_records.h"
#include "book/change_record.h"
#include "book/double_booking.h"
#include "files/atomic_write.h"
#include "files/folder_entries.h"
#include "ical/book_import.h"
#include "ical/event_export.h"
#include "ical/vdir_export.h"
#include "sync/book_snapshot.h"
#include "sync/event_file.h"
#include "sync/series_side.h"
#include "sync/sync_decision.h"
#include "sync/unchanged_check.h"

namespace quimbaro::sync {
namespace {

using files::EntryKind;
using files::FileResult;

std::multiset<uint64_t> Keys(const std::vector<Appointment>& records) {
    std::multiset<uint64_t> keys;
    for (const Appointment& record : records) keys.insert(RecordDigest(record));
    return keys;
}

// How one entry stands on both sides.
struct Look {
    LocalSide local = LocalSide::Same;
    std::vector<SyncedRecord> present;    // its records the book still holds
    std::optional<SyncedRecord> edited;   // LocalSide::Edited: the record that took its one record's place
    RemoteSide remote = RemoteSide::Same;
    bool leaveAlone = false;              // no plain file now, or unreadable: not touched
    std::string bytes;                    // the file, when it was read
    std::string digest;
    FileMark mark;
    MappedFile theirs;
    std::vector<SyncedRecord> held;       // theirs that the book holds already, unclaimed till now
    std::vector<Appointment> missing;     // theirs that it does not
};

class Pass {
public:
    Pass(const PassPlace& place, PassMode mode, Confirm confirm, SyncState& state, SyncCounts& counts)
        : place_(place), mode_(mode), confirm_(confirm), state_(state), counts_(counts), startState_(state),
          savedText_(FormatSyncState(state)) {}

    std::string Run() {
        state_.dataMarks = DataMarks(place_.dataFd, place_.data.string());  // before anything is read
        files::RemoveTemps(place_.dataFd, kStateTempPrefix);  // a killed run's: only a sync writes them, under the lock
        book_ = ReadBook(place_.data);
        if (!book_.error.empty()) return book_.error;
        series_.Read(place_.dataFd, place_.data);
        FindLeftoverSeries();
        for (const SyncEntry& entry : state_.entries) names_.insert(entry.name);
        FindRetired();
        std::vector<Look> looks(state_.entries.size());
        for (std::size_t i = 0; i < looks.size(); ++i) FindKnown(state_.entries[i], looks[i]);
        for (std::size_t i = 0; i < looks.size(); ++i) FindUnknown(state_.entries[i], looks[i]);
        // The book's records a changed file already holds (brought in by a
        // pass cut short) are its own before any is taken for an edit here.
        for (std::size_t i = 0; i < looks.size(); ++i) LookThere(state_.entries[i], looks[i]);
        FindNewFiles();
        if (!error_.empty()) return error_;
        FindIncoming();
        for (std::size_t i = 0; i < looks.size(); ++i) LookHere(state_.entries[i], looks[i]);
        PairLoneEdits(looks);
        for (std::size_t i = 0; i < looks.size(); ++i) Classify(state_.entries[i], looks[i]);
        std::vector<SyncEntry> kept;
        for (std::size_t i = 0; i < looks.size() && error_.empty(); ++i)
            if (Settle(state_.entries[i], looks[i])) kept.push_back(std::move(state_.entries[i]));
        if (!error_.empty()) return error_;  // nothing of this pass is noted: the next one redoes it
        state_.entries = std::move(kept);
        RemoveFiles();
        if (error_.empty()) TakeNewFiles();
        if (error_.empty()) DropUnclaimedLeftovers();
        KeepUnsettledLeftovers();
        // What comes in is noted before the book changes: a run cut short
        // after that finds it noted as incoming.
        if (error_.empty()) NoteIncoming();
        if (error_.empty()) error_ = series_.Save(place_.dataFd, place_.data);
        if (error_.empty()) AddRecords();
        if (!error_.empty()) return error_;  // records not added: the state is left as noted
        RetireOldVersions();
        if (error_.empty()) CountClashes();
        if (error_.empty()) WriteNewRecords();
        if (error_.empty() && series_.Whole()) WriteNewSeries();
        if (error_.empty()) WriteFiles();
        if (const std::string saved = Save(); error_.empty()) error_ = saved;
        return error_;
    }

private:
    // ---- the book's side ----
    std::vector<char>& ClaimsOf(const std::string& yearFile) {
        auto& claims = claimed_[yearFile];
        claims.resize(std::max(claims.size(), book_.years[yearFile].size()));
        return claims;
    }

    bool Claim(const SyncedRecord& record) {
        const Appointment* found = book_.At(record.yearFile, record.offset);
        if (!found || !BookSnapshot::IsLive(*found, record.yearFile) || RecordDigest(*found) != record.key) return false;
        char& claim = ClaimsOf(record.yearFile)[std::size_t(record.offset) / kRecordSize];
        return !std::exchange(claim, 1);
    }

    // Old versions a pass cut short left behind: not the book's own new
    // records, and deleted once the book may be changed.
    void FindRetired() {
        std::erase_if(state_.retire, [&](const SyncedRecord& r) { return !Claim(r); });
    }

    // Series a pass cut short took from files: the files' versions, not
    // changes made here, whatever the files hold by now.
    void FindLeftoverSeries() {
        for (const SyncedSeries& noted : state_.incomingSeries)
            if (series_.Synced(noted.uid) == noted) leftovers_.insert(noted.uid);
    }

    bool Leftover(const SyncEntry& entry) const { return entry.series && leftovers_.count(entry.series->uid); }

    // A leftover no file stands for any more was deleted there meanwhile.
    void DropUnclaimedLeftovers() {
        if (mode_ == PassMode::FolderOnly) return;
        for (const std::string& uid : leftovers_)
            if (!series_.Claimed(uid) && series_.Synced(uid)) series_.Remove(uid), ++counts_.deleted;
    }

    // A leftover stays noted until an entry holds it as synced (a pass that
    // may not change the book leaves it as it was).
    void KeepUnsettledLeftovers() {
        state_.incomingSeries.clear();
        for (const std::string& uid : leftovers_) {
            const auto now = series_.Synced(uid);
            const bool synced = std::any_of(state_.entries.begin(), state_.entries.end(),
                                            [&](const SyncEntry& e) { return e.series == now; });
            if (now && !synced) state_.incomingSeries.push_back(*now);
        }
    }

    // What this pass brings into the book, noted in the state as it was
    // (which still has their files unsynced): a run cut short after the book
    // changed finds the records and the series there, for their files to
    // take or, when no file wants them any more, to be deleted.
    void NoteIncoming() {
        if (appends_.empty() && series_.Brought().empty()) return;
        SyncState noted = startState_;
        for (const Append& a : appends_) noted.incoming.push_back({YearFileOf(a.record), -1, RecordDigest(a.record)});
        noted.incomingSeries.insert(noted.incomingSeries.end(), series_.Brought().begin(), series_.Brought().end());
        if (const std::string saved = SaveText(FormatSyncState(noted)); !saved.empty()) error_ = saved;
    }

    // Records a pass cut short added that no file took back: never synced, gone.
    void FindIncoming() {
        for (const SyncedRecord& r : state_.incoming)
            if (auto found = TakeByKey(r.key, r.yearFile)) state_.retire.push_back(*found);
        state_.incoming.clear();
    }

    void RetireOldVersions() {
        if (state_.retire.empty() || mode_ == PassMode::FolderOnly) return;
        if (const std::string saved = Save(); !saved.empty()) return void(error_ = saved);
        for (const SyncedRecord& r : state_.retire)
            if (!Delete(r)) return;
        state_.retire.clear();
    }

    void FindKnown(const SyncEntry& entry, Look& look) {
        if (entry.series && (!series_.Whole() || !series_.Claim(entry.series->uid, entry.name))) {
            look.leaveAlone = true;  // a damaged rules file, or a UID another file stands for
            ++counts_.refused;
        }
        for (const SyncedRecord& record : entry.records)
            if (record.offset >= 0 && Claim(record)) look.present.push_back(record);
    }

    void FindUnknown(const SyncEntry& entry, Look& look) {
        for (const SyncedRecord& record : entry.records) {
            if (record.offset >= 0) continue;
            if (const auto found = TakeByKey(record.key, record.yearFile)) look.present.push_back(*found);
        }
    }

    // An unclaimed record of the book with the same five fields, claimed.
    std::optional<SyncedRecord> TakeByKey(uint64_t key, const std::string& yearFile) {
        if (!pool_) {
            pool_.emplace();
            for (const auto& [year, records] : book_.years)
                for (std::size_t i = 0; i < records.size(); ++i)
                    if (BookSnapshot::IsLive(records[i], year))
                        (*pool_)[RecordDigest(records[i])].push_back({year, int64_t(i * kRecordSize), 0});
        }
        for (SyncedRecord& candidate : (*pool_)[key]) {
            if (candidate.yearFile != yearFile || candidate.offset < 0) continue;
            SyncedRecord found{yearFile, candidate.offset, key};
            candidate.offset = -1;
            if (Claim(found)) return found;
        }
        return std::nullopt;
    }

    // An edit here deletes the record (its date is zeroed, the rest stays)
    // and appends its new version: a new record of the same year that shares
    // its phone, name or subject with the deleted one is taken for it.
    std::optional<SyncedRecord> EditOf(const SyncedRecord& gone) {
        const Appointment* old = book_.At(gone.yearFile, gone.offset);
        if (!old) return std::nullopt;
        const auto& records = book_.years[gone.yearFile];
        auto& claims = ClaimsOf(gone.yearFile);
        for (std::size_t i = 0; i < records.size(); ++i) {
            const Appointment& r = records[i];
            if (claims[i] || !BookSnapshot::IsLive(r, gone.yearFile)) continue;
            const auto shared = [&](auto field) {
                const std::string a = ReadField(r.*field);
                return !a.empty() && a == ReadField(old->*field);
            };
            if (shared(&Appointment::phone) || shared(&Appointment::name) || shared(&Appointment::subject)) {
                claims[i] = 1;
                return SyncedRecord{gone.yearFile, int64_t(i * kRecordSize), RecordDigest(r)};
            }
        }
        return std::nullopt;
    }

    void LookHere(const SyncEntry& entry, Look& look) {
        if (entry.series) {
            look.local = series_.Local(*entry.series);
            if (look.local == LocalSide::Edited && Leftover(entry)) look.local = LocalSide::Same;
            return;
        }
        if (look.present.size() == entry.records.size()) return;
        if (entry.records.size() == 1 && (look.edited = EditOf(entry.records[0]))) {
            look.local = LocalSide::Edited;
        } else if (look.present.empty()) {
            look.local = LocalSide::Deleted;
        }
    }

    // One record gone and one new in a year file: an edit, whatever it changed.
    void PairLoneEdits(std::vector<Look>& looks) {
        std::map<std::string, std::vector<std::size_t>> gone;  // year file -> entries whose one record went
        for (std::size_t i = 0; i < looks.size(); ++i) {
            const auto& records = state_.entries[i].records;
            if (looks[i].local == LocalSide::Deleted && records.size() == 1 && records[0].offset >= 0)
                gone[records[0].yearFile].push_back(i);
        }
        for (const auto& [year, entries] : gone) {
            if (entries.size() != 1) continue;
            std::optional<SyncedRecord> fresh;
            int count = 0;
            const auto& records = book_.years[year];
            auto& claims = ClaimsOf(year);
            for (std::size_t i = 0; i < records.size() && count < 2; ++i)
                if (!claims[i] && BookSnapshot::IsLive(records[i], year) && ++count == 1)
                    fresh = SyncedRecord{year, int64_t(i * kRecordSize), RecordDigest(records[i])};
            if (count != 1) continue;
            claims[std::size_t(fresh->offset) / kRecordSize] = 1;
            looks[entries[0]].local = LocalSide::Edited;
            looks[entries[0]].edited = fresh;
        }
    }

    std::vector<Appointment> BookHolds(const Look& look) const {
        std::vector<Appointment> held;
        if (look.local == LocalSide::Edited && look.edited) held.push_back(*book_.At(look.edited->yearFile, look.edited->offset));
        if (look.local == LocalSide::Same)
            for (const SyncedRecord& r : look.present) held.push_back(*book_.At(r.yearFile, r.offset));
        return held;
    }

    // ---- the folder's side ----
    bool ReadFile(const std::string& name, Look& look) {
        std::string bytes;
        const FileResult read = files::ReadPlainFile(place_.vdirFd, name, ical::kMaxImportBytes, name, bytes);
        if (!read.Done()) return false;
        look.bytes = std::move(bytes);
        look.digest = BytesDigest(look.bytes);
        return true;
    }

    void LookThere(const SyncEntry& entry, Look& look) {
        if (look.leaveAlone) return;
        struct stat info {};
        const EntryKind kind = files::KindOf(place_.vdirFd, entry.name, info);
        const bool pending = entry.pending == Pending::Write;
        if (kind == EntryKind::Missing) {
            look.remote = pending && entry.before.empty() ? RemoteSide::Stale : RemoteSide::Gone;
            return;
        }
        look.mark = MarkOf(info);
        if (kind == EntryKind::Plain && look.mark == entry.mark && !pending) {
            look.digest = entry.digest;
            return;
        }
        if (kind != EntryKind::Plain || !ReadFile(entry.name, look)) {
            look.leaveAlone = true;
            ++counts_.refused;
            return;
        }
        if (look.digest == entry.digest) return;
        if (pending && look.digest == entry.before) {
            look.remote = RemoteSide::Stale;
            return;
        }
        look.theirs = MapFile(look.bytes, place_.options);
        look.remote = RemoteSide::Changed;  // or Agrees: see Classify
        if (!ReserveSeries(entry.name, look)) {
            look.leaveAlone = true;
            ++counts_.refused;
            return;
        }
        Reserve(look);
    }

    // A file's series is the file's own from now on; false when it cannot
    // be taken (a damaged rules file, a UID another file stands for).
    bool ReserveSeries(const std::string& name, const Look& look) {
        if (!look.theirs.series) return true;
        return series_.Whole() && series_.Claim(look.theirs.series->uid, name);
    }

    void Reserve(Look& look) {
        for (const Appointment& record : look.theirs.records) {
            if (auto found = TakeByKey(RecordDigest(record), YearFileOf(record))) look.held.push_back(*found);
            else look.missing.push_back(record);
        }
    }

    // The series the book holds for the entry now, as a digest.
    std::optional<uint64_t> SeriesHeld(const SyncEntry& entry) const {
        const auto now = entry.series ? series_.Synced(entry.series->uid) : std::nullopt;
        return now ? std::optional(now->key) : std::nullopt;
    }

    static std::optional<uint64_t> SeriesKey(const std::optional<Series>& series) {
        return series ? std::optional(SeriesDigest(*series)) : std::nullopt;
    }

    void Classify(const SyncEntry& entry, Look& look) {
        if (look.remote == RemoteSide::Changed && look.theirs.whole &&
            Keys(look.theirs.records) == Keys(BookHolds(look)) && SeriesKey(look.theirs.series) == SeriesHeld(entry))
            look.remote = RemoteSide::Agrees;
        SentIsOurs(entry, look);
    }

    // What we wrote and the server may not have taken is our change: if the
    // file changed or went meanwhile, both sides changed it.
    void SentIsOurs(const SyncEntry& entry, Look& look) {
        const bool ours = look.present.size() == 1 || (SeriesHeld(entry) && !Leftover(entry));
        if (entry.pending == Pending::None || look.local != LocalSide::Same || !ours) return;
        if (look.remote != RemoteSide::Changed && look.remote != RemoteSide::Gone) return;
        look.local = LocalSide::Edited;
        if (!entry.series) look.edited = look.present[0];
    }

    // A file that holds what we wrote, once the server had its chance, is settled.
    Pending AfterLanding(const SyncEntry& entry) const {
        if (entry.pending == Pending::None || confirm_ == Confirm::Sent) return Pending::None;
        return Pending::Sent;
    }

    // ---- what each entry comes to; false: it is forgotten ----
    bool Settle(SyncEntry& entry, Look& look) {
        if (look.leaveAlone) return true;
        const Action action = Decide(look.local, look.remote);
        if (mode_ == PassMode::FolderOnly && ChangesBook(action)) return true;  // for the pass after the command;
                                                                                 // what it holds stays reserved
        if (look.remote == RemoteSide::Changed && !look.theirs.whole && action != Action::OursAsNew) {
            ++counts_.refused;  // too large to take: left as it was on both sides
            return true;
        }
        counts_.refused += look.remote == RemoteSide::Changed ? look.theirs.refused : 0;
        switch (action) {
        case Action::Keep: {
            const Pending pending = AfterLanding(entry);
            Note(entry, look, look.present);
            entry.pending = pending;
            return true;
        }
        case Action::Adopt:
            if (entry.series) {
                Note(entry, look, {});
                entry.series = series_.Synced(entry.series->uid);
                return true;
            }
            Note(entry, look, look.local == LocalSide::Edited ? std::vector{*look.edited} : look.present);
            return true;
        case Action::WriteOurs: return WriteOurs(entry, look);
        case Action::RemoveFile:
            removals_.push_back(entry.name);
            return false;
        case Action::TakeTheirs: return TakeTheirs(entry, look);
        case Action::DeleteHere:
            for (const SyncedRecord& r : look.present)
                if (Delete(r)) ++counts_.deleted;
            if (entry.series) series_.Remove(entry.series->uid), ++counts_.deleted;
            return false;
        case Action::Conflict:  // ours goes out as a file of its own, under a new UID for a series
            ++counts_.conflicts;
            if (entry.series) series_.MoveAside(entry.series->uid);
            else newRecords_.push_back(*look.edited);
            return AddTheirs(entry, look);
        case Action::OursAsNew:
            if (entry.series) series_.Release(entry.series->uid);
            else newRecords_.push_back(*look.edited);
            return false;
        case Action::AddTheirs: return AddTheirs(entry, look);
        case Action::Forget: return false;
        }
        return true;
    }

    void Note(SyncEntry& entry, const Look& look, std::vector<SyncedRecord> records) {
        entry.records = std::move(records);
        entry.digest = look.digest;
        entry.mark = look.mark;
        entry.pending = Pending::None;
        entry.before.clear();
    }

    bool WriteOurs(SyncEntry& entry, Look& look) {
        if (entry.series) return WriteOurSeries(entry, look);
        const SyncedRecord mine = look.local == LocalSide::Edited ? *look.edited : look.present.at(0);
        const Appointment& record = *book_.At(mine.yearFile, mine.offset);
        if (look.remote != RemoteSide::Gone && look.bytes.empty()) ReadFile(entry.name, look);
        const std::string before = look.remote == RemoteSide::Stale ? entry.before : look.digest;
        const std::string uid = entry.name.substr(0, entry.name.size() - 4);
        std::string bytes = EventBytes(look.bytes, record, uid);
        if (bytes.empty()) {  // a repeating event made elsewhere: our change goes out as an event of its own
            newRecords_.push_back(mine);
            Note(entry, look, {});
            return true;
        }
        Note(entry, look, {mine});
        Plan(entry, std::move(bytes), before);
        return true;
    }

    bool WriteOurSeries(SyncEntry& entry, Look& look) {
        const Series& ours = *series_.Find(entry.series->uid);  // not deleted here, or there were nothing to write
        if (look.remote != RemoteSide::Gone && look.bytes.empty()) ReadFile(entry.name, look);
        const std::string before = look.remote == RemoteSide::Stale ? entry.before : look.digest;
        Note(entry, look, {});
        entry.series = series_.Synced(ours.uid);
        Plan(entry, SeriesBytes(look.bytes, ours), before);
        return true;
    }

    void Plan(SyncEntry& entry, std::string bytes, const std::string& before) {
        entry.digest = BytesDigest(bytes);
        entry.pending = Pending::Write;
        entry.before = before;
        writes_[entry.name] = std::move(bytes);
    }

    // Theirs in first, the old versions noted to go: a run cut short in
    // between takes the new records as they are and deletes the old ones.
    bool TakeTheirs(SyncEntry& entry, Look& look) {
        ++counts_.changed;
        const auto& theirs = look.theirs.series;
        if (entry.series && (!theirs || theirs->uid != entry.series->uid)) series_.Remove(entry.series->uid);
        Note(entry, look, Bring(entry.name, look, false));
        state_.retire.insert(state_.retire.end(), look.present.begin(), look.present.end());
        entry.series = PutTheirs(entry.name, look);
        return true;
    }

    bool AddTheirs(SyncEntry& entry, Look& look) {
        Note(entry, look, Bring(entry.name, look, true));
        entry.series = PutTheirs(entry.name, look);
        counts_.added += look.theirs.series ? 1 : 0;
        return true;
    }

    // The file's series into the rules, in place of the book's of that UID.
    std::optional<SyncedSeries> PutTheirs(const std::string& name, const Look& look) {
        if (!look.theirs.series) return std::nullopt;
        series_.Put(*look.theirs.series, name);
        return series_.Synced(look.theirs.series->uid);
    }

    // The file's records for the book: those it holds already are taken as
    // they are (brought in by a pass cut short, or the same appointment made
    // on both sides), the rest are appended later, all at once (AddRecords).
    std::vector<SyncedRecord> Bring(const std::string& name, const Look& look, bool counted) {
        std::vector<SyncedRecord> taken = look.held;
        for (const Appointment& record : look.missing) {
            appends_.push_back({name, taken.size(), record, counted});
            taken.push_back({YearFileOf(record), -1, RecordDigest(record)});
        }
        return taken;
    }

    // Appended once noted as incoming (NoteIncoming).
    void AddRecords() {
        if (appends_.empty()) return;
        std::map<std::string, SyncEntry*> byName;
        for (SyncEntry& entry : state_.entries) byName[entry.name] = &entry;
        std::map<std::string, std::vector<const Append*>> byYear;
        for (const Append& a : appends_) byYear[YearFileOf(a.record)].push_back(&a);
        for (const auto& [year, group] : byYear) {
            std::vector<Appointment> batch;
            for (const Append* a : group) batch.push_back(a->record);
            const BatchResult added = AppendNewRecords(place_.data, batch, Duplicates::Keep);
            if (!Stored(added.store)) return;
            for (std::size_t i = 0; i < group.size(); ++i) {
                byName.at(group[i]->entry)->records.at(group[i]->index).offset = added.at + int64_t(i * kRecordSize);
                counts_.added += group[i]->counted ? 1 : 0;
            }
        }
    }

    // Once the old versions are gone, so that a changed appointment does not
    // clash with what it was; a count, never a box per appointment.
    void CountClashes() {
        std::map<std::string, std::vector<Appointment>> byYear;
        for (const Append& a : appends_) byYear[YearFileOf(a.record)].push_back(a.record);
        for (const auto& [year, records] : byYear) counts_.clashes += CountSameTimeInYearFile(place_.data / year, records);
    }

    bool Delete(const SyncedRecord& r) {
        return Stored(DeleteRecord(place_.data, {*book_.At(r.yearFile, r.offset), uint64_t(r.offset)}));
    }

    bool Stored(const StoreResult& result) {
        if (!result.Stored() && error_.empty()) error_ = result.Reason();
        return result.Stored();
    }

    // ---- files new to the folder, records new to the book ----
    // Files the state does not know, read and their records reserved
    // before any new record of the book is taken for an edit here.
    void FindNewFiles() {
        std::vector<std::string> names;
        if (const FileResult listed = files::ListNames(place_.vdirFd, place_.vdirShown, names); !listed.Done()) {
            error_ = listed.Reason();
            return;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            if (files::IsTempName(name)) {  // a killed run's, as the folder's lock is held
                if (files::KindOf(place_.vdirFd, name) == EntryKind::Plain) ::unlinkat(place_.vdirFd, name.c_str(), 0);
                continue;
            }
            if (!name.ends_with(".ics") || names_.count(name)) continue;
            Look look;
            struct stat info {};
            if (files::KindOf(place_.vdirFd, name, info) != EntryKind::Plain || !ReadFile(name, look)) {
                ++counts_.refused;
                continue;
            }
            look.mark = MarkOf(info);
            look.theirs = MapFile(look.bytes, place_.options);
            if (!look.theirs.whole || !ReserveSeries(name, look)) {
                ++counts_.refused;
                continue;
            }
            Reserve(look);
            newFiles_.emplace_back(name, std::move(look));
        }
    }

    void TakeNewFiles() {
        for (auto& [name, look] : newFiles_) {
            if (!error_.empty()) return;
            SyncEntry entry{.name = name};
            if (!TakeNewFile(entry, look)) continue;
            names_.insert(name);
            state_.entries.push_back(std::move(entry));
        }
    }

    bool TakeNewFile(SyncEntry& entry, Look& look) {
        if (look.theirs.series) return TakeNewSeries(entry, look);
        if (!look.missing.empty() && mode_ == PassMode::FolderOnly) return false;  // what it holds stays reserved
        counts_.refused += look.theirs.refused;
        Note(entry, look, Bring(entry.name, look, true));
        return true;
    }

    // A series the book holds already by that UID (sent by an export, or
    // brought in by a pass cut short) is taken when the file agrees; else
    // both stay, the book's under a new UID.
    bool TakeNewSeries(SyncEntry& entry, Look& look) {
        const Series& theirs = *look.theirs.series;
        const Series* held = series_.Find(theirs.uid);
        if (!held || SeriesDigest(*held) != SeriesDigest(theirs)) {
            if (mode_ == PassMode::FolderOnly) return false;  // its UID stays reserved
            if (held && !leftovers_.count(theirs.uid)) series_.MoveAside(theirs.uid), ++counts_.conflicts;
            else ++counts_.added;
            series_.Put(theirs, entry.name);
        }
        Note(entry, look, {});
        entry.series = series_.Synced(theirs.uid);
        return true;
    }

    void WriteNewSeries() {
        for (const Series* series : series_.Unclaimed()) {
            if (leftovers_.count(series->uid)) continue;  // the folder's, not ours: never sent back
            const std::string base = ical::SeriesFileName(series->uid);
            std::string name = base;
            for (int k = 2; names_.count(name) || files::KindOf(place_.vdirFd, name) != EntryKind::Missing; ++k)
                name = base.substr(0, base.size() - 4) + "-" + std::to_string(k) + ".ics";
            SyncEntry entry{.name = name};
            entry.series = series_.Synced(series->uid);
            names_.insert(name);
            Plan(entry, SeriesBytes("", *series), "");
            state_.entries.push_back(std::move(entry));
        }
    }

    void WriteNewRecords() {
        for (const auto& [year, records] : book_.years) {
            auto& claims = ClaimsOf(year);
            for (std::size_t i = 0; i < records.size(); ++i)
                if (!claims[i] && BookSnapshot::IsLive(records[i], year))
                    newRecords_.push_back({year, int64_t(i * kRecordSize), RecordDigest(records[i])});
        }
        ical::UidMaker uids;
        for (const SyncedRecord& r : newRecords_) {
            const Appointment& record = *book_.At(r.yearFile, r.offset);
            const std::string base = uids.Next(record);
            std::string uid = base;
            for (int k = 2; names_.count(uid + ".ics") || files::KindOf(place_.vdirFd, uid + ".ics") != EntryKind::Missing; ++k)
                uid = base + "-" + std::to_string(k);
            SyncEntry entry{.name = uid + ".ics", .records = {r}};
            names_.insert(entry.name);
            Plan(entry, EventBytes("", record, uid), "");
            state_.entries.push_back(std::move(entry));
        }
    }

    // ---- the folder's changes ----
    // Removals come before the state forgets their files (a file left behind
    // would come back as new); writes come after it notes them as pending.
    void RemoveFiles() {
        for (const std::string& name : removals_) {
            if (files::KindOf(place_.vdirFd, name) != EntryKind::Plain) continue;
            if (::unlinkat(place_.vdirFd, name.c_str(), 0) != 0 && errno != ENOENT)
                return void(Check(files::FileFailure(files::FileError::RemoveFailed, errno, Shown(name))));
            ++counts_.written;
        }
        if (!removals_.empty()) Check(files::SyncFolder(place_.vdirFd, place_.vdirShown));
    }

    void WriteFiles() {
        if (writes_.empty()) return;
        error_ = Save();
        if (!error_.empty()) return;
        std::map<std::string, SyncEntry*> byName;
        for (SyncEntry& entry : state_.entries) byName[entry.name] = &entry;
        for (const auto& [name, bytes] : writes_) {
            if (!Check(WriteFile(name, bytes, *byName.at(name)))) return;
            ++counts_.written;
        }
        Check(files::SyncFolder(place_.vdirFd, place_.vdirShown));
    }

    FileResult WriteFile(const std::string& name, const std::string& bytes, SyncEntry& entry) {
        std::string temp;
        const auto produce = [&](QIODevice& out) { return out.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()); };
        FileResult done = files::WriteTemp(place_.vdirFd, produce, 0600, Shown(name), temp);
        if (!done.Done()) return done;
        if (files::KindOf(place_.vdirFd, name) == EntryKind::Other) {  // a link or a folder put there meanwhile
            ::unlinkat(place_.vdirFd, temp.c_str(), 0);
            return files::FileFailure(files::FileError::NotPlain, 0, Shown(name));
        }
        if (!(done = files::ReplaceWith(place_.vdirFd, temp, name, Shown(name))).Done()) return done;
        struct stat info {};
        files::KindOf(place_.vdirFd, name, info);
        entry.mark = MarkOf(info);
        entry.pending = Pending::Sent;
        return {};
    }

    std::string Shown(const std::string& name) const { return place_.vdirShown + "/" + name; }

    bool Check(const FileResult& result) {
        if (!result.Done() && error_.empty()) error_ = result.Reason();
        return result.Done();
    }

    std::string Save() { return SaveText(FormatSyncState(state_)); }

    std::string SaveText(std::string text) {
        if (text == savedText_) return "";
        std::string temp;
        const std::string shown = (place_.data / kStateFileName).string();
        const auto produce = [&](QIODevice& out) { return out.write(text.data(), qint64(text.size())) == qint64(text.size()); };
        FileResult saved = files::WriteTemp(place_.dataFd, produce, 0600, shown, temp, kStateTempPrefix);
        if (saved.Done()) saved = files::ReplaceWith(place_.dataFd, temp, kStateFileName, shown);
        if (saved.Done()) saved = files::SyncFolder(place_.dataFd, place_.data.string());
        if (!saved.Done()) return saved.Reason();
        savedText_ = std::move(text);
        return "";
    }

    const PassPlace& place_;
    PassMode mode_;
    Confirm confirm_;
    SyncState& state_;
    SyncCounts& counts_;
    const SyncState startState_;  // as the pass found it
    std::string savedText_;
    BookSnapshot book_;
    SeriesSide series_;
    std::map<std::string, std::vector<char>> claimed_;  // year file -> claimed record indexes
    std::optional<std::unordered_map<uint64_t, std::vector<SyncedRecord>>> pool_;  // live records by key
    std::unordered_set<std::string> names_;             // file names the state holds or this pass makes
    std::set<std::string> leftovers_;                   // UIDs of series a pass cut short brought in
    std::vector<SyncedRecord> newRecords_;              // to go out as files of their own
    std::map<std::string, std::string> writes_;         // file name -> bytes
    std::vector<std::string> removals_;
    std::vector<std::pair<std::string, Look>> newFiles_;  // files the state does not know
    struct Append {
        std::string entry;   // the file it comes from
        std::size_t index;   // its place among the entry's records
        Appointment record;
        bool counted;        // an added appointment, not the new version of a changed one
    };
    std::vector<Append> appends_;
    std::string error_;
};

}  // namespace

SyncCounts& SyncCounts::operator+=(const SyncCounts& o) {
    written += o.written, added += o.added, changed += o.changed;
    deleted += o.deleted, conflicts += o.conflicts, refused += o.refused, clashes += o.clashes;
    return *this;
}

bool LoadState(const PassPlace& place, SyncState& state, std::string& error) {
    std::string text;
    const std::string shown = (place.data / kStateFileName).string();
    const FileResult read = files::ReadPlainFile(place.dataFd, kStateFileName, kMaxStateBytes, shown, text);
    state = SyncState{place.vdirShown, {}};
    if (read.error == files::FileError::OpenFailed && read.systemError == ENOENT) return true;
    if (!read.Done()) {
        error = read.Reason();
        return false;
    }
    std::string why;
    const auto parsed = ParseSyncState(text, why);
    if (!parsed) {
        error = "el estado de la última sincronización (" + shown + ") está dañado, " + why +
                "; bórrelo y la próxima sincronización empezará de nuevo sin perder citas";
        return false;
    }
    if (parsed->vdir == place.vdirShown) state = *parsed;
    return true;
}

std::string RunPass(const PassPlace& place, PassMode mode, Confirm confirm, SyncState& state, SyncCounts& counts) {
    if (NothingChanged(place, state)) return "";
    return Pass(place, mode, confirm, state, counts).Run();
}

}  // namespace quimbaro::sync
