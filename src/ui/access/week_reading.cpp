#include "access/week_reading.h"

#include "access/spoken_texts.h"
#include "views/table_view.h"
#include "views/week_view.h"

namespace quimbaro {

namespace {

WeekBand BandAt(const WeekView& week, int row) { return WeekBands(week).at(static_cast<std::size_t>(row)); }

QRect BandBox(const WeekBand& band, int column) {
    if (band.kind != WeekBandKind::Row)
        return QRect(QPoint(kWeekLeft, band.top), QPoint(kWeekRight, band.top + kWeekBandHeight));
    const QRect cell = CellBox(column, 1);
    return QRect(QPoint(cell.left(), band.top), QPoint(cell.right(), band.top + kWeekBandHeight));
}

}  // namespace

QString WeekTableName(const WeekView& week) {
    return week.days.empty() ? QString() : QStringLiteral("Semana del ") + DayInWords(week.days.front().date);
}

QString WeekTableSummary(const WeekView& week) {
    int appointments = 0;
    for (const DayRows& day : week.days) appointments += static_cast<int>(day.rows.size());
    return QStringLiteral("%1 días, ").arg(week.days.size()) + DayTableSummary(appointments, 0).toLower();
}

int WeekTableRows(const WeekView& week) { return static_cast<int>(WeekBands(week).size()); }

TextCellFacts WeekTableCell(const WeekView& week, int row, int column) {
    if (row < 0) return {ColumnHeader(column), {}, false, CellBox(column, 0)};
    const WeekBand band = BandAt(week, row);
    const DayRows& day = week.days[static_cast<std::size_t>(band.day)];
    QString text;
    if (band.kind == WeekBandKind::Row) text = ShownFieldText(day.rows[static_cast<std::size_t>(band.row)], column).trimmed();
    else if (column == 0) text = band.kind == WeekBandKind::Heading ? WeekHeading(week, day) : QStringLiteral("sin citas");
    return {text, WeekRowText(week, row), band.kind == WeekBandKind::Heading && day.date == week.shown, BandBox(band, column)};
}

QString WeekRowText(const WeekView& week, int row) {
    const WeekBand band = BandAt(week, row);
    if (band.kind == WeekBandKind::Heading) return QStringLiteral("Día");
    if (band.kind != WeekBandKind::Row) return QString();
    const DayRows& day = week.days[static_cast<std::size_t>(band.day)];
    return RowDescription(band.row + 1, false, !RepetitionOf(day, static_cast<std::size_t>(band.row)).empty());
}

}  // namespace quimbaro
