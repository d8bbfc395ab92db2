#include "ical/vdir_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <algorithm>
#include <chrono>
#include <map>
#include <set>
#include <vector>

#include "book/append_records.h"
#include "files/atomic_write.h"
#include "files/folder_entries.h"
#include "files/folder_lock.h"
#include "ical/event_export.h"
#include "ical/parse_calendar.h"
#include "repeat/rules_file.h"

namespace quimbaro::ical {
namespace {

namespace fs = std::filesystem;
using files::EntryKind;
using files::FileError;
using files::FileResult;
using Names = std::set<std::string>;
using Files = std::map<std::string, std::string>;  // file name -> contents

constexpr std::size_t kMaxListBytes = 64 << 20;       // far more names than any book has
constexpr std::size_t kMaxEventFileBytes = 4 << 20;   // other programs' events, attachments and all
constexpr std::size_t kMaxOwnFileBytes = 1 << 20;     // an event is a few hundred bytes, a series with its removed days more
constexpr auto kLockWait = std::chrono::seconds(10);  // another export of the same folder

bool IsOurFileName(const std::string& name) {
    return name.size() > 4 && name.ends_with(".ics") &&
           (IsStableUid(std::string_view(name).substr(0, name.size() - 4)) || IsSeriesFileName(name));
}

struct Folder {
    int fd;
    std::string shown;
    std::string Shown(const std::string& name) const { return shown + "/" + name; }
};

// The names listed as ours; lines the export would never write are passed over.
FileResult ReadList(const Folder& folder, Names& listed, int& passedOver) {
    std::string text;
    FileResult read = files::ReadPlainFile(folder.fd, kVdirListName, kMaxListBytes, folder.Shown(kVdirListName), text);
    if (read.error == FileError::OpenFailed && read.systemError == ENOENT) return {};
    if (!read.Done()) return read;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        if (IsOurFileName(line)) listed.insert(line);
        else if (!line.empty()) ++passedOver;
        start = end + 1;
    }
    return {};
}

files::Producer BytesOf(const std::string& bytes) {
    return [&bytes](QIODevice& out) { return out.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()); };
}

FileResult SaveList(const Folder& folder, const Names& names) {
    std::string text;
    for (const std::string& name : names) text += name + "\n";
    std::string temp;
    const std::string shown = folder.Shown(kVdirListName);
    FileResult saved = files::WriteTemp(folder.fd, BytesOf(text), 0600, shown, temp);
    if (saved.Done()) saved = files::ReplaceWith(folder.fd, temp, kVdirListName, shown);
    return saved.Done() ? files::SyncFolder(folder.fd, folder.shown) : saved;
}

Files FilesOf(const std::vector<Appointment>& records) {
    Files files;
    const std::vector<std::string> uids = StableUids(records);
    for (std::size_t i = 0; i < records.size(); ++i) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteCalendar(std::span(&records[i], 1), std::span(&uids[i], 1), buffer);
        files[uids[i] + ".ics"] = buffer.data().toStdString();
    }
    return files;
}

// One file per series, its UID kept.
void AddSeriesFiles(const std::vector<Series>& series, const Names& foreignUids, Files& files, int& elsewhere) {
    for (const Series& one : series) {
        if (foreignUids.count(one.uid)) ++elsewhere;
        else files[SeriesFileName(one.uid)] = RulesText({one});
    }
}

struct Foreign {
    std::multiset<std::string> keys;  // records, as keys
    Names seriesUids;
};

// What other programs' event files in the folder map to. Entries that are no
// plain file, or too large, are not opened or read.
Foreign ForeignEvents(const Folder& folder, const Names& listed, const ImportOptions& options) {
    Foreign foreign;
    std::vector<std::string> names;
    files::ListNames(folder.fd, folder.shown, names);
    std::string text;
    for (const std::string& name : names) {
        if (listed.count(name) || !name.ends_with(".ics")) continue;
        if (!files::ReadPlainFile(folder.fd, name, kMaxEventFileBytes, name, text).Done()) continue;
        const Component root = ParseCalendar(text);
        const MappedEvents mapped = MapEvents(root.get(), options);
        for (const Appointment& record : mapped.records) foreign.keys.insert(RecordKey(record));
        for (const Series& series : mapped.series) foreign.seriesUids.insert(series.uid);
    }
    return foreign;
}

// Leaves out the records that foreign files hold, one for each they hold.
std::vector<Appointment> NotElsewhere(const std::vector<Appointment>& records, std::multiset<std::string> foreign,
                                      int& elsewhere) {
    std::vector<Appointment> kept;
    for (const Appointment& record : records) {
        const auto found = foreign.find(RecordKey(record));
        if (found == foreign.end()) {
            kept.push_back(record);
        } else {
            foreign.erase(found);
            ++elsewhere;
        }
    }
    return kept;
}

// What one run does to the folder, decided before anything is touched.
struct Plan {
    Names keep;    // ours, already holding the right bytes
    Names write;   // new or changed
    Names remove;  // ours, of appointments no longer in the book
    Names Ours() const {
        Names ours = keep;
        ours.insert(write.begin(), write.end());
        return ours;
    }
};

class VdirRun {
public:
    VdirRun(const Folder& folder, const Names& listed, VdirOutcome& outcome)
        : folder_(folder), listed_(listed), outcome_(outcome) {}

    void Run(const Files& files) {
        const Plan plan = MakePlan(files);
        std::map<std::string, std::string> temps;  // name -> its finished temporary file
        for (const std::string& name : plan.write) {
            std::string temp;
            if (!Check(files::WriteTemp(folder_.fd, BytesOf(files.at(name)), 0600, folder_.Shown(name), temp)))
                return DropTemps(temps);
            temps[name] = temp;
        }
        // Listed before they appear, so a crash leaves no file of ours unlisted.
        Names interim = plan.Ours();
        interim.insert(plan.remove.begin(), plan.remove.end());
        if (!Check(SaveList(folder_, interim))) return DropTemps(temps);
        while (!temps.empty()) {
            const auto [name, temp] = *temps.begin();
            temps.erase(temps.begin());
            if (!Check(Place(name, temp))) return DropTemps(temps);
        }
        for (const std::string& name : plan.remove)
            if (!Check(Remove(name))) return;
        if (!Check(files::SyncFolder(folder_.fd, folder_.shown)) || !Check(SaveList(folder_, plan.Ours()))) return;
        outcome_.written = int(plan.write.size());
        outcome_.unchanged = int(plan.keep.size());
        outcome_.removed = int(plan.remove.size());
    }

private:
    Plan MakePlan(const Files& files) {
        Plan plan;
        for (const auto& [name, bytes] : files) {
            switch (files::KindOf(folder_.fd, name)) {
            case EntryKind::Missing: plan.write.insert(name); break;
            case EntryKind::Plain:
                if (Holds(name, bytes)) plan.keep.insert(name);
                else if (listed_.count(name)) plan.write.insert(name);
                else ++outcome_.notOurs;
                break;
            case EntryKind::Other: ++outcome_.notOurs; break;
            }
        }
        for (const std::string& name : listed_) {
            if (files.count(name)) continue;
            switch (files::KindOf(folder_.fd, name)) {
            case EntryKind::Missing: break;
            case EntryKind::Plain: plan.remove.insert(name); break;
            case EntryKind::Other: ++outcome_.passedOver; break;
            }
        }
        return plan;
    }

    bool Holds(const std::string& name, const std::string& bytes) const {
        std::string held;
        return files::ReadPlainFile(folder_.fd, name, kMaxOwnFileBytes, name, held).Done() && held == bytes;
    }

    // Someone may have put a link or a folder in its place meanwhile: leave it.
    FileResult Place(const std::string& name, const std::string& temp) {
        if (files::KindOf(folder_.fd, name) == EntryKind::Other) {
            ::unlinkat(folder_.fd, temp.c_str(), 0);
            return files::FileFailure(FileError::NotPlain, 0, folder_.Shown(name));
        }
        return files::ReplaceWith(folder_.fd, temp, name, folder_.Shown(name));
    }

    FileResult Remove(const std::string& name) {
        if (files::KindOf(folder_.fd, name) != EntryKind::Plain) return {};
        if (::unlinkat(folder_.fd, name.c_str(), 0) == 0 || errno == ENOENT) return {};
        return files::FileFailure(FileError::RemoveFailed, errno, folder_.Shown(name));
    }

    void DropTemps(const std::map<std::string, std::string>& temps) {
        for (const auto& [name, temp] : temps) ::unlinkat(folder_.fd, temp.c_str(), 0);
    }

    bool Check(const FileResult& result) {
        if (!result.Done()) outcome_.error = result.Reason();
        return result.Done();
    }

    const Folder& folder_;
    const Names& listed_;
    VdirOutcome& outcome_;
};

}  // namespace

std::string SeriesFileName(const std::string& uid) {
    if (IsSeriesFileName(uid + ".ics")) return uid + ".ics";
    const QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(uid), QCryptographicHash::Sha256);
    return "quimbaro-serie-" + digest.toHex().left(32).toStdString() + ".ics";
}

bool IsSeriesFileName(std::string_view name) {
    constexpr std::string_view kPrefix = "quimbaro-serie-", kEnd = ".ics";
    if (!name.starts_with(kPrefix) || !name.ends_with(kEnd)) return false;
    const std::string_view middle = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kEnd.size());
    return !middle.empty() && middle.size() <= 64 &&
           std::all_of(middle.begin(), middle.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '-'; });
}

VdirOutcome ExportBookToVdir(const fs::path& folder, const DateRange& range, const fs::path& vdir,
                             const ImportOptions& foreign) {
    VdirOutcome outcome;
    const BookRecords book = CollectBook(folder, range);
    outcome.skipped = book.skipped;
    outcome.error = book.error;
    // A damaged rules file writes nothing: its series' files would go as no longer in the book.
    const std::vector<Series> series = outcome.error.empty() ? SeriesInRange(folder, range, outcome.error) : std::vector<Series>{};
    if (!outcome.error.empty()) return outcome;
    files::UniqueFd fd;
    files::FolderLock lock;
    FileResult ready = files::OpenFolder(vdir, true, fd);
    if (ready.Done()) ready = lock.Take(fd.get(), vdir.string(), kLockWait);
    const Folder target{fd.get(), vdir.string()};
    Names listed;
    if (ready.Done()) ready = ReadList(target, listed, outcome.passedOver);
    if (!ready.Done()) {
        outcome.error = ready.Reason();
        return outcome;
    }
    files::RemoveTemps(target.fd, files::kTempPrefix);  // a run's that stopped half-way: the lock is held
    const Foreign others = ForeignEvents(target, listed, foreign);
    Files files = FilesOf(NotElsewhere(book.records, others.keys, outcome.elsewhere));
    AddSeriesFiles(series, others.seriesUids, files, outcome.elsewhere);
    VdirRun(target, listed, outcome).Run(files);
    return outcome;
}

std::string VdirMessage(const VdirOutcome& outcome, const std::string& vdir) {
    if (!outcome.error.empty()) return "No se pudo exportar: " + outcome.error;
    std::string text = "Carpeta " + vdir + ": " + std::to_string(outcome.written) + " archivos escritos, " +
                       std::to_string(outcome.unchanged) + " sin cambios, " + std::to_string(outcome.removed) +
                       " borrados.";
    if (outcome.notOurs > 0)
        text += " " + std::to_string(outcome.notOurs) +
                " citas no se exportaron: su archivo existe y no lo escribió Quimbaro (se dejó como estaba).";
    if (outcome.elsewhere > 0)
        text += " " + std::to_string(outcome.elsewhere) + " citas ya estaban en archivos de otros programas.";
    if (outcome.passedOver > 0)
        text += " Se pasaron por alto " + std::to_string(outcome.passedOver) + " nombres de " + kVdirListName +
                " que no son archivos de Quimbaro en la carpeta (no se tocaron).";
    return text + SkippedText(outcome.skipped);
}

}  // namespace quimbaro::ical
