#include "bench_year_file.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "book/appointment.h"
#include "text/win1252.h"
#include "book/year_file.h"
#include "repeat/rules_file.h"

namespace quimbaro::bench {
namespace {

constexpr int kStampVersion = 2;
constexpr int64_t kChunkRecords = 4096;

// Wide capitals (M, W, D, O, N, G...) so the texts run past their columns.
constexpr const char* kWideWords[] = {
    "MONDOÑEDO", "GUMERSINDO", "MORCUENDE", "QUIÑONES",     "MONTEMAYOR",   "WAMBA",
    "MÓDEM",     "ROMERO",     "GUZMÁN",    "MORENO",       "HOMOLOGACIÓN", "DOCUMENTACIÓN",
    "COMPROBACIÓN", "DOMÍNGUEZ", "WOLFGANG", "GUADALUPE",   "MÉNDEZ",       "NOGUERA",
};
constexpr int kWordCount = int(std::size(kWideWords));

// Words separated by spaces, cut to exactly `length` characters.
std::string WideText(int index, std::size_t length) {
    std::string text;
    for (int word = index; text.size() < length; word += 7) {
        if (!text.empty()) text += ' ';
        text += ToWin1252(QString::fromUtf8(kWideWords[word % kWordCount]));
    }
    text.resize(length);
    if (text.back() == ' ') text.back() = 'W';
    return text;
}

// A small deterministic generator: the same file on every machine.
struct Sequence {
    uint64_t state;
    uint32_t Next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state >> 33);
    }
};

std::string TwoDigits(uint32_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02u", value % 100);
    return text;
}

std::string TimeText(Sequence& sequence) {
    return TwoDigits(sequence.Next() % 24) + ":" + TwoDigits(sequence.Next() % 60);
}

std::string PhoneText(Sequence& sequence) {
    return std::to_string(600000000 + sequence.Next() % 100000000);
}

// Another day of the same year; sharing the key's day number half the time
// keeps the date comparison from failing at the first byte.
std::string OtherDate(Sequence& sequence, std::string_view dayKey) {
    const std::string year(dayKey.substr(dayKey.size() - 4));
    for (;;) {
        const std::string day = sequence.Next() % 2 ? std::string(dayKey.substr(0, 2))
                                                     : TwoDigits(1 + sequence.Next() % 28);
        const std::string date = day + "/" + TwoDigits(1 + sequence.Next() % 12) + "/" + year;
        if (date != dayKey) return date;
    }
}

Appointment Record(Sequence& sequence, std::string_view date, bool dayRecord, int index) {
    Appointment record;
    StoreField(record.date, date);
    StoreField(record.time, TimeText(sequence));
    StoreField(record.phone, PhoneText(sequence));
    StoreField(record.name, dayRecord ? LongName(index) : WideText(index, 12 + sequence.Next() % 38));
    StoreField(record.subject,
               dayRecord ? LongSubject(index) : WideText(index + 3, 20 + sequence.Next() % 55));
    return record;
}

std::string StampText(int64_t records, std::string_view dayKey) {
    std::ostringstream stamp;
    stamp << kStampVersion << ' ' << records << ' ' << dayKey << '\n';
    return stamp.str();
}

bool AlreadyWritten(const std::filesystem::path& file, const std::filesystem::path& stamp,
                    const std::string& expected, int64_t records) {
    std::error_code error;
    if (std::filesystem::file_size(file, error) != uint64_t(records) * kRecordSize || error) return false;
    std::ifstream in(stamp);
    std::stringstream text;
    text << in.rdbuf();
    return text.str() == expected;
}

// Record i is one of the day's when it is the next of kDayRecords evenly
// spaced positions.
void WriteRecords(std::FILE* out, int64_t records, std::string_view dayKey) {
    Sequence sequence{uint64_t(records)};
    std::vector<Appointment> chunk;
    chunk.reserve(kChunkRecords);
    int dayIndex = 0;
    for (int64_t i = 0; i < records; ++i) {
        const int64_t nextDayRecord = (dayIndex * records + records / 2) / kDayRecords;
        const bool dayRecord = dayIndex < kDayRecords && i >= nextDayRecord;
        const std::string date = dayRecord ? std::string(dayKey) : OtherDate(sequence, dayKey);
        chunk.push_back(Record(sequence, date, dayRecord, dayRecord ? dayIndex : int(i % 97)));
        if (dayRecord) ++dayIndex;
        if (int64_t(chunk.size()) == kChunkRecords || i + 1 == records) {
            if (std::fwrite(chunk.data(), kRecordSize, chunk.size(), out) != chunk.size())
                throw std::runtime_error("cannot write the year file");
            chunk.clear();
        }
    }
}

}  // namespace

std::string LongName(int index) { return WideText(index, 49); }
std::string LongSubject(int index) { return WideText(index + 11, 74); }

std::filesystem::path EnsureYearFile(const std::filesystem::path& folder, int64_t records,
                                     std::string_view dayKey) {
    if (dayKey.size() != 10) throw std::runtime_error("the day key must read DD/MM/YYYY");
    const std::filesystem::path file = YearFilePath(folder, dayKey);
    const std::filesystem::path stamp = file.string() + ".stamp";
    const std::string expected = StampText(records, dayKey);
    if (AlreadyWritten(file, stamp, expected, records)) return file;

    std::filesystem::create_directories(folder);
    std::filesystem::remove(stamp);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(file.c_str(), "wb"), std::fclose);
    if (!out) throw std::runtime_error("cannot create " + file.string());
    WriteRecords(out.get(), records, dayKey);
    if (std::fclose(out.release()) != 0) throw std::runtime_error("cannot write " + file.string());
    std::ofstream(stamp) << expected;
    return file;
}

void EnsureWeeklySeries(const std::filesystem::path& folder, int count, std::string_view dayKey) {
    if (std::filesystem::exists(folder / kRulesFileName)) return;
    const auto day = ParseDayKey(dayKey);
    if (!day) throw std::runtime_error("not a day: " + std::string(dayKey));
    const std::string error = ChangeRules(folder, [&](std::vector<Series>& all) {
        for (int i = 0; i < count; ++i) {
            const CalendarDate first = DaysAfter(*day, -(i % 100)).value_or(*day);
            all.push_back({"bench-" + std::to_string(i), MakeAppointment(DayKey(first), "10:00", "1", "Serie", ""),
                           "FREQ=WEEKLY", {}});
        }
        return std::string();
    });
    if (!error.empty()) throw std::runtime_error(error);
}

}  // namespace quimbaro::bench
