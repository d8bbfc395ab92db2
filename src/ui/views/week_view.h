#pragma once
// The week in the table's place: for each day Monday to Sunday a heading
// with its date in words, then one row per appointment (time, phone, name,
// subject, each cut to its column with "…"), or "sin citas". The shown day's
// heading is in the user's colour, the others grey; today's says "hoy".
// Only the bands in sight are painted, so a full week costs about a day.

#include <QString>

#include <cstdint>
#include <vector>

#include "session/session_answer.h"
#include "surface/surface.h"

namespace quimbaro {

enum class WeekBandKind { Heading, Row, NoAppointments };

// One box across the table, top to bottom on the unscrolled week.
struct WeekBand {
    WeekBandKind kind;
    int day = 0;  // 0 (Monday) .. 6
    int row = 0;  // Row: the day's row, from 0
    int32_t top = 0;
};

inline constexpr int32_t kWeekBandHeight = 22;  // as a day table's row
inline constexpr int32_t kWeekBandPitch = 24;   // with the gap to the next band
inline constexpr int32_t kWeekLeft = 4, kWeekRight = 1155;  // the day table's outer edges
inline constexpr Colour kOtherDayHeading = Rgb(0xD8, 0xD8, 0xD8);
inline constexpr Colour kNoAppointmentsText = Rgb(0x70, 0x70, 0x70);

std::vector<WeekBand> WeekBands(const WeekView& week);
// "Jueves 31 de diciembre de 2026  ·  hoy  ·  3 citas".
QString WeekHeading(const WeekView& week, const DayRows& day);
// The height of the whole week, its last band's gap included.
int32_t WeekHeight(const WeekView& week);
// The lowest scroll offset that still shows the week's end (0 when it fits).
int32_t LowestWeekOffset(const WeekView& week, int32_t visibleHeight);

// Clears the picture and paints the bands that show with the week moved up
// by -offset pixels (offset <= 0, as the day table's scroll offset).
void PaintWeek(Surface& surface, Picture& table, const WeekView& week, Colour userColour, int32_t offset);

}  // namespace quimbaro
