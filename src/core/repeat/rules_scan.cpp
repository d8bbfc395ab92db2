#include "repeat/rules_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "ical/event_export.h"
#include "ical/field_text.h"
#include "repeat/plain_rule.h"

namespace quimbaro {

namespace {

using Lines = std::span<const std::string_view>;

// Well below the length at which ParseCalendar folds a line for libical.
constexpr std::size_t kMaxLineBytes = 1000;

enum class Property { Ignored, Uid, Rule, Excluded, Field };

struct KnownProperty {
    std::string_view name;
    Property kind;
    std::size_t field = 0;  // for Field: which of ical::kFieldProperties
};

constexpr KnownProperty kKnown[] = {
    {"DTSTAMP", Property::Ignored},         {"DTSTART", Property::Ignored},
    {"SUMMARY", Property::Ignored},         {"DESCRIPTION", Property::Ignored},
    {"UID", Property::Uid},                 {"RRULE", Property::Rule},
    {"EXDATE", Property::Excluded},         {"X-QUIMBARO-DATE", Property::Field, 0},
    {"X-QUIMBARO-TIME", Property::Field, 1}, {"X-QUIMBARO-PHONE", Property::Field, 2},
    {"X-QUIMBARO-NAME", Property::Field, 3}, {"X-QUIMBARO-SUBJECT", Property::Field, 4},
};

// The lines without their ends; nothing unless every line ends in CRLF, the
// last one too, and holds no other control byte and no more than
// kMaxLineBytes.
bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// Eight bytes at a time: a byte below 0x20 or equal to 0x7F sets its top bit
// in the mask (exact for every byte value).
bool HasControlByte(std::string_view line) {
    constexpr uint64_t kOnes = 0x0101010101010101, kTops = 0x8080808080808080;
    std::size_t i = 0;
    for (; i + 8 <= line.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, line.data() + i, sizeof word);
        const uint64_t del = word ^ (kOnes * 0x7F);
        if ((((word - kOnes * 0x20) & ~word) | ((del - kOnes) & ~del)) & kTops) return true;
    }
    return std::any_of(line.begin() + i, line.end(), IsControl);
}

std::optional<std::vector<std::string_view>> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    lines.reserve(text.size() / 24);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\r', start);
        if (end == std::string_view::npos || end + 1 == text.size() || text[end + 1] != '\n') return std::nullopt;
        const std::string_view line = text.substr(start, end - start);
        if (line.size() > kMaxLineBytes || HasControlByte(line)) return std::nullopt;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

const KnownProperty* Known(std::string_view line) {
    std::size_t end = 0;
    while (end < line.size() && line[end] != ':' && line[end] != ';') ++end;
    if (end == line.size()) return nullptr;
    const auto found = std::find_if(std::begin(kKnown), std::end(kKnown), [&](const KnownProperty& p) {
        return p.name.size() == end && p.name[0] == line[0] && p.name == line.substr(0, end);
    });
    return found == std::end(kKnown) ? nullptr : found;
}

// Text is the value as libical gives it back, for the escapes the export
// writes (a comma, a semicolon, a backslash); false for any other escape or
// a space at either end, which libical drops.
bool Unescape(std::string_view value, std::string& text) {
    const auto edge = [](char c) { return c == ' ' || c == '\t'; };
    if (!value.empty() && (edge(value.front()) || edge(value.back()))) return false;
    text.clear();
    if (value.find('\\') == std::string_view::npos) {
        text.assign(value);
        return true;
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            text += value[i];
            continue;
        }
        if (++i == value.size() || (value[i] != ',' && value[i] != ';' && value[i] != '\\')) return false;
        text += value[i];
    }
    return true;
}

bool Digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "YYYYMMDD" after VALUE=DATE, else "YYYYMMDDTHHMMSS", as the export writes them.
std::optional<CalendarDate> ExcludedDay(std::string_view line) {
    std::string_view value;
    if (line.starts_with("EXDATE;VALUE=DATE:")) {
        value = line.substr(18);
        if (value.size() != 8) return std::nullopt;
    } else if (line.starts_with("EXDATE:")) {
        value = line.substr(7);
        if (value.size() != 15 || value[8] != 'T' || !Digits(value.substr(9))) return std::nullopt;
        const auto number = [&](std::size_t at) { return (value[at] - '0') * 10 + (value[at + 1] - '0'); };
        if (number(9) > 23 || number(11) > 59 || number(13) > 59) return std::nullopt;
    } else {
        return std::nullopt;
    }
    return CompactDay(value.substr(0, 8));
}

struct EventParts {
    std::optional<std::string> uid, rule;
    std::array<std::optional<std::string>, 5> fields;
    std::vector<CalendarDate> excluded;
    std::string value;  // the last value unescaped, its memory reused
};

// One unfolded line into parts; false when libical is to judge the event.
bool TakeLine(std::string_view line, const KnownProperty& known, EventParts& parts) {
    if (known.kind == Property::Ignored) return true;
    if (known.kind == Property::Excluded) {
        const auto day = ExcludedDay(line);
        if (day) parts.excluded.push_back(*day);
        return day.has_value();
    }
    if (line[known.name.size()] != ':') return false;
    const std::string_view raw = line.substr(known.name.size() + 1);
    if (known.kind == Property::Rule) {
        const auto rule = ReadPlainRule(raw, RuleEnd::DayOrLastSecond);
        if (parts.rule || !rule) return false;
        parts.rule = std::string(raw);  // in libical's own order already; an end is written as its day
        if (const std::size_t second = parts.rule->find("T235959"); second != std::string::npos) parts.rule->erase(second, 7);
        return true;
    }
    if (!Unescape(raw, parts.value)) return false;
    if (known.kind == Property::Uid) {
        if (parts.uid || !UsableUid(parts.value)) return false;
        parts.uid = parts.value;
        return true;
    }
    auto bytes = ical::DecodeField(parts.value);
    if (parts.fields[known.field] || !bytes) return false;
    parts.fields[known.field] = std::move(bytes);
    return true;
}

// False when a line is none of the known properties: the file is not one
// of ours. Else the series, or nothing when libical is to judge the event.
bool SeriesOf(Lines body, std::optional<Series>& series) {
    EventParts parts;
    bool taken = true;
    std::string unfolded;
    for (std::size_t i = 0; i < body.size(); ++i) {
        std::string_view line = body[i];
        const KnownProperty* known = Known(line);
        if (!known) return false;
        if (i + 1 < body.size() && body[i + 1].starts_with(' ')) {
            unfolded.assign(line);
            for (; i + 1 < body.size() && body[i + 1].starts_with(' '); ++i) unfolded += body[i + 1].substr(1);
            line = unfolded;
        }
        taken = taken && TakeLine(line, *known, parts);
    }
    const auto field = [&](std::size_t i) {
        return parts.fields[i] ? std::string_view(*parts.fields[i]) : std::string_view();
    };
    if (!taken || !parts.uid || !parts.rule || !ical::ValidDay(field(0))) return true;
    std::sort(parts.excluded.begin(), parts.excluded.end());
    parts.excluded.erase(std::unique(parts.excluded.begin(), parts.excluded.end()), parts.excluded.end());
    series = Series{std::move(*parts.uid), MakeAppointment(field(0), field(1), field(2), field(3), field(4)),
                    std::move(*parts.rule), std::move(parts.excluded)};
    return true;
}

// Lines from first to last, with the line end after last.
std::string_view Span(std::string_view first, std::string_view last) {
    return {first.data(), std::size_t(last.data() + last.size() + 2 - first.data())};
}

}  // namespace

std::optional<std::vector<ScannedEvent>> ScanRules(std::string_view text) {
    const auto lines = SplitLines(text);
    if (!lines || lines->size() < 2 || lines->front() != "BEGIN:VCALENDAR" || lines->back() != "END:VCALENDAR")
        return std::nullopt;
    const Lines all(*lines);
    std::vector<ScannedEvent> events;
    for (std::size_t i = 1; i + 1 < all.size(); ++i) {
        if (all[i].starts_with("VERSION:") || all[i].starts_with("PRODID:")) continue;
        if (all[i] != "BEGIN:VEVENT") return std::nullopt;
        std::size_t end = i + 1;
        while (end + 1 < all.size() && all[end] != "END:VEVENT") ++end;
        const Lines body = all.subspan(i + 1, end - i - 1);
        if (end + 1 >= all.size()) return std::nullopt;
        ScannedEvent& event = events.emplace_back(ScannedEvent{{}, Span(all[i], all[end])});
        if (!SeriesOf(body, event.series)) return std::nullopt;
        i = end;
    }
    return events;
}

}  // namespace quimbaro
