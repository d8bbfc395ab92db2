#include "access/spoken_texts.h"

#include <QStringList>
#include <array>

#include "views/month_strip.h"

namespace quimbaro {

namespace {

constexpr std::array<const char*, 7> kWeekdays = {"lunes", "martes", "miércoles", "jueves",
                                                   "viernes", "sábado", "domingo"};

QString Plural(int count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(count == 1 ? one : many));
}

}  // namespace

QString WeekdayName(int weekday) {
    return weekday >= 1 && weekday <= 7 ? QString::fromUtf8(kWeekdays[static_cast<std::size_t>(weekday - 1)])
                                        : QString();
}

QString MonthInWords(int year, int month) {
    const std::string_view name = MonthName(month);
    return QStringLiteral("%1 de %2")
        .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toLower())
        .arg(year);
}

QString DayInWords(const CalendarDate& date) {
    return QStringLiteral("%1 %2 de %3")
        .arg(WeekdayName(DayOfWeek(date.year, date.month, date.day)))
        .arg(date.day)
        .arg(MonthInWords(date.year, date.month));
}

QString DayTableName(const CalendarDate& date) { return QStringLiteral("Citas del ") + DayInWords(date); }

QString DayTableSummary(int rows, int matchedRows) {
    if (rows == 0) return QStringLiteral("Ninguna cita");
    QString summary = Plural(rows, "cita", "citas");
    if (matchedRows > 0)
        summary += QStringLiteral(", %1").arg(Plural(matchedRows, "coincide", "coinciden")) +
                   QString::fromUtf8(" con la búsqueda");
    return summary;
}

QString RowDescription(int row, bool matched, bool repeating) {
    return QStringLiteral("Fila %1").arg(row) + (repeating ? QStringLiteral(", se repite") : QString()) +
           (matched ? QString::fromUtf8(", coincide con la búsqueda") : QString());
}

QString StripDayDescription(bool shown, bool sunday, bool marked) {
    QStringList parts;
    if (shown) parts << QString::fromUtf8("Día mostrado");
    if (sunday) parts << QStringLiteral("Domingo, en rojo");
    if (marked) parts << QString::fromUtf8("Con citas que coinciden con la búsqueda");
    return parts.join(QStringLiteral(", "));
}

QString StripName(int year, int month) {
    const MonthBlock first = StripBlock(year, month, -3);
    const MonthBlock last = StripBlock(year, month, 3);
    return QStringLiteral("Calendario de %1 a %2")
        .arg(MonthInWords(first.year, first.month), MonthInWords(last.year, last.month));
}

QString EntryDescription(const EntryMode& mode) {
    if (mode.editing)
        return QString::fromUtf8("Editando la cita de la fila %1: cambie la línea y pulse Intro para guardarla; "
                                 "vacíe la línea para cancelar")
            .arg(mode.row);
    return QString::fromUtf8(
        "Escriba una fecha DD/MM/AAAA, hoy, ayer o mañana; una cita como fecha|hora|teléfono|nombre|asunto; "
        "o una orden: buscar, siguiente, anterior, borrar N, editar N, deshacer, ascendente, descendente, "
        "color, aviso N, autor, exportar, salir");
}

}  // namespace quimbaro
