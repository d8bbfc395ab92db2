#include "ical/vdir_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "book/append_records.h"
#include "ical/event_export.h"

namespace quimbaro::ical {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Names ReadList(const fs::path& vdir) {
    Names names;
    std::ifstream in(vdir / kVdirListName);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) names.insert(line);
    return names;
}

// Replaces the file at once, only when all of it is on disk; an error text or "".
std::string Save(const fs::path& file, const std::string& bytes) {
    QSaveFile save(QFile::decodeName(file.c_str()));
    if (save.open(QIODevice::WriteOnly) && save.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()) &&
        save.commit())
        return "";
    return "no se pudo escribir " + file.string() + ": " + save.errorString().toStdString();
}

std::string SaveList(const fs::path& vdir, const Names& names) {
    std::string text;
    for (const std::string& name : names) text += name + "\n";
    return Save(vdir / kVdirListName, text);
}

// File name -> contents of every appointment's file.
std::map<std::string, std::string> Files(const std::vector<Appointment>& records) {
    std::map<std::string, std::string> files;
    const std::vector<std::string> uids = StableUids(records);
    for (std::size_t i = 0; i < records.size(); ++i) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteCalendar(std::span(&records[i], 1), std::span(&uids[i], 1), buffer);
        files[uids[i] + ".ics"] = buffer.data().toStdString();
    }
    return files;
}

// The records other programs' event files in the folder map to, as keys.
std::multiset<std::string> ForeignRecords(const fs::path& vdir, const Names& listed, const ImportOptions& foreign) {
    std::multiset<std::string> keys;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(vdir, code)) {
        const std::string name = entry.path().filename().string();
        if (listed.count(name) || entry.path().extension() != ".ics" || !entry.is_regular_file()) continue;
        icalcomponent* root = icalparser_parse_string(ReadAll(entry.path()).c_str());
        for (const Appointment& record : MapEvents(root, foreign).records) keys.insert(RecordKey(record));
        if (root) icalcomponent_free(root);
    }
    return keys;
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

// Renames and removals last only once the folder itself is on disk.
void SyncFolder(const fs::path& vdir) {
    const int fd = ::open(vdir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    ::close(fd);
}

class VdirRun {
public:
    VdirRun(const fs::path& vdir, VdirOutcome& outcome) : vdir_(vdir), outcome_(outcome), listed_(ReadList(vdir)) {}

    void Run(const std::map<std::string, std::string>& files) {
        Names ours;
        for (const auto& [name, bytes] : files) {
            if (IsOurs(name, bytes)) ours.insert(name);
        }
        Names kept = listed_;  // listed before writing, so a crash leaves no file of ours unlisted
        kept.insert(ours.begin(), ours.end());
        if (!Check(SaveList(vdir_, kept))) return;
        for (const std::string& name : ours) {
            if (!Write(name, files.at(name))) return;
        }
        for (const std::string& name : listed_) {
            if (files.count(name)) continue;
            std::error_code code;
            if (fs::remove(vdir_ / name, code)) ++outcome_.removed;
            if (code && !Check("no se pudo borrar " + (vdir_ / name).string() + ": " + code.message())) return;
        }
        SyncFolder(vdir_);
        Check(SaveList(vdir_, ours));
    }

private:
    // A missing file, one we listed, or one that already holds exactly our bytes.
    bool IsOurs(const std::string& name, const std::string& bytes) {
        const fs::path file = vdir_ / name;
        if (listed_.count(name) || !fs::exists(file) || ReadAll(file) == bytes) return true;
        ++outcome_.notOurs;
        return false;
    }

    bool Write(const std::string& name, const std::string& bytes) {
        if (ReadAll(vdir_ / name) == bytes) {
            ++outcome_.unchanged;
            return true;
        }
        ++outcome_.written;
        return Check(Save(vdir_ / name, bytes));
    }

    bool Check(const std::string& error) {
        if (!error.empty()) outcome_.error = error;
        return error.empty();
    }

    const fs::path& vdir_;
    VdirOutcome& outcome_;
    const Names listed_;
};

}  // namespace

VdirOutcome ExportBookToVdir(const fs::path& folder, const DateRange& range, const fs::path& vdir,
                             const ImportOptions& foreign) {
    VdirOutcome outcome;
    const BookRecords book = CollectBook(folder, range);
    outcome.skipped = book.skipped;
    outcome.error = book.error;
    std::error_code code;
    if (outcome.error.empty() && !fs::is_directory(vdir) && !fs::create_directories(vdir, code))
        outcome.error = "no se pudo crear la carpeta " + vdir.string() + ": " + code.message();
    if (!outcome.error.empty()) return outcome;
    const auto foreignRecords = ForeignRecords(vdir, ReadList(vdir), foreign);
    VdirRun(vdir, outcome).Run(Files(NotElsewhere(book.records, foreignRecords, outcome.elsewhere)));
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
    return text + SkippedText(outcome.skipped);
}

}  // namespace quimbaro::ical
