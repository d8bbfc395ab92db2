// The search matcher on any query and any record bytes: the fast path (a
// first look at raw bytes, then folding) must answer exactly what a plain
// reading of the fields answers, and must read no byte outside the record.

#include <QDate>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "book/appointment.h"
#include "fuzz_folder.h"
#include "search/folding.h"
#include "search/record_matcher.h"

namespace {

using namespace quimbaro;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string Folded(const std::string& text) {
    std::string folded;
    for (const char ch : text) folded += FoldChar(ch);
    return folded;
}

// The digits of a query made only of digits and " -./()+", with one digit at least.
std::string PhoneDigits(std::string_view query) {
    std::string digits;
    for (const char ch : query) {
        if (std::isdigit(static_cast<unsigned char>(ch))) digits += ch;
        else if (!std::strchr(" -./()+", ch) || ch == '\0') return "";
    }
    return digits;
}

std::string DigitsOf(const std::string& text) {
    std::string digits;
    for (const char ch : text)
        if (std::isdigit(static_cast<unsigned char>(ch))) digits += ch;
    return digits;
}

bool PlainTextMatch(std::string_view query, const Appointment& record) {
    const std::string folded = Folded(std::string(query));
    const std::string digits = PhoneDigits(query);
    return Contains(Folded(ReadField(record.name)), folded) ||
           Contains(Folded(ReadField(record.subject)), folded) ||
           (!digits.empty() && Contains(DigitsOf(ReadField(record.phone)), digits));
}

// DD/MM/YYYY naming a day of the calendar, as the date library sees it.
bool PlainRealDay(const Appointment& record) {
    const std::string date = ReadField(record.date);
    if (date.size() != 10 || date[2] != '/' || date[5] != '/') return false;
    for (const int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(date[static_cast<std::size_t>(i)]))) return false;
    return QDate(std::stoi(date.substr(6)), std::stoi(date.substr(3, 2)), std::stoi(date.substr(0, 2))).isValid();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t queryLength = std::min<std::size_t>(data[0] % 64, size - 1);
    const std::string_view query(reinterpret_cast<const char*>(data) + 1, queryLength);
    // Exactly one record on the heap, so that a read past it is caught.
    const auto bytes = std::make_unique<char[]>(kRecordSize);
    std::memset(bytes.get(), 0, kRecordSize);
    std::memcpy(bytes.get(), data + 1 + queryLength, std::min(kRecordSize, size - 1 - queryLength));
    Appointment record;
    std::memcpy(&record, bytes.get(), kRecordSize);

    const RecordMatcher matcher(query);
    const bool text = PlainTextMatch(query, record);
    FUZZ_CHECK(matcher.TextMatches(bytes.get()) == text);
    FUZZ_CHECK(matcher.Matches(bytes.get()) == (text && PlainRealDay(record)));
    return 0;
}
