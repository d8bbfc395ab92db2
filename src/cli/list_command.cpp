// list: the appointments of a day, or of several days from it, in the order
// and with the rows the window's table shows.
#include <algorithm>
#include <optional>
#include <vector>

#include "appointment_rows.h"
#include "book/year_file.h"
#include "day_argument.h"
#include "command/classify_line.h"
#include "settings/settings.h"
#include "subcommands.h"
#include "text/messages.h"
#include "text/win1252.h"

namespace quimbaro::cli {
namespace {

constexpr int kMostDays = 3660;

std::optional<NamedDay> FirstDayNamed(const QStringList& args, const TodayClock& today) {
    if (args.isEmpty()) return NamedDay{today(), DayKey(today())};
    return DayNamed(args[0], today);
}

// The day keys to read, first day first; nothing when the days cannot be
// counted (a typed 31/02 or a year past the calendar's end).
std::optional<std::vector<std::string>> DayKeys(const NamedDay& first, int days) {
    std::vector<std::string> keys{first.key};
    for (int i = 1; i < days; ++i) {
        const auto date = DaysAfter(first.date, i);
        if (!date) return std::nullopt;
        keys.push_back(DayKey(*date));
    }
    return keys;
}

// Reads every day before printing anything, so a failure prints no half list.
int ListDays(const std::vector<std::string>& keys, Format format, CliContext& context) {
    SettingsStore settings{.file = context.dataFolder / kSettingsFileName};
    LoadSettings(settings);
    std::vector<Appointment> rows;
    for (const std::string& key : keys) {
        DayList day;
        const StoreResult loaded = LoadDay(context.dataFolder, key, settings.sortOrder, day);
        if (!loaded.Stored())
            return Fail(context, kExitFailure,
                        QString::fromUtf8(kNotLoadedText) + QString::fromStdString(loaded.Reason()));
        rows.insert(rows.end(), day.slots.begin(), day.slots.begin() + std::min(day.kept, kDaySlots));
        if (day.kept > kDaySlots)
            context.err << QStringLiteral("quimbaro: el día %1 tiene %2 citas; como en la ventana, se muestran %3\n")
                               .arg(FromWin1252(key)).arg(day.kept).arg(kDaySlots);
    }
    Print(rows, format, context.out);
    return kExitOk;
}

int RunList(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    const auto format = FormatGiven(parser);
    if (!format) return Fail(context, kExitUsage, QString::fromUtf8(kFormatUsageText));
    bool isNumber = false;
    const int days = parser.value(QStringLiteral("days")).toInt(&isNumber);
    if (!isNumber || days < 1 || days > kMostDays)
        return Fail(context, kExitUsage,
                    QStringLiteral("--days espera un número de días entre 1 y %1").arg(kMostDays));
    if (args.size() > 1) return Fail(context, kExitUsage, QStringLiteral("list admite una sola fecha"));
    const auto first = FirstDayNamed(args, context.today);
    if (!first) return Fail(context, kExitUsage, NoDayText(args.value(0)));
    const auto keys = DayKeys(*first, days);
    if (!keys) return Fail(context, kExitUsage, QStringLiteral("no se pueden contar días desde esa fecha"));
    return ListDays(*keys, *format, context);
}

}  // namespace

Subcommand ListCommand() {
    return {
        .name = QStringLiteral("list"),
        .synopsis = QStringLiteral("list [FECHA|hoy|ayer|mañana] [--days N] [--format text|tsv|json]"),
        .description = QStringLiteral("muestra las citas de un día (hoy si no se indica), o de N días desde él"),
        .addOptions =
            [](QCommandLineParser& parser) {
                parser.addOption({QStringLiteral("days"), QString(), QStringLiteral("N"), QStringLiteral("1")});
                AddFormatOption(parser);
            },
        .run = RunList,
    };
}

}  // namespace quimbaro::cli
