// quimbaro search TEXT [--format text|tsv|json]: every appointment whose
// name, subject or phone holds the text, as the window's "buscar" finds
// them, in date and time order.
#include <QCommandLineOption>
#include <QCommandLineParser>

#include "search/book_search.h"
#include "search/match_report.h"
#include "search/search_texts.h"
#include "subcommand.h"
#include "subcommands.h"
#include "text/win1252.h"

namespace quimbaro::cli {
namespace {

const QString kFormatOption = QStringLiteral("format");

int RunSearch(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    const QString text = args.join(u' ').trimmed();
    if (text.isEmpty()) {
        context.err << "Falta el texto que buscar: search TEXTO\n";
        return kExitUsage;
    }
    const std::optional<MatchFormat> format = ParseMatchFormat(parser.value(kFormatOption));
    if (!format) {
        context.err << "Formato desconocido: " << parser.value(kFormatOption) << " (text, tsv o json)\n";
        return kExitUsage;
    }
    const RecordSearch found = FindMatchingRecords(context.dataFolder, RecordMatcher(ToWin1252(text)));
    for (const StoreResult& skipped : found.skipped)
        context.err << QString::fromUtf8(kSkippedFileText) << QString::fromStdString(skipped.Reason()) << '\n';
    context.out << FormatMatches(found.records, *format);
    context.out.flush();
    if (!found.records.empty()) return kExitOk;
    context.err << QString::fromUtf8(kNoMatchText) << text << '\n';
    return kExitFailure;
}

}  // namespace

Subcommand SearchCommand() {
    return {QStringLiteral("search"), QStringLiteral("search TEXTO [--format text|tsv|json]"),
            QStringLiteral("Busca las citas cuyo nombre, asunto o teléfono contienen el texto."),
            [](QCommandLineParser& parser) {
                parser.addOption(QCommandLineOption(kFormatOption, QStringLiteral("Formato: text, tsv o json."),
                                                    QStringLiteral("formato"), QStringLiteral("text")));
            },
            RunSearch};
}

}  // namespace quimbaro::cli
