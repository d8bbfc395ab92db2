#include "shown_row.h"

#include "book/year_file.h"
#include "command/row_commands.h"
#include "day_argument.h"
#include "repeat/rules_file.h"
#include "settings/settings.h"
#include "text/messages.h"

namespace quimbaro::cli {
namespace {

// 1..29 as the table numbers its rows; 0 for anything that is no number.
int RowNumber(const QString& text) {
    bool number = false;
    const int row = text.toInt(&number);
    return number && !text.startsWith(u'+') ? row : 0;
}

std::optional<ShownRow> Refuse(CliContext& context, int& status, int code, const QString& message) {
    status = Fail(context, code, message);
    return std::nullopt;
}

}  // namespace

std::optional<ShownRow> FindShownRow(const QString& day, const QString& row, CliContext& context, int& status) {
    const auto named = DayNamed(day, context.today);
    if (!named) return Refuse(context, status, kExitUsage, NoDayText(day));
    const int number = RowNumber(row);
    if (number < 1)
        return Refuse(context, status, kExitUsage, QStringLiteral("fila no válida: %1 (un número de 1 a 29)").arg(row));
    SettingsStore settings{.file = context.dataFolder / kSettingsFileName};
    LoadSettings(settings);
    DayList list;
    const StoreResult loaded = LoadDay(context.dataFolder, named->key, settings.sortOrder, list);
    if (!loaded.Stored())
        return Refuse(context, status, kExitFailure,
                      QString::fromUtf8(kNotLoadedText) + QString::fromStdString(loaded.Reason()));
    const RulesRead rules = ReadRules(context.dataFolder);
    if (!rules.Whole()) context.err << QStringLiteral("quimbaro: ") << QString::fromStdString(rules.problem) << '\n';
    RowSeries origin;
    AddOccurrences(list, rules.series, SeriesOn(rules.series, named->date), named->date, settings.sortOrder, origin);
    const RowPick pick = PickRow(list, true, number);
    if (!pick.record) return Refuse(context, status, kExitFailure, QString::fromStdString(pick.problem));
    return ShownRow{*pick.record, origin[static_cast<std::size_t>(number - 1)]};
}

}  // namespace quimbaro::cli
