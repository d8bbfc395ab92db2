#include "book/phone_groups.h"

#include <gtest/gtest.h>

namespace quimbaro {
namespace {

TEST(GroupPhone, NineDigitsShowAsThreeTwoTwoTwo) {
    EXPECT_EQ(GroupPhone("612345678"), "612 34 56 78");
}

TEST(GroupPhone, TwelveCharactersLeaveOutEightToTen) {
    EXPECT_EQ(GroupPhone("123456789ABC"), "123 45 67 BC");
}

TEST(GroupPhone, ShortNumbersGiveEmptyGroupsButKeepTheSpaces) {
    EXPECT_EQ(GroupPhone(""), "   ");
    EXPECT_EQ(GroupPhone("7"), "7   7");
    EXPECT_EQ(GroupPhone("12"), "12   12");
    EXPECT_EQ(GroupPhone("1234"), "123 4  34");
    EXPECT_EQ(GroupPhone("123456"), "123 45 6 56");
}

TEST(GroupPhone, BytesAreTakenAsTheyAre) {
    // Windows-1252 text: one byte is one character.
    EXPECT_EQ(GroupPhone("+34\xD1" "12345"), "+34 \xD1" "1 23 45");
}

}  // namespace
}  // namespace quimbaro
