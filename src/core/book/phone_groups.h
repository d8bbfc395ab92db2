#pragma once
// The telephone as the table shows it: four groups separated by spaces.

#include <string>
#include <string_view>

namespace quimbaro {

// Characters 1-3, 4-5, 6-7 and the last two (the whole text when shorter than
// two), separated by single spaces. Missing characters give empty groups; the
// spaces are always there, so characters 8 to 10 of a long number are left
// out and an empty phone gives three spaces.
std::string GroupPhone(std::string_view phone);

}  // namespace quimbaro
