#include "views/week_view.h"

#include <algorithm>

#include "calendar/date_words.h"
#include "settings/settings.h"
#include "text/win1252.h"
#include "views/table_view.h"

namespace quimbaro {

namespace {

constexpr int kFontPoints = 9;
constexpr int32_t kTextInset = 4;  // from a box's left edge to its text

const Font* WeekFont(Surface& surface, bool bold) {
    return surface.NewFont(QStringLiteral("Tahoma"), kFontPoints, bold ? kBold : 0, kAnsiCharset);
}

}  // namespace

QString WeekHeading(const WeekView& week, const DayRows& day) {
    QString words = QString::fromStdString(DateInWords(day.date));
    if (!words.isEmpty()) words[0] = words[0].toUpper();
    if (day.date == week.today) words += QStringLiteral("  ·  hoy");
    const auto count = day.rows.size();
    if (count > 0) words += count == 1 ? QStringLiteral("  ·  1 cita") : QStringLiteral("  ·  %1 citas").arg(count);
    return words;
}

namespace {

// The text at the box's left, vertically centred, cut with "…" to the box.
void PrintInBox(Surface& surface, const QRect& box, const QString& text, Colour colour, bool bold, bool centred) {
    const Font* font = WeekFont(surface, bold);
    surface.SelectFont(font);
    surface.SetColours(colour, kTransparent);
    const int room = box.width() - 2 * kTextInset;
    const QString shown = font->metrics.elidedText(text.trimmed(), Qt::ElideRight, room);
    if (shown.isEmpty()) return;
    const int left = centred ? box.left() + (box.width() - surface.TextSize(shown).width()) / 2 : box.left() + kTextInset;
    surface.SetPosition(left, box.top() + (box.height() - font->LineHeight()) / 2);
    surface.PrintLine(shown);
}

void PaintHeading(Surface& surface, const WeekView& week, const DayRows& day, Colour userColour, int32_t y) {
    const Colour fill = day.date == week.shown ? ShownUserColour(userColour) : kOtherDayHeading;
    const QRect box(QPoint(kWeekLeft, y), QPoint(kWeekRight - 1, y + kWeekBandHeight - 1));
    surface.DrawBox(kWeekLeft, y, kWeekRight, y + kWeekBandHeight, kOutlineSilver, fill);
    PrintInBox(surface, box, WeekHeading(week, day), kBlack, true, false);
}

// The day table's four cells, so the columns line up with it. An occurrence
// of a series ends its subject with the day table's mark.
void PaintRow(Surface& surface, const DayRows& day, std::size_t row, int32_t y) {
    const bool repeating = !RepetitionOf(day, row).empty();
    for (int column = 0; column < 4; ++column) {
        const QRect cell = CellBox(column, 1);
        surface.DrawBox(cell.left(), y, cell.right(), y + kWeekBandHeight, kOutlineSilver, kWhite);
        QRect box(QPoint(cell.left(), y), QPoint(cell.right() - 1, y + kWeekBandHeight - 1));
        if (column == 3 && repeating) {
            const int32_t markRight = box.right() - kTextInset, markTop = y + (kWeekBandHeight - kRepeatMarkSize) / 2;
            surface.DrawBox(markRight - kRepeatMarkSize, markTop, markRight, markTop + kRepeatMarkSize, kRowNumberColour, kWhite);
            box.setRight(markRight - kRepeatMarkSize);
        }
        PrintInBox(surface, box, ShownFieldText(day.rows[row], column), kBlack, true, column < 2);
    }
}

void PaintNoAppointments(Surface& surface, int32_t y) {
    surface.DrawBox(kWeekLeft, y, kWeekRight, y + kWeekBandHeight, kOutlineSilver, kWhite);
    const QRect box(QPoint(kWeekLeft, y), QPoint(kWeekRight - 1, y + kWeekBandHeight - 1));
    PrintInBox(surface, box, QStringLiteral("sin citas"), kNoAppointmentsText, false, false);
}

}  // namespace

std::vector<WeekBand> WeekBands(const WeekView& week) {
    std::vector<WeekBand> bands;
    int32_t top = kTableOriginY;
    const auto add = [&](WeekBandKind kind, int day, int row) {
        bands.push_back({kind, day, row, top});
        top += kWeekBandPitch;
    };
    for (int day = 0; day < static_cast<int>(week.days.size()); ++day) {
        add(WeekBandKind::Heading, day, 0);
        const int rows = static_cast<int>(week.days[day].rows.size());
        if (rows == 0) add(WeekBandKind::NoAppointments, day, 0);
        for (int row = 0; row < rows; ++row) add(WeekBandKind::Row, day, row);
    }
    return bands;
}

int32_t WeekHeight(const WeekView& week) {
    int32_t bands = 0;
    for (const DayRows& day : week.days) bands += 1 + static_cast<int32_t>(std::max<std::size_t>(day.rows.size(), 1));
    return kTableOriginY + bands * kWeekBandPitch;
}

int32_t LowestWeekOffset(const WeekView& week, int32_t visibleHeight) {
    return std::min(0, visibleHeight - WeekHeight(week));
}

void PaintWeek(Surface& surface, Picture& table, const WeekView& week, Colour userColour, int32_t offset) {
    surface.SelectTarget(table);
    surface.ClearTarget(kBlack);
    surface.SetPenWidth(1);
    const int32_t height = table.image.height();
    for (const WeekBand& band : WeekBands(week)) {
        const int32_t y = band.top + offset;
        if (y + kWeekBandHeight < 0) continue;
        if (y >= height) break;
        const DayRows& day = week.days[band.day];
        switch (band.kind) {
        case WeekBandKind::Heading: PaintHeading(surface, week, day, userColour, y); break;
        case WeekBandKind::Row: PaintRow(surface, day, static_cast<std::size_t>(band.row), y); break;
        case WeekBandKind::NoAppointments: PaintNoAppointments(surface, y); break;
        }
    }
}

}  // namespace quimbaro
