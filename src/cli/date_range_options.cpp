#include "date_range_options.h"

#include "command/classify_line.h"
#include "ical/event_export.h"
#include "text/win1252.h"

namespace quimbaro::cli {
namespace {

// DD/MM/YYYY naming a real day, or hoy, ayer, mañana as the entry takes them.
std::optional<CalendarDate> DayNamed(const QString& text, const TodayClock& today) {
    const std::string typed = ToWin1252(text);
    switch (ClassifyLine(typed).action) {
    case LineAction::Today: return today();
    case LineAction::Yesterday: return DaysAfter(today(), -1);
    case LineAction::Tomorrow: return DaysAfter(today(), +1);
    default: return ical::ValidDay(typed);
    }
}

bool ReadDay(const QCommandLineParser& parser, const QString& name, const TodayClock& today,
             std::optional<CalendarDate>& day, QString& error) {
    if (!parser.isSet(name)) return true;
    day = DayNamed(parser.value(name), today);
    if (!day) error = QStringLiteral("--%1: fecha no válida: %2 (DD/MM/AAAA, hoy, ayer o mañana)").arg(name, parser.value(name));
    return day.has_value();
}

}  // namespace

void AddDateRangeOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("from"), QStringLiteral("desde ese día"), QStringLiteral("FECHA")});
    parser.addOption({QStringLiteral("to"), QStringLiteral("hasta ese día"), QStringLiteral("FECHA")});
}

std::optional<ical::DateRange> DateRangeGiven(const QCommandLineParser& parser, const TodayClock& today,
                                              QString& error) {
    ical::DateRange range;
    if (!ReadDay(parser, QStringLiteral("from"), today, range.from, error) ||
        !ReadDay(parser, QStringLiteral("to"), today, range.to, error))
        return std::nullopt;
    if (range.from && range.to && !range.Contains(*range.from)) {
        error = QStringLiteral("--from es posterior a --to");
        return std::nullopt;
    }
    return range;
}

}  // namespace quimbaro::cli
