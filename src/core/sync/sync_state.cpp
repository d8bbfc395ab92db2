#include "sync/sync_state.h"

#include <charconv>

namespace quimbaro::sync {
namespace {

constexpr std::string_view kHeader = "quimbaro-sync 1";

// Names and paths come from outside: anything but plain characters is %HH.
std::string Escaped(std::string_view text) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if (c > ' ' && c < 0x7F && c != '%') {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out.empty() ? "%" : out;  // a lone % keeps an empty text a field
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unescaped(std::string_view text) {
    if (text == "%") return std::string();
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += char(high * 16 + low);
        i += 2;
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0; start <= line.size();) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

template <typename Int>
bool Number(std::string_view text, Int& value, int base = 10) {
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return code == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool IsDigest(std::string_view text) {
    if (text == "-") return true;
    for (const char c : text)
        if (HexValue(c) < 0) return false;
    return !text.empty() && text.size() <= 64;
}

std::string DigestField(const std::string& digest) { return digest.empty() ? "-" : digest; }
std::string DigestOf(std::string_view field) { return field == "-" ? "" : std::string(field); }

bool ReadMark(std::string_view size, std::string_view mtime, std::string_view inode, FileMark& mark) {
    return Number(size, mark.size) && Number(mtime, mark.mtimeNs) && Number(inode, mark.inode);
}

std::string MarkText(const FileMark& mark) {
    return std::to_string(mark.size) + " " + std::to_string(mark.mtimeNs) + " " + std::to_string(mark.inode);
}

// "F name digest size mtime inode pending before"
bool ReadEntry(const std::vector<std::string_view>& f, SyncEntry& entry) {
    const auto name = f.size() == 8 ? Unescaped(f[1]) : std::nullopt;
    if (!name || name->empty() || !IsDigest(f[2]) || !IsDigest(f[7])) return false;
    entry.name = *name;
    entry.digest = DigestOf(f[2]);
    entry.before = DigestOf(f[7]);
    if (f[6] != "-" && f[6] != "w" && f[6] != "s") return false;
    entry.pending = f[6] == "w" ? Pending::Write : f[6] == "s" ? Pending::Sent : Pending::None;
    return ReadMark(f[3], f[4], f[5], entry.mark);
}

// "S uid key"
bool ReadSeries(const std::vector<std::string_view>& f, SyncedSeries& series) {
    const auto uid = f.size() == 3 ? Unescaped(f[1]) : std::nullopt;
    if (!uid || uid->empty()) return false;
    series.uid = *uid;
    return Number(f[2], series.key, 16);
}

// "Y name size mtime inode"
bool ReadDataMark(const std::vector<std::string_view>& f, std::pair<std::string, FileMark>& mark) {
    const auto name = f.size() == 5 ? Unescaped(f[1]) : std::nullopt;
    if (!name || name->empty()) return false;
    mark.first = *name;
    return ReadMark(f[2], f[3], f[4], mark.second);
}

// "R yearfile offset key"
bool ReadRecord(const std::vector<std::string_view>& f, SyncedRecord& record) {
    const auto year = f.size() == 4 ? Unescaped(f[1]) : std::nullopt;
    if (!year || year->empty()) return false;
    record.yearFile = *year;
    return (f[2] == "-" || (Number(f[2], record.offset) && record.offset >= 0)) && Number(f[3], record.key, 16);
}

}  // namespace

std::optional<SyncState> ParseSyncState(std::string_view text, std::string& error) {
    SyncState state;
    int number = 0;
    auto wrong = [&](const std::string& why) {
        error = "línea " + std::to_string(number) + ": " + why;
        return std::nullopt;
    };
    bool sawHeader = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        const auto f = Fields(line);
        if (!sawHeader) {
            if (line != kHeader) return wrong("no es un estado de sincronización de Quimbaro");
            sawHeader = true;
        } else if (f[0] == "V" && f.size() == 2 && state.vdir.empty() && state.entries.empty()) {
            const auto vdir = Unescaped(f[1]);
            if (!vdir || vdir->empty()) return wrong("carpeta ilegible");
            state.vdir = *vdir;
        } else if (f[0] == "F") {
            SyncEntry entry;
            if (!ReadEntry(f, entry)) return wrong("archivo ilegible");
            state.entries.push_back(std::move(entry));
        } else if (f[0] == "R" && !state.entries.empty()) {
            SyncedRecord record;
            if (!ReadRecord(f, record)) return wrong("cita ilegible");
            state.entries.back().records.push_back(std::move(record));
        } else if (f[0] == "J" && state.entries.empty()) {
            SyncedSeries series;
            if (!ReadSeries(f, series)) return wrong("serie ilegible");
            state.incomingSeries.push_back(std::move(series));
        } else if (f[0] == "S" && !state.entries.empty() && !state.entries.back().series) {
            SyncedSeries series;
            if (!ReadSeries(f, series)) return wrong("serie ilegible");
            state.entries.back().series = std::move(series);
        } else if (f[0] == "Y" && state.entries.empty()) {
            std::pair<std::string, FileMark> mark;
            if (!ReadDataMark(f, mark)) return wrong("archivo de la agenda ilegible");
            state.dataMarks.push_back(std::move(mark));
        } else if (f[0] == "X" && state.entries.empty()) {
            SyncedRecord record;
            if (!ReadRecord(f, record) || record.offset < 0) return wrong("cita ilegible");
            state.retire.push_back(std::move(record));
        } else if (f[0] == "I" && state.entries.empty()) {
            SyncedRecord record;
            if (!ReadRecord(f, record) || record.offset >= 0) return wrong("cita ilegible");
            state.incoming.push_back(std::move(record));
        } else {
            return wrong("línea desconocida");
        }
    }
    if (!sawHeader) return wrong("archivo vacío");
    return state;
}

std::string FormatSyncState(const SyncState& state) {
    std::string text = std::string(kHeader) + "\n";
    if (!state.vdir.empty()) text += "V " + Escaped(state.vdir) + "\n";
    char key[17];
    const auto line = [&](const char* kind, const SyncedRecord& r) {
        const auto end = std::to_chars(key, key + 16, r.key, 16).ptr;
        text += std::string(kind) + " " + Escaped(r.yearFile) + " " +
                (r.offset < 0 ? std::string("-") : std::to_string(r.offset)) + " " + std::string(key, end) + "\n";
    };
    const auto seriesLine = [&](const char* kind, const SyncedSeries& s) {
        const auto end = std::to_chars(key, key + 16, s.key, 16).ptr;
        text += std::string(kind) + " " + Escaped(s.uid) + " " + std::string(key, end) + "\n";
    };
    for (const auto& [name, mark] : state.dataMarks) text += "Y " + Escaped(name) + " " + MarkText(mark) + "\n";
    for (const SyncedRecord& r : state.retire) line("X", r);
    for (const SyncedRecord& r : state.incoming) line("I", r);
    for (const SyncedSeries& s : state.incomingSeries) seriesLine("J", s);
    for (const SyncEntry& e : state.entries) {
        text += "F " + Escaped(e.name) + " " + DigestField(e.digest) + " " + MarkText(e.mark) + " " +
                (e.pending == Pending::Write ? "w" : e.pending == Pending::Sent ? "s" : "-") + " " + DigestField(e.before) + "\n";
        for (const SyncedRecord& r : e.records) line("R", r);
        if (e.series) seriesLine("S", *e.series);
    }
    return text;
}

}  // namespace quimbaro::sync
