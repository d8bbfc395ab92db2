#pragma once
// How a day's rows are ordered by time. The numbers are the ones the settings
// file has always held; a file edited by hand may hold any other, which
// leaves the rows in file order.

#include <cstdint>

namespace quimbaro {

enum class SortOrder : int16_t {
    LatestFirst = 1,    // "ascendente"
    EarliestFirst = 2,  // "descendente", the default
};

}  // namespace quimbaro
