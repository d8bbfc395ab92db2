#pragma once
// The days as `list` shows them to people: each day under its date in words,
// then one line per appointment with its row number (the N that delete and
// edit take) and the columns aligned across the whole listing.

#include <QString>

#include <vector>

#include "book/day_rows.h"

namespace quimbaro::cli {

// Columns a text takes on a terminal: one per character, accents included
// (a combining mark takes none).
int DisplayWidth(const QString& text);

// Days separated by an empty line; a day without appointments says so.
QString DaysAsText(const std::vector<DayRows>& days);

}  // namespace quimbaro::cli
