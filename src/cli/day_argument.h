#pragma once
// A day named on the command line as the window's entry names one.

#include <QString>

#include <optional>
#include <string>

#include "calendar/dates.h"

namespace quimbaro::cli {

struct NamedDay {
    CalendarDate date;
    std::string key;  // as the window would look it up: a typed date as typed
};

// hoy, ayer, mañana and DD/MM/YYYY, matched as the entry matches them.
std::optional<NamedDay> DayNamed(const QString& typed, const TodayClock& today);

// The usage error for a word that names no day.
QString NoDayText(const QString& typed);

}  // namespace quimbaro::cli
