#pragma once
// The strip of seven month calendars drawn on CalendarPanel.

#include <QString>
#include <cstdint>
#include <span>

#include "calendar/dates.h"

#include "surface/surface.h"

namespace quimbaro {

class GraphicControl;

inline constexpr int kCalendarCellSize = 9;
inline constexpr int kCalendarTop = 50;
inline constexpr int kCalendarFirstLeft = 26;
inline constexpr int kCalendarBlockStep = 160;

// One month block of the strip: which month, and where its grid starts.
struct MonthBlock {
    int32_t year = 0;
    int32_t month = 0;
    int left = 0;
    int top = 0;
    int cellSize = kCalendarCellSize;
};

// Behind the number of a day that answers the search in force.
inline constexpr Colour kMatchDayFill = Rgb(0, 80, 160);

// The day to mark and the colour to mark it in, and the days that answer
// the search (in date order).
struct ShownDayMark {
    int32_t day = 0;
    int32_t month = 0;
    Colour userColour = 0;
    std::span<const CalendarDate> matchDays = {};
};

// Clears the panel and draws the seven months around the shown day, the
// shown month in the middle, the shown day in userColour. A shown month
// outside 1..12 names no month: the panel is left cleared, nothing marked.
// Each of matchDays (in date order) gets a kMatchDayFill box behind its number.
void DrawCalendarPanel(Surface& surface, GraphicControl& panel, int16_t year, int16_t month,
                       int16_t day, Colour userColour, std::span<const CalendarDate> matchDays = {});

// The month of the block at offset k (-3..3) from the shown month, wrapped
// into the previous or next year.
MonthBlock StripBlock(int32_t shownYear, int32_t shownMonth, int k);

// Walks the block's day grid without drawing and answers MonthRight, the x
// just right of its seventh column.
int MeasureMonth(const MonthBlock& block);

// Draws one block on the current target with the selected font. A month
// outside 1..12 draws nothing.
void DrawMonth(Surface& surface, const MonthBlock& block, int monthRight, const ShownDayMark& mark);

// Prints the text centred between left and monthRight + 5, on the current
// target with the selected font, transparent behind it.
void DrawMonthTitle(Surface& surface, const QString& text, int left, int top, int monthRight,
                    Colour colour);

}  // namespace quimbaro
