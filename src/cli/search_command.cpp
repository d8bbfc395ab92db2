// search: every appointment whose name, subject or phone holds the text, as
// the window's "buscar" finds them, in date and time order.
#include "appointment_rows.h"
#include "search/book_search.h"
#include "search/search_texts.h"
#include "subcommands.h"
#include "text/win1252.h"

namespace quimbaro::cli {
namespace {

int RunSearch(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    const auto format = FormatGiven(parser);
    if (!format) return Fail(context, kExitUsage, QString::fromUtf8(kFormatUsageText));
    const QString text = args.join(u' ').trimmed();
    if (text.isEmpty()) return Fail(context, kExitUsage, QStringLiteral("falta el texto que buscar"));
    const RecordSearch found = FindMatchingRecords(context.dataFolder, RecordMatcher(ToWin1252(text)));
    for (const StoreResult& skipped : found.skipped)
        Fail(context, kExitFailure, QString::fromStdString(SkippedFileText(skipped)));
    Print(found.records, *format, context.out);
    if (!found.records.empty()) return kExitOk;
    return Fail(context, kExitFailure, QString::fromUtf8(kNoMatchText) + text);
}

}  // namespace

Subcommand SearchCommand() {
    return {
        .name = QStringLiteral("search"),
        .synopsis = QStringLiteral("search TEXTO [--format text|tsv|json]"),
        .description = QStringLiteral("busca las citas cuyo nombre, asunto o teléfono contienen el texto"),
        .addOptions = AddFormatOption,
        .run = RunSearch,
    };
}

}  // namespace quimbaro::cli
