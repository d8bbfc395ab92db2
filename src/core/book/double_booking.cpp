#include "book/double_booking.h"

#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "book/append_records.h"
#include "book/record_stream.h"
#include "book/year_file.h"
#include "reminders/reminder_schedule.h"
#include "text/win1252.h"

namespace quimbaro {

std::optional<Appointment> OtherAtSameTime(std::span<const Appointment> day, const Appointment& stored) {
    const auto minute = MinuteOfDay(ReadField(stored.time));
    if (!minute) return std::nullopt;
    const std::string self = RecordKey(stored);
    bool selfSkipped = false;
    for (const Appointment& record : day) {
        if (ReadField(record.date) != ReadField(stored.date) || MinuteOfDay(ReadField(record.time)) != minute) continue;
        if (!selfSkipped && RecordKey(record) == self) {
            selfSkipped = true;
            continue;
        }
        return record;
    }
    return std::nullopt;
}

namespace {

std::optional<std::pair<std::string, int32_t>> DateAndMinute(const Appointment& record) {
    const auto minute = MinuteOfDay(ReadField(record.time));
    if (!minute) return std::nullopt;
    return std::pair{ReadField(record.date), *minute};
}

// Calls use(record) for each whole record of the year file; false when it cannot be read.
template <typename Use>
bool EachRecord(const std::filesystem::path& yearFile, Use use) {
    return StreamYearFile(yearFile, [&](const char* records, std::size_t count, uint64_t) {
               for (std::size_t i = 0; i < count; ++i) {
                   Appointment record;
                   std::memcpy(&record, records + i * kRecordSize, kRecordSize);
                   use(record);
               }
           }).Stored();
}

}  // namespace

SameTimeCount::SameTimeCount(std::span<const Appointment> records) : records_(records) {
    for (const Appointment& record : records)
        if (auto key = DateAndMinute(record)) held_.emplace(std::move(*key), 0);
}

void SameTimeCount::Add(const Appointment& held) {
    if (held.date[0] == '\0') return;  // deleted: no day
    if (const auto key = DateAndMinute(held)) {
        if (const auto found = held_.find(*key); found != held_.end()) ++found->second;
    }
}

int SameTimeCount::Clashes() const {
    int count = 0;
    for (const Appointment& record : records_) {
        const auto key = DateAndMinute(record);
        const auto found = key ? held_.find(*key) : held_.end();
        if (found != held_.end() && found->second > 1) ++count;
    }
    return count;
}

int CountSameTimeRecords(std::span<const Appointment> book, std::span<const Appointment> records) {
    SameTimeCount count(records);
    for (const Appointment& held : book) count.Add(held);
    return count.Clashes();
}

int CountSameTimeInYearFile(const std::filesystem::path& yearFile, std::span<const Appointment> records) {
    SameTimeCount count(records);
    return EachRecord(yearFile, [&](const Appointment& held) { count.Add(held); }) ? count.Clashes() : 0;
}

std::string DoubleBookingText(const Appointment& other) {
    const QString name = FromWin1252(ReadField(other.name)).trimmed();
    const QString subject = FromWin1252(ReadField(other.subject)).trimmed();
    QString text = QStringLiteral("A las %1 ya está %2")
                       .arg(FromWin1252(ReadField(other.time)), name.isEmpty() ? QStringLiteral("otra cita") : name);
    if (!subject.isEmpty()) text += QStringLiteral(": ") + subject;
    return text.toStdString();
}

// Streamed, keeping only the records at the same time and at most two of
// them (the stored one and one other), however large the day.
std::optional<std::string> DoubleBookingWarning(const std::filesystem::path& folder, const Appointment& stored) {
    const auto key = DateAndMinute(stored);
    if (!key) return std::nullopt;
    std::vector<Appointment> sameTime;
    const bool read = EachRecord(YearFilePath(folder, key->first), [&](const Appointment& record) {
        if (sameTime.size() < 2 && record.date[0] != '\0' && DateAndMinute(record) == key)
            sameTime.push_back(record);
    });
    const auto other = read ? OtherAtSameTime(sameTime, stored) : std::nullopt;
    if (!other) return std::nullopt;
    return DoubleBookingText(*other);
}

}  // namespace quimbaro
