#pragma once
// --from and --to, the days export and import are limited to.

#include <QCommandLineParser>
#include <QString>
#include <optional>

#include "calendar/dates.h"
#include "ical/book_export.h"

namespace quimbaro::cli {

void AddDateRangeOptions(QCommandLineParser& parser);

// The range given (open where an option is missing), or nothing with the
// usage error in error.
std::optional<ical::DateRange> DateRangeGiven(const QCommandLineParser& parser, const TodayClock& today,
                                              QString& error);

}  // namespace quimbaro::cli
