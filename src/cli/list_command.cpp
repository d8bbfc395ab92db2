// list: the appointments of a day, or of several days from it, in the order
// and with the rows the window's table shows.
#include "appointment_rows.h"
#include "shown_days.h"
#include "subcommands.h"

namespace quimbaro::cli {
namespace {

int RunList(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    const auto format = FormatGiven(parser);
    if (!format) return Fail(context, kExitUsage, QString::fromUtf8(kFormatUsageText));
    int status = kExitOk;
    const auto days = ReadShownDays(parser, args, QStringLiteral("list"), context, status);
    if (!days) return status;
    PrintDays(*days, *format, context.out);
    return kExitOk;
}

}  // namespace

Subcommand ListCommand() {
    return {
        .name = QStringLiteral("list"),
        .synopsis = QStringLiteral("list [FECHA|hoy|ayer|mañana] [--days N] [--format text|tsv|json]"),
        .description = QStringLiteral("muestra las citas de un día (hoy si no se indica), o de N días desde él"),
        .addOptions =
            [](QCommandLineParser& parser) {
                AddDaysOption(parser);
                AddFormatOption(parser);
            },
        .folderUse = FolderUse::Read,
        .run = RunList,
    };
}

}  // namespace quimbaro::cli
