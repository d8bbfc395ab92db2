#include "shown_days.h"

#include <algorithm>

#include "day_argument.h"
#include "repeat/day_occurrences.h"
#include "repeat/rules_file.h"
#include "settings/settings.h"
#include "text/messages.h"
#include "text/win1252.h"

namespace quimbaro::cli {
namespace {

constexpr int kMostDays = 3660;

std::optional<NamedDay> FirstDayNamed(const QStringList& args, const TodayClock& today) {
    if (args.isEmpty()) return NamedDay{today(), DayKey(today())};
    return DayNamed(args[0], today);
}

// The days to read, first day first; nothing when the days cannot be
// counted (a typed 31/02 or a year past the calendar's end).
std::optional<std::vector<DayRows>> DaysFrom(const NamedDay& first, int count) {
    std::vector<DayRows> days{{first.date, first.key, {}}};
    for (int i = 1; i < count; ++i) {
        const auto date = DaysAfter(first.date, i);
        if (!date) return std::nullopt;
        days.push_back({*date, DayKey(*date), {}});
    }
    return days;
}

std::optional<std::vector<DayRows>> Refuse(CliContext& context, int& status, int code, const QString& message) {
    status = Fail(context, code, message);
    return std::nullopt;
}

}  // namespace

void AddDaysOption(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("days"), QString(), QStringLiteral("N"), QStringLiteral("1")});
}

std::optional<std::vector<DayRows>> ReadShownDays(const QCommandLineParser& parser, const QStringList& args,
                                                   const QString& command, CliContext& context, int& status) {
    bool isNumber = false;
    const int count = parser.value(QStringLiteral("days")).toInt(&isNumber);
    if (!isNumber || count < 1 || count > kMostDays)
        return Refuse(context, status, kExitUsage,
                      QStringLiteral("--days espera un número de días entre 1 y %1").arg(kMostDays));
    if (args.size() > 1) return Refuse(context, status, kExitUsage, command + QStringLiteral(" admite una sola fecha"));
    const auto first = FirstDayNamed(args, context.today);
    if (!first) return Refuse(context, status, kExitUsage, NoDayText(args.value(0)));
    auto days = DaysFrom(*first, count);
    if (!days) return Refuse(context, status, kExitUsage, QStringLiteral("no se pueden contar días desde esa fecha"));
    SettingsStore settings{.file = context.dataFolder / kSettingsFileName};
    LoadSettings(settings);
    // A damaged rules file hides its series only.
    const RulesRead rules = ReadRules(context.dataFolder);
    if (!rules.Whole()) context.err << QStringLiteral("quimbaro: ") << QString::fromStdString(rules.problem) << '\n';
    const auto byDay = SeriesByDay(rules.series, days->front().date, days->back().date);
    // Every day is read before anything is printed, so a failure prints no half list.
    // One day goes through the day index; several read each year file once.
    std::vector<DayList> lists(1);
    std::vector<std::string> keys;
    for (const DayRows& day : *days) keys.push_back(day.key);
    const StoreResult loaded = keys.size() == 1
                                   ? LoadDay(context.dataFolder, keys[0], settings.sortOrder, lists[0], context.dayIndex)
                                   : LoadDays(context.dataFolder, keys, settings.sortOrder, lists);
    if (!loaded.Stored())
        return Refuse(context, status, kExitFailure, QString::fromUtf8(kNotLoadedText) + QString::fromStdString(loaded.Reason()));
    for (std::size_t i = 0; i < days->size(); ++i) {
        DayRows& day = (*days)[i];
        DayList& list = lists[i];
        RowSeries origin;
        const auto on = byDay.find(day.date);
        if (on != byDay.end()) AddOccurrences(list, rules.series, on->second, day.date, settings.sortOrder, origin);
        day = ShownDayRows(day.date, day.key, list, origin);
        if (list.kept > kDaySlots)
            context.err << QStringLiteral("quimbaro: el día %1 tiene %2 citas; como en la ventana, se muestran %3\n")
                               .arg(FromWin1252(day.key)).arg(list.kept).arg(kDaySlots);
    }
    return days;
}

}  // namespace quimbaro::cli
