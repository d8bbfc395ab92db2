#include "views/month_strip.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "calendar/dates.h"
#include "settings/settings.h"
#include "surface/graphic_control.h"

namespace quimbaro {

namespace {

constexpr Colour kSundayRed = Rgb(255, 0, 0);
constexpr int kSunday = 7;
constexpr std::array<const char*, 7> kWeekdayLetters = {"L", "M", "X", "J", "V", "S", "D"};

int ColumnStep(int cellSize) { return 2 * cellSize + 2; }
int RowStep(int cellSize) { return 2 * cellSize; }
bool IsMonth(int32_t month) { return month >= 1 && month <= 12; }

// Where the next day number of a block goes: weekday column and pixel corner.
struct GridCursor {
    int column;
    int x;
    int y;
};

GridCursor FirstDay(const MonthBlock& block) {
    const int column = DayOfWeek(block.year, block.month, 1);
    return {column, block.left + (column - 1) * ColumnStep(block.cellSize),
            block.top + 2 * RowStep(block.cellSize)};
}

// Moves one day on; answers true when the walk wrapped to a new week row.
bool NextDay(GridCursor& cursor, const MonthBlock& block) {
    ++cursor.column;
    if (cursor.column > 7) {
        cursor.column = 1;
        cursor.x = block.left;
        cursor.y += RowStep(block.cellSize);
        return true;
    }
    cursor.x += ColumnStep(block.cellSize);
    return false;
}

void PrintAt(Surface& surface, const QString& text, int x, int y, Colour colour) {
    surface.SetColours(colour, kTransparent);
    surface.SetPosition(x, y);
    surface.PrintLine(text);
}

QString TitleText(const MonthBlock& block) {
    const std::string_view name = MonthName(block.month);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) + ' ' +
           QString::number(block.year);
}

void DrawWeekdayLetters(Surface& surface, const MonthBlock& block) {
    const int y = block.top + RowStep(block.cellSize);
    for (int i = 0; i < 7; ++i) {
        const int x = block.left + i * ColumnStep(block.cellSize);
        PrintAt(surface, QLatin1String(kWeekdayLetters[i]), x, y, kWhite);
    }
}

Colour DayColour(int day, int column, const MonthBlock& block, const ShownDayMark& mark) {
    if (day == mark.day && block.month == mark.month) return ShownUserColour(mark.userColour);
    return column == kSunday ? kSundayRed : kWhite;
}

bool IsMatchDay(int day, const MonthBlock& block, const ShownDayMark& mark) {
    const CalendarDate date{static_cast<int16_t>(block.year), static_cast<int16_t>(block.month),
                            static_cast<int16_t>(day)};
    return std::binary_search(mark.matchDays.begin(), mark.matchDays.end(), date);
}

// A box one column step wide less a pixel, a row step tall less three, so
// that neighbouring boxes stay apart.
void DrawMatchBox(Surface& surface, const GridCursor& cursor, int cellSize) {
    surface.DrawBox(cursor.x - 2, cursor.y, cursor.x - 3 + ColumnStep(cellSize),
                    cursor.y + RowStep(cellSize) - 3, kTransparent, kMatchDayFill);
}

void DrawDayNumbers(Surface& surface, const MonthBlock& block, const ShownDayMark& mark) {
    GridCursor cursor = FirstDay(block);
    const int days = DaysInMonth(block.month, block.year);
    for (int day = 1; day <= days; ++day) {
        if (IsMatchDay(day, block, mark)) DrawMatchBox(surface, cursor, block.cellSize);
        PrintAt(surface, QString::number(day), cursor.x, cursor.y,
                DayColour(day, cursor.column, block, mark));
        NextDay(cursor, block);
    }
}

}  // namespace

MonthBlock StripBlock(int32_t shownYear, int32_t shownMonth, int k) {
    MonthBlock block;
    block.year = shownYear;
    block.month = shownMonth + k;
    if (block.month >= -2 && block.month <= 0) {
        block.month += 12;
        --block.year;
    } else if (block.month >= 13 && block.month <= 15) {
        block.month -= 12;
        ++block.year;
    }
    block.left = kCalendarFirstLeft + kCalendarBlockStep * (k + 3);
    block.top = kCalendarTop;
    return block;
}

int MeasureMonth(const MonthBlock& block) {
    // A block without days still spans its seven columns.
    int monthRight = block.left + 7 * ColumnStep(block.cellSize);
    if (!IsMonth(block.month)) return monthRight;
    GridCursor cursor = FirstDay(block);
    const int days = DaysInMonth(block.month, block.year);
    for (int day = 2; day <= days; ++day) {
        const int xBefore = cursor.x;  // the seventh column's x when the walk wraps
        if (NextDay(cursor, block)) monthRight = xBefore + ColumnStep(block.cellSize);
    }
    return monthRight;
}

void DrawMonthTitle(Surface& surface, const QString& text, int left, int top, int monthRight,
                    Colour colour) {
    const int width = surface.TextSize(text).width();
    PrintAt(surface, text, (left + monthRight + 5 - width) / 2, top, colour);
}

void DrawMonth(Surface& surface, const MonthBlock& block, int monthRight, const ShownDayMark& mark) {
    if (!IsMonth(block.month)) return;
    DrawMonthTitle(surface, TitleText(block), block.left - 5, block.top, monthRight, kWhite);
    DrawWeekdayLetters(surface, block);
    DrawDayNumbers(surface, block, mark);
}

void DrawCalendarPanel(Surface& surface, GraphicControl& panel, int16_t year, int16_t month,
                       int16_t day, Colour userColour, std::span<const CalendarDate> matchDays) {
    surface.SelectTarget(panel);
    surface.SetColours(kWhite, kBlack);
    surface.ClearTarget(kBlack);
    if (!IsMonth(month)) return;
    surface.SelectFont(surface.NewFont("Tahoma", 9, kBold, kDefaultCharset));
    const ShownDayMark mark{day, month, userColour, matchDays};
    for (int k = -3; k <= 3; ++k) {
        const MonthBlock block = StripBlock(year, month, k);
        DrawMonth(surface, block, MeasureMonth(block), mark);
    }
}

}  // namespace quimbaro
