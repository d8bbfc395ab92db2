#include "book/phone_groups.h"

#include <gtest/gtest.h>

namespace quimbaro {

// Short numbers give empty groups but keep the spaces; characters 8-10 of a
// long one are left out; bytes are taken as they are.
TEST(GroupPhone, FourGroupsSeparatedBySpacesWhateverTheLength) {
    const std::pair<std::string_view, std::string_view> phones[] = {
        {"612345678", "612 34 56 78"}, {"123456789ABC", "123 45 67 BC"}, {"", "   "}, {"7", "7   7"}, {"12", "12   12"},
        {"1234", "123 4  34"}, {"123456", "123 45 6 56"}, {"+34\xD1" "12345", "+34 \xD1" "1 23 45"}};
    for (const auto& [phone, shown] : phones) EXPECT_EQ(GroupPhone(phone), shown) << phone;
}

}  // namespace quimbaro
