#include "ical/event_import.h"

#include <QDateTime>
#include <array>
#include <memory>
#include <optional>
#include <set>
#include <tuple>

#include "calendar/dates.h"
#include "ical/event_export.h"

namespace quimbaro::ical {
namespace {

constexpr const char* kNoStart = "no tiene fecha de inicio (DTSTART) válida";
constexpr const char* kBadYear = "su fecha cae fuera de los años 1 a 9999";
constexpr const char* kTooMany = "su repetición da más de 1000 citas en el periodo: se guardaron las primeras";

// A start as the book knows it: a local day and, unless all-day, a clock time.
struct LocalStart {
    CalendarDate day;
    std::optional<std::pair<int, int>> clock;
    auto Key() const { return std::tuple(day.year, day.month, day.day, clock.has_value(), clock.value_or(std::pair{0, 0})); }
    bool operator<(const LocalStart& other) const { return Key() < other.Key(); }
};

std::optional<CalendarDate> RealDay(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(month, year))
        return std::nullopt;
    return CalendarDate{int16_t(year), int16_t(month), int16_t(day)};
}

std::optional<LocalStart> ToLocal(icaltimetype time) {
    if (icaltime_is_null_time(time) || !RealDay(time.year, time.month, time.day)) return std::nullopt;
    if (time.is_date) return LocalStart{*RealDay(time.year, time.month, time.day), std::nullopt};
    if (time.zone != nullptr) {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(time, time.zone));
        const QDate date = local.date();
        const auto day = RealDay(date.year(), date.month(), date.day());
        if (!day) return std::nullopt;
        return LocalStart{*day, std::pair{local.time().hour(), local.time().minute()}};
    }
    if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59) return std::nullopt;
    return LocalStart{*RealDay(time.year, time.month, time.day), std::pair{time.hour, time.minute}};
}

// Why a start was refused: one that names no day (31 February) is no valid
// start; a real day may still leave the book's years once made local.
const char* RefusedStart(icaltimetype start) {
    if (icaltime_is_null_time(start) || !icaltime_is_valid_time(start)) return kNoStart;
    const bool realDay = start.month >= 1 && start.month <= 12 && start.day >= 1 &&
                         start.day <= DaysInMonth(start.month, start.year);
    return realDay ? kBadYear : kNoStart;
}

std::string TimeText(const LocalStart& start) {
    if (!start.clock) return "";
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", start.clock->first % 100, start.clock->second % 100);
    return text;
}

std::string PropertyText(icalcomponent* event, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(event, kind);
    const char* text = !p                              ? nullptr
                       : kind == ICAL_SUMMARY_PROPERTY ? icalproperty_get_summary(p)
                                                       : icalproperty_get_description(p);
    return text ? text : "";
}

bool IsRecurring(icalcomponent* event) {
    return icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
           icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
}

// The record our own X- fields hold (an empty field has none), when the date
// is there, all decode, and they still agree with what the event shows.
std::optional<Appointment> OwnRecord(icalcomponent* event) {
    std::array<std::string, 5> fields;
    std::size_t found = 0;
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const char* name = icalproperty_get_x_name(p);
            const char* value = icalproperty_get_x(p);  // null when empty
            if (!name || std::string_view(name) != kFieldProperties[i]) continue;
            const auto bytes = DecodeField(value ? value : "");
            if (!bytes) return std::nullopt;
            fields[i] = *bytes;
            found |= std::size_t{1} << i;
        }
    }
    if (!(found & 1) || IsRecurring(event) || !ValidDay(fields[0])) return std::nullopt;
    const Appointment record = MakeAppointment(fields[0], fields[1], fields[2], fields[3], fields[4]);
    if (std::array{ReadField(record.time), ReadField(record.phone), ReadField(record.name),
                   ReadField(record.subject)} != std::array{fields[1], fields[2], fields[3], fields[4]})
        return std::nullopt;  // longer than the fields: not ours
    const EventTexts texts = TextsOf(record);
    const auto start = ToLocal(icalcomponent_get_dtstart(event));
    const auto clock = ClockTime(fields[1]);
    const bool same = start && start->day == *ValidDay(fields[0]) && start->clock == clock &&
                      PropertyText(event, ICAL_SUMMARY_PROPERTY) == texts.summary &&
                      PropertyText(event, ICAL_DESCRIPTION_PROPERTY) == texts.description;
    return same ? std::optional(record) : std::nullopt;
}

void CollectEvents(icalcomponent* component, std::vector<icalcomponent*>& events) {
    if (icalcomponent_isa(component) == ICAL_VEVENT_COMPONENT) {
        events.push_back(component);
        return;
    }
    for (icalcomponent* child = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); child;
         child = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
        CollectEvents(child, events);
}

std::string Uid(icalcomponent* event) {
    const char* uid = icalcomponent_get_uid(event);
    return uid ? uid : "";
}

using Overrides = std::set<std::pair<std::string, LocalStart>>;

// The occurrences that events with a RECURRENCE-ID replace.
Overrides CollectOverrides(const std::vector<icalcomponent*>& events) {
    Overrides overrides;
    for (icalcomponent* event : events) {
        if (!icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY)) continue;
        if (const auto start = ToLocal(icalcomponent_get_recurrenceid(event))) overrides.insert({Uid(event), *start});
    }
    return overrides;
}

class Expansion {
public:
    Expansion(icalcomponent* event, icaltimetype start, const DateRange& range, const Overrides& overrides)
        : event_(event), start_(start), range_(range), overrides_(overrides), uid_(Uid(event)) {
        for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
            icaltimetype excluded = icalproperty_get_exdate(p);
            if (excluded.zone == nullptr && !icaltime_is_utc(excluded)) excluded.zone = start.zone;
            if (const auto local = ToLocal(excluded)) excluded_.insert(*local);
        }
    }

    // The occurrences in order; capped is set when there were too many.
    std::set<LocalStart> Run(bool& capped) {
        Add(start_);
        for (icalproperty* p = icalcomponent_get_first_property(event_, ICAL_RRULE_PROPERTY); p && !capped_;
             p = icalcomponent_get_next_property(event_, ICAL_RRULE_PROPERTY))
            FollowRule(icalproperty_get_rrule(p));
        for (icalproperty* p = icalcomponent_get_first_property(event_, ICAL_RDATE_PROPERTY); p && !capped_;
             p = icalcomponent_get_next_property(event_, ICAL_RDATE_PROPERTY)) {
            const icaldatetimeperiodtype date = icalproperty_get_rdate(p);
            icaltimetype time = icaltime_is_null_time(date.time) ? date.period.start : date.time;
            if (time.zone == nullptr && !icaltime_is_utc(time)) time.zone = start_.zone;
            Add(time);
        }
        capped = capped_;
        return kept_;
    }

private:
    bool Full() const { return kept_.size() >= std::size_t(kMaxOccurrences); }

    // False once the occurrence lies past the range's end: rules run forward.
    bool Add(icaltimetype time) {
        const auto local = ToLocal(time);
        if (!local || (range_.to && !DateRange{std::nullopt, range_.to}.Contains(local->day))) return false;
        if (!range_.Contains(local->day) || excluded_.count(*local) || overrides_.count({uid_, *local})) return true;
        if (Full()) {
            capped_ = true;
            return false;
        }
        kept_.insert(*local);
        return true;
    }

    void FollowRule(const icalrecurrencetype& rule) {
        using Iterator = std::unique_ptr<icalrecur_iterator, decltype(&icalrecur_iterator_free)>;
        Iterator it(icalrecur_iterator_new(rule, start_), icalrecur_iterator_free);
        if (!it) return;
        JumpToRange(it.get());
        for (int step = 0; step < kMaxRecurrenceSteps; ++step) {
            icaltimetype next = icalrecur_iterator_next(it.get());
            if (icaltime_is_null_time(next)) return;
            next.zone = start_.zone;
            if (!Add(next)) return;
        }
    }

    // Rules without COUNT can start near the range instead of at DTSTART.
    void JumpToRange(icalrecur_iterator* it) const {
        if (!range_.from) return;
        icaltimetype from = start_;
        from.year = range_.from->year;
        from.month = range_.from->month;
        from.day = range_.from->day;
        icaltime_adjust(&from, -2, 0, 0, 0);
        if (icaltime_compare(from, start_) > 0) icalrecur_iterator_set_start(it, from);
    }

    icalcomponent* event_;
    icaltimetype start_;
    const DateRange& range_;
    const Overrides& overrides_;
    std::string uid_;
    std::set<LocalStart> excluded_;
    std::set<LocalStart> kept_;
    bool capped_ = false;
};

class Mapper {
public:
    Mapper(const ImportOptions& options, MappedEvents& out) : options_(options), out_(out) {}

    void Map(icalcomponent* event, const Overrides& overrides) {
        if (const auto own = OwnRecord(event)) {
            Keep(*own, *ValidDay(ReadField(own->date)));
            return;
        }
        const icaltimetype start = icalcomponent_get_dtstart(event);
        const auto local = ToLocal(start);
        if (!local) {
            ++out_.refused[RefusedStart(start)];
            return;
        }
        const std::string subject = Subject(event);
        if (!IsRecurring(event)) {
            Keep(MakeAppointment(DayKey(local->day), TimeText(*local), "", "", subject), local->day);
            return;
        }
        bool capped = false;
        for (const LocalStart& occurrence : Expansion(event, start, options_.expansion, overrides).Run(capped))
            Keep(MakeAppointment(DayKey(occurrence.day), TimeText(occurrence), "", "", subject), occurrence.day);
        if (capped) ++out_.refused[kTooMany];
    }

private:
    std::string Subject(icalcomponent* event) {
        if (!icalcomponent_get_first_property(event, ICAL_SUMMARY_PROPERTY)) ++out_.withoutSummary;
        return FitField(QString::fromUtf8(PropertyText(event, ICAL_SUMMARY_PROPERTY)), sizeof(Appointment::subject),
                        out_.fixes);
    }

    void Keep(const Appointment& record, const CalendarDate& day) {
        if (!options_.filter.Contains(day)) {
            ++out_.outsideRange;
            return;
        }
        out_.records.push_back(record);
    }

    const ImportOptions& options_;
    MappedEvents& out_;
};

}  // namespace

MappedEvents MapEvents(icalcomponent* root, const ImportOptions& options) {
    MappedEvents mapped;
    std::vector<icalcomponent*> events;
    if (root) CollectEvents(root, events);
    const Overrides overrides = CollectOverrides(events);
    Mapper mapper(options, mapped);
    for (icalcomponent* event : events) mapper.Map(event, overrides);
    return mapped;
}

}  // namespace quimbaro::ical
