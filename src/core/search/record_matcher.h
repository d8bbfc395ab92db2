#pragma once
// Whether an appointment record answers a search: its name, subject or
// phone contains the query, both folded (folding.h); for the phone only the
// digits count, on both sides, and only when the query is a phone number.
// A record whose date is no real day never answers (deleted records have
// their date zeroed).

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "book/appointment.h"
#include "calendar/dates.h"
#include "search/caseless_scan.h"

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

    // Hands `visit` every record of a block (`count` records one after the
    // other) that may answer, in order: every record whose TextMatches is
    // true, and as few others as a scan of the raw bytes for the query's
    // two rarest characters lets through.
    template <typename Visit>
    void ForEachCandidate(const char* records, std::size_t count, Visit visit) const;

    const std::string& FoldedQuery() const { return folded_; }
    // Where the two characters the scan of raw bytes looks for stand in the
    // folded query, the earlier first; npos for none (the second: npos when
    // the scan looks for one character).
    struct RarePlaces {
        std::size_t first = std::string::npos, second = std::string::npos;
    };
    const RarePlaces& RarestPlaces() const { return rarePlaces_; }
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
    static RarePlaces FindRarestPlaces(const std::string& folded);
    static CaselessPair RarestCharacters(const std::string& folded, const RarePlaces& places);

    // The first record at or after `from` whose name or subject holds the
    // query's two rarest characters as far apart as in the query; `count`
    // when none does.
    std::size_t NextTextCandidate(const char* records, std::size_t count, std::size_t from) const;

    // The first record at or after `from` whose phone may hold the query's
    // digits; `count` when none does. One call for many records: the test
    // of each is a few instructions.
    std::size_t NextPhoneCandidate(const char* records, std::size_t count, std::size_t from) const;

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
    RarePlaces rarePlaces_;
    CaselessPair rarest_;  // first empty: no character rules a record out
    std::string distinctDigits_;  // each digit of the query once
    // The query's first digits, each in all 16 lanes, for the quick look at
    // a phone of digits only; more would cost more than they rule out.
    static constexpr std::size_t kLeadDigits = 3;
    std::array<std::array<char, 16>, kLeadDigits> leadDigits_{};
    std::array<unsigned, kLeadDigits> leadUnused_{};  // all ones past the query's digits
};

template <typename Visit>
void RecordMatcher::ForEachCandidate(const char* records, std::size_t count, Visit visit) const {
    std::size_t text = NextTextCandidate(records, count, 0);
    if (digits_.empty()) {
        for (; text < count; text = NextTextCandidate(records, count, text + 1)) visit(records + text * kRecordSize);
        return;
    }
    // A phone number is looked for record by record: digits are everywhere.
    for (std::size_t phone = NextPhoneCandidate(records, count, 0); text < count || phone < count;) {
        const std::size_t next = std::min(text, phone);
        visit(records + next * kRecordSize);
        if (text == next) text = NextTextCandidate(records, count, next + 1);
        if (phone == next) phone = NextPhoneCandidate(records, count, next + 1);
    }
}

// The day named by the record's date field when it reads DD/MM/YYYY and is a
// real day of the calendar (year 1 or later).
std::optional<CalendarDate> RecordDay(const char* record);

// The digits of a text that is a phone number: digits and the usual
// separators (space - . / ( ) +), at least one digit. Empty otherwise.
std::string PhoneQueryDigits(std::string_view query);

}  // namespace quimbaro
