#include "book/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "text/win1252.h"

namespace quimbaro {

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
    // Other order values and counts below two leave file order; slots past the count stay.
    const Strings hours = {"12:00", "10:00", "11:00", "09:00", "08:00"};
    const Strings fileOrder = {"12:00#0", "10:00#1", "11:00#2", "09:00#3", "08:00#4"};
    const std::pair<int, int16_t> unsorted[] = {{5, 0}, {5, 3}, {5, -1}, {5, 258}, {1, 2}, {0, 2}, {-3, 2}};
    for (const auto& [count, order] : unsorted) EXPECT_EQ(Sorted(hours, count, order), fileOrder) << count << " " << order;
    EXPECT_EQ(Sorted(hours, 3, 2), (Strings{"10:00#1", "11:00#2", "12:00#0", "09:00#3", "08:00#4"}));
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

}  // namespace quimbaro
