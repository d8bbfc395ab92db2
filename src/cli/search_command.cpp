// search: every appointment whose name, subject or phone holds the text, as
// the window's "buscar" finds them, in date and time order. A series the text
// finds shows once, on its next day from today (else its last day before),
// the day the window's search would show for it.
#include <algorithm>

#include "appointment_rows.h"
#include "book/collation.h"
#include "repeat/day_occurrences.h"
#include "repeat/rules_file.h"
#include "search/book_search.h"
#include "search/search_texts.h"
#include "search/series_search.h"
#include "subcommands.h"
#include "text/win1252.h"

namespace quimbaro::cli {
namespace {

using DatedRow = std::pair<CalendarDate, FoundRow>;

void AddSeriesRows(const std::vector<Series>& series, const RecordMatcher& matcher, const CalendarDate& today,
                   std::vector<DatedRow>& rows) {
    for (const SeriesMatch& match : MatchingSeries(series, matcher, today)) {
        const auto day = FirstDayToShow(match.days, today);
        if (!day) continue;
        const Series& one = series[match.index];
        rows.push_back({*day, {OccurrenceRecord(one, *day), SeriesName(one.rule)}});
    }
}

std::vector<FoundRow> InDayOrder(std::vector<DatedRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const DatedRow& a, const DatedRow& b) {
        if (a.first != b.first) return a.first < b.first;
        return CollateCompare(ReadField(b.second.record.time), ReadField(a.second.record.time)) == 2;
    });
    std::vector<FoundRow> ordered;
    for (DatedRow& row : rows) ordered.push_back(std::move(row.second));
    return ordered;
}

int RunSearch(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    const auto format = FormatGiven(parser);
    if (!format) return Fail(context, kExitUsage, QString::fromUtf8(kFormatUsageText));
    const QString text = args.join(u' ').trimmed();
    if (text.isEmpty()) return Fail(context, kExitUsage, QStringLiteral("falta el texto que buscar"));
    const RecordMatcher matcher(ToWin1252(text));
    const RecordSearch found = FindMatchingRecords(context.dataFolder, matcher);
    for (const StoreResult& skipped : found.skipped)
        Fail(context, kExitFailure, QString::fromStdString(SkippedFileText(skipped)));
    // A damaged rules file hides its series only.
    const RulesRead rules = ReadRules(context.dataFolder);
    if (!rules.Whole()) Fail(context, kExitFailure, QString::fromStdString(rules.problem));
    std::vector<DatedRow> rows;
    for (const Appointment& record : found.records)
        rows.push_back({ParseDayKey(ReadField(record.date)).value_or(CalendarDate{}), {record, {}}});
    AddSeriesRows(rules.series, matcher, context.today(), rows);
    const std::vector<FoundRow> ordered = InDayOrder(std::move(rows));
    Print(ordered, *format, context.out);
    if (!ordered.empty()) return kExitOk;
    return Fail(context, kExitFailure, QString::fromUtf8(kNoMatchText) + text);
}

}  // namespace

Subcommand SearchCommand() {
    return {
        .name = QStringLiteral("search"),
        .synopsis = QStringLiteral("search TEXTO [--format text|tsv|json]"),
        .description = QStringLiteral("busca las citas cuyo nombre, asunto o teléfono contienen el texto; "
                                      "de una serie, su próxima cita desde hoy"),
        .addOptions = AddFormatOption,
        .folderUse = FolderUse::Read,
        .run = RunSearch,
    };
}

}  // namespace quimbaro::cli
