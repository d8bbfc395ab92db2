// A vdir folder filled from the input (plain files, links, FIFOs, folders and
// the export's own list, under any names or under the names of the book's
// own files), then exported into: no crash, no hang, nothing outside the
// folder changes, no link, FIFO or folder in it changes, no file it does not
// own changes, and a finished run's list names exactly files of its own.
//
// Input: entries separated by zero bytes; each is a kind byte, then a name,
// then a 0x01 byte and the contents (or the link's target). An empty name is
// the name of one of the book's files, picked by the kind byte.

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string_view>

#include "book/year_file.h"
#include "files/atomic_write.h"
#include "fuzz_folder.h"
#include "ical/book_export.h"
#include "ical/book_import.h"
#include "ical/event_export.h"
#include "ical/vdir_export.h"

namespace {

using namespace quimbaro;
namespace fs = std::filesystem;

enum class Kind { Plain, Link, Fifo, Folder, List };

// Kind and bytes (a link's target, a file's contents) of every entry below path.
std::map<std::string, std::string> Snapshot(const fs::path& path) {
    std::map<std::string, std::string> entries;
    std::error_code code;
    for (auto it = fs::recursive_directory_iterator(path, code); !code && it != fs::recursive_directory_iterator();
         it.increment(code)) {
        const fs::file_status status = it->symlink_status();
        const std::string name = it->path().lexically_relative(path).string();
        if (fs::is_symlink(status)) entries[name] = "link " + fs::read_symlink(it->path()).string();
        else if (fs::is_regular_file(status)) entries[name] = "file " + fuzz::ReadWholeFile(it->path());
        else entries[name] = "kind " + std::to_string(int(status.type()));
    }
    return entries;
}

bool IsOursToChange(const std::string& name) {
    return name == ical::kVdirListName || name == ".quimbaro-lock" || files::IsTempName(name) ||
           (name.ends_with(".ics") && ical::IsStableUid(name.substr(0, name.size() - 4)));
}

void Make(const fs::path& vdir, Kind kind, const std::string& name, const std::string& bytes) {
    const fs::path path = vdir / (kind == Kind::List ? ical::kVdirListName : name);
    std::error_code ignored;  // a name made twice keeps its first entry
    switch (kind) {
    case Kind::Plain:
    case Kind::List:
        if (!fs::exists(fs::symlink_status(path))) fuzz::WriteWholeFile(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        break;
    case Kind::Link: fs::create_symlink(bytes, path, ignored); break;
    case Kind::Fifo: mkfifo(path.c_str(), 0600); break;
    case Kind::Folder: fs::create_directory(path, ignored); break;
    }
}

void Fill(const fs::path& vdir, std::string_view input, const std::vector<std::string>& ours) {
    while (!input.empty()) {
        const std::string_view entry = input.substr(0, input.find('\0'));
        input.remove_prefix(std::min(input.size(), entry.size() + 1));
        if (entry.empty()) continue;
        const auto kindByte = static_cast<unsigned char>(entry[0]);
        const std::string_view rest = entry.substr(1);
        std::string name(rest.substr(0, rest.find('\1')));
        const std::string bytes(rest.substr(std::min(rest.size(), name.size() + 1)));
        for (char& c : name) c = c == '/' ? '_' : c;
        if (name.empty()) name = ours[kindByte % ours.size()];
        if (name == "." || name == ".." || name.size() > 200) continue;
        Make(vdir, static_cast<Kind>(kindByte % 5), name, bytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const fs::path& scratch = fuzz::ScratchFolder();
    const fs::path book = scratch / "book", vdir = scratch / "vdir";
    if (!fs::exists(book)) {
        fs::create_directories(book);
        for (const char* date : {"05/12/2026", "06/12/2026", "06/12/2026"})
            AppendAppointment(book, date, "09:30", "600", "Ana", "x");
        fuzz::WriteWholeFile(scratch / "outside", reinterpret_cast<const uint8_t*>("keep"), 4);
    }
    std::vector<std::string> ours;
    for (const std::string& uid : ical::StableUids(ical::CollectBook(book, {}).records)) ours.push_back(uid + ".ics");
    fs::remove_all(vdir);
    fs::create_directory(vdir);
    Fill(vdir, std::string_view(reinterpret_cast<const char*>(data), size), ours);

    const auto outsideBefore = Snapshot(book);
    const auto before = Snapshot(vdir);
    const ical::VdirOutcome outcome = ical::ExportBookToVdir(book, {}, vdir, ical::MakeImportOptions({2026, 12, 5}, {}));
    const auto after = Snapshot(vdir);

    FUZZ_CHECK(Snapshot(book) == outsideBefore);
    FUZZ_CHECK(fuzz::ReadWholeFile(scratch / "outside") == "keep");
    for (const auto& [name, was] : before) {
        if (IsOursToChange(name) && was.starts_with("file ")) continue;
        FUZZ_CHECK(after.count(name) && after.at(name) == was);
    }
    for (const auto& [name, now] : after) FUZZ_CHECK(before.count(name) || IsOursToChange(name));
    if (outcome.error.empty()) {
        std::string listed = after.count(ical::kVdirListName) ? after.at(ical::kVdirListName).substr(5) : "";
        for (std::size_t start = 0; start < listed.size();) {
            const std::size_t end = listed.find('\n', start);
            FUZZ_CHECK(end != std::string::npos);
            const std::string name = listed.substr(start, end - start);
            FUZZ_CHECK(IsOursToChange(name) && after.count(name) && after.at(name).starts_with("file BEGIN:VCALENDAR"));
            start = end + 1;
        }
    }
    return 0;
}
