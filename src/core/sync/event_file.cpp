#include "sync/event_file.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <memory>
#include <span>

#include "book/append_records.h"
#include "ical/book_export.h"
#include "ical/book_import.h"
#include "ical/event_export.h"
#include "ical/parse_calendar.h"
#include "repeat/rules_file.h"

namespace quimbaro::sync {
namespace {

using Text = std::unique_ptr<char, decltype(&free)>;
using Event = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;

std::string OwnFile(const Appointment& record, const std::string& uid) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ical::WriteCalendar(std::span(&record, 1), std::span(&uid, 1), buffer);
    return buffer.data().toStdString();
}

// The calendar's one event, repeating or not, when it replaces no occurrence.
icalcomponent* OnlyEvent(icalcomponent* root) {
    if (!root || icalcomponent_isa(root) != ICAL_VCALENDAR_COMPONENT) return nullptr;
    if (icalcomponent_count_components(root, ICAL_VEVENT_COMPONENT) != 1) return nullptr;
    icalcomponent* event = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT);
    return icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) ? nullptr : event;
}

bool IsOurs(icalcomponent* event) {
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY))
        if (std::string_view(icalproperty_get_x_name(p)).starts_with("X-QUIMBARO-")) return true;
    return false;
}

// The calendar's one event, when it has one and it does not repeat.
icalcomponent* SingleEvent(icalcomponent* root) {
    icalcomponent* event = OnlyEvent(root);
    if (!event) return nullptr;
    for (const auto kind : {ICAL_RRULE_PROPERTY, ICAL_RDATE_PROPERTY})
        if (icalcomponent_get_first_property(event, kind)) return nullptr;
    return event;
}

void RemoveAll(icalcomponent* event, icalproperty_kind kind, bool ours) {
    std::vector<icalproperty*> gone;
    for (icalproperty* p = icalcomponent_get_first_property(event, kind); p;
         p = icalcomponent_get_next_property(event, kind))
        if (kind != ICAL_X_PROPERTY || (ours && std::string_view(icalproperty_get_x_name(p)).starts_with("X-QUIMBARO-")))
            gone.push_back(p);
    for (icalproperty* p : gone) {
        icalcomponent_remove_property(event, p);
        icalproperty_free(p);
    }
}

void CopyAll(icalcomponent* from, icalcomponent* to, icalproperty_kind kind) {
    for (icalproperty* p = icalcomponent_get_first_property(from, kind); p;
         p = icalcomponent_get_next_property(from, kind))
        icalcomponent_add_property(to, icalproperty_new_clone(p));
}

// A new start moves the end by as much, keeping the event's length.
void MoveEnd(icalcomponent* event, icaltimetype oldStart, icaltimetype newStart) {
    icalproperty* end = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
    if (!end || icaltime_is_null_time(oldStart)) return;
    const icaldurationtype length = icaltime_subtract(icalproperty_get_dtend(end), oldStart);
    icaltimetype moved = icaltime_add(newStart, length);
    if (newStart.is_date) moved.is_date = 1;
    icalcomponent_remove_property(event, end);
    icalproperty_free(end);
    icalcomponent_add_property(event, icalproperty_new_dtend(moved));
}

// Writes now's start, summary and (for an event of ours) description and
// X-QUIMBARO-* fields into event from fresh; what the book does not change
// stays as written (a time zone, characters the book cannot hold).
void WriteInto(icalcomponent* event, icalcomponent* fresh, const Appointment& old, const Appointment& now) {
    const bool ours = IsOurs(event);
    const auto same = [&](auto field) { return ReadField(old.*field) == ReadField(now.*field); };
    if (!same(&Appointment::date) || !same(&Appointment::time)) {
        const icaltimetype oldStart = icalcomponent_get_dtstart(event);
        RemoveAll(event, ICAL_DTSTART_PROPERTY, ours);
        CopyAll(fresh, event, ICAL_DTSTART_PROPERTY);
        MoveEnd(event, oldStart, icalcomponent_get_dtstart(fresh));
    }
    if (ours || !same(&Appointment::name) || !same(&Appointment::subject)) {
        RemoveAll(event, ICAL_SUMMARY_PROPERTY, ours);
        CopyAll(fresh, event, ICAL_SUMMARY_PROPERTY);
    }
    if (ours) {
        for (const auto kind : {ICAL_DESCRIPTION_PROPERTY, ICAL_X_PROPERTY}) {
            RemoveAll(event, kind, ours);
            CopyAll(fresh, event, kind);
        }
    }
}

// The rule and the removed days in the form of the event's start: a start
// kept with its zone gets its removed days at its own time in that zone and
// the rule's end in UTC (the end of its last local day), as RFC 5545 asks.
void WriteRepetition(icalcomponent* event, icalcomponent* fresh, const Series& series) {
    for (const auto kind : {ICAL_RRULE_PROPERTY, ICAL_RDATE_PROPERTY, ICAL_EXDATE_PROPERTY}) RemoveAll(event, kind, false);
    icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    icalparameter* zone = start ? icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER) : nullptr;
    const icaltimetype begin = icalcomponent_get_dtstart(event);
    if (begin.is_date || (!zone && !icaltime_is_utc(begin))) {
        for (const auto kind : {ICAL_RRULE_PROPERTY, ICAL_EXDATE_PROPERTY}) CopyAll(fresh, event, kind);
        return;
    }
    icalrecurrencetype rule = icalrecurrencetype_from_string(series.rule.c_str());
    if (!icaltime_is_null_time(rule.until)) {
        const QDateTime end(QDate(rule.until.year, rule.until.month, rule.until.day), QTime(23, 59, 59));
        rule.until = icaltime_from_timet_with_zone(end.toSecsSinceEpoch(), 0, icaltimezone_get_utc_timezone());
    }
    icalcomponent_add_property(event, icalproperty_new_rrule(rule));
    for (const CalendarDate& day : series.excluded) {
        icaltimetype time = begin;
        time.year = day.year, time.month = day.month, time.day = day.day;
        if (zone) time.zone = nullptr;  // named by the parameter
        icalproperty* excluded = icalproperty_new_exdate(time);
        if (zone) icalproperty_add_parameter(excluded, icalparameter_new_clone(zone));
        icalcomponent_add_property(event, excluded);
    }
}

}  // namespace

uint64_t SeriesDigest(const Series& series) {
    std::string text = series.uid + '\n' + RecordKey(series.first) + '\n' + series.rule;
    for (const CalendarDate& day : series.excluded) text += ' ' + DayKey(day);
    uint64_t hash = 14695981039346656037ull;  // FNV-1a, as RecordDigest
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

std::string BytesDigest(std::string_view bytes) {
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

static MappedFile Refused() {
    MappedFile file;
    file.whole = false;
    return file;
}

MappedFile MapFile(std::string_view bytes, const ical::ImportOptions& options) {
    MappedFile file;
    if (bytes.size() > ical::kMaxImportBytes) return Refused();
    const ical::Component root = ical::ParseCalendar(bytes);
    if (options.keepSeries && OnlyEvent(root.get()) && icalcomponent_get_uid(OnlyEvent(root.get()))) {
        ical::MappedEvents mapped = ical::MapEvents(root.get(), options);
        // As the rules file will give it back, so that it compares equal once stored.
        RulesRead stored = mapped.series.size() == 1 ? ParseRules(RulesText(mapped.series)) : RulesRead{};
        if (mapped.records.empty() && stored.Whole() && stored.series.size() == 1) {
            file.series = std::move(stored.series[0]);
            return file;
        }
    }
    ical::ImportOptions copies = options;
    copies.keepSeries = false;
    ical::MappedEvents mapped = ical::MapEvents(root.get(), copies);
    if (mapped.overLimit) return Refused();
    for (const auto& [reason, count] : mapped.refused) file.refused += count;
    file.records = std::move(mapped.records);
    return file;
}

std::string EventBytes(std::string_view existing, const Appointment& record, const std::string& uid) {
    if (existing.empty()) return OwnFile(record, uid);
    const ical::Component root = ical::ParseCalendar(existing);
    icalcomponent* event = SingleEvent(root.get());
    if (!event) return "";
    const Event fresh(ical::AppointmentEvent(record, uid), icalcomponent_free);
    const auto was = ical::MapEvents(root.get(), ical::ImportOptions{{}, {}, false}).records;
    WriteInto(event, fresh.get(), was.size() == 1 ? was[0] : Appointment{}, record);
    return Text(icalcomponent_as_ical_string_r(root.get()), free).get();
}

std::string SeriesBytes(std::string_view existing, const Series& series) {
    const Event fresh(SeriesEvent(series), icalcomponent_free);
    const ical::Component root = ical::ParseCalendar(existing);
    icalcomponent* event = existing.empty() ? nullptr : OnlyEvent(root.get());
    if (!event) {
        const std::string text = RulesText({series});  // a calendar of that one event
        return text;
    }
    const auto was = ical::MapEvents(root.get(), ical::ImportOptions{{}, {}, true});
    const Appointment old = was.series.size() == 1 ? was.series[0].first : was.records.size() == 1 ? was.records[0] : Appointment{};
    WriteInto(event, fresh.get(), old, series.first);
    WriteRepetition(event, fresh.get(), series);
    // A UID the book could not keep was replaced on the way in (KeptUid): the
    // file takes the replacement, so that it still maps to this series.
    if (const char* uid = icalcomponent_get_uid(event); !uid || !UsableUid(uid))
        icalcomponent_set_uid(event, series.uid.c_str());
    return Text(icalcomponent_as_ical_string_r(root.get()), free).get();
}

}  // namespace quimbaro::sync
