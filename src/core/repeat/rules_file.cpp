#include "repeat/rules_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QUuid>
#include <chrono>
#include <cstdio>
#include <memory>

#include "files/atomic_write.h"
#include "files/folder_entries.h"
#include "files/folder_lock.h"
#include "ical/component_walk.h"
#include "ical/event_export.h"
#include "ical/field_text.h"
#include "ical/parse_calendar.h"
#include "repeat/occurrences.h"
#include "repeat/rules_scan.h"

namespace quimbaro {

namespace {

namespace fs = std::filesystem;
constexpr auto kLockWait = std::chrono::seconds(10);
// The rules' own temporary files, so that clearing a killed change's leftover
// never touches another writer's (the settings are written without the lock).
constexpr std::string_view kRulesTempPrefix = ".repeticiones-tmp-";

std::optional<CalendarDate> DayOf(const icaltimetype& time) {
    if (icaltime_is_null_time(time)) return std::nullopt;
    return ical::ValidDay(DayKey({int16_t(time.year), int16_t(time.month), int16_t(time.day)}));
}

// The X-QUIMBARO-* fields; nothing when the date is missing or one does not decode.
std::optional<Appointment> Fields(icalcomponent* event) {
    std::array<std::string, 5> fields;
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const char* name = icalproperty_get_x_name(p);
        const char* value = icalproperty_get_x(p);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (!name || std::string_view(name) != ical::kFieldProperties[i]) continue;
            const auto bytes = ical::DecodeField(value ? value : "");
            if (!bytes) return std::nullopt;
            fields[i] = *bytes;
        }
    }
    if (!ical::ValidDay(fields[0])) return std::nullopt;
    return MakeAppointment(fields[0], fields[1], fields[2], fields[3], fields[4]);
}

// The rule with its end as a plain date.
std::optional<std::string> RuleOf(icalcomponent* event) {
    icalproperty* property = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (!property || icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) return std::nullopt;
    icalrecurrencetype rule = icalproperty_get_rrule(property);
    if (!icaltime_is_null_time(rule.until)) {
        const auto until = DayOf(rule.until);
        if (!until) return std::nullopt;
        rule.until = IcalDate(*until);
    }
    const char* text = icalrecurrencetype_as_string(&rule);
    if (!text || !RuleProblem(text).empty()) return std::nullopt;
    return std::string(text);
}

std::optional<Series> SeriesOf(icalcomponent* event) {
    const char* uid = icalcomponent_get_uid(event);
    const auto first = Fields(event);
    const auto rule = RuleOf(event);
    if (!uid || !UsableUid(uid) || !first || !rule) return std::nullopt;
    Series series{uid, *first, *rule, {}};
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
        const auto day = DayOf(icalproperty_get_exdate(p));
        if (!day) return std::nullopt;
        series.excluded.push_back(*day);
    }
    std::sort(series.excluded.begin(), series.excluded.end());
    series.excluded.erase(std::unique(series.excluded.begin(), series.excluded.end()), series.excluded.end());
    return series;
}

// A time of day when the appointment has one, as its DTSTART does.
icaltimetype AsStart(const icaltimetype& day, const Series& series, int hour, int minute, int second) {
    icaltimetype time = day;
    if (!ical::ClockTime(ReadField(series.first.time))) return time;
    time.is_date = 0;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    return time;
}

// From text: libical's own setter writes a null time for years after 3000,
// which the book's days reach and its reader takes back as they were.
icalproperty* ExcludedProperty(const icaltimetype& time) {
    char text[32];
    if (time.is_date) std::snprintf(text, sizeof text, "%04d%02d%02d", time.year, time.month, time.day);
    else std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", time.year, time.month, time.day, time.hour,
                       time.minute, time.second);
    icalproperty* property = icalproperty_new(ICAL_EXDATE_PROPERTY);
    icalproperty_set_value_from_string(property, text, time.is_date ? "DATE" : "DATE-TIME");
    return property;
}

}  // namespace

icalcomponent* SeriesEvent(const Series& series) {
    icalcomponent* event = ical::AppointmentEvent(series.first, series.uid);
    icalrecurrencetype rule = icalrecurrencetype_from_string(series.rule.c_str());
    const auto clock = ical::ClockTime(ReadField(series.first.time)).value_or(std::pair{0, 0});
    if (!icaltime_is_null_time(rule.until)) rule.until = AsStart(rule.until, series, 23, 59, 59);
    icalcomponent_add_property(event, icalproperty_new_rrule(rule));
    for (const CalendarDate& day : series.excluded)
        icalcomponent_add_property(event, ExcludedProperty(AsStart(IcalDate(day), series, clock.first, clock.second, 0)));
    return event;
}

namespace {

std::string ReadProblem(const std::string& reason) {
    return std::string("No se pudieron leer las citas que se repiten de ") + kRulesFileName + ": " + reason;
}

RulesRead ReadWithin(int folderFd, const std::string& shown) {
    std::string bytes;
    const files::FileResult read = files::ReadPlainFile(folderFd, kRulesFileName, kMaxRulesFileBytes, shown, bytes);
    if (read.error == files::FileError::OpenFailed && read.systemError == ENOENT) return {};
    if (!read.Done()) return {{}, ReadProblem(read.Reason())};
    RulesRead rules = ParseRules(bytes);
    if (!rules.Whole()) rules.problem = ReadProblem(rules.problem);
    return rules;
}

}  // namespace

namespace {

// The events found under root, each read or counted as damaged.
void AddEvents(icalcomponent* root, RulesRead& rules, int& damaged) {
    for (icalcomponent* event : ical::ComponentsOf(root, ICAL_VEVENT_COMPONENT)) {
        std::optional<Series> series;
        if (rules.series.size() < kMaxSeries) series = SeriesOf(event);
        if (series) rules.series.push_back(std::move(*series));
        else ++damaged;
    }
}

// An event the scan left to libical, read on its own.
void AddLeftEvent(std::string_view text, RulesRead& rules, int& damaged) {
    std::string calendar = "BEGIN:VCALENDAR\r\n";
    calendar.append(text).append("END:VCALENDAR\r\n");
    const ical::Component root = ical::ParseCalendar(calendar);
    if (root) AddEvents(root.get(), rules, damaged);
    else ++damaged;
}

void SayDamaged(int damaged, RulesRead& rules) {
    if (damaged > 0)
        rules.problem = std::to_string(damaged) + (damaged == 1 ? " evento no se entiende" : " eventos no se entienden") +
                        " (sin UID, fecha, regla de repetición válida o con demasiados)";
}

}  // namespace

RulesRead ParseRulesWithLibical(std::string_view text) {
    RulesRead rules;
    const ical::Component root = ical::ParseCalendar(text);
    if (!root || icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT) return {{}, "no es un archivo iCalendar"};
    int damaged = 0;
    AddEvents(root.get(), rules, damaged);
    SayDamaged(damaged, rules);
    return rules;
}

RulesRead ParseRules(std::string_view text) {
    auto events = ScanRules(text);
    if (!events) return ParseRulesWithLibical(text);
    RulesRead rules;
    int damaged = 0;
    for (ScannedEvent& event : *events) {
        if (rules.series.size() >= kMaxSeries) ++damaged;
        else if (event.series) rules.series.push_back(std::move(*event.series));
        else AddLeftEvent(event.text, rules, damaged);
    }
    SayDamaged(damaged, rules);
    return rules;
}

std::string RulesText(const std::vector<Series>& series) {
    using Calendar = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;
    Calendar calendar(icalcomponent_vanew(ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
                                          icalproperty_new_prodid(ical::kProductId), static_cast<void*>(nullptr)),
                      icalcomponent_free);
    for (const Series& one : series) icalcomponent_add_component(calendar.get(), SeriesEvent(one));
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    std::string result = text ? text : "";
    icalmemory_free_buffer(text);
    return result;
}

RulesRead ReadRules(const fs::path& folder) {
    files::UniqueFd fd;
    const files::FileResult opened = files::OpenFolder(folder, false, fd);
    if (opened.error == files::FileError::FolderFailed && opened.systemError == ENOENT) return {};
    if (!opened.Done()) return {{}, ReadProblem(opened.Reason())};
    return ReadWithin(fd.get(), (folder / kRulesFileName).string());
}

std::string ChangeRules(const fs::path& folder, const RulesEdit& edit) {
    files::UniqueFd fd;
    files::FolderLock lock;
    files::FileResult ready = files::OpenFolder(folder, true, fd);
    if (ready.Done()) ready = lock.Take(fd.get(), folder.string(), kLockWait);
    if (!ready.Done()) return ready.Reason();
    RulesRead rules = ReadRulesIn(fd.get(), folder);
    if (!rules.Whole()) return rules.problem;
    if (std::string refused = edit(rules.series); !refused.empty()) return refused;
    return WriteRulesIn(fd.get(), folder, rules.series);
}

RulesRead ReadRulesIn(int folderFd, const fs::path& folder) {
    return ReadWithin(folderFd, (folder / kRulesFileName).string());
}

std::string WriteRulesIn(int folderFd, const fs::path& folder, const std::vector<Series>& series) {
    const std::string shown = (folder / kRulesFileName).string();
    const std::string text = RulesText(series);
    files::RemoveTemps(folderFd, kRulesTempPrefix);  // a killed change's; none is being written under the lock
    std::string temp;
    files::FileResult written = files::WriteTemp(
        folderFd, [&text](QIODevice& out) { return out.write(text.data(), qint64(text.size())) == qint64(text.size()); },
        0600, shown, temp, kRulesTempPrefix);
    if (written.Done()) written = files::ReplaceWith(folderFd, temp, kRulesFileName, shown);
    if (written.Done()) written = files::SyncFolder(folderFd, shown);
    return written.Done() ? "" : written.Reason();
}

const RulesRead& RulesCache::Read(const fs::path& folder) {
    struct stat status {};
    std::array<int64_t, 5> now{};
    if (::fstatat(AT_FDCWD, (folder / kRulesFileName).c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
        now = {int64_t(status.st_dev), int64_t(status.st_ino), int64_t(status.st_size), int64_t(status.st_ctim.tv_sec),
               int64_t(status.st_ctim.tv_nsec)};
    if (!read_ || now != seen_) {
        rules_ = ReadRules(folder);
        ++generation_;
    }
    seen_ = now;
    read_ = true;
    return rules_;
}

std::string NewSeriesUid() {
    return "quimbaro-serie-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
}

}  // namespace quimbaro
