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

    const std::string& FoldedQuery() const { return folded_; }
    // The query's digits when it is a phone number, empty otherwise.
    const std::string& PhoneDigits() const { return digits_; }

private:
    bool MayHoldQuery(const char* record) const;
    bool NameOrSubjectMatches(const char* record) const;
    bool PhoneMatches(const char* record) const;
    void ChooseProbe();

    std::string folded_;
    std::string digits_;
    // A cheap first look: the name and subject can only hold the query when
    // one of their bytes, with the 0x20 bit set, is one of these.
    static constexpr std::size_t kMaxProbes = 4;
    std::array<unsigned char, kMaxProbes> probes_{};
    std::size_t probeCount_ = 0;  // 0: no first look, every record is read whole
};

// The day named by the record's date field when it reads DD/MM/YYYY and is a
// real day of the calendar (year 1 or later).
std::optional<CalendarDate> RecordDay(const char* record);

// The digits of a text that is a phone number: digits and the usual
// separators (space - . / ( ) +), at least one digit. Empty otherwise.
std::string PhoneQueryDigits(std::string_view query);

}  // namespace quimbaro
