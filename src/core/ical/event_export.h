#pragma once
// How a stored appointment becomes an iCalendar event (VEVENT).
//
// The book has no time zone: an "HH:MM" time becomes a floating local start,
// any other time text an all-day event. SUMMARY reads "name: subject",
// DESCRIPTION holds the phone (and the time text of an all-day event), and
// each field is kept byte for byte in its own X-QUIMBARO-* property (none for
// an empty field), so that the book can take its own events back unchanged.

#include <libical/ical.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "book/appointment.h"
#include "ical/digest_counter.h"
#include "calendar/dates.h"

namespace quimbaro::ical {

inline constexpr const char* kProductId = "-//Quimbaro//Agenda//ES";
inline constexpr const char* kFieldProperties[5] = {"X-QUIMBARO-DATE", "X-QUIMBARO-TIME", "X-QUIMBARO-PHONE",
                                                    "X-QUIMBARO-NAME", "X-QUIMBARO-SUBJECT"};

// A DayKey that names a real day of years 1..9999.
std::optional<CalendarDate> ValidDay(std::string_view dayKey);
// Hours and minutes of a time that is exactly HH:MM (00:00..23:59).
std::optional<std::pair<int, int>> ClockTime(std::string_view time);

// One UID per record, the same each time the same book is exported: a digest
// of the five fields and the record's rank among identical ones, the records
// given in book order.
class UidMaker {
public:
    const std::string& Next(const Appointment& record);  // valid until the next call

private:
    DigestCounter seen_;
    std::string uid_;
};
std::vector<std::string> StableUids(std::span<const Appointment> records);
// Whether the text has the form of a UID that UidMaker makes.
bool IsStableUid(std::string_view text);

// What a reader sees of a record's event besides its start, as UTF-8.
struct EventTexts {
    std::string summary, description;  // description empty: no DESCRIPTION
    friend bool operator==(const EventTexts&, const EventTexts&) = default;
};
EventTexts TextsOf(const Appointment& record);
EventTexts TextsOf(const std::array<std::string, 5>& fields);  // date, time, phone, name, subject

// Builds the events of records whose date passes ValidDay. One event is kept
// for each set of properties present and only its values change, so building
// costs little beside serialising; an event stays valid until the next Build.
class EventBuilder {
public:
    EventBuilder() = default;
    EventBuilder(const EventBuilder&) = delete;
    EventBuilder& operator=(const EventBuilder&) = delete;
    ~EventBuilder();
    icalcomponent* Build(const Appointment& record, const std::string& uid);

private:
    struct Shape {
        icalcomponent* event = nullptr;
        std::array<icalproperty*, 6> optional{};  // DESCRIPTION, then the five X- fields
    };
    Shape& ShapeFor(unsigned mask);
    std::map<unsigned, Shape> shapes_;
    std::array<std::string, 5> fields_;  // kept, with their memory, between builds
    EventTexts texts_;
    std::string encoded_;  // one X- value at a time
};

// An event of its own; the caller frees it.
icalcomponent* AppointmentEvent(const Appointment& record, const std::string& uid);

}  // namespace quimbaro::ical
