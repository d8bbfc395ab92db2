#include "book/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "book/win1252.h"

namespace quimbaro {
namespace {

TEST(CollationWeight, FollowsTheTableWrittenOutInUnicode) {
    const std::string order = ToWin1252(QStringLiteral(
        "ªº\\!|\"@·#$%&¬/()=?'¿¡€[*+]{}><;,:._-0123456789 aáàäbcçdeéèëfghiíìïjklmnñoóòöpqrsßtuúùüvwxyz"));
    ASSERT_EQ(order.size(), 91u);
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(CollationWeight(order[i]), static_cast<int>(i + 1)) << "position " << i + 1;
    }
    int weighted = 0;
    for (int byte = 0; byte < 256; ++byte) {
        if (CollationWeight(static_cast<char>(byte)) != 0) ++weighted;
    }
    EXPECT_EQ(weighted, 91 + 26 + 17);  // the table, A-Z and the capitals of its 17 accented letters
}

TEST(CollationWeight, CapitalsWeighLikeSmallLettersAndOthersWeighNothing) {
    const std::string capitals = ToWin1252(QStringLiteral("AZÁÀÄÇÉÈËÍÌÏÑÓÒÖÚÙÜ"));
    const std::string smalls = ToWin1252(QStringLiteral("azáàäçéèëíìïñóòöúùü"));
    for (std::size_t i = 0; i < capitals.size(); ++i) {
        EXPECT_EQ(CollationWeight(capitals[i]), CollationWeight(smalls[i])) << i;
    }
    for (const char none : ToWin1252(QStringLiteral("~^`\t\nÿŸšŠ×÷ÂâÃ"))) EXPECT_EQ(CollationWeight(none), 0);
    EXPECT_EQ(CollationWeight('\0'), 0);
    EXPECT_EQ(CollationWeight(std::nullopt), 0);
}

TEST(CollateCompare, ComparesCharacterByCharacter) {
    EXPECT_EQ(CollateCompare("10:00", "09:30"), 2);
    EXPECT_EQ(CollateCompare("09:30", "10:00"), 1);
    EXPECT_EQ(CollateCompare("9:30", "12:00"), 2);  // by characters, not by clock
    EXPECT_EQ(CollateCompare("", "12:00"), 1);
    EXPECT_EQ(CollateCompare("12:00", ""), 2);
    EXPECT_EQ(CollateCompare("9", "9:30"), 1);
    EXPECT_EQ(CollateCompare("9:30", "9"), 2);
    EXPECT_EQ(CollateCompare("!", "0"), 1);   // punctuation before digits
    EXPECT_EQ(CollateCompare(" ", "9"), 2);   // the space after the digits
    EXPECT_EQ(CollateCompare("a", " "), 2);   // letters after the space
    EXPECT_EQ(CollateCompare(ToWin1252(QStringLiteral("Ñ")), "n"), 2);
    EXPECT_EQ(CollateCompare(ToWin1252(QStringLiteral("ñ")), "o"), 1);
    EXPECT_EQ(CollateCompare("  ", ""), 2);
}

TEST(CollateCompare, EqualTextsGiveOneBothWays) {
    const std::pair<std::string, std::string> equals[] = {
        {"10:00", "10:00"}, {"a", "A"}, {"", ""}, {"9~", "9"}, {"~", "^"},
        {ToWin1252(QStringLiteral("ÉSTE")), ToWin1252(QStringLiteral("éste"))}};
    for (const auto& [a, b] : equals) {
        EXPECT_EQ(CollateCompare(a, b), 1) << a << " / " << b;
        EXPECT_EQ(CollateCompare(b, a), 1) << b << " / " << a;
    }
}

DayList ListOf(const std::vector<std::string>& times) {
    DayList list;
    for (std::size_t i = 0; i < times.size(); ++i) {
        Appointment& slot = list.slots[i];
        StoreField(slot.date, "05/12/2026");
        StoreField(slot.time, times[i]);
        StoreField(slot.phone, std::to_string(600000000 + i));
        StoreField(slot.name, "name " + std::to_string(i));
        StoreField(slot.subject, "subject " + std::to_string(i));
    }
    return list;
}

// The slots as "time#original index", checking that every field moved along.
std::vector<std::string> Order(const DayList& list, int count) {
    std::vector<std::string> order;
    for (int i = 0; i < count; ++i) {
        const Appointment& slot = list.slots[static_cast<std::size_t>(i)];
        const std::string index = ReadField(slot.name).substr(5);
        EXPECT_EQ(ReadField(slot.phone), std::to_string(600000000 + std::stoi(index)));
        EXPECT_EQ(ReadField(slot.subject), "subject " + index);
        EXPECT_EQ(ReadField(slot.date), "05/12/2026");
        order.push_back(ReadField(slot.time) + "#" + index);
    }
    return order;
}

TEST(SortDay, OrdersByCharactersInBothDirections) {
    const std::vector<std::string> times = {"10:00", "09:30", "9:30", "", "12:00"};
    DayList list = ListOf(times);
    SortDay(list, 5, 2);
    EXPECT_EQ(Order(list, 5), (std::vector<std::string>{"#3", "09:30#1", "10:00#0", "12:00#4", "9:30#2"}));
    list = ListOf(times);
    SortDay(list, 5, 1);
    EXPECT_EQ(Order(list, 5), (std::vector<std::string>{"9:30#2", "12:00#4", "10:00#0", "09:30#1", "#3"}));
}

TEST(SortDay, EqualTimesKeepFileOrderAscendingAndReverseDescending) {
    const std::vector<std::string> times = {"10:00", "10:00", "10:00"};
    DayList list = ListOf(times);
    SortDay(list, 3, 2);
    EXPECT_EQ(Order(list, 3), (std::vector<std::string>{"10:00#0", "10:00#1", "10:00#2"}));
    list = ListOf(times);
    SortDay(list, 3, 1);
    EXPECT_EQ(Order(list, 3), (std::vector<std::string>{"10:00#2", "10:00#1", "10:00#0"}));
    list = ListOf({"10:00", "9", "10:00", "9"});
    SortDay(list, 4, 2);
    EXPECT_EQ(Order(list, 4), (std::vector<std::string>{"10:00#0", "10:00#2", "9#1", "9#3"}));
}

TEST(SortDay, OtherOrdersAndShortCountsLeaveTheList) {
    const std::vector<std::string> times = {"12:00", "10:00", "11:00", "09:00", "08:00"};
    const std::vector<std::string> fileOrder = {"12:00#0", "10:00#1", "11:00#2", "09:00#3", "08:00#4"};
    for (const int16_t order : {0, 3, -1, 258}) {
        DayList list = ListOf(times);
        SortDay(list, 5, order);
        EXPECT_EQ(Order(list, 5), fileOrder) << order;
    }
    for (const int count : {1, 0, -3}) {
        DayList list = ListOf(times);
        SortDay(list, count, 2);
        EXPECT_EQ(Order(list, 5), fileOrder) << count;
    }
    DayList list = ListOf(times);
    SortDay(list, 3, 2);  // slots past the count are not touched
    EXPECT_EQ(Order(list, 5), (std::vector<std::string>{"10:00#1", "11:00#2", "12:00#0", "09:00#3", "08:00#4"}));
}

TEST(SortDay, AgreesWithAStableSortOnRandomFullDays) {
    std::mt19937 random(20261205);
    const std::vector<std::string> pool = {"", "9", "9:30", "09:30", "10:00", "9 ", " 9", "12:00", "a", "A", "~"};
    for (int trial = 0; trial < 500; ++trial) {
        std::vector<std::string> times(kDaySlots);
        for (auto& time : times) time = pool[random() % pool.size()];
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < times.size(); ++i) expected.push_back(times[i] + "#" + std::to_string(i));
        std::stable_sort(expected.begin(), expected.end(), [](const std::string& x, const std::string& y) {
            return CollateCompare(y.substr(0, y.find('#')), x.substr(0, x.find('#'))) == 2;
        });
        DayList list = ListOf(times);
        SortDay(list, 100, 2);  // a count past the last slot is held to the slots there are
        ASSERT_EQ(Order(list, kDaySlots), expected);

        list = ListOf(times);
        SortDay(list, kDaySlots, 1);
        const std::vector<std::string> descending = Order(list, kDaySlots);
        for (std::size_t i = 1; i < descending.size(); ++i) {
            const std::string& previous = descending[i - 1];
            const std::string& next = descending[i];
            ASSERT_EQ(CollateCompare(next.substr(0, next.find('#')), previous.substr(0, previous.find('#'))), 1);
        }
        std::vector<std::string> sortedBack = descending;
        std::sort(sortedBack.begin(), sortedBack.end());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(sortedBack, expected);
    }
}

}  // namespace
}  // namespace quimbaro
