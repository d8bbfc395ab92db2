#include "ical/event_import.h"

#include <QDateTime>
#include <array>
#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <tuple>

#include "calendar/dates.h"
#include "ical/calendar_guard.h"
#include "ical/component_walk.h"
#include "ical/event_export.h"
#include "ical/rule_work.h"
#include "repeat/occurrences.h"
#include "repeat/rules_file.h"

namespace quimbaro::ical {
namespace {

constexpr const char* kNoStart = "no tiene fecha de inicio (DTSTART) válida";
constexpr const char* kBadYear = "su fecha cae fuera de los años 1 a 9999";
constexpr const char* kTooMany = "su repetición da más de 1000 citas en el periodo: se guardaron las primeras";
constexpr const char* kTooCostly =
    "su repetición costaría demasiado seguirla (una regla de menos de un día que casi nunca se cumple, "
    "o demasiadas en el archivo)";
constexpr const char* kBadRule = "su regla de repetición (RRULE) no se entiende";
constexpr const char* kWildZone = "su zona horaria (VTIMEZONE) cambia más de una vez al año o demasiadas veces";

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

// Whether a field of that width keeps the text as it is: no zero byte ends
// it early and it leaves room for the terminator.
bool StoredWhole(const std::string& text, std::size_t width) {
    return text.size() < width && text.find('\0') == std::string::npos;
}

// The record our own X- fields hold (an empty field has none), when the date
// is there, all decode, and they still agree with what the event shows.
std::optional<Appointment> OwnRecord(icalcomponent* event, bool series = false) {
    std::array<std::string, 5> fields;
    std::size_t found = 0;
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const char* name = icalproperty_get_x_name(p);
        for (std::size_t i = 0; i < fields.size() && name; ++i) {
            if (std::string_view(name) != kFieldProperties[i]) continue;
            const char* value = icalproperty_get_x(p);  // null when empty
            const auto bytes = DecodeField(value ? value : "");
            if (!bytes) return std::nullopt;
            fields[i] = *bytes;
            found |= std::size_t{1} << i;
        }
    }
    if (!(found & 1) || IsRecurring(event) != series || !ValidDay(fields[0])) return std::nullopt;
    if (!StoredWhole(fields[1], sizeof(Appointment::time)) || !StoredWhole(fields[2], sizeof(Appointment::phone)) ||
        !StoredWhole(fields[3], sizeof(Appointment::name)) || !StoredWhole(fields[4], sizeof(Appointment::subject)))
        return std::nullopt;  // longer than the fields: not ours
    const Appointment record = MakeAppointment(fields[0], fields[1], fields[2], fields[3], fields[4]);
    const EventTexts texts = TextsOf(fields);  // the record's own, since every field was stored whole
    const auto start = ToLocal(icalcomponent_get_dtstart(event));
    const auto clock = ClockTime(fields[1]);
    const bool same = start && start->day == *ValidDay(fields[0]) && start->clock == clock &&
                      PropertyText(event, ICAL_SUMMARY_PROPERTY) == texts.summary &&
                      PropertyText(event, ICAL_DESCRIPTION_PROPERTY) == texts.description;
    return same ? std::optional(record) : std::nullopt;
}

bool HasStartZone(icalcomponent* event) {
    icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    return start && icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER);
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

enum class Expanded { All, Capped, TooCostly };

class Expansion {
public:
    // work: what the file's rules may still cost; taken from as they go.
    Expansion(icalcomponent* event, icaltimetype start, const DateRange& range, const Overrides& overrides,
              int64_t& work)
        : event_(event), start_(start), range_(range), overrides_(overrides), work_(work), uid_(Uid(event)) {
        for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
            icaltimetype excluded = icalproperty_get_exdate(p);
            if (excluded.zone == nullptr && !icaltime_is_utc(excluded)) excluded.zone = start.zone;
            if (const auto local = ToLocal(excluded)) excluded_.insert(*local);
        }
    }

    // The occurrences in order, and whether they are all of them.
    std::set<LocalStart> Run(Expanded& how) {
        Add(start_);
        for (icalproperty* p = icalcomponent_get_first_property(event_, ICAL_RRULE_PROPERTY); p && Going();
             p = icalcomponent_get_next_property(event_, ICAL_RRULE_PROPERTY))
            FollowRule(icalproperty_get_rrule(p));
        for (icalproperty* p = icalcomponent_get_first_property(event_, ICAL_RDATE_PROPERTY); p && Going();
             p = icalcomponent_get_next_property(event_, ICAL_RDATE_PROPERTY)) {
            const icaldatetimeperiodtype date = icalproperty_get_rdate(p);
            icaltimetype time = icaltime_is_null_time(date.time) ? date.period.start : date.time;
            if (time.zone == nullptr && !icaltime_is_utc(time)) time.zone = start_.zone;
            Add(time);
        }
        how = how_;
        return how_ == Expanded::TooCostly ? std::set<LocalStart>{} : kept_;
    }

private:
    bool Going() const { return how_ == Expanded::All; }

    bool Take(int64_t steps) {
        if (steps > work_) how_ = Expanded::TooCostly;
        else work_ -= steps;
        return Going();
    }

    bool Full() const { return kept_.size() >= std::size_t(kMaxOccurrences); }

    // False once the occurrence lies past the range's end: rules run forward.
    bool Add(icaltimetype time) {
        const auto local = ToLocal(time);
        if (!local || (range_.to && !DateRange{std::nullopt, range_.to}.Contains(local->day))) return false;
        if (!range_.Contains(local->day) || excluded_.count(*local) || overrides_.count({uid_, *local})) return true;
        if (Full()) {
            how_ = Expanded::Capped;
            return false;
        }
        kept_.insert(*local);
        return true;
    }

    void FollowRule(const icalrecurrencetype& given) {
        using Iterator = std::unique_ptr<icalrecur_iterator, decltype(&icalrecur_iterator_free)>;
        const CalendarDate last = range_.to.value_or(CalendarDate{9999, 12, 31});
        const icalrecurrencetype rule = BoundedRule(given, last, start_.is_date);
        const icaltimetype from = StartNear(rule, start_, RangeStart());
        const int64_t walk = RuleWork(rule, from);
        if (walk > kMaxRuleWork) how_ = Expanded::TooCostly;
        if (!Take(walk)) return;
        Iterator it(icalrecur_iterator_new(rule, from), icalrecur_iterator_free);
        if (!it) return;
        for (int step = 0; step < kMaxRecurrenceSteps && Take(1); ++step) {
            icaltimetype next = icalrecur_iterator_next(it.get());
            if (icaltime_is_null_time(next)) return;
            next.zone = start_.zone;
            if (!Add(next)) return;
        }
    }

    // Two days before the range, at the start's time of day: far enough for
    // any zone's offset.
    icaltimetype RangeStart() const {
        if (!range_.from) return start_;
        icaltimetype from = start_;
        from.year = range_.from->year;
        from.month = range_.from->month;
        from.day = range_.from->day;
        icaltime_adjust(&from, -2, 0, 0, 0);
        return from;
    }

    icalcomponent* event_;
    icaltimetype start_;
    const DateRange& range_;
    const Overrides& overrides_;
    int64_t& work_;
    std::string uid_;
    std::set<LocalStart> excluded_;
    std::set<LocalStart> kept_;
    Expanded how_ = Expanded::All;
};

// libical drops an RRULE it cannot read (an unknown FREQ) and leaves an error
// in its place: the event would otherwise pass for a single one.
bool HasUnreadRule(icalcomponent* event) {
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_XLICERROR_PROPERTY)) {
        const char* text = icalproperty_get_xlicerror(p);
        if (text && std::string_view(text).find("RRULE") != std::string_view::npos) return true;
    }
    return false;
}

// One RRULE libical reads, no RDATE.
std::optional<icalrecurrencetype> SingleRule(icalcomponent* event) {
    icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (!rule || icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY) ||
        icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY))
        return std::nullopt;
    return icalproperty_get_rrule(rule);
}

// The last local day an UNTIL lets an occurrence start on.
std::optional<CalendarDate> UntilDay(icaltimetype until, const icaltimetype& start, const LocalStart& first) {
    if (until.zone == nullptr && !icaltime_is_utc(until)) until.zone = start.zone;
    const auto local = ToLocal(until);
    if (!local) return std::nullopt;
    if (local->clock && first.clock && *local->clock < *first.clock) return DaysAfter(local->day, -1);
    return local->day;
}

// The event as a series when its rule can be kept as one: the rule with its
// end as a local day, removed and replaced occurrences as removed days.
std::optional<Series> KeptSeries(icalcomponent* event, const Appointment& first, const LocalStart& start,
                                 const Overrides& overrides) {
    auto rule = SingleRule(event);
    if (!rule || !IsPlainRule(*rule)) return std::nullopt;
    if (!icaltime_is_null_time(rule->until)) {
        const auto last = UntilDay(rule->until, icalcomponent_get_dtstart(event), start);
        if (!last || *last < start.day) return std::nullopt;
        rule->until = IcalDate(*last);
    }
    const char* text = icalrecurrencetype_as_string(&*rule);
    if (!text || !RuleProblem(text).empty()) return std::nullopt;
    const std::string uid = Uid(event);
    Series series{KeptUid(uid), first, text, {}};
    // Asked before the walk: libical's getters restart the event's property iterator.
    const icaltimezone* zone = icalcomponent_get_dtstart(event).zone;
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
        icaltimetype excluded = icalproperty_get_exdate(p);
        if (excluded.zone == nullptr && !icaltime_is_utc(excluded)) excluded.zone = zone;
        if (const auto local = ToLocal(excluded)) series.excluded.push_back(local->day);
    }
    for (const auto& [owner, replaced] : overrides)
        if (owner == uid) series.excluded.push_back(replaced.day);
    std::sort(series.excluded.begin(), series.excluded.end());
    series.excluded.erase(std::unique(series.excluded.begin(), series.excluded.end()), series.excluded.end());
    return series;
}

class Mapper {
public:
    Mapper(const ImportOptions& options, MappedEvents& out) : options_(options), out_(out) {}

    void Map(icalcomponent* event, const Overrides& overrides) {
        if (const auto own = OwnRecord(event)) {
            Keep(*own, *ValidDay(ReadField(own->date)));
            return;
        }
        const icaltimetype start = icalcomponent_get_dtstart(event);
        if (start.zone == nullptr && HasStartZone(event)) ++out_.unknownZones;
        const auto local = ToLocal(start);
        if (!local) {
            ++out_.refused[RefusedStart(start)];
            return;
        }
        const std::string subject = Subject(event);
        if (const auto rule = SingleRule(event); HasUnreadRule(event) || (rule && rule->freq == ICAL_NO_RECURRENCE)) {
            ++out_.refused[kBadRule];
            return;
        }
        const Appointment first = MakeAppointment(DayKey(local->day), TimeText(*local), "", "", subject);
        if (auto series = options_.keepSeries ? KeptSeries(event, first, *local, overrides) : std::nullopt) {
            if (const auto own = OwnRecord(event, true)) series->first = *own;
            return KeepSeries(std::move(*series));
        }
        if (!IsRecurring(event)) {
            Keep(MakeAppointment(DayKey(local->day), TimeText(*local), "", "", subject), local->day);
            return;
        }
        Expanded how = Expanded::All;
        for (const LocalStart& occurrence : Expansion(event, start, options_.expansion, overrides, work_).Run(how))
            Keep(MakeAppointment(DayKey(occurrence.day), TimeText(occurrence), "", "", subject), occurrence.day);
        if (how != Expanded::All) ++out_.refused[how == Expanded::Capped ? kTooMany : kTooCostly];
    }

private:
    std::string Subject(icalcomponent* event) {
        if (!icalcomponent_get_first_property(event, ICAL_SUMMARY_PROPERTY)) ++out_.withoutSummary;
        return FitField(QString::fromUtf8(PropertyText(event, ICAL_SUMMARY_PROPERTY)), sizeof(Appointment::subject),
                        out_.fixes);
    }

    // A series with a day in the filter's range.
    void KeepSeries(Series series) {
        const CalendarDate from = std::max(options_.filter.from.value_or(*FirstDay(series)), *FirstDay(series));
        const CalendarDate to = options_.filter.to.value_or(CalendarDate{int16_t(std::min(from.year + 10, 9999)), 12, 31});
        const bool open = !options_.filter.from && !options_.filter.to;
        if (!open && OccurrencesIn(series, from, to).days.empty()) {
            ++out_.outsideRange;
            return;
        }
        out_.series.push_back(std::move(series));
    }

    void Keep(const Appointment& record, const CalendarDate& day) {
        if (!options_.filter.Contains(day)) {
            ++out_.outsideRange;
            return;
        }
        if (out_.records.size() >= kMaxImportRecords) {
            out_.overLimit = true;
            return;
        }
        out_.records.push_back(record);
    }

    const ImportOptions& options_;
    MappedEvents& out_;
    int64_t work_ = kMaxFileWork;
};

}  // namespace

MappedEvents MapEvents(icalcomponent* root, const ImportOptions& options) {
    MappedEvents mapped;
    if (!root) return mapped;
    if (const int dropped = GuardCalendar(root).eventsInDroppedZones; dropped > 0) mapped.refused[kWildZone] = dropped;
    const std::vector<icalcomponent*> events = ComponentsOf(root, ICAL_VEVENT_COMPONENT);
    const Overrides overrides = CollectOverrides(events);
    Mapper mapper(options, mapped);
    for (icalcomponent* event : events) {
        if (mapped.overLimit) break;
        mapper.Map(event, overrides);
    }
    return mapped;
}

}  // namespace quimbaro::ical
