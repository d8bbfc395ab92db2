#pragma once
// Whether an appointment record answers a search: its name, subject or
// phone contains the query, both folded (folding.h); for the phone only the
// digits count, on both sides, and only when the query is a phone number.
// A record whose date is no real day never answers (deleted records have
// their date zeroed).

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "calendar/dates.h"

namespace quimbaro {

class RecordMatcher {
public:
    // The query in Windows-1252, as typed; it is folded here, once.
    explicit RecordMatcher(std::string_view query);

    // record: kRecordSize bytes laid out as an Appointment.
    bool Matches(const char* record) const;
    // The same without the date test.
    bool TextMatches(const char* record) const;
    // A quick look that is false only when TextMatches is false too.
    bool MayMatch(const char* record) const;

    const std::string& FoldedQuery() const { return folded_; }
    // The query's digits when it is a phone number, empty otherwise.
    const std::string& PhoneDigits() const { return digits_; }

private:
    // A cheap first look at raw bytes: a query character at position `at`
    // can only be a byte that, with its 0x20 bit set, is one of `bytes`.
    struct Probe {
        static constexpr std::size_t kMaxBytes = 4;
        std::array<unsigned char, kMaxBytes> bytes{};
        std::size_t count = 0;  // 0: no probe
        std::size_t at = 0;
    };
    static Probe ProbeFor(const std::string& folded, std::size_t skip);

    bool MayHoldQuery(const char* record) const;
    bool MayHoldDigits(const char* record) const;
    bool NameOrSubjectMatches(const char* record) const;
    bool PhoneMatches(const char* record) const;

    std::string folded_;
    std::string digits_;
    // The name and subject can hold the query only where a byte passes the
    // first probe and the byte `gap_` further on passes the second.
    Probe first_, second_;
    std::size_t gap_ = 0;
    std::string distinctDigits_;  // each digit of the query once
};

// The day named by the record's date field when it reads DD/MM/YYYY and is a
// real day of the calendar (year 1 or later).
std::optional<CalendarDate> RecordDay(const char* record);

// The digits of a text that is a phone number: digits and the usual
// separators (space - . / ( ) +), at least one digit. Empty otherwise.
std::string PhoneQueryDigits(std::string_view query);

}  // namespace quimbaro
