#include "ical/event_export.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ical/field_text.h"

namespace quimbaro::ical {
namespace {

constexpr unsigned kAllDayBit = 1u << 6;

std::array<std::string, 5> Fields(const Appointment& record) {
    return {ReadField(record.date), ReadField(record.time), ReadField(record.phone), ReadField(record.name),
            ReadField(record.subject)};
}

// Two 64-bit FNV-1a digests of the fields (each with its terminator) from
// different starts: stable across machines and versions, and cheap beside
// serialising.
std::pair<uint64_t, uint64_t> FieldsDigest(const Appointment& record) {
    uint64_t a = 14695981039346656037ULL, b = 0x9E3779B97F4A7C15ULL;
    const auto add = [&](const char* field, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) {
            const auto byte = static_cast<unsigned char>(field[i]);
            a = (a ^ byte) * 1099511628211ULL;
            b = (b ^ byte) * 1099511628211ULL;
            if (byte == 0) return;
        }
        a = a * 1099511628211ULL;  // a full field reads as if terminated
        b = b * 1099511628211ULL;
    };
    add(record.date, sizeof record.date);
    add(record.time, sizeof record.time);
    add(record.phone, sizeof record.phone);
    add(record.name, sizeof record.name);
    add(record.subject, sizeof record.subject);
    return {a, b};
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

// No creation time is stored: midnight UTC of the day keeps the stamp stable.
icaltimetype Stamp(const CalendarDate& day) {
    icaltimetype stamp = StartTime(day, std::pair{0, 0});
    stamp.zone = icaltimezone_get_utc_timezone();
    return stamp;
}

icalproperty* FieldProperty(const char* name) {
    icalproperty* property = icalproperty_new_x("-");
    icalproperty_set_x_name(property, name);
    return property;
}

// Readers drop the spaces at either end of a text: the event says it without
// them, so that what is read back still agrees with what was written.
void TrimSpaces(std::string& text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
}

// Rewrites texts in place, so that a builder reuses their memory.
void WriteTexts(const std::array<std::string, 5>& f, EventTexts& texts) {
    std::string& summary = texts.summary;
    summary.clear();
    AppendReadableUtf8(summary, f[3]);
    if (!f[3].empty() && !f[4].empty()) summary += ": ";
    AppendReadableUtf8(summary, f[4]);
    TrimSpaces(summary);
    if (summary.empty()) summary = "Cita";
    std::string& description = texts.description;
    description.clear();
    if (!f[2].empty()) {
        description += "Teléfono: ";
        AppendReadableUtf8(description, f[2]);
    }
    if (!ClockTime(f[1]) && !f[1].empty()) {
        description += description.empty() ? "Hora: " : "\nHora: ";
        AppendReadableUtf8(description, f[1]);
    }
    TrimSpaces(description);
}

// Which optional properties a record's event has: bit 0 DESCRIPTION, bits
// 1..5 the X- fields (an empty field has none), bit 6 an all-day start.
unsigned MaskOf(const std::array<std::string, 5>& f, const EventTexts& texts, bool allDay) {
    unsigned mask = texts.description.empty() ? 0u : 1u;
    for (std::size_t i = 0; i < f.size(); ++i) mask |= f[i].empty() ? 0u : 2u << i;
    return mask | (allDay ? kAllDayBit : 0u);
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

const std::string& UidMaker::Next(const Appointment& record) {
    static constexpr char kHex[] = "0123456789abcdef";
    const auto [a, b] = FieldsDigest(record);
    // Written into one buffer: a UID is made for every event of a book.
    std::array<char, 64> text;  // "quimbaro-", 32 hex digits, '-' and a rank of at most 10 digits
    char* at = std::copy_n("quimbaro-", 9, text.data());
    for (const uint64_t half : {a, b}) {
        for (int shift = 60; shift >= 0; shift -= 4) *at++ = kHex[(half >> shift) & 0xF];
    }
    *at++ = '-';
    // Ranked by the first half: unique enough to count copies.
    at = std::to_chars(at, text.data() + text.size(), seen_.Add(a)).ptr;
    uid_.assign(text.data(), at);
    return uid_;
}

std::vector<std::string> StableUids(std::span<const Appointment> records) {
    UidMaker maker;
    std::vector<std::string> uids;
    uids.reserve(records.size());
    for (const Appointment& record : records) uids.push_back(maker.Next(record));
    return uids;
}

bool IsStableUid(std::string_view text) {
    static constexpr std::string_view kPrefix = "quimbaro-";
    constexpr std::size_t kDigits = 32, kMaxRank = 10;
    if (!text.starts_with(kPrefix)) return false;
    text.remove_prefix(kPrefix.size());
    const auto isHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
    if (text.size() < kDigits + 2 || text[kDigits] != '-' || !std::all_of(text.begin(), text.begin() + kDigits, isHex))
        return false;
    const std::string_view rank = text.substr(kDigits + 1);
    return rank.size() <= kMaxRank && rank[0] != '0' &&
           std::all_of(rank.begin(), rank.end(), [](char c) { return c >= '0' && c <= '9'; });
}

EventTexts TextsOf(const Appointment& record) { return TextsOf(Fields(record)); }

EventTexts TextsOf(const std::array<std::string, 5>& fields) {
    EventTexts texts;
    WriteTexts(fields, texts);
    return texts;
}

EventBuilder::~EventBuilder() {
    for (auto& [mask, shape] : shapes_) icalcomponent_free(shape.event);
}

EventBuilder::Shape& EventBuilder::ShapeFor(unsigned mask) {
    Shape& shape = shapes_[mask];
    if (shape.event) return shape;
    const CalendarDate day{2000, 1, 1};
    shape.event = icalcomponent_vanew(
        ICAL_VEVENT_COMPONENT, icalproperty_new_uid("-"), icalproperty_new_dtstamp(Stamp(day)),
        icalproperty_new_dtstart(StartTime(day, mask & kAllDayBit ? std::nullopt : std::optional(std::pair{0, 0}))),
        icalproperty_new_summary("-"), static_cast<void*>(nullptr));
    for (std::size_t i = 0; i < shape.optional.size(); ++i) {
        if (!(mask & (1u << i))) continue;
        shape.optional[i] = i == 0 ? icalproperty_new_description("-") : FieldProperty(kFieldProperties[i - 1]);
        icalcomponent_add_property(shape.event, shape.optional[i]);
    }
    return shape;
}

icalcomponent* EventBuilder::Build(const Appointment& record, const std::string& uid) {
    std::array<std::string, 5>& f = fields_;
    f[0].assign(record.date, strnlen(record.date, sizeof record.date));
    f[1].assign(record.time, strnlen(record.time, sizeof record.time));
    f[2].assign(record.phone, strnlen(record.phone, sizeof record.phone));
    f[3].assign(record.name, strnlen(record.name, sizeof record.name));
    f[4].assign(record.subject, strnlen(record.subject, sizeof record.subject));
    const auto clock = ClockTime(f[1]);
    const CalendarDate day = *ValidDay(f[0]);
    EventTexts& texts = texts_;
    WriteTexts(f, texts);
    const Shape& shape = ShapeFor(MaskOf(f, texts, !clock));
    icalcomponent* event = shape.event;
    // The values are changed in place: no property or value is made anew.
    const auto value = [event](icalproperty_kind kind) {
        return icalproperty_get_value(icalcomponent_get_first_property(event, kind));
    };
    icalvalue_set_text(value(ICAL_UID_PROPERTY), uid.c_str());
    icalvalue_set_datetime(value(ICAL_DTSTAMP_PROPERTY), Stamp(day));
    if (clock) {
        icalvalue_set_datetime(value(ICAL_DTSTART_PROPERTY), StartTime(day, clock));
    } else {
        icalvalue_set_date(value(ICAL_DTSTART_PROPERTY), StartTime(day, clock));
    }
    icalvalue_set_text(value(ICAL_SUMMARY_PROPERTY), texts.summary.c_str());
    if (shape.optional[0]) icalvalue_set_text(icalproperty_get_value(shape.optional[0]), texts.description.c_str());
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (!shape.optional[i + 1]) continue;
        icalvalue* x = icalproperty_get_value(shape.optional[i + 1]);
        encoded_.clear();
        AppendEncodedField(encoded_, f[i]);
        icalvalue_set_x(x, encoded_.c_str());
    }
    return event;
}

icalcomponent* AppointmentEvent(const Appointment& record, const std::string& uid) {
    EventBuilder builder;
    return icalcomponent_new_clone(builder.Build(record, uid));
}

}  // namespace quimbaro::ical
