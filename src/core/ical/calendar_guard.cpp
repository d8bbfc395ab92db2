#include "ical/calendar_guard.h"

#include <QRegularExpression>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ical/component_walk.h"

namespace quimbaro::ical {
namespace {

// libical lists a zone's changes up to this year at most.
constexpr long kLastExpandedYear = 2040;

int Count(const short* parts, int size) {
    int count = 0;
    while (count < size && parts[count] != ICAL_RECURRENCE_ARRAY_MAX) ++count;
    return count;
}

// Changes a zone rule makes per year: only the shapes real zones use
// (yearly, one month, one weekday, a week's worth of month days); -1 for
// any other.
long ChangesPerYear(const icalrecurrencetype& rule) {
    const int months = Count(rule.by_month, ICAL_BY_MONTH_SIZE);
    const int weekdays = Count(rule.by_day, ICAL_BY_DAY_SIZE);
    const int monthDays = Count(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE);
    const bool otherParts = Count(rule.by_second, 1) + Count(rule.by_minute, 1) + Count(rule.by_hour, 1) +
                            Count(rule.by_year_day, 1) + Count(rule.by_week_no, 1) + Count(rule.by_set_pos, 1) > 0;
    if (rule.freq != ICAL_YEARLY_RECURRENCE || otherParts || months > 1 || weekdays > 1 || monthDays > 7) return -1;
    const bool everyWeek = weekdays == 1 && monthDays == 0 && icalrecurrencetype_day_position(rule.by_day[0]) == 0;
    return std::max(monthDays, everyWeek ? 5 : 1) * (months == 0 ? 12 : 1);
}

// Read from the property itself: the component's start would look up its
// TZID, which may name this very zone.
int StartYear(icalcomponent* part) {
    icalproperty* start = icalcomponent_get_first_property(part, ICAL_DTSTART_PROPERTY);
    return start ? icalproperty_get_dtstart(start).year : 1;
}

// The changes a zone's rules make up to the last expanded year; -1 when a
// rule is no zone rule.
long ZoneChanges(icalcomponent* zone) {
    long changes = 0;
    for (icalcomponent* part = icalcomponent_get_first_component(zone, ICAL_ANY_COMPONENT); part;
         part = icalcomponent_get_next_component(zone, ICAL_ANY_COMPONENT)) {
        const int firstYear = std::clamp(StartYear(part), 1, int(kLastExpandedYear));
        for (icalproperty* p = icalcomponent_get_first_property(part, ICAL_RRULE_PROPERTY); p;
             p = icalcomponent_get_next_property(part, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype rule = icalproperty_get_rrule(p);
            const long perYear = ChangesPerYear(rule);
            if (perYear < 0) return -1;
            const long years = (kLastExpandedYear - firstYear) / std::max(rule.interval, short(1)) + 1;
            changes += rule.count > 0 ? std::min<long>(rule.count, years * perYear) : years * perYear;
        }
    }
    return changes;
}

std::string Tzid(icalcomponent* zone) {
    icalproperty* p = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
    const char* tzid = p ? icalproperty_get_tzid(p) : nullptr;
    return tzid ? tzid : "";
}

std::string StartTzid(icalcomponent* event) {
    icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    icalparameter* tzid = start ? icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER) : nullptr;
    const char* name = tzid ? icalparameter_get_tzid(tzid) : nullptr;
    return name ? name : "";
}

void Remove(icalcomponent* component) {
    if (icalcomponent* parent = icalcomponent_get_parent(component)) icalcomponent_remove_component(parent, component);
    icalcomponent_free(component);
}

// Takes out the zones libical could not expand within bounds; their TZIDs.
// libical looks a TZID up in every component above the time, so zones are
// looked for at any depth, even inside other zones.
std::set<std::string> DropWildZones(icalcomponent* root, std::set<std::string>& kept) {
    std::vector<icalcomponent*> zones, wild;
    for (icalcomponent* component : AllComponents(root))
        if (icalcomponent_isa(component) == ICAL_VTIMEZONE_COMPONENT && component != root) zones.push_back(component);
    std::set<std::string> dropped;
    long budget = kMaxZoneChanges;
    for (icalcomponent* zone : zones) {
        const long changes = ZoneChanges(zone);
        if (changes >= 0 && changes <= budget) {
            budget -= changes;
            kept.insert(Tzid(zone));
        } else {
            dropped.insert(Tzid(zone));
            wild.push_back(zone);
        }
    }
    // Inner zones first: taking out an outer one frees what is inside it.
    std::for_each(wild.rbegin(), wild.rend(), Remove);
    for (const std::string& tzid : kept) dropped.erase(tzid);  // a second definition stays
    return dropped;
}

bool PlainZoneName(const std::string& name) {
    static const QRegularExpression kPlain(QStringLiteral("^[A-Za-z0-9_+-]+(/[A-Za-z0-9_+-]+)*$"));
    return name.size() <= 64 && kPlain.match(QString::fromStdString(name)).hasMatch();
}

// Empties every TZID that would send libical to a path of the file's choosing.
void EmptyPathLikeZones(icalcomponent* root, const std::set<std::string>& defined) {
    for (icalcomponent* component : AllComponents(root)) {
        for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_ANY_PROPERTY); p;
             p = icalcomponent_get_next_property(component, ICAL_ANY_PROPERTY)) {
            for (icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER); tzid;
                 tzid = icalproperty_get_next_parameter(p, ICAL_TZID_PARAMETER)) {
                const char* name = icalparameter_get_tzid(tzid);
                if (name && !defined.count(name) && !PlainZoneName(name)) icalparameter_set_tzid(tzid, "");
            }
        }
    }
}

}  // namespace

GuardedCalendar GuardCalendar(icalcomponent* root) {
    GuardedCalendar guarded;
    std::set<std::string> kept;
    const std::set<std::string> dropped = DropWildZones(root, kept);
    if (!dropped.empty()) {
        for (icalcomponent* event : ComponentsOf(root, ICAL_VEVENT_COMPONENT)) {
            if (!dropped.count(StartTzid(event))) continue;
            ++guarded.eventsInDroppedZones;
            if (event != root) Remove(event);
        }
    }
    EmptyPathLikeZones(root, kept);
    return guarded;
}

}  // namespace quimbaro::ical
