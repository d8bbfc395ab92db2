#include "repeat/series.h"

#include <QCryptographicHash>
#include <algorithm>

#include <libical/ical.h>

#include "ical/event_export.h"
#include "repeat/occurrences.h"
#include "repeat/plain_rule.h"
#include "repeat/rules_file.h"

namespace quimbaro {

namespace {

struct FrequencyWords {
    icalrecurrencetype_frequency kind;
    const char* single;   // "semanal"
    const char* plural;   // "semanas", after "cada N"
};

constexpr FrequencyWords kWords[] = {
    {ICAL_DAILY_RECURRENCE, "diaria", "días"},
    {ICAL_WEEKLY_RECURRENCE, "semanal", "semanas"},
    {ICAL_MONTHLY_RECURRENCE, "mensual", "meses"},
    {ICAL_YEARLY_RECURRENCE, "anual", "años"},
};

}  // namespace

std::string RuleText(const Repetition& repetition) {
    icalrecurrencetype rule = RecurrenceOf(repetition);
    const char* text = icalrecurrencetype_as_string(&rule);
    return text ? text : "";
}

std::string SeriesName(const std::string& ruleText) {
    const icalrecurrencetype rule = ParseRule(ruleText);
    for (const FrequencyWords& words : kWords) {
        if (words.kind != rule.freq) continue;
        if (rule.interval <= 1) return words.single;
        return "cada " + std::to_string(rule.interval) + " " + words.plural;
    }
    return "repetida";
}

std::optional<CalendarDate> FirstDay(const Series& series) { return ical::ValidDay(ReadField(series.first.date)); }

bool UsableUid(std::string_view uid) {
    const auto control = [](unsigned char byte) { return byte < 0x20 || byte == 0x7F; };
    const bool spaceAtEnd = !uid.empty() && (uid.front() == ' ' || uid.back() == ' ');  // libical drops it on reading
    return !uid.empty() && !spaceAtEnd && uid.size() <= kMaxUidBytes && std::none_of(uid.begin(), uid.end(), control);
}

std::string KeptUid(const std::string& uid) {
    if (UsableUid(uid)) return uid;
    if (uid.empty()) return NewSeriesUid();
    const QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(uid), QCryptographicHash::Sha1);
    return "quimbaro-serie-" + digest.toHex().toStdString();
}

}  // namespace quimbaro
