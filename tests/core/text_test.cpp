// The book's text: Windows-1252 bytes, the collation that sorts a day's
// rows, phone numbers in groups, and arguments and file names as bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "book/collation.h"
#include "book/phone_groups.h"
#include "text/byte_text.h"
#include "ical/field_text.h"
#include "text/win1252.h"

namespace quimbaro {

TEST(Win1252, EveryByteRoundTripsAndTheHighRangeKeepsItsOwnCharacters) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    const QString text = FromWin1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToWin1252(text), all);
    EXPECT_EQ(FromWin1252("\x80\x8A\x8C\x8E\x9F\x99 Revisi\xF3n ma\xF1" "ana"), QString::fromUtf16(u"€ŠŒŽŸ™ Revisión mañana"));
    for (const int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(text[undefined].unicode(), undefined);
}

TEST(Win1252, CharactersWithoutAFormBecomeQuestionMarks) {
    EXPECT_EQ(ToWin1252(QStringLiteral("Año €5 “x” ŠŒŽŸ Ωж中")), "A\xF1o \x80" "5 \x93x\x94 \x8A\x8C\x8E\x9F ???");
    EXPECT_EQ(ToWin1252(QString::fromUtf16(u"a😀b")), "a?b");  // one '?' for a surrogate pair
    // Low before high is no pair: each unpaired half is a '?' of its own.
    const QChar lone[] = {QChar('x'), QChar(0xDC00), QChar(0xD800), QChar('y'), QChar(0xDBFF)};
    EXPECT_EQ(ToWin1252(QString(lone, 5)), "x??y?");
    EXPECT_EQ(ToWin1252(QString(QChar(0x0080))), "?");  // the C1 control, not the byte that holds €
}

TEST(Win1252, LowerCasesAsciiAccentedCapitalsAndTheFourExtras) {
    for (int byte = 0; byte < 256; ++byte) {
        const bool capital = (byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7);
        int expected = capital ? byte + 32 : byte;
        if (byte == 0x8A || byte == 0x8C || byte == 0x8E) expected = byte + 0x10;  // Š Œ Ž
        if (byte == 0x9F) expected = 0xFF;                                          // Ÿ
        EXPECT_EQ(static_cast<unsigned char>(LowerWin1252(static_cast<char>(byte))), expected) << byte;
    }
    EXPECT_EQ(LowerWin1252(std::string_view("A\0B", 3)), std::string("a\0b", 3));
}

// Arguments and file names are bytes: whatever is no valid UTF-8 comes back byte for byte.
TEST(ByteText, EveryByteAndEveryInvalidSequenceComesBackAsItWas) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string alone(1, static_cast<char>(byte));
        EXPECT_EQ(TextOfBytes(alone), QString(QChar(0xDC00 + byte))) << byte;
        EXPECT_EQ(BytesOfText(TextOfBytes(alone)), alone) << byte;
    }
    // Valid (five UTF-16 units), then overlong, a surrogate, past U+10FFFF and cut short: one unit a byte.
    const std::pair<std::string, qsizetype> texts[] = {{"a\xC3\xB1\xE2\x82\xAC\xF0\x9F\x98\x80", 5},
        {"\xC0\xAF", 2}, {"\xED\xA0\x80", 3}, {"\xF4\x90\x80\x80", 4}, {"\xE2\x82", 2}, {"\xF0\x9F\x98", 3}};
    for (const auto& [bytes, units] : texts) {
        EXPECT_EQ(TextOfBytes(bytes).size(), units) << bytes;
        EXPECT_EQ(BytesOfText(TextOfBytes(bytes)), bytes);
    }
    EXPECT_EQ(BytesOfText(QString(QChar(0xDC7F)) + QChar(0xD800)), "??");  // lone halves that stand for no byte
}

using Strings = std::vector<std::string>;

std::string W(const char16_t* text) { return ToWin1252(QString::fromUtf16(text)); }

// Every byte weighs its place in the table after lower-casing; the rest nothing.
TEST(CollationWeight, TheTableInOrderCapitalsLikeSmallLettersAndNothingElse) {
    const std::string table =
        W(u"ªº\\!|\"@·#$%&¬/()=?'¿¡€[*+]{}><;,:._-0123456789 aáàäbcçdeéèëfghiíìïjklmnñoóòöpqrsßtuúùüvwxyz");
    ASSERT_EQ(table.size(), 91u);
    for (int byte = 0; byte < 256; ++byte) {
        const std::size_t at = table.find(LowerWin1252(static_cast<char>(byte)));
        EXPECT_EQ(CollationWeight(static_cast<char>(byte)), at == std::string::npos ? 0 : static_cast<int>(at) + 1) << byte;
    }
    EXPECT_EQ(CollationWeight(std::nullopt), 0);
}

TEST(CollateCompare, CharacterByCharacterAndEqualTextsGiveOneBothWays) {
    // a, b, CollateCompare(a, b), CollateCompare(b, a)
    const std::tuple<std::string, std::string, int, int> pairs[] = {
        {"10:00", "09:30", 2, 1}, {"9:30", "12:00", 2, 1}, {"", "12:00", 1, 2}, {"9", "9:30", 1, 2},
        {"!", "0", 1, 2}, {" ", "9", 2, 1}, {"a", " ", 2, 1}, {W(u"Ñ"), "n", 2, 1}, {W(u"ñ"), "o", 1, 2},
        {"  ", "", 2, 1}, {"10:00", "10:00", 1, 1}, {"a", "A", 1, 1}, {"", "", 1, 1}, {"9~", "9", 1, 1},
        {"~", "^", 1, 1}, {W(u"ÉSTE"), W(u"éste"), 1, 1}};
    for (const auto& [a, b, ab, ba] : pairs) {
        EXPECT_EQ(CollateCompare(a, b), ab) << a << " / " << b;
        EXPECT_EQ(CollateCompare(b, a), ba) << b << " / " << a;
    }
}

// The day after SortDay as "time#index in file order"; the other fields must
// have moved along with their time.
Strings Sorted(const Strings& times, int count, int16_t sortOrder) {
    DayList list;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const std::string n = std::to_string(i);
        list.slots[i] = MakeAppointment("05/12/2026", times[i], n, n, n);
    }
    SortDay(list, count, SortOrder{sortOrder});
    Strings order;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const Appointment& slot = list.slots[i];
        EXPECT_EQ(ReadField(slot.phone) + "|" + ReadField(slot.subject), ReadField(slot.name) + "|" + ReadField(slot.name));
        order.push_back(ReadField(slot.time) + "#" + ReadField(slot.name));
    }
    return order;
}

TEST(SortDay, TheExamplesBothWaysEqualTimesAndOrdersThatSortNothing) {
    const Strings times = {"10:00", "09:30", "9:30", "", "12:00"}, equal = {"10:00", "10:00", "10:00"};
    EXPECT_EQ(Sorted(times, 5, 2), (Strings{"#3", "09:30#1", "10:00#0", "12:00#4", "9:30#2"}));
    EXPECT_EQ(Sorted(times, 5, 1), (Strings{"9:30#2", "12:00#4", "10:00#0", "09:30#1", "#3"}));
    EXPECT_EQ(Sorted(equal, 3, 2), (Strings{"10:00#0", "10:00#1", "10:00#2"}));
    EXPECT_EQ(Sorted(equal, 3, 1), (Strings{"10:00#2", "10:00#1", "10:00#0"}));
    EXPECT_EQ(Sorted({"11", "9", "10", "10"}, 4, 1), (Strings{"9#1", "11#0", "10#2", "10#3"}));
    // Other order values and counts below two leave file order; slots past the count stay.
    const Strings hours = {"12:00", "10:00", "11:00", "09:00", "08:00"};
    const Strings fileOrder = {"12:00#0", "10:00#1", "11:00#2", "09:00#3", "08:00#4"};
    const std::pair<int, int16_t> unsorted[] = {{5, 0}, {5, 3}, {5, -1}, {5, 258}, {1, 2}, {0, 2}, {-3, 2}};
    for (const auto& [count, order] : unsorted) EXPECT_EQ(Sorted(hours, count, order), fileOrder) << count << " " << order;
    EXPECT_EQ(Sorted(hours, 3, 2), (Strings{"10:00#1", "11:00#2", "12:00#0", "09:00#3", "08:00#4"}));
    // A file's time may fill all six bytes with no zero (the sixth counts) or
    // hold bytes after its zero (they do not): first, second, which comes first.
    const std::tuple<std::string, std::string, std::size_t> raw[] = {
        {"10:002", "10:001", 1}, {"10:001", "10:002", 0}, {std::string("9\0zzzz", 6), "9~", 0}};
    for (const auto& [first, second, which] : raw) {
        DayList day;
        std::memcpy(day.slots[0].time, first.data(), first.size());
        std::memcpy(day.slots[1].time, second.data(), second.size());
        day.offsets = {0, 155};
        SortDay(day, 2, SortOrder::EarliestFirst);
        const std::string& expected = which == 0 ? first : second;
        EXPECT_EQ(std::string(day.slots[0].time, expected.size()), expected) << first;
        EXPECT_EQ(day.offsets[0], which * 155) << first;
    }
}

TEST(SortDay, AgreesWithAStableSortOnRandomFullDays) {
    std::mt19937 random(20261205);
    const Strings pool = {"", "9", "9:30", "09:30", "10:00", "9 ", " 9", "12:00", "a", "A", "~"};
    for (int trial = 0; trial < 300; ++trial) {
        Strings times(kDaySlots), expected;
        for (std::size_t i = 0; i < times.size(); ++i) {
            times[i] = pool[random() % pool.size()];
            expected.push_back(times[i] + "#" + std::to_string(i));
        }
        std::stable_sort(expected.begin(), expected.end(), [](const std::string& x, const std::string& y) {
            return CollateCompare(y.substr(0, y.find('#')), x.substr(0, x.find('#'))) == 2;
        });
        ASSERT_EQ(Sorted(times, 100, 2), expected);  // a count past the last slot is held to the slots there are
    }
}

// Short numbers give empty groups but keep the spaces; characters 8-10 of a
// long one are left out; bytes are taken as they are.
TEST(GroupPhone, FourGroupsSeparatedBySpacesWhateverTheLength) {
    const std::pair<std::string_view, std::string_view> phones[] = {
        {"612345678", "612 34 56 78"}, {"123456789ABC", "123 45 67 BC"}, {"", "   "}, {"7", "7   7"}, {"12", "12   12"},
        {"1234", "123 4  34"}, {"123456", "123 45 6 56"}, {"+34\xD1" "12345", "+34 \xD1" "1 23 45"}};
    for (const auto& [phone, shown] : phones) EXPECT_EQ(GroupPhone(phone), shown) << phone;
}

}  // namespace quimbaro

namespace quimbaro::ical {

// Fields as iCalendar text, byte by byte: what each kind of byte becomes and
// which texts are no encoded field at all.
TEST(FieldText, EncodesReadsAndDecodesEveryKindOfByte) {
    const std::tuple<std::string, std::string, std::string> encoded[] = {
        // field bytes, as our own X- value, as text a reader sees
        {"Pe\xF1" "a \x80" "5", "Pe\xC3\xB1" "a \xE2\x82\xAC" "5", "Pe\xC3\xB1" "a \xE2\x82\xAC" "5"},
        {" a%b\t\x81 ", "%20a%25b%09%81%20", " a%b   "},
        {"\x7F\x9F\x8D", "%7F\xC5\xB8%8D", " \xC5\xB8 "},
        {"x", "x", "x"},
    };
    for (const auto& [field, ours, readable] : encoded) {
        EXPECT_EQ(EncodeField(field), ours) << field;
        EXPECT_EQ(ReadableUtf8(field), readable) << field;
        EXPECT_EQ(DecodeField(ours), field) << ours;
    }
    std::string all;
    for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
    EXPECT_EQ(DecodeField(EncodeField(" " + all + " ")), " " + all + " ");
    EXPECT_EQ(DecodeField("\xEF\xBB\xBF" "\xC3\xB1"), "\xF1");  // a leading byte-order mark reads as nothing
    for (const std::string broken : {"%80", "%4", "%G1", "%6a", "\xC3", "\xC3(", "\xC0\x80", "\xE0\x81\xB1",
                                     "\xED\xA0\x80", "\xF0\x9F\x98\x80", "\xE2\x82", "\xCE\xA9", "a\xEF\xBB\xBF"})
        EXPECT_FALSE(DecodeField(broken).has_value()) << broken;
}

}  // namespace quimbaro::ical
