#include "ical/event_export.h"

#include <QCryptographicHash>
#include <array>
#include <map>

#include "ical/field_text.h"

namespace quimbaro::ical {
namespace {

std::array<std::string, 5> Fields(const Appointment& record) {
    return {ReadField(record.date), ReadField(record.time), ReadField(record.phone), ReadField(record.name),
            ReadField(record.subject)};
}

std::string FieldsDigest(const std::array<std::string, 5>& fields) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const std::string& field : fields) hash.addData(QByteArrayView(field.data(), qsizetype(field.size()) + 1));
    return hash.result().left(16).toHex().toStdString();
}

std::string Summary(const std::array<std::string, 5>& f) {
    const QString name = ReadableText(f[3]), subject = ReadableText(f[4]);
    if (name.isEmpty() && subject.isEmpty()) return "Cita";
    if (name.isEmpty() || subject.isEmpty()) return (name + subject).toStdString();
    return (name + QStringLiteral(": ") + subject).toStdString();
}

std::string Description(const std::array<std::string, 5>& f, bool allDay) {
    QString text;
    if (!f[2].empty()) text = QStringLiteral("Teléfono: ") + ReadableText(f[2]);
    if (allDay && !f[1].empty()) text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + QStringLiteral("Hora: ") + ReadableText(f[1]);
    return text.toStdString();
}

icaltimetype StartTime(const CalendarDate& day, std::optional<std::pair<int, int>> clock) {
    icaltimetype start = icaltime_null_time();
    start.year = day.year;
    start.month = day.month;
    start.day = day.day;
    start.is_date = !clock;
    if (clock) {
        start.hour = clock->first;
        start.minute = clock->second;
    }
    return start;
}

// An empty field is left out: libical refuses an empty X- value.
void AddField(icalcomponent* event, const char* name, const std::string& bytes) {
    if (bytes.empty()) return;
    icalproperty* property = icalproperty_new_x(EncodeField(bytes).c_str());
    icalproperty_set_x_name(property, name);
    icalcomponent_add_property(event, property);
}

}  // namespace

std::optional<CalendarDate> ValidDay(std::string_view dayKey) {
    const auto date = ParseDayKey(dayKey);
    if (!date || date->year < 1 || date->month < 1 || date->day < 1) return std::nullopt;
    if (date->day > DaysInMonth(date->month, date->year)) return std::nullopt;
    return date;
}

std::optional<std::pair<int, int>> ClockTime(std::string_view time) {
    if (time.size() != 5 || time[2] != ':') return std::nullopt;
    for (const std::size_t i : {0u, 1u, 3u, 4u}) {
        if (time[i] < '0' || time[i] > '9') return std::nullopt;
    }
    const int hours = (time[0] - '0') * 10 + (time[1] - '0'), minutes = (time[3] - '0') * 10 + (time[4] - '0');
    if (hours > 23 || minutes > 59) return std::nullopt;
    return std::pair{hours, minutes};
}

std::vector<std::string> StableUids(std::span<const Appointment> records) {
    std::map<std::string, int> seen;
    std::vector<std::string> uids;
    uids.reserve(records.size());
    for (const Appointment& record : records) {
        const std::string digest = FieldsDigest(Fields(record));
        uids.push_back("quimbaro-" + digest + "-" + std::to_string(++seen[digest]));
    }
    return uids;
}

icalcomponent* AppointmentEvent(const Appointment& record, const std::string& uid) {
    const auto f = Fields(record);
    const auto clock = ClockTime(f[1]);
    const icaltimetype start = StartTime(*ValidDay(f[0]), clock);
    icaltimetype stamp = start;
    stamp.is_date = 0;
    stamp.hour = stamp.minute = 0;
    stamp.zone = icaltimezone_get_utc_timezone();
    icalcomponent* event = icalcomponent_vanew(
        ICAL_VEVENT_COMPONENT, icalproperty_new_uid(uid.c_str()),
        // No creation time is stored: the day itself keeps the stamp stable.
        icalproperty_new_dtstamp(stamp), icalproperty_new_dtstart(start),
        icalproperty_new_summary(Summary(f).c_str()), static_cast<void*>(nullptr));
    if (const std::string text = Description(f, !clock); !text.empty())
        icalcomponent_add_property(event, icalproperty_new_description(text.c_str()));
    for (std::size_t i = 0; i < f.size(); ++i) AddField(event, kFieldProperties[i], f[i]);
    return event;
}

}  // namespace quimbaro::ical
