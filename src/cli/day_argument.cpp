#include "day_argument.h"

#include "command/classify_line.h"
#include "text/win1252.h"

namespace quimbaro::cli {

std::optional<NamedDay> DayNamed(const QString& typed, const TodayClock& today) {
    const std::string bytes = ToWin1252(typed);
    const ClassifiedLine line = ClassifyLine(bytes);
    std::optional<CalendarDate> date;
    switch (line.action) {
    case LineAction::Today: date = today(); break;
    case LineAction::Yesterday: date = DaysAfter(today(), -1); break;
    case LineAction::Tomorrow: date = DaysAfter(today(), +1); break;
    case LineAction::ShowDate: return NamedDay{line.date, bytes};
    default: break;
    }
    if (!date) return std::nullopt;
    return NamedDay{*date, DayKey(*date)};
}

QString NoDayText(const QString& typed) {
    return QStringLiteral("fecha no válida: %1 (DD/MM/AAAA, hoy, ayer o mañana)").arg(typed);
}

}  // namespace quimbaro::cli
