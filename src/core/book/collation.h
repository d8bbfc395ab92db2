#pragma once
// The program's own collation of times: punctuation, digits, space, letters
// (accented letters right after their base letter), case ignored.

#include <cstdint>
#include <optional>
#include <string_view>

#include "book/appointment.h"
#include "book/sort_order.h"

namespace quimbaro {

// 1..91 for a character of the table (after Windows-1252 lower-casing), 0 for
// any other character and for no character.
int CollationWeight(std::optional<char> ch);
// 2 when a collates after b, 1 otherwise.
int CollateCompare(std::string_view a, std::string_view b);
// Shaker sort of slots 1..count by time, stable for EarliestFirst; an order
// that is neither leaves file order.
void SortDay(DayList& list, int count, SortOrder sortOrder);

}  // namespace quimbaro
