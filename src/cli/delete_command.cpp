// delete: deletes the appointment a day's row shows, as "borrar N" does.
#include "repeat/series_change.h"
#include "shown_row.h"
#include "subcommands.h"
#include "text/messages.h"

namespace quimbaro::cli {
namespace {

int RunDelete(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    if (args.size() != 2) return Fail(context, kExitUsage, QStringLiteral("delete espera una fecha y un número de fila: delete FECHA N"));
    int status = kExitOk;
    const auto seen = FindShownRow(args[0], args[1], context, status);
    if (!seen) return status;
    const bool wholeSeries = parser.isSet(QStringLiteral("series"));
    if (seen->occurrence) {
        const SeriesChange change = wholeSeries ? EndSeriesBefore(context.dataFolder, *seen->occurrence)
                                                : SkipOccurrence(context.dataFolder, *seen->occurrence);
        return SeriesChangeStatus(context, kNotDeletedText, change);
    }
    if (wholeSeries) return Fail(context, kExitFailure, QString::fromUtf8(kNotSeriesRowText) + args[1]);
    return ChangeStatus(context, kNotDeletedText, DeleteChange(context.dataFolder, seen->record).result);
}

}  // namespace

Subcommand DeleteCommand() {
    return {
        .name = QStringLiteral("delete"),
        .synopsis = QStringLiteral("delete FECHA N [--series]"),
        .description = QStringLiteral("borra la cita de la fila N del día, numerada como la muestra list "
                                      "(de una serie, solo ese día; con --series, la serie desde ese día)"),
        .addOptions = [](QCommandLineParser& parser) { parser.addOption({QStringLiteral("series"), QString()}); },
        .run = RunDelete,
    };
}

}  // namespace quimbaro::cli
