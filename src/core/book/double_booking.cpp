#include "book/double_booking.h"

#include <map>
#include <utility>
#include <vector>

#include "book/append_records.h"
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

int CountSameTimeRecords(std::span<const Appointment> book, std::span<const Appointment> records) {
    std::map<std::pair<std::string, int32_t>, int> held;
    for (const Appointment& record : book) {
        if (const auto minute = MinuteOfDay(ReadField(record.time))) ++held[{ReadField(record.date), *minute}];
    }
    int count = 0;
    for (const Appointment& record : records) {
        const auto minute = MinuteOfDay(ReadField(record.time));
        const auto found = minute ? held.find({ReadField(record.date), *minute}) : held.end();
        if (found != held.end() && found->second > 1) ++count;
    }
    return count;
}

std::string DoubleBookingText(const Appointment& other) {
    const QString name = FromWin1252(ReadField(other.name)).trimmed();
    const QString subject = FromWin1252(ReadField(other.subject)).trimmed();
    QString text = QStringLiteral("A las %1 ya está %2")
                       .arg(FromWin1252(ReadField(other.time)), name.isEmpty() ? QStringLiteral("otra cita") : name);
    if (!subject.isEmpty()) text += QStringLiteral(": ") + subject;
    return text.toStdString();
}

std::optional<std::string> DoubleBookingWarning(const std::filesystem::path& folder, const Appointment& stored) {
    if (!MinuteOfDay(ReadField(stored.time))) return std::nullopt;
    std::vector<Appointment> day;
    if (!LoadWholeDay(folder, ReadField(stored.date), day).Stored()) return std::nullopt;
    const auto other = OtherAtSameTime(day, stored);
    if (!other) return std::nullopt;
    return DoubleBookingText(*other);
}

}  // namespace quimbaro
